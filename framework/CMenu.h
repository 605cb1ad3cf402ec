// A menu owned by the object: loaded from a resource or made empty as a
// pop-up; the menu lives until the object goes. A menu the code only borrows
// (a submenu, the window's system menu) stays a raw HMENU.
#pragma once
#include <windows.h>

class CMenu {
public:
  CMenu() = default;
  ~CMenu();
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  // Each replaces (destroys) the menu held before.
  BOOL LoadMenu(UINT resourceId);
  BOOL CreatePopupMenu();
  void DestroyMenu();

  HMENU GetSafeHmenu() const { return m_hMenu; }
  operator HMENU() const { return m_hMenu; }
  HMENU GetSubMenu(int position) const { return ::GetSubMenu(m_hMenu, position); }

  HMENU m_hMenu = nullptr;
};
