#include "mainwnd/MouseSet.h"

#include "device/HidLink.h"

MouseSet mouseSetOf(const HidLink& link) {
  MouseSet set;
  set.presentCount = link.presentCount();
  set.inputCount = link.inputCount();
  for (int i = 0; i < set.inputCount && i < kHidSlots; ++i) set.inputPaths.push_back(link.slot(i).devicePath);
  return set;
}
