// A menu loaded from a resource; the menu lives until the object goes.
#pragma once
#include <windows.h>

class CMenu {
public:
  CMenu() = default;
  ~CMenu();
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  BOOL LoadMenu(UINT resourceId);
  HMENU GetSafeHmenu() const { return m_hMenu; }
  HMENU GetSubMenu(int position) const { return ::GetSubMenu(m_hMenu, position); }

  HMENU m_hMenu = nullptr;
};
