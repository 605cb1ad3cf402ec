// A HID report descriptor split into its top-level collections, as a USB
// composite device's HID stack shows each of them as an interface device of
// its own. Plain C++.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct TopLevelCollection {
  // A report descriptor of this collection alone: every global item up to its
  // end (so that report sizes, counts and IDs stand as in the whole), the
  // local items just before it, and its own items.
  std::vector<uint8_t> descriptor;
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  // The report IDs its input items are declared under (0: no report ID).
  std::vector<uint8_t> inputReportIds;
};

class ReportDescriptor {
public:
  // The top-level collections of `descriptor`; empty, with the reason in
  // `error`, when its items run past its end, its collections do not close,
  // or it has none.
  static std::vector<TopLevelCollection> split(const std::vector<uint8_t>& descriptor, std::string& error);
  // Which collection an input report starting with `firstByte` belongs to:
  // the one declaring that report ID, or, where none uses IDs, the only one
  // with input items. -1 when none.
  static int collectionOfReport(const std::vector<TopLevelCollection>& collections, uint8_t firstByte);
};
