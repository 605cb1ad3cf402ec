#include "mainwnd/MouseSearch.h"

#include "device/FeatureFrame.h"
#include "device/HidLink.h"
#include "framework/CWnd.h"
#include "mainwnd/DpiPanel.h"
#include "mainwnd/MouseInput.h"

void MouseSearch::start() { m_window.SetTimer(kRescanTimer, kFirstRescanDelayMs); }

void MouseSearch::now() {
  // A mouse that lost power meanwhile reports its power-on steps until the
  // search gives it the file's.
  m_input.devicesChanged();
  // A search already due stays due: the system may tell of a mouse's
  // interfaces one by one, and this call may come before the last of them.
  // After sleep the mouse may be back at other handles without the system
  // having said.
  hidLink.markDeviceSetChanged();
  startWorker();
}

void MouseSearch::onDeviceNodesChanged() {
  // Until the search, transfers look for the mouse afresh, as it may have
  // moved.
  hidLink.markDeviceSetChanged();
  m_input.devicesChanged();
  m_window.KillTimer(kRescanTimer);
  m_window.SetTimer(kRescanTimer, kRescanAfterChangeMs);
}

void MouseSearch::onInputDeviceChange(WPARAM change, HANDLE device) {
  // Transfers look for the mouse's interfaces afresh.
  hidLink.markDeviceSetChanged();
  // A mouse that came has its power-on report mask and DPI steps: it gets
  // the settings' as soon as it can take them, not after the burst's wait.
  if (m_input.onDeviceChange(change, device)) startWorker();
}

void MouseSearch::onMouseFound() {
  // The mouse may have come back at its power-on DPI steps. The settings'
  // steps change only when the user changes them: the mouse gets them back
  // before PostScan asks for its state.
  m_dpi.restoreSteps();
  m_input.dpiStepsRestored();
  m_window.SetTimer(kPostScanTimer, kPostScanDelayMs);
}

void MouseSearch::onMiceChanged(bool someWent) { m_input.keepOnlyPresentMice(someWent); }

bool MouseSearch::onTimer(UINT_PTR id) {
  // Each acts once per start.
  switch (id) {
    case kRescanTimer:
      m_window.KillTimer(kRescanTimer);
      startWorker();
      return true;
    case kPostScanTimer:
      m_window.KillTimer(kPostScanTimer);
      hidLink.sendFeature(FeatureFrame::PostScan());
      return true;
    default:
      return false;
  }
}

void MouseSearch::startWorker() { ::startRescanWorker(m_windows.rescanWindows()); }
