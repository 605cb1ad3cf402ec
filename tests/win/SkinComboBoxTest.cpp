// The assignment combo box: its copy of the selection, the text its field
// shows, and how its list items are drawn.
#include <gtest/gtest.h>

#include <set>

#include "mainwnd/MainDialog.h"
#include "controls/Shortcut.h"
#include "controls/SkinComboBox.h"
#include "device/MouseConfig.h"
#include "framework/CDialog.h"
#include "framework/GdiObjects.h"
#include "resource.h"

namespace {

// The main window's template with one combo box bound, created hidden.
class ComboHost : public CDialog {
public:
  ComboHost() : CDialog(IDD_MAIN) {}
  SkinComboBox combo;

protected:
  void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_COMBO_RIGHT, combo); }
};

class SkinComboBoxTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(host.Create(IDD_MAIN));
    const char* items[] = {"Left Button", "Right Button", "Wheel Button", "Shortcuts"};
    const int32_t codes[] = {ButtonFunction::LeftButton, ButtonFunction::Native, ButtonFunction::WheelButton,
                             ButtonFunction::KeyShortcut};
    for (int i = 0; i < 4; ++i) combo().SetItemData(combo().AddString(items[i]), static_cast<DWORD_PTR>(codes[i]));
    combo().setFieldText(&AssignmentRows::fieldText);  // as the main window does
  }
  void TearDown() override { host.DestroyWindow(); }
  SkinComboBox& combo() { return host.combo; }

  // Draws one list item into a white 200 x 20 picture and returns the colours
  // found in it.
  std::set<COLORREF> drawListItem(int index, UINT state) {
    HDC screen = ::GetDC(nullptr);
    GdiObject<HBITMAP> picture(::CreateCompatibleBitmap(screen, kWidth, kHeight));
    std::set<COLORREF> colours;
    {
      MemoryDC dc(screen, picture);
      RECT all = {0, 0, kWidth, kHeight};
      ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
      DRAWITEMSTRUCT item = {};
      item.CtlType = ODT_COMBOBOX;
      item.CtlID = IDC_COMBO_RIGHT;
      item.itemID = static_cast<UINT>(index);
      item.itemAction = ODA_DRAWENTIRE;
      item.itemState = state;
      item.hwndItem = combo().m_hWnd;
      item.hDC = dc;
      item.rcItem = all;
      LRESULT result = 0;
      EXPECT_TRUE(SkinComboBox::reflectDrawItem(IDC_COMBO_RIGHT, reinterpret_cast<LPARAM>(&item), result));
      for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) colours.insert(::GetPixel(dc, x, y));
    }
    ::ReleaseDC(nullptr, screen);
    return colours;
  }

  static constexpr int kWidth = 200;
  static constexpr int kHeight = 20;
  ComboHost host;
};

TEST_F(SkinComboBoxTest, KeepsACopyOfEverySelectionRequest) {
  EXPECT_EQ(combo().m_selectedIndex, 0);
  combo().SetCurSel(2);
  EXPECT_EQ(combo().m_selectedIndex, 2);
  EXPECT_EQ(combo().selectionText(), "Wheel Button");
  combo().SetCurSel(-1);
  EXPECT_EQ(combo().m_selectedIndex, -1);
  EXPECT_EQ(combo().selectionText(), "");

  // The shortcut item shows the shortcut's name.
  combo().setShortcut(0x1E, 0x01);
  combo().SetCurSel(3);
  EXPECT_EQ(combo().selectionText(), shortcutName(0x1E, 0x01));
  EXPECT_EQ(combo().selectionText().Left(7), "Ctrl + ");
  EXPECT_GT(combo().selectionText().GetLength(), 7);
  // The copy changes with the row's shortcut.
  combo().setShortcut(0x2E, 0x02);
  EXPECT_EQ(combo().selectionText(), shortcutName(0x2E, 0x02));
}

TEST_F(SkinComboBoxTest, CurrentItemIsRedEvenWhileAnotherIsHighlighted) {
  combo().SetCurSel(1);
  const COLORREF red = RGB(255, 0, 0), white = RGB(255, 255, 255), grey = RGB(128, 128, 128);

  const std::set<COLORREF> current = drawListItem(1, 0);
  EXPECT_TRUE(current.count(red));
  EXPECT_TRUE(current.count(white));

  const std::set<COLORREF> highlighted = drawListItem(2, ODS_SELECTED);
  EXPECT_FALSE(highlighted.count(red));
  EXPECT_TRUE(highlighted.count(grey));  // the grey brush behind dark text
  EXPECT_FALSE(highlighted.count(white));

  const std::set<COLORREF> plain = drawListItem(0, 0);
  EXPECT_FALSE(plain.count(red));
  EXPECT_TRUE(plain.count(white));
  EXPECT_TRUE(plain.count(grey));  // grey text
  // Every pixel of the item is painted: nothing of the black beneath is left.
  EXPECT_FALSE(plain.count(RGB(0, 0, 0)));
}

TEST_F(SkinComboBoxTest, OnlySkinComboBoxesTakeReflectedDrawing) {
  DRAWITEMSTRUCT item = {};
  item.CtlType = ODT_BUTTON;
  item.hwndItem = host.GetDlgItem(IDC_DEFAULT);
  LRESULT result = 0;
  EXPECT_FALSE(SkinComboBox::reflectDrawItem(IDC_DEFAULT, reinterpret_cast<LPARAM>(&item), result));
  item.CtlType = ODT_COMBOBOX;
  item.hwndItem = host.GetDlgItem(IDC_COMBO_WHEEL);  // a combo box without an object
  EXPECT_FALSE(SkinComboBox::reflectDrawItem(IDC_COMBO_WHEEL, reinterpret_cast<LPARAM>(&item), result));
}

}  // namespace
