#include "mainwnd/MainWindowPainter.h"

#include <cstdio>
#include <string>

#include "controls/Skin.h"
#include "controls/SkinButton.h"
#include "controls/SkinComboBox.h"
#include "controls/SkinSlider.h"
#include "device/HidLink.h"
#include "device/MouseModel.h"
#include "framework/GdiObjects.h"
#include "mainwnd/DpiLayout.h"
#include "mainwnd/MainWindowLayout.h"
#include "mainwnd/PaintedWindow.h"
#include "texts/UiTexts.h"

namespace {

constexpr POINT kButtonsHeading = {26, 99};
constexpr POINT kDpiHeading = {26, 321};
constexpr SIZE kHeadingSize = {353, 22};
constexpr POINT kVersionText = {26, 464};
const char kVersion[] = "Ver. 1.01 ,  HW. 1.0";
// The connection state follows the version text on the bottom bar, up to the
// profile box.
constexpr int kStateLineGap = 24;
constexpr RECT kStateLineArea = {kVersionText.x, kVersionText.y - 2, kProfileBoxPos.x - 8, kVersionText.y + 18};

void drawText(HDC dc, int x, int y, const char* text) { ::TextOutA(dc, x, y, text, lstrlenA(text)); }

void drawHeading(HDC target, HBITMAP heading, POINT at) {
  if (!heading) return;
  MemoryDC source(target, heading);
  ::BitBlt(target, at.x, at.y, kHeadingSize.cx, kHeadingSize.cy, source, 0, 0, SRCCOPY);
}

// Bottom-bar text as the version text is drawn (grey with a black shadow one
// pixel to the right), ending with "..." where it would leave `area`.
void drawBarText(HDC dc, RECT area, const char* text) {
  constexpr UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
  ::SetTextColor(dc, RGB(0, 0, 0));
  RECT shadow = area;
  ::OffsetRect(&shadow, 1, 0);
  ::DrawTextA(dc, text, -1, &shadow, format);
  ::SetTextColor(dc, RGB(0x7A, 0x7A, 0x7A));
  ::DrawTextA(dc, text, -1, &area, format);
}

// The version text, and beside it, while no mouse is found, the reason why
// every control is disabled, or that the last save failed. `dc` has the bar's
// font selected.
void drawBottomBar(HDC dc, const char* stateText) {
  ::SetTextColor(dc, RGB(0, 0, 0));
  drawText(dc, kVersionText.x + 1, kVersionText.y, kVersion);
  ::SetTextColor(dc, RGB(0x7A, 0x7A, 0x7A));
  drawText(dc, kVersionText.x, kVersionText.y, kVersion);
  if (!stateText) return;
  drawBarText(dc, MainWindowPainter::stateLineArea(dc), stateText);
}

// White text with a one-pixel black shadow to the right and below.
void drawShadowedLabel(HDC dc, int x, int y, const char* text) {
  ::SetTextColor(dc, RGB(0, 0, 0));
  drawText(dc, x + 1, y + 1, text);
  drawText(dc, x, y + 1, text);
  drawText(dc, x + 1, y, text);
  ::SetTextColor(dc, RGB(255, 255, 255));
  drawText(dc, x, y, text);
}

// The keyboard focus: a rounded outline in the skin's accent colour around
// the control, on the skin beside it (the controls cover their own area).
void drawFocusRing(HDC dc, const RECT& ring) {
  constexpr int kPenWidth = 2;
  constexpr int kCorner = 8;
  GdiObject<HPEN> pen(::CreatePen(PS_INSIDEFRAME, kPenWidth, kSkinAccent));
  ScopedSelect selectPen(dc, pen);
  ScopedSelect hollow(dc, ::GetStockObject(NULL_BRUSH));
  ::RoundRect(dc, ring.left, ring.top, ring.right, ring.bottom, kCorner, kCorner);
}

// The skinned controls this paint covers whole are drawn into it, each as its
// own paint would show it, and marked painted. A repaint of the whole window
// (shown, uncovered, or redrawn with its controls) then reaches the screen in
// this one paint instead of one paint per control, each of which costs the
// system more than its drawing. A control the paint covers only in part
// paints itself, as it does when it alone changes. The window does not clip
// its controls, so whatever it paints over a control the control has to show
// again: either here or in its own paint.
class ControlsAlong {
public:
  ControlsAlong(HWND window, HDC dc) : m_window(window), m_dc(dc), m_painted(::CreateRectRgn(0, 0, 0, 0)) {
    // What this paint reaches, in screen coordinates.
    if (::GetRandomRgn(dc, m_painted, SYSRGN) != 1) m_painted.reset(nullptr);
  }

  template <typename Control>
  void paint(Control& control) {
    if (!m_painted.get() || !control.m_hWnd || !::IsWindowVisible(control.m_hWnd)) return;
    const SIZE size = control.shownSize();
    POINT onScreen = {0, 0};
    ::ClientToScreen(control.m_hWnd, &onScreen);
    GdiObject<HRGN> shown(::CreateRectRgn(onScreen.x, onScreen.y, onScreen.x + size.cx, onScreen.y + size.cy));
    if (::CombineRgn(shown, shown, m_painted, RGN_DIFF) != NULLREGION) return;
    POINT at = {0, 0};
    ::MapWindowPoints(control.m_hWnd, m_window, &at, 1);
    if (control.drawInto(m_dc, at)) ::ValidateRect(control.m_hWnd, nullptr);  // else not skinned yet
  }

  // A window that draws nothing of its own, wholly within this paint, is
  // painted by it.
  void passOver(HWND window) {
    if (!m_painted.get() || !window || !::IsWindowVisible(window)) return;
    RECT onScreen;
    ::GetWindowRect(window, &onScreen);
    GdiObject<HRGN> shown(::CreateRectRgnIndirect(&onScreen));
    if (::CombineRgn(shown, shown, m_painted, RGN_DIFF) == NULLREGION) ::ValidateRect(window, nullptr);
  }

private:
  HWND m_window;
  HDC m_dc;
  GdiObject<HRGN> m_painted;
};

}  // namespace

bool MainWindowPainter::Composition::operator==(const Composition& o) const {
  if (valid != o.valid || width != o.width || height != o.height || buttonsHeading != o.buttonsHeading ||
      dpiHeading != o.dpiHeading || numberOrigin.x != o.numberOrigin.x || numberOrigin.y != o.numberOrigin.y ||
      sliderPos != o.sliderPos || dpiLevel != o.dpiLevel || mouseMissing != o.mouseMissing ||
      settingsUnsaved != o.settingsUnsaved || !::EqualRect(&focusRing, &o.focusRing) ||
      profileNotice != o.profileNotice)
    return false;
  for (int row = 0; row < 4; ++row)
    if (labels[row] != o.labels[row]) return false;
  return true;
}

MainWindowPainter::Composition MainWindowPainter::currentComposition(const PaintedWindow& window) {
  Composition now;
  now.valid = true;
  const SIZE size = window.skin().size;
  now.width = size.cx;
  now.height = size.cy;
  now.buttonsHeading = window.buttonsHeading();
  now.dpiHeading = window.dpiHeading();
  now.numberOrigin = window.dpiNumberOrigin();
  now.sliderPos = window.dpiSliderPos();
  now.dpiLevel = mouseModel.config().dpiLevel;
  for (int row = 0; row < 4; ++row) {
    const char* label = window.rowLabel(row);
    now.labels[row] = label ? label : "";
  }
  now.mouseMissing = hidLink.presentCount() == 0;
  now.settingsUnsaved = window.settingsUnsaved();
  now.focusRing = window.focusRing();
  now.profileNotice = window.profileNotice();
  return now;
}

void MainWindowPainter::compose(HDC reference, const PaintedWindow& window, const Composition& what) {
  const Skin& skin = window.skin();
  MemoryDC back(reference, skin.skinBackdrop);
  {
    MemoryDC clean(reference, skin.backgroundBitmap);
    ::BitBlt(back, 0, 0, what.width, what.height, clean, 0, 0, SRCCOPY);
  }
  ::SetBkMode(back, TRANSPARENT);

  drawHeading(back, what.buttonsHeading, kButtonsHeading);
  drawHeading(back, what.dpiHeading, kDpiHeading);

  ScopedSelect font16(back, skin.fontTahoma16);
  char number[16];
  std::snprintf(number, sizeof number, "%d", 400 * (what.sliderPos + 1));
  ::SetTextColor(back, RGB(255, 255, 255));
  drawText(back, what.numberOrigin.x, what.numberOrigin.y, number);

  if (what.dpiLevel >= 0 && what.dpiLevel < kDpiLevels) {
    // The current level's box gets a white outline.
    GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 3, RGB(255, 255, 255)));
    ScopedSelect selectPen(back, pen);
    const int left = kDpiBoxOutline.left + kDpiBoxPitch * what.dpiLevel;
    const int right = left + (kDpiBoxOutline.right - kDpiBoxOutline.left);
    const int top = kDpiBoxOutline.top, bottom = kDpiBoxOutline.bottom;
    const POINT outline[] = {{left, top},     {right, top},   {left, top}, {right, top},
                             {right, bottom}, {left, bottom}, {left, top}};
    ::MoveToEx(back, outline[0].x, outline[0].y, nullptr);
    for (size_t i = 1; i < sizeof outline / sizeof outline[0]; ++i) ::LineTo(back, outline[i].x, outline[i].y);
  }

  if (!::IsRectEmpty(&what.focusRing)) drawFocusRing(back, what.focusRing);

  for (int row = 0; row < 4; ++row)
    drawShadowedLabel(back, kComboOriginX, kComboOriginY + kComboRowPitch * row, what.labels[row].c_str());

  ScopedSelect font12(back, skin.fontTahoma12);
  drawBottomBar(back, what.mouseMissing      ? uiTexts[UiText::MouseNotConnected].c_str()
                     : what.settingsUnsaved ? uiTexts[UiText::SettingsNotSaved].c_str()
                     : !what.profileNotice.empty() ? what.profileNotice.c_str()
                                                   : nullptr);
}

void MainWindowPainter::paint(PaintedWindow& window) {
  const HWND handle = window.paintedHandle();
  if (::IsIconic(handle)) {
    PaintDC dc(handle);
    ::SendMessageA(handle, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.hdc()), 0);
    RECT client;
    ::GetClientRect(handle, &client);
    int cx = ::GetSystemMetrics(SM_CXICON);
    int cy = ::GetSystemMetrics(SM_CYICON);
    ::DrawIcon(dc, (client.right - cx + 1) / 2, (client.bottom - cy + 1) / 2, window.paintedIcon());
    return;
  }
  const Skin& skin = window.skin();
  if (!skin.backgroundBitmap) return;

  PaintDC dc(handle);
  const Composition now = currentComposition(window);
  if (!(now == m_composed)) {
    compose(dc, window, now);
    m_composed = now;
  }
  // Only what the system asks for, from the composed picture.
  const RECT& dirty = dc.paintStruct().rcPaint;
  {
    MemoryDC back(dc, skin.skinBackdrop);
    ::BitBlt(dc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, back, dirty.left,
             dirty.top, SRCCOPY);
  }
  const PaintedWindow::SkinnedControls shown = window.skinnedControls();
  ControlsAlong controls(handle, dc);
  for (SkinButton* button : shown.buttons) controls.paint(*button);
  for (SkinComboBox* combo : shown.combos) controls.paint(*combo);
  controls.paint(*shown.slider);
  controls.paint(*shown.profileBox);
  controls.passOver(shown.seeThrough);
}

void MainWindowPainter::invalidateStateLine(HWND window) { ::InvalidateRect(window, &kStateLineArea, FALSE); }

RECT MainWindowPainter::stateLineArea(HDC dc) {
  SIZE version = {};
  ::GetTextExtentPoint32A(dc, kVersion, lstrlenA(kVersion), &version);
  return {kVersionText.x + version.cx + kStateLineGap, kVersionText.y, kStateLineArea.right, kStateLineArea.bottom};
}
