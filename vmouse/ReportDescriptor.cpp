#include "vmouse/ReportDescriptor.h"

#include <algorithm>

namespace {

enum ItemType { Main = 0, Global = 1, Local = 2 };
constexpr uint8_t kInput = 0x8, kCollection = 0xA, kEndCollection = 0xC;
constexpr uint8_t kUsagePage = 0x0, kReportId = 0x8, kPush = 0xA, kPop = 0xB;
constexpr uint8_t kUsage = 0x0;

struct Item {
  size_t offset = 0;
  size_t length = 0;  // prefix and data
  uint8_t type = 0;
  uint8_t tag = 0;
  uint32_t data = 0;
};

// The item at `offset`; false when it runs past the end. Long items (0xFE)
// are skipped whole.
bool readItem(const std::vector<uint8_t>& d, size_t offset, Item& item) {
  const uint8_t prefix = d[offset];
  item = Item{};
  item.offset = offset;
  if (prefix == 0xFE) {
    if (offset + 2 >= d.size()) return false;
    item.length = 3 + d[offset + 1];
    item.type = 3;
    return offset + item.length <= d.size();
  }
  static const size_t kSizes[4] = {0, 1, 2, 4};
  const size_t size = kSizes[prefix & 3];
  item.length = 1 + size;
  item.type = (prefix >> 2) & 3;
  item.tag = prefix >> 4;
  if (offset + item.length > d.size()) return false;
  for (size_t i = 0; i < size; ++i) item.data |= static_cast<uint32_t>(d[offset + 1 + i]) << (8 * i);
  return true;
}

}  // namespace

std::vector<TopLevelCollection> ReportDescriptor::split(const std::vector<uint8_t>& descriptor, std::string& error) {
  std::vector<Item> items;
  for (size_t offset = 0; offset < descriptor.size();) {
    Item item;
    if (!readItem(descriptor, offset, item)) {
      error = "an item runs past the end";
      return {};
    }
    items.push_back(item);
    offset += item.length;
  }
  auto bytesOf = [&](const Item& item) {
    return std::vector<uint8_t>(descriptor.begin() + static_cast<long>(item.offset),
                                descriptor.begin() + static_cast<long>(item.offset + item.length));
  };

  std::vector<TopLevelCollection> collections;
  // One pass per collection keeps each one's globals in their order.
  for (size_t wanted = 0;; ++wanted) {
    TopLevelCollection collection;
    std::vector<uint8_t> pendingLocals;
    uint16_t usagePage = 0, pendingUsage = 0;
    uint8_t reportId = 0;
    std::vector<std::pair<uint16_t, uint8_t>> pushed;
    size_t found = 0;
    int depth = 0;
    bool inside = false, done = false;
    for (const Item& item : items) {
      const std::vector<uint8_t> bytes = bytesOf(item);
      if (item.type == Global) {
        if (item.tag == kUsagePage) usagePage = static_cast<uint16_t>(item.data);
        if (item.tag == kReportId) reportId = static_cast<uint8_t>(item.data);
        if (item.tag == kPush) pushed.emplace_back(usagePage, reportId);
        if (item.tag == kPop && !pushed.empty()) {
          usagePage = pushed.back().first;
          reportId = pushed.back().second;
          pushed.pop_back();
        }
        collection.descriptor.insert(collection.descriptor.end(), bytes.begin(), bytes.end());
        continue;
      }
      if (item.type == Local) {
        if (depth == 0) {
          pendingLocals.insert(pendingLocals.end(), bytes.begin(), bytes.end());
          if (item.tag == kUsage) pendingUsage = static_cast<uint16_t>(item.data);
        } else if (inside) {
          collection.descriptor.insert(collection.descriptor.end(), bytes.begin(), bytes.end());
        }
        continue;
      }
      if (item.type != Main) continue;
      if (item.tag == kCollection) {
        if (depth == 0) {
          inside = found++ == wanted;
          if (inside) {
            collection.descriptor.insert(collection.descriptor.end(), pendingLocals.begin(), pendingLocals.end());
            collection.usagePage = usagePage;
            collection.usage = pendingUsage;
          }
        }
        ++depth;
      } else if (item.tag == kEndCollection) {
        if (depth == 0) {
          error = "an end of collection without its collection";
          return {};
        }
        --depth;
      } else if (item.tag == kInput && inside &&
                 std::find(collection.inputReportIds.begin(), collection.inputReportIds.end(), reportId) ==
                     collection.inputReportIds.end()) {
        collection.inputReportIds.push_back(reportId);
      }
      if (inside) collection.descriptor.insert(collection.descriptor.end(), bytes.begin(), bytes.end());
      if (depth == 0 && inside) {
        done = true;
        break;
      }
      if (depth == 0) {
        pendingLocals.clear();
        pendingUsage = 0;
      }
    }
    if (depth != 0 && (inside || found <= wanted)) {
      error = "a collection does not end";
      return {};
    }
    if (!done) break;
    collections.push_back(collection);
  }
  if (collections.empty()) error = "no top-level collection";
  return collections;
}

int ReportDescriptor::collectionOfReport(const std::vector<TopLevelCollection>& collections, uint8_t firstByte) {
  int withInput = -1, inputs = 0;
  for (size_t i = 0; i < collections.size(); ++i) {
    const std::vector<uint8_t>& ids = collections[i].inputReportIds;
    if (ids.empty()) continue;
    ++inputs;
    withInput = static_cast<int>(i);
    if (ids[0] != 0 && std::find(ids.begin(), ids.end(), firstByte) != ids.end()) return static_cast<int>(i);
  }
  // Without report IDs there is one input report, of the one collection.
  if (inputs == 1 && collections[static_cast<size_t>(withInput)].inputReportIds == std::vector<uint8_t>{0})
    return withInput;
  return -1;
}
