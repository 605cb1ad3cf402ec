#include "controls/SkinSlider.h"

#include "app/ProcessObjects.h"
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
  RECT client;
  GetClientRect(&client);
  const int w = client.right;
  const int h = client.bottom;
  OffscreenImage image(dc, w, h);

  RECT inParent = client;
  ::MapWindowPoints(m_hWnd, GetParent(), reinterpret_cast<POINT*>(&inParent), 2);
  if (backgroundBitmap) {
    MemoryDC skin(dc, backgroundBitmap);
    ::BitBlt(image, 0, 0, w, h, skin, inParent.left, inParent.top, SRCCOPY);
  }

  RECT thumb;
  GetThumbRect(&thumb);
  const int c = (thumb.top + thumb.bottom) / 2;
  auto fill = [&](RECT r, int stock) { ::FillRect(image, &r, static_cast<HBRUSH>(::GetStockObject(stock))); };
  // Disabled, the white parts turn grey and the channel's edge darker, so
  // the slider visibly greys out against the dark skin.
  const bool enabled = IsWindowEnabled() != FALSE;
  const int light = enabled ? WHITE_BRUSH : GRAY_BRUSH;
  fill({0, c - 2, w, c + 2}, enabled ? GRAY_BRUSH : DKGRAY_BRUSH);
  fill({1, c - 1, w - 1, c + 1}, light);
  fill(thumb, light);
  fill({thumb.left + 1, thumb.top + 1, thumb.right - 1, thumb.bottom - 1}, BLACK_BRUSH);
  image.copyTo(dc);
  return 0;
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
      if (!tracking) {
        tracking = 1;
        trackMouseLeave(m_hWnd);
      }
      break;
    case WM_LBUTTONUP:
    case WM_MOUSELEAVE:
      tracking = 0;
      break;
  }
  // Every message is a chance to notice a new position.
  int position = GetPos();
  if (position != lastPosition) {
    lastPosition = position;
    Invalidate(FALSE);
    ::PostMessageA(GetParent(), notifyMessage, reinterpret_cast<WPARAM>(m_hWnd), 0);
  }
  return CSliderCtrl::PreTranslateMessage(msg);
}
