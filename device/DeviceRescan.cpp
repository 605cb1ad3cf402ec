#include "device/DeviceRescan.h"

#include <mutex>

#include "device/FeatureFrame.h"
#include "device/HidLink.h"
#include "device/MouseModel.h"

bool sendReportMask(HidLink& link, const MouseModel& model) {
  // The mask is read while the link is held: the window's thread and the
  // re-scan worker both send it, and whichever sends last must send the
  // model as it stands then, not as it stood before the other one's send.
  std::lock_guard<std::recursive_mutex> hold(link.lock());
  if (link.inputCount() <= 0) return false;
  link.sendFeature(FeatureFrame::ReportMask(model.reportMask()));
  return true;
}

void rescanDevice(HidLink& link, MouseModel& model, RescanTarget& target) {
  model.markDpiUnsynced();
  // The scan holds the link's lock and returns before any window is touched:
  // the window's thread may itself be waiting for that lock.
  link.scan();
  target.enableDpiSlider(false);
  if (link.presentCount() == 0) {
    target.enableAssignmentBoxes(false);
    return;
  }
  target.enableAssignmentBoxes(true);
  target.enableDpiSlider(true);
  target.startPostScanTimer();
  sendReportMask(link, model);
}
