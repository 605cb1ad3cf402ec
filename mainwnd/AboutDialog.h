// The About box, reached from the main window's system menu.
#pragma once
#include "framework/CDialog.h"
#include "resource.h"

class AboutDialog : public CDialog {
public:
  AboutDialog() : CDialog(IDD_ABOUTBOX) {}

  // Puts "About..." at the end of `window`'s system menu.
  static void addToSystemMenu(HWND window);
  // WM_SYSCOMMAND: true, after the box was shown, for the menu's "About...".
  static bool onSysCommand(WPARAM command);
};
