// The re-scan that follows start-up and every device change: it looks for the
// mouse again, enables the controls that need it, and gives the mouse its
// report mask back.
#pragma once
#include <cstdint>

class HidLink;
class MouseModel;

// What the re-scan does to the window. Called on the re-scan worker.
class RescanTarget {
public:
  virtual ~RescanTarget() = default;
  virtual void enableDpiSlider(bool enable) = 0;
  virtual void enableAssignmentBoxes(bool enable) = 0;
  // The post-scan timer, which sends PostScan once the mouse has settled.
  // Timers belong to the window's thread, so this asks that thread to start it.
  virtual void startPostScanTimer() = 0;
};

// Sends ReportMask built from the model, when the last scan recorded a vendor
// input collection (the mask is what makes the mouse report there). Returns
// whether it was sent.
bool sendReportMask(HidLink& link, const MouseModel& model);

// Slider writes wait for the mouse's next DPI report; the scan runs; the DPI
// slider is disabled, and then either the assignment boxes are disabled (no
// mouse) or the boxes and the slider are enabled, the post-scan timer is
// started and the report mask is sent.
void rescanDevice(HidLink& link, MouseModel& model, RescanTarget& target);
