#include "mainwnd/MainWindowPainter.h"

#include <cstdio>
#include <string>

#include "app/MainDialog.h"
#include "app/ProcessObjects.h"
#include "device/MouseConfig.h"
#include "framework/GdiObjects.h"
#include "mainwnd/DpiLayout.h"

namespace {

constexpr POINT kButtonsHeading = {26, 99};
constexpr POINT kDpiHeading = {26, 321};
constexpr SIZE kHeadingSize = {353, 22};
constexpr POINT kVersionText = {26, 464};
const char kVersion[] = "Ver. 1.01 ,  HW. 1.0";
// The connection state follows the version text on the bottom bar.
constexpr int kStateLineGap = 24;
constexpr RECT kStateLineArea = {kVersionText.x, kVersionText.y - 2, 520, kVersionText.y + 18};

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
// every control is disabled. `dc` has the bar's font selected.
void drawBottomBar(HDC dc, const char* missingMouseText) {
  ::SetTextColor(dc, RGB(0, 0, 0));
  drawText(dc, kVersionText.x + 1, kVersionText.y, kVersion);
  ::SetTextColor(dc, RGB(0x7A, 0x7A, 0x7A));
  drawText(dc, kVersionText.x, kVersionText.y, kVersion);
  if (!missingMouseText) return;
  SIZE version = {};
  ::GetTextExtentPoint32A(dc, kVersion, lstrlenA(kVersion), &version);
  const RECT state = {kVersionText.x + version.cx + kStateLineGap, kVersionText.y, kStateLineArea.right,
                      kStateLineArea.bottom};
  drawBarText(dc, state, missingMouseText);
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

// Everything the composed picture depends on besides the fixed skin, fonts
// and version text. While it stays the same, a paint only copies the
// composed picture to the screen.
struct Composition {
  bool valid = false;
  int width = 0;
  int height = 0;
  HBITMAP buttonsHeading = nullptr;
  HBITMAP dpiHeading = nullptr;
  POINT numberOrigin = {0, 0};
  int sliderPos = 0;
  int32_t dpiLevel = 0;
  std::string labels[4];
  bool mouseMissing = false;

  bool operator==(const Composition& o) const {
    if (valid != o.valid || width != o.width || height != o.height || buttonsHeading != o.buttonsHeading ||
        dpiHeading != o.dpiHeading || numberOrigin.x != o.numberOrigin.x || numberOrigin.y != o.numberOrigin.y ||
        sliderPos != o.sliderPos || dpiLevel != o.dpiLevel || mouseMissing != o.mouseMissing)
      return false;
    for (int row = 0; row < 4; ++row)
      if (labels[row] != o.labels[row]) return false;
    return true;
  }
};

// What skinBackdrop holds now.
Composition composed;

Composition currentComposition(MainDialog& window) {
  Composition now;
  now.valid = true;
  now.width = window.skinWidth;
  now.height = window.skinHeight;
  now.buttonsHeading = window.buttonsHeading();
  now.dpiHeading = window.dpiHeading();
  now.numberOrigin = dpiNumberPlace(window).textOrigin;
  now.sliderPos = window.dpiSlider.GetPos();
  now.dpiLevel = mouseConfig.dpiLevel;
  for (int row = 0; row < 4; ++row) {
    const char* label = window.rowLabel(row);
    now.labels[row] = label ? label : "";
  }
  now.mouseMissing = hidLink.presentCount() == 0;
  return now;
}

// Draws the skin and everything over it into skinBackdrop, which the skinned
// controls also take the pixels behind them from.
void compose(HDC reference, const Composition& what) {
  MemoryDC back(reference, skinBackdrop);
  {
    MemoryDC clean(reference, backgroundBitmap);
    ::BitBlt(back, 0, 0, what.width, what.height, clean, 0, 0, SRCCOPY);
  }
  ::SetBkMode(back, TRANSPARENT);

  drawHeading(back, what.buttonsHeading, kButtonsHeading);
  drawHeading(back, what.dpiHeading, kDpiHeading);

  ScopedSelect font16(back, fontTahoma16);
  char number[16];
  std::snprintf(number, sizeof number, "%d", 400 * (what.sliderPos + 1));
  ::SetTextColor(back, RGB(255, 255, 255));
  drawText(back, what.numberOrigin.x, what.numberOrigin.y, number);

  if (what.dpiLevel >= 0 && what.dpiLevel < kDpiLevels) {
    GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 3, RGB(255, 255, 255)));
    ScopedSelect selectPen(back, pen);
    const int x0 = 41 + 30 * what.dpiLevel;
    const POINT outline[] = {{x0, 366}, {x0 + 20, 366}, {x0, 366}, {x0 + 20, 366},
                             {x0 + 20, 386}, {x0, 386}, {x0, 366}};
    ::MoveToEx(back, outline[0].x, outline[0].y, nullptr);
    for (size_t i = 1; i < sizeof outline / sizeof outline[0]; ++i) ::LineTo(back, outline[i].x, outline[i].y);
  }

  for (int row = 0; row < 4; ++row) drawShadowedLabel(back, 30, 143 + 40 * row, what.labels[row].c_str());

  ScopedSelect font12(back, fontTahoma12);
  drawBottomBar(back, what.mouseMissing ? uiTexts[UiText::MouseNotConnected] : nullptr);
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
  ControlsAlong(MainDialog& window, HDC dc) : window_(window), dc_(dc), painted_(::CreateRectRgn(0, 0, 0, 0)) {
    // What this paint reaches, in screen coordinates.
    if (::GetRandomRgn(dc, painted_, SYSRGN) != 1) painted_.reset(nullptr);
  }

  template <typename Control>
  void paint(Control& control) {
    if (!painted_.get() || !control.m_hWnd || !::IsWindowVisible(control.m_hWnd)) return;
    const SIZE size = control.shownSize();
    POINT onScreen = {0, 0};
    ::ClientToScreen(control.m_hWnd, &onScreen);
    GdiObject<HRGN> shown(::CreateRectRgn(onScreen.x, onScreen.y, onScreen.x + size.cx, onScreen.y + size.cy));
    if (::CombineRgn(shown, shown, painted_, RGN_DIFF) != NULLREGION) return;
    POINT at = {0, 0};
    ::MapWindowPoints(control.m_hWnd, window_.m_hWnd, &at, 1);
    if (control.drawInto(dc_, at)) ::ValidateRect(control.m_hWnd, nullptr);  // else not skinned yet
  }

private:
  MainDialog& window_;
  HDC dc_;
  GdiObject<HRGN> painted_;
};

}  // namespace

void MainWindowPainter::recompose() { composed = Composition(); }

void MainWindowPainter::paint(MainDialog& window) {
  if (window.IsIconic()) {
    PaintDC dc(window.m_hWnd);
    window.SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.hdc()), 0);
    RECT client;
    window.GetClientRect(&client);
    int cx = ::GetSystemMetrics(SM_CXICON);
    int cy = ::GetSystemMetrics(SM_CYICON);
    ::DrawIcon(dc, (client.right - cx + 1) / 2, (client.bottom - cy + 1) / 2, window.windowIcon);
    return;
  }
  if (!backgroundBitmap) return;

  PaintDC dc(window.m_hWnd);
  const Composition now = currentComposition(window);
  if (!(now == composed)) {
    compose(dc, now);
    composed = now;
  }
  // Only what the system asks for, from the composed picture.
  const RECT& dirty = dc.paintStruct().rcPaint;
  {
    MemoryDC back(dc, skinBackdrop);
    ::BitBlt(dc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, back, dirty.left,
             dirty.top, SRCCOPY);
  }
  ControlsAlong controls(window, dc);
  controls.paint(window.closeButton);
  controls.paint(window.minimizeButton);
  controls.paint(window.defaultButton);
  controls.paint(window.comboRight);
  controls.paint(window.comboWheel);
  controls.paint(window.combo4th);
  controls.paint(window.combo5th);
  controls.paint(window.dpiSlider);
}

void MainWindowPainter::invalidateStateLine(HWND window) { ::InvalidateRect(window, &kStateLineArea, FALSE); }
