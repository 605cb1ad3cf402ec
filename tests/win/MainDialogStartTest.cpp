// Starting hidden ("/hide"): the window is hidden however late the modal loop
// first shows it. The console display coming back on (modern standby's
// resume) gives the mouse its DPI steps again.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "app/MainDialog.h"
#include "app/ProcessObjects.h"
#include "resource.h"
#include "tests/win/PumpMessages.h"
#include "tests/win/VirtualMouseCommand.h"

namespace {

TEST(MainDialogStart, UnderHideTheWindowIsHiddenAlsoWhenFirstShownAfterTheTimersFirstTicks) {
  hideAtStart = true;
  MainDialog dialog{nullptr};
  ASSERT_TRUE(dialog.Create(IDD_MAIN));  // created hidden, as the modal loop leaves it until its queue runs dry
  pumpUntil([] { return false; }, 4 * kHideAtStartPeriodMs);  // the hide timer ticks while nothing is shown yet
  dialog.ShowWindow(SW_SHOWNORMAL);
  EXPECT_TRUE(pumpUntil([&] { return dialog.IsWindowVisible() == FALSE; }, 10000));
  hideAtStart = false;
  dialog.DestroyWindow();
  mainDialog = nullptr;
}

void sendDisplayState(HWND window, DWORD state) {
  struct {
    POWERBROADCAST_SETTING setting;
    DWORD rest;
  } notice = {};
  notice.setting.PowerSetting = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
  notice.setting.DataLength = sizeof(DWORD);
  std::memcpy(notice.setting.Data, &state, sizeof(state));
  ::SendMessageA(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&notice));
}

bool stepsWereSent() {
  bool sent = false;
  for (const std::string& line : virtualMouseCommand("frames")) sent = sent || line.rfind("set mouse 0018", 0) == 0;
  return sent;
}

TEST(MainDialogStart, TheDisplayComingBackOnGivesTheMouseItsStepsAgain) {
  MainDialog dialog{nullptr};
  ASSERT_TRUE(dialog.Create(IDD_MAIN));
  // The first re-scan gives the steps; then all is quiet.
  ASSERT_TRUE(pumpUntil([] { return stepsWereSent(); }, 20000));
  sendDisplayState(dialog.m_hWnd, 1);  // as on registering: no return
  sendDisplayState(dialog.m_hWnd, 0);
  pumpUntil([] { return false; }, 200);
  EXPECT_FALSE(stepsWereSent());
  sendDisplayState(dialog.m_hWnd, 2);  // dimmed is on
  EXPECT_TRUE(pumpUntil([] { return stepsWereSent(); }, 20000));
  dialog.DestroyWindow();
  mainDialog = nullptr;
}

}  // namespace
