// Which mice a scan of the HID interfaces found. Two scans with different sets
// mean that mice came or went; what a mouse that went held went with it.
#pragma once
#include <string>
#include <vector>

class HidLink;

struct MouseSet {
  int presentCount = 0;
  int inputCount = 0;
  std::vector<std::string> inputPaths;  // the vendor input collections, in scan order

  bool operator==(const MouseSet& other) const {
    return presentCount == other.presentCount && inputCount == other.inputCount && inputPaths == other.inputPaths;
  }
  bool operator!=(const MouseSet& other) const { return !(*this == other); }
};

// What the link's last scan found.
MouseSet mouseSetOf(const HidLink& link);
// Whether a mouse of `before` is missing from `after`: fewer configuration
// interfaces, or an input collection that is no longer there.
bool someMouseWent(const MouseSet& before, const MouseSet& after);
// The devices the set's input collections hang from (HidLink::deviceOf), the
// names the input engine knows the mice by; one that cannot be told is left
// out.
std::vector<std::string> miceOf(HidLink& link, const MouseSet& set);
