// Which mice a scan of the HID interfaces found. Two scans with different sets
// mean that the input the program holds down belongs to mice that are gone.
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
