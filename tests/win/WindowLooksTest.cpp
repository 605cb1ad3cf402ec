// What the user sees of the texts and cursors: the tray menu's bold default
// item, the About box's own (non-ASCII) texts, and a hand cursor that stays
// on the skinned controls.
#include <gtest/gtest.h>

#include "mainwnd/AboutDialog.h"
#include "app/ProcessObjects.h"
#include "controls/MouseTracking.h"
#include "controls/SkinButton.h"
#include "mainwnd/TrayIcon.h"
#include "resource.h"

namespace {

std::wstring menuText(HMENU menu, UINT command) {
  wchar_t text[64] = {};
  ::GetMenuStringW(menu, command, text, 64, MF_BYCOMMAND);
  return text;
}

TEST(TrayMenu, PropertyStaysTheDefaultItemAfterItsTextIsReplaced) {
  HMENU menu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAYMENU));
  ASSERT_NE(menu, nullptr);
  HMENU popup = ::GetSubMenu(menu, 0);
  TrayIcon::setMenuTexts(popup, "Eigenschaften", "Beenden");
  EXPECT_EQ(::GetMenuDefaultItem(popup, FALSE, 0), static_cast<UINT>(ID_TRAY_PROPERTY));
  EXPECT_EQ(menuText(popup, ID_TRAY_PROPERTY), L"Eigenschaften");
  EXPECT_EQ(menuText(popup, ID_TRAY_EXIT), L"Beenden");
  ::DestroyMenu(menu);
}

TEST(AboutBox, ShowsItsChineseTextsAsTheTemplateHoldsThem) {
  AboutDialog about;
  ASSERT_TRUE(about.Create(IDD_ABOUTBOX));
  wchar_t text[64] = {};
  ::GetWindowTextW(about.m_hWnd, text, 64);
  EXPECT_STREQ(text, L"\u95dc\u65bc Pelmor_Oxar");
  ::GetDlgItemTextW(about.m_hWnd, IDOK, text, 64);
  EXPECT_STREQ(text, L"\u78ba\u5b9a");
  about.DestroyWindow();
}

class ButtonHost : public CDialog {
public:
  ButtonHost() : CDialog(IDD_MAIN) {}
  SkinButton button;

protected:
  void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_DEFAULT, button); }
};

TEST(HandCursor, ShowsOverASkinnedButtonAndLeavesTheButtonClassAlone) {
  ButtonHost host;
  ASSERT_TRUE(host.Create(IDD_MAIN));
  HWND button = host.button.m_hWnd;
  const LONG_PTR classCursor = ::GetClassLongPtrA(button, GCLP_HCURSOR);

  MSG move = {};
  move.hwnd = button;
  move.message = WM_MOUSEMOVE;
  move.lParam = MAKELPARAM(5, 5);
  host.button.PreTranslateMessage(&move);
  EXPECT_EQ(::GetClassLongPtrA(button, GCLP_HCURSOR), classCursor);

  EXPECT_TRUE(::SendMessageA(button, WM_SETCURSOR, reinterpret_cast<WPARAM>(button), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(::GetCursor(), handCursor());
  host.DestroyWindow();
}

}  // namespace
