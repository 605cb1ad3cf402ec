#include "mainwnd/MouseTurn.h"

#include <wtsapi32.h>

#include <cstring>
#include <mutex>

#include "device/FeatureFrame.h"
#include "device/HidLink.h"
#include "device/MouseModel.h"
#include "framework/CWinApp.h"
#include "input/RawInputApi.h"
#include "input/Seams.h"

namespace {
// The console display's state (GUID_CONSOLE_DISPLAY_STATE), here so that no
// GUID needs defining by the headers: 0 off, 1 on, 2 dimmed.
const GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr DWORD kDisplayOff = 0;
}  // namespace

void MouseTurn::decide() {
  m_access = MouseAccess(systemSessions().onConsole());
  hidLink.setQuiet(!m_access.mayTalk());
}

void MouseTurn::startReadingInput() {
  if (m_access.onConsole()) registerRawInput();
}

void MouseTurn::watch() {
  // Both may be missing (an old system, a service-less one); the window then
  // hears only of sleep, which every system tells every window.
  m_sessionNotices = ::WTSRegisterSessionNotification(m_parent.m_hWnd, NOTIFY_FOR_THIS_SESSION) != FALSE;
  m_displayNotice =
      ::RegisterPowerSettingNotification(m_parent.m_hWnd, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void MouseTurn::stopWatching() {
  if (m_sessionNotices) ::WTSUnRegisterSessionNotification(m_parent.m_hWnd);
  if (m_displayNotice) ::UnregisterPowerSettingNotification(m_displayNotice);
  m_sessionNotices = false;
  m_displayNotice = nullptr;
}

LRESULT MouseTurn::onPowerBroadcast(WPARAM event, LPARAM setting) {
  switch (event) {
    case PBT_APMSUSPEND:
      onEvent(SessionEvent::Suspend);
      break;
    case PBT_APMRESUMEAUTOMATIC:
    case PBT_APMRESUMESUSPEND:
      onEvent(SessionEvent::Resume);
      break;
    case PBT_POWERSETTINGCHANGE: {
      const auto* changed = reinterpret_cast<const POWERBROADCAST_SETTING*>(setting);
      if (!changed || !::IsEqualGUID(changed->PowerSetting, kConsoleDisplayState) ||
          changed->DataLength < sizeof(DWORD))
        break;
      DWORD state = 0;
      std::memcpy(&state, changed->Data, sizeof(state));
      onEvent(state == kDisplayOff ? SessionEvent::DisplayOff : SessionEvent::DisplayOn);
      break;
    }
    default:
      break;
  }
  return TRUE;
}

void MouseTurn::onSessionChange(WPARAM event) {
  // Registered for this session's events only: each is about this copy.
  switch (event) {
    case WTS_SESSION_LOCK:
      onEvent(SessionEvent::Lock);
      break;
    case WTS_SESSION_UNLOCK:
      onEvent(SessionEvent::Unlock);
      break;
    case WTS_CONSOLE_CONNECT:
      onEvent(SessionEvent::ConsoleConnect);
      break;
    case WTS_CONSOLE_DISCONNECT:
      onEvent(SessionEvent::ConsoleDisconnect);
      break;
    case WTS_REMOTE_DISCONNECT:
      onEvent(SessionEvent::RemoteDisconnect);
      break;
    default:
      break;
  }
}

void MouseTurn::onEvent(SessionEvent event) {
  // Once the exit has handed the buttons back, nothing more goes out.
  if (mouseModel.exitRequested()) return;
  const MouseAction action = m_access.onEvent(event);
  if (action == MouseAction::LetGo) letGo();
  // The mouse's input belongs to the copy at the console.
  if (!m_access.onConsole()) unregisterRawInput();
  if (action != MouseAction::GiveBack) return;
  hidLink.setQuiet(false);
  if (!m_rawInputRegistered) registerRawInput();
  m_window.mouseGivenBack();
}

void MouseTurn::letGo() {
  m_window.releaseHeldInput();
  {
    std::lock_guard<std::recursive_mutex> hold(hidLink.lock());
    if (hidLink.inputCount() > 0) hidLink.sendFeature(FeatureFrame::ReportMask(0));
  }
  hidLink.setQuiet(true);
}

void MouseTurn::registerRawInput() {
  // The mouse's vendor collection, also while the window is hidden or in the
  // background.
  RAWINPUTDEVICE device = {};
  device.usUsagePage = MouseIdentity::InputUsagePage;
  device.usUsage = MouseIdentity::InputUsage;
  // Told when a device comes or goes (WM_INPUT_DEVICE_CHANGE), so that what
  // a mouse held goes with it at once. A system without that notice still
  // gets the reports.
  device.dwFlags = RIDEV_INPUTSINK | RIDEV_DEVNOTIFY;
  device.hwndTarget = m_parent.m_hWnd;
  bool registered = systemRawInput().registerDevices(&device, 1, sizeof(device));
  if (!registered) {
    device.dwFlags = RIDEV_INPUTSINK;
    registered = systemRawInput().registerDevices(&device, 1, sizeof(device));
  }
  m_rawInputRegistered = registered;
  if (!registered) {
    // The window still works; only the remapped buttons will do nothing.
    CWinApp* app = AfxGetApp();
    ::MessageBoxA(m_parent.m_hWnd, "error", app ? app->m_appName.c_str() : nullptr, MB_OK);
  }
}

void MouseTurn::unregisterRawInput() {
  if (!m_rawInputRegistered) return;
  RAWINPUTDEVICE device = {};
  device.usUsagePage = MouseIdentity::InputUsagePage;
  device.usUsage = MouseIdentity::InputUsage;
  device.dwFlags = RIDEV_REMOVE;
  systemRawInput().registerDevices(&device, 1, sizeof(device));
  m_rawInputRegistered = false;
}
