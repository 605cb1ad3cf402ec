// The key list ("usage scan-code" a line) on any text the resource might
// hold. The table reads the same whatever it held before, ignores what
// follows a zero byte, answers 0 outside its usages, and its reverse lookup
// finds the first usage of a scan code.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "controls/KeyTable.h"

namespace {
bool sameTable(const KeyTable& a, const KeyTable& b) {
  for (int usage = -1; usage <= KeyTable::kUsages; ++usage) {
    if (a.scanCodeFor(usage) != b.scanCodeFor(usage)) return false;
  }
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  KeyTable table;
  table.parse(text, size);

  require(table.scanCodeFor(-1) == 0 && table.scanCodeFor(KeyTable::kUsages) == 0 &&
              table.scanCodeFor(1000) == 0,
          "an entry outside the table's usages");
  // The reverse lookup walks the whole table; a few entries are enough.
  int looked = 0;
  for (int usage = 0; usage < KeyTable::kUsages && looked < 16; ++usage) {
    const int32_t scanCode = table.scanCodeFor(usage);
    if (scanCode == 0) continue;
    ++looked;
    const int first = table.usageFor(scanCode);
    require(first <= usage && table.scanCodeFor(first) == scanCode, "the reverse lookup is not the first usage");
  }
  require(table.usageFor(0) == 0, "scan code 0 found");

  // Parsing again over a full table gives the same table.
  KeyTable again;
  again.parse("1 1\n2 2\n254 9\n0 5\n");
  again.parse(text, size);
  require(sameTable(table, again), "the table keeps entries from before");

  const void* zero = std::memchr(data, 0, size);
  if (zero) {
    KeyTable cut;
    cut.parse(text, static_cast<size_t>(static_cast<const uint8_t*>(zero) - data));
    require(sameTable(table, cut), "text after a zero byte read");
  }
  return 0;
}
