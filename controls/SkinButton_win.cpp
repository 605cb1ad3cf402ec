#include "controls/SkinButton.h"

#include "app/ProcessObjects.h"
#include "controls/BitmapRegion.h"
#include "controls/MouseTracking.h"
#include "framework/GdiObjects.h"

namespace {
// The caption keeps this far from the button's left and right edges, which
// are rounded.
constexpr int kCaptionMargin = 8;
// Captions are made no smaller than this (pixels of character height).
constexpr int kSmallestCaptionHeight = 10;
}  // namespace

SkinButton::~SkinButton() {
  if (mask) ::DeleteObject(mask);
  // The region belongs to the window once SetWindowRgn took it.
}

BEGIN_MESSAGE_MAP(SkinButton, CButton)
  ON_MESSAGE(WM_PAINT, OnPaint)
  ON_MESSAGE(WM_ERASEBKGND, OnEraseBackground)
  ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
  ON_MESSAGE(WM_CTLCOLORBTN, OnCtlColor)
  ON_MESSAGE(WM_CTLCOLORSTATIC, OnCtlColor)
  ON_MESSAGE(WM_SETFOCUS, OnFocusChange)
  ON_MESSAGE(WM_KILLFOCUS, OnFocusChange)
END_MESSAGE_MAP()

void SkinButton::setSkin(const HBITMAP bitmaps[5], HBITMAP backdropBitmap, int caption, int font) {
  if (mask) ::DeleteObject(mask);
  BitmapShape shape = buildRegionFromBitmap(bitmaps[0]);
  region = shape.region;
  mask = shape.mask;
  width = shape.width;
  height = shape.height;
  fontIndex = font;
  captionMode = caption;
  SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  backdrop = backdropBitmap;
  ::SetWindowRgn(m_hWnd, region, TRUE);
  normalBitmap = bitmaps[0];
  hoverBitmap = bitmaps[1];
  pressedBitmap = bitmaps[2];
  disabledBitmap = bitmaps[3];
  Invalidate(TRUE);
}

HBITMAP SkinButton::currentBitmap() const {
  if (!IsWindowEnabled()) return disabledBitmap;
  if (pressed) return pressedBitmap;
  if (hovering) return hoverBitmap;
  return normalBitmap;
}

LRESULT SkinButton::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  PaintDC dc(m_hWnd);
  if (!pressedBitmap) return 0;  // not skinned yet: nothing to show

  OffscreenImage image(dc, width, height);
  // What lies behind the button in the window's last painted picture.
  RECT client;
  GetClientRect(&client);
  ::MapWindowPoints(m_hWnd, GetParent(), reinterpret_cast<POINT*>(&client), 2);
  if (backdrop) {
    MemoryDC back(dc, backdrop);
    ::BitBlt(image, 0, 0, width, height, back, client.left, client.top, SRCCOPY);
  }
  composeMasked(image, 0, 0, width, height, currentBitmap(), mask);

  if (captionMode == 1) drawCaption(image);
  image.copyTo(dc);
  return 0;
}

void SkinButton::drawCaption(HDC image) {
  const CString text = GetWindowText();
  HFONT font = controlFonts[fontIndex].GetSafeHandle();
  if (!font) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(image, TRANSPARENT);
  ::SetTextColor(image, IsWindowEnabled() && pressed ? RGB(255, 255, 255) : RGB(0x20, 0x20, 0x20));

  // A caption wider than the button's face is shown whole in a smaller size
  // of the same font; one that does not fit even in the smallest size ends
  // with "...".
  const int room = width - 2 * kCaptionMargin;
  LOGFONTA face = {};
  ::GetObjectA(font, sizeof face, &face);
  const int fullHeight = face.lfHeight < 0 ? -face.lfHeight : face.lfHeight;
  auto measure = [&](HFONT candidate) {
    ScopedSelect select(image, candidate);
    SIZE size = {};
    ::GetTextExtentPointA(image, text, text.GetLength(), &size);
    return size;
  };
  GdiObject<HFONT> smaller;
  SIZE extent = measure(font);
  for (int size = fullHeight - 1; extent.cx > room && size >= kSmallestCaptionHeight; --size) {
    face.lfHeight = -size;
    face.lfWidth = 0;
    smaller.reset(::CreateFontIndirectA(&face));
    if (!smaller.get()) break;
    extent = measure(smaller);
  }
  ScopedSelect select(image, smaller.get() ? smaller.get() : font);
  if (extent.cx <= room) {
    ::TextOutA(image, (width - extent.cx) / 2, (height - extent.cy) / 2, text, text.GetLength());
  } else {
    RECT area = {kCaptionMargin, 0, width - kCaptionMargin, height};
    ::DrawTextA(image, text, text.GetLength(), &area,
                DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
}

LRESULT SkinButton::OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return TRUE; }

LRESULT SkinButton::OnSetCursor(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
  if (showHandCursor(lParam)) return TRUE;
  handled = FALSE;
  return 0;
}

LRESULT SkinButton::OnCtlColor(UINT, WPARAM wParam, LPARAM, BOOL&) {
  ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
  return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

LRESULT SkinButton::OnFocusChange(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
  LRESULT result = DefWindowProc(message, wParam, lParam);
  Invalidate(FALSE);
  return result;
}

BOOL SkinButton::PreTranslateMessage(MSG* msg) {
  followMouse(m_hWnd, *msg, hovering, pressed);
  return CButton::PreTranslateMessage(msg);
}
