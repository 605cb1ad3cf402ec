#include "controls/ZoomWindow.h"

#include <cstdio>

#include "framework/GdiObjects.h"
#include "resource.h"

namespace {
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshPeriodMs = 40;
constexpr int kWorkSize = 2048;
constexpr int kTicksHeldAfterSizing = 5;
}  // namespace

ZoomWindow::ZoomWindow(CWnd* ownerWindow) : CDialog(IDD_ZOOM, nullptr), m_owner(ownerWindow) {}

ZoomWindow::~ZoomWindow() = default;

BEGIN_MESSAGE_MAP(ZoomWindow, CDialog)
  ON_MESSAGE(WM_CLOSE, OnClose)
  ON_MESSAGE(WM_PAINT, OnPaint)
  ON_MESSAGE(WM_TIMER, OnTimer)
END_MESSAGE_MAP()

SIZE ZoomWindow::sourceSize(int clientWidth, int clientHeight) {
  return {clientWidth / zoomFactor + 1, clientHeight / zoomFactor + 1};
}

BOOL ZoomWindow::OnInitDialog() {
  CDialog::OnInitDialog();
  m_resizeHold = 0;
  char title[32];
  std::snprintf(title, sizeof title, "Zoom (x%d)", zoomFactor);
  SetWindowText(title);
  if (IsWindowVisible()) startRefreshing();
  return TRUE;
}

void ZoomWindow::startRefreshing() {
  if (!m_workBitmap) m_workBitmap.reset(::CreateBitmap(kWorkSize, kWorkSize, 1, 32, nullptr));
  SetTimer(kRefreshTimer, kRefreshPeriodMs);
}

void ZoomWindow::stopRefreshing() {
  KillTimer(kRefreshTimer);
  m_workBitmap.reset(nullptr);
}

LRESULT ZoomWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // While the user drags the border, refreshing pauses.
  if (message == WM_SIZING) m_resizeHold = kTicksHeldAfterSizing;
  if (message == WM_WINDOWPOSCHANGED) {
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
    if (pos->flags & SWP_SHOWWINDOW) startRefreshing();
    if (pos->flags & SWP_HIDEWINDOW) stopRefreshing();
  }
  return CDialog::WindowProc(message, wParam, lParam);
}

LRESULT ZoomWindow::OnClose(UINT, WPARAM, LPARAM, BOOL&) {
  // Closing only hides the magnifier; the object stays.
  ShowWindow(SW_HIDE);
  if (m_owner && m_owner->m_hWnd) m_owner->PostMessage(WM_APP_ZOOM_HIDDEN);
  return 0;
}

LRESULT ZoomWindow::OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
  if (wParam == kRefreshTimer) {
    POINT pointer;
    ::GetCursorPos(&pointer);
    if (m_resizeHold == 0 && ::WindowFromPoint(pointer) != m_hWnd) Invalidate(FALSE);
    if (m_resizeHold > 0) --m_resizeHold;
  }
  return DefWindowProc(message, wParam, lParam);
}

LRESULT ZoomWindow::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  PaintDC dc(m_hWnd);
  if (!m_workBitmap) startRefreshing();  // painted before it was shown
  POINT pointer;
  ::GetCursorPos(&pointer);
  RECT client;
  GetClientRect(&client);
  const SIZE source = sourceSize(client.right, client.bottom);

  MemoryDC work(dc, m_workBitmap);
  GdiObject<HDC> screen(::CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
  ::FillRect(work, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  ::BitBlt(work, 0, 0, source.cx, source.cy, screen, pointer.x - source.cx / 2, pointer.y - source.cy / 2, SRCCOPY);

  // The pointer shape is the one the window under the pointer shows, which
  // may belong to another thread.
  HCURSOR cursor;
  HWND under = ::WindowFromPoint(pointer);
  DWORD otherThread = under ? ::GetWindowThreadProcessId(under, nullptr) : 0;
  DWORD thisThread = ::GetCurrentThreadId();
  if (otherThread && otherThread != thisThread && ::AttachThreadInput(thisThread, otherThread, TRUE)) {
    cursor = ::GetCursor();
    ::AttachThreadInput(thisThread, otherThread, FALSE);
  } else {
    cursor = ::GetCursor();
  }
  POINT at = {source.cx / 2, source.cy / 2};
  ICONINFO info;
  if (cursor && ::GetIconInfo(cursor, &info)) {
    at.x -= static_cast<LONG>(info.xHotspot);
    at.y -= static_cast<LONG>(info.yHotspot);
    // GetIconInfo hands over copies of the cursor's bitmaps.
    GdiObject<HBITMAP> mask(info.hbmMask), colour(info.hbmColor);
  }
  if (cursor) ::DrawIconEx(work, at.x, at.y, cursor, 0, 0, 0, nullptr, DI_NORMAL | DI_COMPAT);

  ::StretchBlt(dc, 0, 0, source.cx * zoomFactor, source.cy * zoomFactor, work, 0, 0, source.cx, source.cy, SRCCOPY);
  return 0;
}
