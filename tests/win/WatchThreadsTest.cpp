// The later copy's signals reach the running window: a signal given before
// the watch thread waits is kept, and once stopped the threads act no more.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "app/MainDialog.h"
#include "app/ProcessObjects.h"
#include "app/WatchThreads.h"
#include "device/MouseConfig.h"
#include "resource.h"
#include "tests/win/PumpMessages.h"

namespace {

TEST(WatchThreads, AnEarlySignalIsKeptAndStoppedThreadsActNoMore) {
  MainDialog dialog{nullptr};
  mouseConfig.dpiSyncPending = false;
  ASSERT_TRUE(dialog.Create(IDD_MAIN));  // without the events it starts no thread
  dialog.ShowWindow(SW_HIDE);
  waitEventOpen = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  waitEventClose = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);

  ::SetEvent(waitEventOpen);  // a later copy, before anything waits
  startWatchThreads(&dialog);
  EXPECT_TRUE(pumpUntil([&] { return dialog.IsWindowVisible() != FALSE; }, 10000));
  EXPECT_TRUE(pumpUntil([] { return ::WaitForSingleObject(waitEventOpen, 0) == WAIT_TIMEOUT; }, 10000));

  stopWatchThreads();  // returns once both have ended
  ::SetEvent(waitEventClose);
  pumpUntil([] { return false; }, 100);
  EXPECT_FALSE(mouseConfig.exitRequested);

  ::CloseHandle(waitEventOpen);
  ::CloseHandle(waitEventClose);
  waitEventOpen = waitEventClose = nullptr;
  dialog.DestroyWindow();
  mainDialog = nullptr;
}

}  // namespace
