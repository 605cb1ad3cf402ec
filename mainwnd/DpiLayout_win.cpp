#include "mainwnd/DpiLayout.h"

#include "app/MainDialog.h"

DpiNumberPlace dpiNumberPlace(const MainDialog& window) {
  RECT client;
  window.m_dpiSlider.GetClientRect(&client);
  RECT thumb;
  window.m_dpiSlider.GetThumbRect(&thumb);
  POINT right = {client.right, 0};
  POINT centre = {0, (thumb.top + thumb.bottom) / 2};
  ::MapWindowPoints(window.m_dpiSlider.m_hWnd, window.m_hWnd, &right, 1);
  ::MapWindowPoints(window.m_dpiSlider.m_hWnd, window.m_hWnd, &centre, 1);
  DpiNumberPlace place;
  place.textOrigin = {right.x + kDpiNumberOffset.x, centre.y + kDpiNumberOffset.y};
  place.area = {right.x, kDpiNumberAreaTop, right.x + kDpiNumberAreaWidth, kDpiNumberAreaBottom};
  return place;
}

void invalidateDpiAreas(MainDialog& window) {
  DpiNumberPlace place = dpiNumberPlace(window);
  window.InvalidateRect(&place.area, FALSE);
  window.InvalidateRect(&kDpiBoxStrip, FALSE);
}
