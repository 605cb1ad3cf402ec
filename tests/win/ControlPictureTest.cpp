// The pictures the skinned controls keep between paints: a kept picture is
// shown only while nothing it depends on has changed, and a change of state,
// caption, selection or shortcut shows at the next paint.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "controls/SkinButton.h"
#include "controls/SkinComboBox.h"
#include "device/MouseConfig.h"
#include "framework/CDialog.h"
#include "framework/GdiObjects.h"
#include "resource.h"

namespace {

HBITMAP skinBitmap(UINT id) {
  return static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
}

// The pixels a picture holds now.
std::vector<uint32_t> pixels(HDC picture, SIZE size) {
  EXPECT_NE(picture, nullptr);
  std::vector<uint32_t> result(static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy));
  if (!picture) return result;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  GdiObject<HBITMAP> copy(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  MemoryDC dc(picture, copy);
  ::BitBlt(dc, 0, 0, size.cx, size.cy, picture, 0, 0, SRCCOPY);
  ::GdiFlush();
  std::copy_n(static_cast<const uint32_t*>(bits), result.size(), result.begin());
  return result;
}

bool hasColour(const std::vector<uint32_t>& image, COLORREF colour) {
  const uint32_t rgb = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
  for (uint32_t pixel : image)
    if ((pixel & 0xFFFFFF) == rgb) return true;
  return false;
}

class ControlsHost : public CDialog {
public:
  ControlsHost() : CDialog(IDD_MAIN) {}
  SkinButton button;
  SkinComboBox combo;

protected:
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, IDC_DEFAULT, button);
    DDX_Control(dx, IDC_COMBO_RIGHT, combo);
  }
};

class ControlPictureTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(host.Create(IDD_MAIN));
    backdrop.reset(skinBitmap(IDB_SKIN));
    for (UINT id : {IDB_DEFAULT_NORMAL, IDB_DEFAULT_HOVER, IDB_DEFAULT_PRESSED, IDB_COMBO_FRAME, IDB_COMBO_ARROW,
                    IDB_COMBO_ARROW_HOVER, IDB_COMBO_ARROW_DISABLED})
      bitmaps.emplace_back(skinBitmap(id));
  }
  void TearDown() override {
    host.DestroyWindow();
    for (HBITMAP bitmap : bitmaps) ::DeleteObject(bitmap);
  }

  ControlsHost host;
  GdiObject<HBITMAP> backdrop;
  std::vector<HBITMAP> bitmaps;
};

TEST_F(ControlPictureTest, ButtonPictureFollowsStateAndCaption) {
  SkinButton& button = host.button;
  EXPECT_EQ(button.picture(), nullptr);  // not skinned yet
  const HBITMAP set[5] = {bitmaps[0], bitmaps[1], bitmaps[2], bitmaps[0], bitmaps[0]};
  button.SetWindowText("Default");
  button.setSkin(set, backdrop, 1, nullptr);
  const SIZE size = button.shownSize();

  const std::vector<uint32_t> normal = pixels(button.picture(), size);
  EXPECT_EQ(pixels(button.picture(), size), normal);
  button.m_hovering = true;
  const std::vector<uint32_t> hovered = pixels(button.picture(), size);
  EXPECT_NE(hovered, normal);
  button.m_pressed = true;
  const std::vector<uint32_t> pressed = pixels(button.picture(), size);
  EXPECT_NE(pressed, hovered);
  EXPECT_TRUE(hasColour(pressed, RGB(255, 255, 255)));  // the caption turns white
  button.EnableWindow(FALSE);  // disabled: the normal face, dark caption
  EXPECT_EQ(pixels(button.picture(), size), normal);
  button.EnableWindow(TRUE);
  button.m_pressed = button.m_hovering = false;
  EXPECT_EQ(pixels(button.picture(), size), normal);

  // A new caption shows; one too long for the face is made smaller to fit,
  // and the first comes back as it was.
  button.SetWindowText("Standardeinstellungen");
  const std::vector<uint32_t> longer = pixels(button.picture(), size);
  EXPECT_NE(longer, normal);
  button.SetWindowText("Default");
  EXPECT_EQ(pixels(button.picture(), size), normal);
  // The long caption fitted after the short one looks as it does on a button
  // that had it from the start.
  ControlsHost fresh;
  ASSERT_TRUE(fresh.Create(IDD_MAIN));
  fresh.button.SetWindowText("Standardeinstellungen");
  fresh.button.setSkin(set, backdrop, 1, nullptr);
  EXPECT_EQ(pixels(fresh.button.picture(), size), longer);
  fresh.DestroyWindow();
}

TEST_F(ControlPictureTest, ComboPictureFollowsSelectionFocusEnableAndHover) {
  SkinComboBox& combo = host.combo;
  ::SetFocus(host.button.m_hWnd);
  EXPECT_EQ(combo.picture(), nullptr);
  combo.SetItemData(combo.AddString("Left Button"), ButtonFunction::LeftButton);
  combo.SetItemData(combo.AddString("Wheel Button"), ButtonFunction::WheelButton);
  const HBITMAP set[4] = {bitmaps[3], bitmaps[4], bitmaps[5], bitmaps[6]};
  combo.setSkin(set, backdrop);
  const SIZE size = combo.shownSize();
  combo.SetCurSel(0);

  const std::vector<uint32_t> first = pixels(combo.picture(), size);
  combo.SetCurSel(1);
  const std::vector<uint32_t> second = pixels(combo.picture(), size);
  EXPECT_NE(second, first);
  combo.m_hovering = true;
  EXPECT_NE(pixels(combo.picture(), size), second);
  combo.m_hovering = false;
  EXPECT_EQ(pixels(combo.picture(), size), second);
  ::SetFocus(combo.m_hWnd);
  EXPECT_NE(pixels(combo.picture(), size), second);
  ::SetFocus(host.button.m_hWnd);
  EXPECT_EQ(pixels(combo.picture(), size), second);
  combo.EnableWindow(FALSE);
  const std::vector<uint32_t> disabled = pixels(combo.picture(), size);
  EXPECT_NE(disabled, second);
  const COLORREF disabledText = RGB(0x8C, 0x8C, 0x8C);
  EXPECT_TRUE(hasColour(disabled, disabledText));
  EXPECT_FALSE(hasColour(second, disabledText));
  combo.EnableWindow(TRUE);
  combo.SetCurSel(0);
  EXPECT_EQ(pixels(combo.picture(), size), first);

  // What the owner says the field shows, and the row's shortcut it may
  // depend on, show at the next paint too.
  combo.setFieldText([](const SkinComboBox& box, int item) {
    return box.m_scanCode ? CString("Ctrl + A") : box.GetLBText(item);
  });
  EXPECT_EQ(pixels(combo.picture(), size), first);
  combo.setShortcut(0x1E, 0x01);
  EXPECT_NE(pixels(combo.picture(), size), first);
  combo.setShortcut(0, 0);
  EXPECT_EQ(pixels(combo.picture(), size), first);
}

}  // namespace
