#include "mainwnd/MainWindowPainter.h"

#include <cstdio>

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
void drawBottomBar(HDC dc) {
  ::SetTextColor(dc, RGB(0, 0, 0));
  drawText(dc, kVersionText.x + 1, kVersionText.y, kVersion);
  ::SetTextColor(dc, RGB(0x7A, 0x7A, 0x7A));
  drawText(dc, kVersionText.x, kVersionText.y, kVersion);
  if (hidLink.presentCount() != 0) return;
  SIZE version = {};
  ::GetTextExtentPoint32A(dc, kVersion, lstrlenA(kVersion), &version);
  const RECT state = {kVersionText.x + version.cx + kStateLineGap, kVersionText.y, kStateLineArea.right,
                      kStateLineArea.bottom};
  drawBarText(dc, state, uiTexts[UiText::MouseNotConnected]);
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

}  // namespace

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
  {
    // Everything is drawn into skinBackdrop, which the skinned controls also
    // take the pixels behind them from.
    MemoryDC back(dc, skinBackdrop);
    {
      MemoryDC clean(dc, backgroundBitmap);
      ::BitBlt(back, 0, 0, window.skinWidth, window.skinHeight, clean, 0, 0, SRCCOPY);
    }
    ::SetBkMode(back, TRANSPARENT);

    drawHeading(back, window.buttonsHeading(), kButtonsHeading);
    drawHeading(back, window.dpiHeading(), kDpiHeading);

    ScopedSelect font16(back, fontTahoma16);
    const DpiNumberPlace place = dpiNumberPlace(window);
    char number[16];
    std::snprintf(number, sizeof number, "%d", 400 * (window.dpiSlider.GetPos() + 1));
    ::SetTextColor(back, RGB(255, 255, 255));
    drawText(back, place.textOrigin.x, place.textOrigin.y, number);

    if (mouseConfig.dpiLevel >= 0 && mouseConfig.dpiLevel < kDpiLevels) {
      GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 3, RGB(255, 255, 255)));
      ScopedSelect selectPen(back, pen);
      const int x0 = 41 + 30 * mouseConfig.dpiLevel;
      const POINT outline[] = {{x0, 366}, {x0 + 20, 366}, {x0, 366}, {x0 + 20, 366},
                               {x0 + 20, 386}, {x0, 386}, {x0, 366}};
      ::MoveToEx(back, outline[0].x, outline[0].y, nullptr);
      for (size_t i = 1; i < sizeof outline / sizeof outline[0]; ++i) ::LineTo(back, outline[i].x, outline[i].y);
    }

    for (int row = 0; row < 4; ++row)
      drawShadowedLabel(back, 30, 143 + 40 * row, window.rowLabel(row));

    ScopedSelect font12(back, fontTahoma12);
    drawBottomBar(back);

    ::BitBlt(dc, 0, 0, window.skinWidth, window.skinHeight, back, 0, 0, SRCCOPY);
  }
}

void MainWindowPainter::invalidateStateLine(HWND window) { ::InvalidateRect(window, &kStateLineArea, FALSE); }
