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
  // A copy of the shape stays with the button, for drawing it into its
  // parent's paint.
  shape_.reset(::CreateRectRgn(0, 0, 0, 0));
  if (region) ::CombineRgn(shape_, region, nullptr, RGN_COPY);
  ::SetWindowRgn(m_hWnd, region, TRUE);
  picture_.release();
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
  if (picture()) picture_.copyTo(dc);
  return 0;
}

bool SkinButton::Look::operator==(const Look& other) const {
  return face == other.face && lightCaption == other.lightCaption && caption == other.caption &&
         font == other.font && origin.x == other.origin.x && origin.y == other.origin.y;
}

HFONT SkinButton::captionFont() const {
  HFONT font = controlFonts[fontIndex].GetSafeHandle();
  return font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

SkinButton::Look SkinButton::currentLook() const {
  Look look;
  look.face = currentBitmap();
  if (captionMode == 1) {
    look.lightCaption = IsWindowEnabled() && pressed;
    look.caption = GetWindowText();
    look.font = captionFont();
  }
  ::MapWindowPoints(m_hWnd, GetParent(), &look.origin, 1);
  return look;
}

HDC SkinButton::picture() {
  if (!pressedBitmap) return nullptr;  // not skinned yet: nothing to show
  const Look look = currentLook();
  if (picture_.dc() && look == shown_) return picture_.dc();

  // What lies behind the button in the window's picture; only the face shows
  // of it, as the button is cut to the face's shape.
  HDC image = picture_.prepareOver(width, height, backdrop, look.origin);
  if (!image) return nullptr;
  composeMasked(image, 0, 0, width, height, look.face, mask);
  if (captionMode == 1) drawCaption(image, look);
  shown_ = look;
  return image;
}

const SkinButton::CaptionFit& SkinButton::fitCaption(HDC image, const CString& text, HFONT font) {
  const int room = width - 2 * kCaptionMargin;
  if (fit_.valid && fit_.text == text && fit_.base == font && fit_.room == room) return fit_;

  LOGFONTA face = {};
  ::GetObjectA(font, sizeof face, &face);
  const int fullHeight = face.lfHeight < 0 ? -face.lfHeight : face.lfHeight;
  auto measure = [&](HFONT candidate) {
    ScopedSelect select(image, candidate);
    SIZE size = {};
    ::GetTextExtentPointA(image, text, text.GetLength(), &size);
    return size;
  };
  fit_.smaller.reset(nullptr);
  SIZE extent = measure(font);
  for (int size = fullHeight - 1; extent.cx > room && size >= kSmallestCaptionHeight; --size) {
    face.lfHeight = -size;
    face.lfWidth = 0;
    fit_.smaller.reset(::CreateFontIndirectA(&face));
    if (!fit_.smaller.get()) break;
    extent = measure(fit_.smaller);
  }
  fit_.valid = true;
  fit_.text = text;
  fit_.base = font;
  fit_.room = room;
  fit_.extent = extent;
  return fit_;
}

void SkinButton::drawCaption(HDC image, const Look& look) {
  const CString& text = look.caption;
  HFONT font = look.font;
  ::SetBkMode(image, TRANSPARENT);
  ::SetTextColor(image, look.lightCaption ? RGB(255, 255, 255) : RGB(0x20, 0x20, 0x20));

  // A caption wider than the button's face is shown whole in a smaller size
  // of the same font; one that does not fit even in the smallest size ends
  // with "...".
  const CaptionFit& fit = fitCaption(image, text, font);
  ScopedSelect select(image, fit.smaller.get() ? fit.smaller.get() : font);
  if (fit.extent.cx <= fit.room) {
    ::TextOutA(image, (width - fit.extent.cx) / 2, (height - fit.extent.cy) / 2, text, text.GetLength());
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

bool SkinButton::drawInto(HDC target, POINT at) {
  HDC image = picture();
  if (image) copyShaped(target, at.x, at.y, width, height, image, shape_.get());
  return image != nullptr;
}
