#include "mainwnd/TraySide.h"

#include "controls/Skin.h"
#include "framework/CWnd.h"
#include "texts/UiTexts.h"
#include "resource.h"

void TraySide::setUpMenu() {
  trayMenu.LoadMenu(IDR_TRAYMENU);
  TrayIcon::setMenuTexts(trayMenu.GetSubMenu(0), uiTexts[UiText::Property], uiTexts[UiText::Exit]);
  m_notice.addMenuItem(trayMenu.GetSubMenu(0), uiTexts[UiText::ShowDpiOnScreen]);
  TrayIcon::allowTaskbarCreated(m_window.m_hWnd);
}

void TraySide::addIcon() { m_icon.add(m_window.m_hWnd, m_skin.trayIcons[0]); }

void TraySide::onRegisteredMessage(UINT message) {
  if (message == TrayIcon::taskbarCreatedMessage()) m_icon.addAgain();
}

LRESULT TraySide::onCallback(WPARAM wParam, LPARAM lParam) { return m_icon.onCallback(m_window.m_hWnd, wParam, lParam); }

void TraySide::onMenuTimer() { m_icon.onMenuTimer(m_window.m_hWnd, trayMenu.GetSubMenu(0)); }

void TraySide::toggleDpiNotice() { m_notice.toggle(trayMenu.GetSubMenu(0)); }
