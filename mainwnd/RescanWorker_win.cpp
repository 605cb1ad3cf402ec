#include "mainwnd/RescanWorker.h"

#include <memory>

#include "device/DeviceRescan.h"
#include "device/HidLink.h"
#include "device/MouseModel.h"
#include "framework/CHandle.h"
#include "mainwnd/MainWindowPainter.h"

namespace {

// The worker's view of the window.
class WindowRescanTarget : public RescanTarget {
public:
  explicit WindowRescanTarget(const RescanWindows& windows) : m_windows(windows) {}

  // EnableWindow waits for the window's thread to take WM_ENABLE; the worker
  // holds no lock here, so that thread can always get on.
  void enableDpiSlider(bool enable) override { ::EnableWindow(m_windows.slider, enable); }
  // The DPI levels go with the rows: disabled without the mouse (which is also
  // what a screen reader reads as unavailable), and not for the moment of
  // every re-scan, as the slider is, so that a click on a level is never lost.
  void enableAssignmentBoxes(bool enable) override {
    for (HWND box : m_windows.boxes) ::EnableWindow(box, enable);
    if (m_windows.levels) ::EnableWindow(m_windows.levels, enable);
    // The bottom bar says whether the mouse is there.
    MainWindowPainter::invalidateStateLine(m_windows.window);
  }
  void startPostScanTimer() override { ::PostMessageA(m_windows.window, WM_APP_START_POSTSCAN, 0, 0); }
  HWND window() const { return m_windows.window; }

private:
  RescanWindows m_windows;
};

DWORD WINAPI rescanWorker(LPVOID parameter) {
  std::unique_ptr<WindowRescanTarget> target(static_cast<WindowRescanTarget*>(parameter));
  const MouseSet before = mouseSetOf(hidLink);
  rescanDevice(hidLink, mouseModel, *target);
  noteMouseSet(target->window(), before, mouseSetOf(hidLink));
  return 0;
}

}  // namespace

bool startRescanWorker(const RescanWindows& windows) {
  auto target = std::make_unique<WindowRescanTarget>(windows);
  const CHandle thread(::CreateThread(nullptr, 0, &rescanWorker, target.get(), 0, nullptr));
  if (!thread) return false;
  target.release();  // the worker's now
  return true;
}

void noteMouseSet(HWND mainWindow, const MouseSet& before, const MouseSet& after) {
  if (before != after) ::PostMessageA(mainWindow, WM_APP_MICE_CHANGED, someMouseWent(before, after) ? 1 : 0, 0);
}
