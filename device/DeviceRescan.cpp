#include "device/DeviceRescan.h"

#include <mutex>

#include "device/FeatureFrame.h"
#include "device/HidLink.h"
#include "device/MouseConfig.h"

bool sendReportMask(HidLink& link, const MouseConfig& config) {
  // The mask is read under the link's lock: the window's thread and the
  // re-scan worker both send it, and whichever sends last must send the
  // model as it stands then, not as it stood before the other one's send.
  std::lock_guard<std::recursive_mutex> hold(link.lock());
  if (link.inputCount() <= 0) return false;
  link.sendFeature(FeatureFrame::ReportMask(config.reportMask()));
  return true;
}

void rescanDevice(HidLink& link, MouseConfig& config, RescanTarget& target) {
  config.dpiSyncPending = true;
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
  sendReportMask(link, config);
}
