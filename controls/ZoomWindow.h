// A small resizable magnifier: while on the screen it shows the area around
// the pointer, enlarged zoomFactor times, refreshed 25 times a second unless
// the pointer is over the magnifier itself. The main window creates one,
// hidden, and keeps it for the life of the process. The refresh timer and the
// work bitmap exist only while the magnifier is on the screen, so a hidden
// one costs no time and little memory.
#pragma once
#include "framework/CDialog.h"
#include "framework/GdiObjects.h"

// How many times the magnifier enlarges.
constexpr int zoomFactor = 2;

// Posted to the owner when the user closes the magnifier.
constexpr UINT WM_APP_ZOOM_HIDDEN = 1298;

class ZoomWindow : public CDialog {
public:
  explicit ZoomWindow(CWnd* owner);
  ~ZoomWindow() override;

  // Source rectangle for a client area: (width / zoom + 1) x (height / zoom + 1).
  static SIZE sourceSize(int clientWidth, int clientHeight);

  CWnd* m_owner;
  GdiObject<HBITMAP> m_workBitmap;  // 2048 x 2048, 32 bits: the captured screen area; only while shown
  int m_resizeHold = 0;            // refresh ticks still to skip after a resize

protected:
  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  DECLARE_MESSAGE_MAP()
  LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);

private:
  void startRefreshing();
  void stopRefreshing();
};
