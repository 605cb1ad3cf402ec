#include "mainwnd/TrayIcon.h"

#include <cwchar>
#include <iterator>
#include <string>

#include "resource.h"

namespace {
// Wide, as the profile's name in the tip: a program may be named in any script.
const wchar_t kTip[] = L"Skivol Gaming Mouse v1.01";
const wchar_t kBalloonTitle[] = L"Skivol Gaming Mouse";
constexpr UINT kBalloonTimeoutMs = 3000;

// The shell's library is loaded when the tray icon is first added, which is
// after the window appeared: loading it with the program would hold up the
// start. A shell that cannot be loaded shows no icon, as a shell without a
// notification area would.
BOOL notifyIcon(DWORD message, NOTIFYICONDATAW* data) {
  using NotifyIconProc = BOOL(WINAPI*)(DWORD, NOTIFYICONDATAW*);
  static const NotifyIconProc proc = [] {
    HMODULE shell = ::LoadLibraryA("shell32.dll");
    // Through void*: the address is the function of that name, whatever its
    // declared type.
    void* address = shell ? reinterpret_cast<void*>(::GetProcAddress(shell, "Shell_NotifyIconW")) : nullptr;
    return reinterpret_cast<NotifyIconProc>(address);
  }();
  return proc ? proc(message, data) : FALSE;
}

void copyText(wchar_t* target, size_t size, const wchar_t* text) {
  std::wcsncpy(target, text, size - 1);
  target[size - 1] = '\0';
}
}  // namespace

void TrayIcon::add(HWND window, HICON icon) {
  m_data = {};
  // The record as shells since the balloon era know it (488 bytes).
  m_data.cbSize = NOTIFYICONDATAW_V2_SIZE;
  m_data.hWnd = window;
  m_data.uID = kIconId;
  m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_data.uCallbackMessage = WM_APP_TRAY_CALLBACK;
  m_data.hIcon = icon;
  copyTip();
  notifyIcon(NIM_ADD, &m_data);
  ::SetForegroundWindow(window);

  m_data.uFlags |= NIF_INFO;
  m_data.dwInfoFlags = NIIF_INFO;
  m_data.uTimeout = kBalloonTimeoutMs;
  copyText(m_data.szInfoTitle, std::size(m_data.szInfoTitle), kBalloonTitle);
  copyText(m_data.szInfo, std::size(m_data.szInfo), kTip);
  notifyIcon(NIM_MODIFY, &m_data);
}

UINT TrayIcon::taskbarCreatedMessage() {
  static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
  return message;
}

void TrayIcon::allowTaskbarCreated(HWND window) {
  // Without this, an elevated copy (started by its installer) never hears of
  // the shell's restart.
  ::ChangeWindowMessageFilterEx(window, taskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
}

void TrayIcon::addAgain() {
  if (!m_data.hWnd) return;
  NOTIFYICONDATAW again = m_data;
  again.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  notifyIcon(NIM_ADD, &again);
}

void TrayIcon::copyTip() {
  std::wstring tip = kTip;
  if (!m_profile.empty()) tip = tip + L" - " + m_profile;
  copyText(m_data.szTip, std::size(m_data.szTip), tip.c_str());
}

void TrayIcon::setProfileName(const wchar_t* profile) {
  m_profile = profile ? profile : L"";
  copyTip();
  if (!m_data.hWnd) return;  // added later, with this tip
  NOTIFYICONDATAW tip = m_data;
  tip.uFlags = NIF_TIP;
  notifyIcon(NIM_MODIFY, &tip);
}

void TrayIcon::remove() {
  if (m_data.hWnd) notifyIcon(NIM_DELETE, &m_data);
  m_data.hWnd = nullptr;
}

LRESULT TrayIcon::onCallback(HWND window, WPARAM wParam, LPARAM lParam) {
  if (wParam != kIconId) return 0;
  switch (lParam) {
    case WM_LBUTTONUP:
      // A single click opens the menu after a pause in which a double-click
      // may still come; the button-up that ends a double-click opens nothing.
      if (!m_trayDoubleClicked) ::SetTimer(window, kMenuTimer, kSingleClickMenuDelayMs, nullptr);
      m_trayDoubleClicked = false;
      return 0;
    case WM_LBUTTONDBLCLK:
      restoreWindow(window);
      m_trayDoubleClicked = true;
      ::KillTimer(window, kMenuTimer);
      return 1;
    case WM_RBUTTONUP:
      ::SetTimer(window, kMenuTimer, kRightClickMenuDelayMs, nullptr);
      return 0;
    default:
      return 0;
  }
}

void TrayIcon::onMenuTimer(HWND window, HMENU popup) {
  // The menu's own loop dispatches timer messages too: a timer still running
  // would open the menu again every 10 ms while it is up.
  ::KillTimer(window, kMenuTimer);
  POINT cursor;
  ::GetCursorPos(&cursor);
  // The menu closes when the user clicks elsewhere only if its owner is the
  // foreground window.
  ::SetForegroundWindow(window);
  ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
}

void TrayIcon::restoreWindow(HWND window) {
  ::ShowWindow(window, SW_RESTORE);
  ::BringWindowToTop(window);
  ::SetForegroundWindow(window);
}

void TrayIcon::setMenuTexts(HMENU popup, const char* property, const char* exit) {
  if (!popup) return;
  ::ModifyMenuA(popup, ID_TRAY_PROPERTY, MF_BYCOMMAND | MF_STRING, ID_TRAY_PROPERTY, property);
  ::ModifyMenuA(popup, ID_TRAY_EXIT, MF_BYCOMMAND | MF_STRING, ID_TRAY_EXIT, exit);
  ::SetMenuDefaultItem(popup, ID_TRAY_PROPERTY, FALSE);
}
