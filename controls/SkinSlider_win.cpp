#include "controls/SkinSlider.h"

#include "controls/MouseTracking.h"
#include "framework/GdiObjects.h"

BEGIN_MESSAGE_MAP(SkinSlider, CSliderCtrl)
  ON_MESSAGE(WM_PAINT, OnPaint)
  ON_MESSAGE(WM_ERASEBKGND, OnEraseBackground)
  ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
  ON_MESSAGE(WM_ENABLE, OnEnable)
  ON_MESSAGE(WM_CTLCOLORSTATIC, OnCtlColor)
  ON_MESSAGE(WM_CTLCOLORBTN, OnCtlColor)
END_MESSAGE_MAP()

LRESULT SkinSlider::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  PaintDC dc(m_hWnd);
  if (picture()) m_picture.copyTo(dc);
  return 0;
}

bool SkinSlider::Look::operator==(const Look& other) const {
  return enabled == other.enabled && ::EqualRect(&thumb, &other.thumb) && ::EqualRect(&inParent, &other.inParent) &&
         skin == other.skin;
}

SkinSlider::Look SkinSlider::currentLook() {
  Look look;
  look.enabled = IsWindowEnabled() != FALSE;
  GetThumbRect(&look.thumb);
  GetClientRect(&look.inParent);
  ::MapWindowPoints(m_hWnd, GetParent(), reinterpret_cast<POINT*>(&look.inParent), 2);
  look.skin = m_ground;
  return look;
}

HDC SkinSlider::picture() {
  const Look look = currentLook();
  if (m_picture.dc() && look == m_shown) return m_picture.dc();

  const int w = look.inParent.right - look.inParent.left;
  const int h = look.inParent.bottom - look.inParent.top;
  HDC image = m_picture.prepareOver(w, h, look.skin, {look.inParent.left, look.inParent.top});
  if (!image) return nullptr;

  const RECT& thumb = look.thumb;
  const int c = (thumb.top + thumb.bottom) / 2;
  auto fill = [&](RECT r, int stock) { ::FillRect(image, &r, static_cast<HBRUSH>(::GetStockObject(stock))); };
  // Disabled, the white parts turn grey and the channel's edge darker, so
  // the slider visibly greys out against the dark skin.
  const int light = look.enabled ? WHITE_BRUSH : GRAY_BRUSH;
  fill({0, c - 2, w, c + 2}, look.enabled ? GRAY_BRUSH : DKGRAY_BRUSH);
  fill({1, c - 1, w - 1, c + 1}, light);
  fill(thumb, light);
  fill({thumb.left + 1, thumb.top + 1, thumb.right - 1, thumb.bottom - 1}, BLACK_BRUSH);
  m_shown = look;
  return image;
}

LRESULT SkinSlider::OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return TRUE; }

LRESULT SkinSlider::OnEnable(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
  // The trackbar does not repaint itself for this, and the skin shows it.
  LRESULT result = DefWindowProc(message, wParam, lParam);
  Invalidate(FALSE);
  return result;
}

LRESULT SkinSlider::OnSetCursor(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
  // The hand over the thumb only; elsewhere the slider's own cursor.
  POINT at;
  ::GetCursorPos(&at);
  ::ScreenToClient(m_hWnd, &at);
  RECT thumb;
  GetThumbRect(&thumb);
  if (::PtInRect(&thumb, at) && showHandCursor(lParam)) return TRUE;
  handled = FALSE;
  return 0;
}

LRESULT SkinSlider::OnCtlColor(UINT, WPARAM, LPARAM, BOOL&) {
  return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

BOOL SkinSlider::PreTranslateMessage(MSG* msg) {
  switch (msg->message) {
    case WM_MOUSEMOVE:
      if (!m_tracking) {
        m_tracking = true;
        trackMouseLeave(m_hWnd);
      }
      break;
    case WM_LBUTTONUP:
    case WM_MOUSELEAVE:
      m_tracking = false;
      break;
  }
  // Every message is a chance to notice a new position.
  int position = GetPos();
  if (position != m_lastPosition) {
    m_lastPosition = position;
    Invalidate(FALSE);
    ::PostMessageA(GetParent(), m_notifyMessage, reinterpret_cast<WPARAM>(m_hWnd), 0);
  }
  return CSliderCtrl::PreTranslateMessage(msg);
}

SIZE SkinSlider::shownSize() const {
  RECT client;
  GetClientRect(&client);
  return {client.right, client.bottom};
}

bool SkinSlider::drawInto(HDC target, POINT at) {
  HDC image = picture();
  if (image) ::BitBlt(target, at.x, at.y, m_picture.width(), m_picture.height(), image, 0, 0, SRCCOPY);
  return image != nullptr;
}
