// The magnifier: hidden at creation, closing only hides it and tells its owner.
#include <gtest/gtest.h>

#include "controls/ZoomWindow.h"

namespace {

class OwnerProbe : public CWnd {
public:
  int zoomClosedMessages = 0;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_APP_ZOOM_HIDDEN) ++zoomClosedMessages;
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

TEST(ZoomWindow, CreatedHiddenAndClosingOnlyHidesIt) {
  OwnerProbe owner;
  HWND ownerWindow = ::CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  owner.SubclassWindow(ownerWindow);

  ZoomWindow zoom(&owner);
  ASSERT_TRUE(zoom.Create(104, nullptr));
  EXPECT_FALSE(zoom.IsWindowVisible());
  EXPECT_EQ(zoom.GetWindowText(), "Zoom (x2)");
  EXPECT_EQ(zoom.m_workBitmap, nullptr);  // nothing to capture into while hidden

  zoom.ShowWindow(SW_SHOW);
  EXPECT_NE(zoom.m_workBitmap, nullptr);
  zoom.SendMessage(WM_CLOSE);
  EXPECT_FALSE(zoom.IsWindowVisible());
  EXPECT_EQ(zoom.m_workBitmap, nullptr);
  EXPECT_NE(zoom.m_hWnd, nullptr);  // still there

  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  EXPECT_EQ(owner.zoomClosedMessages, 1);
  ::DestroyWindow(ownerWindow);
}

}  // namespace
