#include "mainwnd/AboutDialog.h"

#include "framework/CWinApp.h"

void AboutDialog::addToSystemMenu(HWND window) {
  if (HMENU systemMenu = ::GetSystemMenu(window, FALSE)) {
    // Wide: the entry's text is not in every ANSI code page.
    wchar_t about[256] = {};
    if (::LoadStringW(AfxGetInstanceHandle(), IDS_ABOUTBOX, about, sizeof about / sizeof about[0]) > 0) {
      ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
      ::AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, about);
    }
  }
}

bool AboutDialog::onSysCommand(WPARAM command) {
  if ((command & 0xFFF0) != IDM_ABOUTBOX) return false;
  AboutDialog about;
  about.DoModal();
  return true;
}
