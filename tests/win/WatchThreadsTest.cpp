// The later copy's signals reach the running window: a signal given before
// the watch thread waits is kept, and once stopped the threads act no more.
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "mainwnd/MainDialog.h"
#include "app/ProcessObjects.h"
#include "app/WatchThreads.h"
#include "device/MouseModel.h"
#include "resource.h"
#include "tests/win/PumpMessages.h"

namespace {

std::set<DWORD> threadsOfThisProcess() {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  std::set<DWORD> threads;
  for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) threads.insert(entry.th32ThreadID);
  ::CloseHandle(snapshot);
  return threads;
}

DWORD WINAPI stopTheWatch(void*) {
  stopWatchThreads();
  return 0;
}

TEST(WatchThreads, AnEarlySignalIsKeptAndStoppedThreadsActNoMore) {
  MainDialog dialog{nullptr};
  mouseModel.change()->dpiSyncPending = false;
  ASSERT_TRUE(dialog.Create(IDD_MAIN));  // without the events it starts no thread
  dialog.ShowWindow(SW_HIDE);
  const std::string suffix = std::to_string(::GetCurrentProcessId());
  const std::string openName = "Local\\skivol-test-open-" + suffix, closeName = "Local\\skivol-test-close-" + suffix;
  waitEventOpen = ::CreateEventA(nullptr, TRUE, FALSE, openName.c_str());
  waitEventClose = ::CreateEventA(nullptr, TRUE, FALSE, closeName.c_str());

  signalNamedEvent(openName.c_str());  // a later copy, before anything waits
  const std::set<DWORD> before = threadsOfThisProcess();
  startWatchThreads(&dialog);
  std::vector<HANDLE> started;
  for (DWORD id : threadsOfThisProcess())
    if (!before.count(id)) started.push_back(::OpenThread(SYNCHRONIZE | THREAD_SUSPEND_RESUME, FALSE, id));
  ASSERT_EQ(started.size(), 1u);
  EXPECT_TRUE(pumpUntil([&] { return dialog.IsWindowVisible() != FALSE; }, 10000));
  EXPECT_TRUE(pumpUntil([] { return ::WaitForSingleObject(waitEventOpen, 0) == WAIT_TIMEOUT; }, 10000));
  dialog.ShowWindow(SW_HIDE);
  signalNamedEvent(openName.c_str());  // and again, while it waits
  EXPECT_TRUE(pumpUntil([&] { return dialog.IsWindowVisible() != FALSE; }, 10000));

  // Held up, the thread keeps the stop waiting: stopping returns only once
  // the thread has ended.
  ::SuspendThread(started[0]);
  HANDLE stopper = ::CreateThread(nullptr, 0, stopTheWatch, nullptr, 0, nullptr);
  EXPECT_EQ(::WaitForSingleObject(stopper, 500), static_cast<DWORD>(WAIT_TIMEOUT)) << "returned before the thread ended";
  ::ResumeThread(started[0]);
  EXPECT_EQ(::WaitForSingleObject(stopper, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(::WaitForSingleObject(started[0], 0), WAIT_OBJECT_0);
  ::CloseHandle(stopper);
  ::CloseHandle(started[0]);
  ::SetEvent(waitEventClose);
  pumpUntil([] { return false; }, 100);
  EXPECT_FALSE(mouseModel.config().exitRequested);

  ::CloseHandle(waitEventOpen);
  ::CloseHandle(waitEventClose);
  waitEventOpen = waitEventClose = nullptr;
  dialog.DestroyWindow();
  mainDialog = nullptr;
}

TEST(WatchThreads, TheMachinesCloseRequestEndsTheCopyToo) {
  MainDialog dialog{nullptr};
  ASSERT_TRUE(dialog.Create(IDD_MAIN));
  machineCloseEvent = ::CreateEventA(nullptr, TRUE, TRUE, nullptr);
  startWatchThreads(&dialog);
  // The watch thread sets the flag itself; the window goes before it takes
  // the close request posted with it.
  for (DWORD start = ::GetTickCount(); !mouseModel.config().exitRequested && ::GetTickCount() - start < 10000;) ::Sleep(10);
  EXPECT_TRUE(mouseModel.config().exitRequested);
  stopWatchThreads();
  dialog.DestroyWindow();
  ::CloseHandle(machineCloseEvent);
  machineCloseEvent = nullptr;
  mouseModel.change()->exitRequested = false;
  mainDialog = nullptr;
}

}  // namespace
