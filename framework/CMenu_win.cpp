#include "framework/CMenu.h"

#include "framework/CWinApp.h"

CMenu::~CMenu() { DestroyMenu(); }

void CMenu::DestroyMenu() {
  if (m_hMenu) ::DestroyMenu(m_hMenu);
  m_hMenu = nullptr;
}

BOOL CMenu::LoadMenu(UINT resourceId) {
  DestroyMenu();
  m_hMenu = ::LoadMenuA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(resourceId));
  return m_hMenu != nullptr;
}

BOOL CMenu::CreatePopupMenu() {
  DestroyMenu();
  m_hMenu = ::CreatePopupMenu();
  return m_hMenu != nullptr;
}
