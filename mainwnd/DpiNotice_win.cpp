#include "mainwnd/DpiNotice.h"

#include <cstdio>
#include <cstring>

#include "controls/Skin.h"
#include "framework/CFont.h"
#include "framework/GdiObjects.h"
#include "mainwnd/DpiBoxes.h"
#include "mainwnd/DpiLayout.h"
#include "resource.h"

namespace {
const char kClassName[] = "SkivolDpiNotice";
const char kUserKey[] = "Software\\Skivol Gaming Mouse";
const char kShowValue[] = "ShowDpiOnScreen";

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kFadeTimer = 2;
// Above the taskbar and clear of a game's own bottom line.
constexpr int kBottomMargin = 72;
constexpr int kCornerDiameter = 12;

// The level boxes as the skin draws them, numbers included, with a margin
// wide enough for the outline's pen.
constexpr RECT kBoxesInSkin = {kDpiBoxOutline.left - 5, kDpiBoxOutline.top - 5,
                               kDpiBoxOutline.right + 3 * kDpiBoxPitch + 5, kDpiBoxOutline.bottom + 5};
constexpr int kBoxesWidth = kBoxesInSkin.right - kBoxesInSkin.left;
constexpr int kBoxesHeight = kBoxesInSkin.bottom - kBoxesInSkin.top;
constexpr POINT kBoxesAt = {(DpiNotice::kSize.cx - kBoxesWidth) / 2, 48};
// A point of the DPI card beside the boxes: the notice's ground.
constexpr POINT kGroundInSkin = {kDpiBoxStrip.left + 4, kDpiBoxOutline.top - 4};

constexpr int kNumberBaseline = 38;
constexpr int kNumberHeight = -28;
constexpr int kUnitHeight = -16;
constexpr COLORREF kNumberColour = RGB(232, 236, 241);
constexpr COLORREF kUnitColour = RGB(132, 140, 150);
constexpr COLORREF kEdgeColour = RGB(70, 76, 86);
constexpr int kAccentInset = 28;
constexpr int kDpiPerStep = 400;

// The notice's place: centred near the bottom of the work area of the
// monitor the pointer is on.
POINT placeNearPointer() {
  POINT pointer = {};
  ::GetCursorPos(&pointer);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  RECT area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  if (::GetMonitorInfoA(::MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor)) area = monitor.rcWork;
  return {(area.left + area.right - DpiNotice::kSize.cx) / 2, area.bottom - DpiNotice::kSize.cy - kBottomMargin};
}
}  // namespace

bool readShowDpiOnScreen() {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kUserKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return true;
  DWORD value = 1, type = 0, size = sizeof value;
  const LONG result = ::RegQueryValueExA(key, kShowValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  ::RegCloseKey(key);
  return result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value || value != 0;
}

void writeShowDpiOnScreen(bool show) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, kUserKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  const DWORD value = show ? 1 : 0;
  ::RegSetValueExA(key, kShowValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  ::RegCloseKey(key);
}

void DpiNotice::addMenuItem(HMENU popup, const char* text) {
  m_enabled = readShowDpiOnScreen();
  const UINT checked = m_enabled ? MF_CHECKED : MF_UNCHECKED;
  ::InsertMenuA(popup, ID_TRAY_EXIT, MF_BYCOMMAND | MF_STRING | checked, kShowDpiOnScreenCommand, text);
}

void DpiNotice::toggle(HMENU popup) {
  m_enabled = !m_enabled;
  writeShowDpiOnScreen(m_enabled);
  ::CheckMenuItem(popup, kShowDpiOnScreenCommand, MF_BYCOMMAND | (m_enabled ? MF_CHECKED : MF_UNCHECKED));
  if (!m_enabled) hide();
}

void DpiNotice::show(int level, int step) {
  if (!m_enabled) return;
  m_level = level;
  m_step = step;
  const POINT at = placeNearPointer();
  if (!m_hWnd) {
    if (!RegisterWindowClass(kClassName)) return;
    // Layered and transparent: clicks go through it to whatever is below.
    const DWORD exStyle = WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_LAYERED;
    const RECT place = {at.x, at.y, at.x + kSize.cx, at.y + kSize.cy};
    if (!CreateEx(exStyle, kClassName, kTitle, WS_POPUP, place, nullptr)) return;
    ::SetWindowRgn(m_hWnd, ::CreateRoundRectRgn(0, 0, kSize.cx + 1, kSize.cy + 1, kCornerDiameter, kCornerDiameter),
                   FALSE);
  }
  m_fadeStep = 0;
  KillTimer(kFadeTimer);
  ::SetLayeredWindowAttributes(m_hWnd, 0, 255, LWA_ALPHA);
  SetWindowPos(HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  ShowWindow(SW_SHOWNOACTIVATE);
  Invalidate(FALSE);
  SetTimer(kShowTimer, kShowMs);
}

void DpiNotice::hide() {
  // The window's last message detaches it: m_hWnd is null again.
  if (m_hWnd) DestroyWindow();
}

BEGIN_MESSAGE_MAP(DpiNotice, CWnd)
  ON_MESSAGE(WM_PAINT, OnPaint)
  ON_MESSAGE(WM_ERASEBKGND, OnEraseBackground)
  ON_MESSAGE(WM_TIMER, OnTimer)
  ON_MESSAGE(WM_NCHITTEST, OnNcHitTest)
  ON_MESSAGE(WM_MOUSEACTIVATE, OnMouseActivate)
END_MESSAGE_MAP()

LRESULT DpiNotice::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  PaintDC dc(m_hWnd);
  paint(dc);
  return 0;
}

LRESULT DpiNotice::OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }

LRESULT DpiNotice::OnNcHitTest(UINT, WPARAM, LPARAM, BOOL&) { return HTTRANSPARENT; }

LRESULT DpiNotice::OnMouseActivate(UINT, WPARAM, LPARAM, BOOL&) { return MA_NOACTIVATE; }

LRESULT DpiNotice::OnTimer(UINT, WPARAM id, LPARAM, BOOL&) {
  if (id == kShowTimer) {
    KillTimer(kShowTimer);
    SetTimer(kFadeTimer, kFadeStepMs);
    return 0;
  }
  if (++m_fadeStep >= kFadeSteps) {
    hide();
    return 0;
  }
  const BYTE alpha = static_cast<BYTE>(255 * (kFadeSteps - m_fadeStep) / kFadeSteps);
  ::SetLayeredWindowAttributes(m_hWnd, 0, alpha, LWA_ALPHA);
  return 0;
}

void DpiNotice::paint(HDC target) {
  OffscreenImage image(target, kSize.cx, kSize.cy);
  if (!image.valid() || !m_skin.backgroundBitmap) return;
  {
    MemoryDC skin(target, m_skin.backgroundBitmap);
    GdiObject<HBRUSH> ground(::CreateSolidBrush(::GetPixel(skin, kGroundInSkin.x, kGroundInSkin.y)));
    const RECT all = {0, 0, kSize.cx, kSize.cy};
    ::FillRect(image, &all, ground);
    ::BitBlt(image, kBoxesAt.x, kBoxesAt.y, kBoxesWidth, kBoxesHeight, skin, kBoxesInSkin.left, kBoxesInSkin.top,
             SRCCOPY);
  }
  {
    // The current level outlined as the window outlines it.
    GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 3, RGB(255, 255, 255)));
    ScopedSelect selectPen(image, pen);
    const int left = kBoxesAt.x + kDpiBoxOutline.left - kBoxesInSkin.left + kDpiBoxPitch * m_level;
    const int right = left + (kDpiBoxOutline.right - kDpiBoxOutline.left);
    const int top = kBoxesAt.y + kDpiBoxOutline.top - kBoxesInSkin.top;
    const int bottom = top + (kDpiBoxOutline.bottom - kDpiBoxOutline.top);
    const POINT outline[] = {{right, top}, {right, bottom}, {left, bottom}, {left, top}};
    ::MoveToEx(image, left, top, nullptr);
    for (const POINT& corner : outline) ::LineTo(image, corner.x, corner.y);
  }
  {
    // The number large and light, its unit smaller and muted, on one
    // baseline, the two centred together.
    char number[16];
    std::snprintf(number, sizeof number, "%d", kDpiPerStep * (m_step + 1));
    const char unit[] = " DPI";
    CFont numberFont, unitFont;
    numberFont.CreateFont(kNumberHeight, "Tahoma", FW_BOLD);
    unitFont.CreateFont(kUnitHeight, "Tahoma", FW_NORMAL);
    SavedDC saved(image);
    ::SetBkMode(image, TRANSPARENT);
    ::SetTextAlign(image, TA_BASELINE | TA_LEFT);
    SIZE numberSize = {}, unitSize = {};
    ::SelectObject(image, unitFont);
    ::GetTextExtentPoint32A(image, unit, static_cast<int>(std::strlen(unit)), &unitSize);
    ::SelectObject(image, numberFont);
    ::GetTextExtentPoint32A(image, number, static_cast<int>(std::strlen(number)), &numberSize);
    const int x = (kSize.cx - numberSize.cx - unitSize.cx) / 2;
    ::SetTextColor(image, kNumberColour);
    ::TextOutA(image, x, kNumberBaseline, number, static_cast<int>(std::strlen(number)));
    ::SelectObject(image, unitFont);
    ::SetTextColor(image, kUnitColour);
    ::TextOutA(image, x + numberSize.cx, kNumberBaseline, unit, static_cast<int>(std::strlen(unit)));
  }
  {
    GdiObject<HPEN> edge(::CreatePen(PS_SOLID, 1, kEdgeColour));
    ScopedSelect selectPen(image, edge);
    ScopedSelect selectBrush(image, ::GetStockObject(NULL_BRUSH));
    ::RoundRect(image, 0, 0, kSize.cx, kSize.cy, kCornerDiameter, kCornerDiameter);
    GdiObject<HBRUSH> accent(::CreateSolidBrush(kSkinAccent));
    const RECT line = {kAccentInset, kSize.cy - 4, kSize.cx - kAccentInset, kSize.cy - 2};
    ::FillRect(image, &line, accent);
  }
  image.copyTo(target);
}
