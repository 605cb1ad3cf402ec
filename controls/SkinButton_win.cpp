#include "controls/SkinButton.h"

#include <utility>

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

// The region belongs to the window once SetWindowRgn took it.
SkinButton::~SkinButton() = default;

BEGIN_MESSAGE_MAP(SkinButton, CButton)
  ON_MESSAGE(WM_PAINT, OnPaint)
  ON_MESSAGE(WM_ERASEBKGND, OnEraseBackground)
  ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
  ON_MESSAGE(WM_CTLCOLORBTN, OnCtlColor)
  ON_MESSAGE(WM_CTLCOLORSTATIC, OnCtlColor)
  ON_MESSAGE(WM_SETFOCUS, OnFocusChange)
  ON_MESSAGE(WM_KILLFOCUS, OnFocusChange)
  ON_MESSAGE(WM_SETTEXT, OnSetText)
END_MESSAGE_MAP()

void SkinButton::setSkin(const HBITMAP bitmaps[5], HBITMAP backdropBitmap, int caption, HFONT font) {
  BitmapShape shape = buildRegionFromBitmap(bitmaps[0]);
  m_mask = std::move(shape.mask);
  m_width = shape.width;
  m_height = shape.height;
  m_captionFont = font;
  m_captionMode = caption;
  SetWindowPos(nullptr, 0, 0, m_width, m_height, SWP_NOMOVE | SWP_NOZORDER);
  m_backdrop = backdropBitmap;
  // A copy of the shape stays with the button, for drawing it into its
  // parent's paint.
  m_shape.reset(::CreateRectRgn(0, 0, 0, 0));
  if (shape.region) ::CombineRgn(m_shape, shape.region, nullptr, RGN_COPY);
  // The window's region is the system's from here on.
  if (::SetWindowRgn(m_hWnd, shape.region, TRUE)) shape.region.release();
  m_picture.release();
  m_normalBitmap = bitmaps[0];
  m_hoverBitmap = bitmaps[1];
  m_pressedBitmap = bitmaps[2];
  m_disabledBitmap = bitmaps[3];
  m_caption = GetWindowText();
  Invalidate(TRUE);
}

HBITMAP SkinButton::currentBitmap() const {
  if (!IsWindowEnabled()) return m_disabledBitmap;
  if (m_pressed) return m_pressedBitmap;
  if (m_hovering) return m_hoverBitmap;
  return m_normalBitmap;
}

LRESULT SkinButton::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  PaintDC dc(m_hWnd);
  if (picture()) m_picture.copyTo(dc);
  return 0;
}

bool SkinButton::Look::operator==(const Look& other) const {
  return face == other.face && lightCaption == other.lightCaption && caption == other.caption &&
         font == other.font && origin.x == other.origin.x && origin.y == other.origin.y;
}

LRESULT SkinButton::OnSetText(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
  LRESULT result = DefWindowProc(message, wParam, lParam);
  m_caption = GetWindowText();
  Invalidate(FALSE);
  return result;
}

HFONT SkinButton::captionFont() const {
  return m_captionFont ? m_captionFont : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

SkinButton::Look SkinButton::currentLook() const {
  Look look;
  look.face = currentBitmap();
  if (m_captionMode == 1) {
    look.lightCaption = IsWindowEnabled() && m_pressed;
    look.caption = m_caption;
    look.font = captionFont();
  }
  ::MapWindowPoints(m_hWnd, GetParent(), &look.origin, 1);
  return look;
}

HDC SkinButton::picture() {
  if (!m_pressedBitmap) return nullptr;  // not skinned yet: nothing to show
  const Look look = currentLook();
  if (m_picture.dc() && look == m_shown) return m_picture.dc();

  // What lies behind the button in the window's picture; only the face shows
  // of it, as the button is cut to the face's shape.
  HDC image = m_picture.prepareOver(m_width, m_height, m_backdrop, look.origin);
  if (!image) return nullptr;
  composeMasked(image, 0, 0, m_width, m_height, look.face, m_mask);
  if (m_captionMode == 1) drawCaption(image, look);
  m_shown = look;
  return image;
}

const SkinButton::CaptionFit& SkinButton::fitCaption(HDC image, const CString& text, HFONT font) {
  const int room = m_width - 2 * kCaptionMargin;
  if (m_fit.valid && m_fit.text == text && m_fit.base == font && m_fit.room == room) return m_fit;

  LOGFONTA face = {};
  ::GetObjectA(font, sizeof face, &face);
  const int fullHeight = face.lfHeight < 0 ? -face.lfHeight : face.lfHeight;
  auto measure = [&](HFONT candidate) {
    ScopedSelect select(image, candidate);
    SIZE size = {};
    ::GetTextExtentPointA(image, text, text.GetLength(), &size);
    return size;
  };
  m_fit.smaller.DeleteObject();
  SIZE extent = measure(font);
  for (int size = fullHeight - 1; extent.cx > room && size >= kSmallestCaptionHeight; --size) {
    face.lfHeight = -size;
    face.lfWidth = 0;
    if (!m_fit.smaller.CreateFontIndirect(face)) break;
    extent = measure(m_fit.smaller);
  }
  m_fit.valid = true;
  m_fit.text = text;
  m_fit.base = font;
  m_fit.room = room;
  m_fit.extent = extent;
  return m_fit;
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
  ScopedSelect select(image, fit.smaller.GetSafeHandle() ? fit.smaller.GetSafeHandle() : font);
  if (fit.extent.cx <= fit.room) {
    ::TextOutA(image, (m_width - fit.extent.cx) / 2, (m_height - fit.extent.cy) / 2, text, text.GetLength());
  } else {
    RECT area = {kCaptionMargin, 0, m_width - kCaptionMargin, m_height};
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
  followMouse(m_hWnd, *msg, m_hovering, m_pressed);
  return CButton::PreTranslateMessage(msg);
}

bool SkinButton::drawInto(HDC target, POINT at) {
  HDC image = picture();
  if (image) copyShaped(target, at.x, at.y, m_width, m_height, image, m_shape.get());
  return image != nullptr;
}
