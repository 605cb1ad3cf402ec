// Runs the test thread's messages (dialogs under test are modeless on it, and
// cross-thread calls into their windows wait for it) until `done` holds or
// the deadline passes.
#pragma once

#include <windows.h>

#include <functional>

inline bool pumpUntil(const std::function<bool()>& done, DWORD deadlineMs = 10000) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > deadlineMs) return false;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}
