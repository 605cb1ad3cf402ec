// The utility's icon in the notification area, with its greeting balloon and
// the click rules that open the menu or restore the window.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "framework/CMenu.h"

// Sent by the shell to the window for every mouse event over the icon.
constexpr UINT WM_APP_TRAY_CALLBACK = WM_USER + 100;

class TrayIcon {
public:
  static constexpr UINT kIconId = 1219;
  static constexpr UINT_PTR kMenuTimer = 2;
  static constexpr UINT kSingleClickMenuDelayMs = 500;
  static constexpr UINT kRightClickMenuDelayMs = 10;

  // Adds the icon, brings the window forward and shows the balloon for 3 s.
  void add(HWND window, HICON icon);
  void remove();

  // The shell's "TaskbarCreated" broadcast, sent when it (re)starts and has
  // forgotten every icon. Also lets that message through to a window that
  // runs at a higher integrity level than the shell.
  static UINT taskbarCreatedMessage();
  static void allowTaskbarCreated(HWND window);
  // Puts the icon back after such a restart, without the greeting balloon.
  void addAgain();
  // The tip names the profile in force after the program's name; null or ""
  // gives the plain tip.
  void setProfileName(const wchar_t* profile);

  // The icon's callback (wParam: icon ID, lParam: mouse message). Returns 1
  // for a double-click, which restores the window, else 0.
  LRESULT onCallback(HWND window, WPARAM wParam, LPARAM lParam);
  // Timer 2: the menu at the cursor.
  void onMenuTimer(HWND window, HMENU popup);

  // Brings a hidden or minimised window back to the front.
  static void restoreWindow(HWND window);

  // The menu's two commands get their texts; "Property" is the default
  // (bold) item. Replacing an item's text clears its default state, so the
  // default is set last.
  static void setMenuTexts(HMENU popup, const char* property, const char* exit);

private:
  void copyTip();

  NOTIFYICONDATAW m_data = {};
  std::wstring m_profile;
  bool m_trayDoubleClicked = false;
};

// The notification-area menu (resource 129): a process-wide object, built
// before the main window with the others (app/ProcessObjects_win.cpp).
extern CMenu trayMenu;
