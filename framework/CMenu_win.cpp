#include "framework/CMenu.h"

#include "framework/CWinApp.h"

CMenu::~CMenu() {
  if (m_hMenu) ::DestroyMenu(m_hMenu);
}

BOOL CMenu::LoadMenu(UINT resourceId) {
  if (m_hMenu) ::DestroyMenu(m_hMenu);
  m_hMenu = ::LoadMenuA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(resourceId));
  return m_hMenu != nullptr;
}
