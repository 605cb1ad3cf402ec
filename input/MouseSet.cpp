#include "input/MouseSet.h"

#include <algorithm>
#include <mutex>

#include "device/HidLink.h"

MouseSet mouseSetOf(const HidLink& link) {
  // The slots are rewritten by a scan on another thread.
  std::lock_guard<std::recursive_mutex> hold(link.lock());
  MouseSet set;
  set.presentCount = link.presentCount();
  set.inputCount = link.inputCount();
  for (int i = 0; i < set.inputCount && i < kHidSlots; ++i) set.inputPaths.push_back(link.slot(i).devicePath);
  return set;
}

bool someMouseWent(const MouseSet& before, const MouseSet& after) {
  if (after.presentCount < before.presentCount) return true;
  for (const std::string& path : before.inputPaths) {
    if (std::find(after.inputPaths.begin(), after.inputPaths.end(), path) == after.inputPaths.end()) return true;
  }
  return false;
}

std::vector<std::string> miceOf(HidLink& link, const MouseSet& set) {
  std::vector<std::string> mice;
  for (const std::string& path : set.inputPaths) {
    std::string device = link.deviceOf(path);
    if (!device.empty()) mice.push_back(std::move(device));
  }
  return mice;
}
