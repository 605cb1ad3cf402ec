// Starting hidden ("/hide"): the window is hidden however late the modal loop
// first shows it.
#include <gtest/gtest.h>

#include <windows.h>

#include "mainwnd/MainDialog.h"
#include "app/ProcessObjects.h"
#include "resource.h"
#include "tests/win/PumpMessages.h"

namespace {

TEST(MainDialogStart, UnderHideTheWindowIsHiddenAlsoWhenFirstShownAfterTheTimersFirstTicks) {
  hideAtStart = true;
  MainDialog dialog{nullptr};
  ASSERT_TRUE(dialog.Create(IDD_MAIN));  // created hidden, as the modal loop leaves it until its queue runs dry
  pumpUntil([] { return false; }, 4 * FirstShow::kHideAtStartPeriodMs);  // the hide timer ticks while nothing is shown yet
  dialog.ShowWindow(SW_SHOWNORMAL);
  EXPECT_TRUE(pumpUntil([&] { return dialog.IsWindowVisible() == FALSE; }, 10000));
  hideAtStart = false;
  dialog.DestroyWindow();
  mainDialog = nullptr;
}

}  // namespace
