// What the program shows outside its window: the icon in the notification
// area with its menu (the window routes the menu's commands), and the DPI
// notice that shows a level chosen with the mouse's own DPI button.
#pragma once
#include <windows.h>

#include "mainwnd/DpiNotice.h"
#include "mainwnd/TrayIcon.h"

class CWnd;
class Skin;

class TraySide {
public:
  // The notice takes its look from `skin`, the icon from its tray icons.
  TraySide(CWnd& window, const Skin& skin) : m_window(window), m_skin(skin), m_notice(skin) {}

  // The menu in the window's language, with "Show DPI on screen" as the
  // user left it; the shell's restart may reach the window from here on.
  void setUpMenu();
  // Adds the icon, once the window is on the screen.
  void addIcon();
  void removeIcon() { m_icon.remove(); }
  // A registered message: the shell restarted and lost the icon.
  void onRegisteredMessage(UINT message);
  LRESULT onCallback(WPARAM wParam, LPARAM lParam);
  void onMenuTimer();
  // The menu's "Show DPI on screen".
  void toggleDpiNotice();

  void showDpiChoice(int level, int step) { m_notice.show(level, step); }
  // The tip names the program whose profile is in force (null: none).
  void showProfileInForce(const wchar_t* program) { m_icon.setProfileName(program); }

private:
  CWnd& m_window;
  const Skin& m_skin;
  TrayIcon m_icon;
  DpiNotice m_notice;
};
