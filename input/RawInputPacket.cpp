#include "input/RawInputPacket.h"

#include <cstring>

namespace {
uint32_t readUint32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
         static_cast<uint32_t>(at[3]) << 24;
}
}  // namespace

bool firstHidReport(const uint8_t* packet, size_t size, std::vector<uint8_t>& report) {
  using namespace RawInputPacket;
  report.clear();
  if (!packet || size < kDataOffset) return false;
  if (readUint32(packet + kTypeOffset) != kTypeHid) return false;
  if (readUint32(packet + kCountOffset) == 0) return false;
  size_t length = readUint32(packet + kSizeHidOffset);
  if (length > size - kDataOffset) length = size - kDataOffset;
  report.assign(packet + kDataOffset, packet + kDataOffset + length);
  return !report.empty();
}

bool hidReports(const uint8_t* packet, size_t size, std::vector<std::vector<uint8_t>>& reports) {
  using namespace RawInputPacket;
  reports.clear();
  if (!packet || size < kDataOffset) return false;
  if (readUint32(packet + kTypeOffset) != kTypeHid) return false;
  const uint32_t count = readUint32(packet + kCountOffset);
  const size_t length = readUint32(packet + kSizeHidOffset);
  if (count == 0 || length == 0) return false;
  // Each report takes at least one byte of the packet, so a count that the
  // packet cannot hold ends with the packet.
  size_t at = kDataOffset;
  for (uint32_t i = 0; i < count && at < size; ++i) {
    const size_t taken = length < size - at ? length : size - at;
    reports.emplace_back(packet + at, packet + at + taken);
    at += taken;
  }
  return !reports.empty();
}
