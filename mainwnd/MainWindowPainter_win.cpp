#include "mainwnd/MainWindowPainter.h"

#include "app/MainDialog.h"
#include "app/ProcessObjects.h"
#include "framework/GdiObjects.h"

void MainWindowPainter::paint(MainDialog& window) {
  if (window.IsIconic()) {
    PaintDC dc(window.m_hWnd);
    window.SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.hdc()), 0);
    RECT client;
    window.GetClientRect(&client);
    int cx = ::GetSystemMetrics(SM_CXICON);
    int cy = ::GetSystemMetrics(SM_CYICON);
    ::DrawIcon(dc.hdc(), (client.right - cx + 1) / 2, (client.bottom - cy + 1) / 2, window.windowIcon);
    return;
  }
  if (!backgroundBitmap) return;

  PaintDC dc(window.m_hWnd);
  MemoryDC back(dc.hdc(), skinBackdrop);
  MemoryDC clean(dc.hdc(), backgroundBitmap);
  ::BitBlt(back, 0, 0, window.skinWidth, window.skinHeight, clean, 0, 0, SRCCOPY);
  ::SetBkMode(back, TRANSPARENT);

  ::BitBlt(dc.hdc(), 0, 0, window.skinWidth, window.skinHeight, back, 0, 0, SRCCOPY);
}
