#include "app/WatchThreads.h"

#include <windows.h>

#include "app/MainDialog.h"
#include "app/ProcessObjects.h"

namespace {

// Set by stopWatchThreads; both threads wait on it beside their own event.
HANDLE stopEvent = nullptr;
HANDLE showThread = nullptr;
HANDLE closeThread = nullptr;

// Waits for `event` or the stop request; true when `event` came. A set event
// is reset at once, so that a signal arriving while the request is carried
// out is kept for the next wait.
bool waitForSignal(HANDLE event) {
  const HANDLE handles[] = {stopEvent, event};
  if (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return false;
  ::ResetEvent(event);
  return true;
}

// Waits for the open signal until stopped; each signal asks the window's
// thread to bring the window forward. Posting never waits for that thread,
// which may itself be waiting for this one to end.
DWORD WINAPI ShowWatchThread(LPVOID parameter) {
  const HWND window = static_cast<MainDialog*>(parameter)->m_hWnd;
  while (waitForSignal(waitEventOpen)) ::PostMessageA(window, WM_APP_SHOW_REQUEST, 0, 0);
  return 0;
}

// Waits once for the close signal, then asks the window to exit.
DWORD WINAPI CloseWatchThread(LPVOID parameter) {
  if (waitForSignal(waitEventClose)) static_cast<MainDialog*>(parameter)->requestExit();
  return 0;
}

HANDLE startThread(LPTHREAD_START_ROUTINE routine, MainDialog* dialog) {
  return ::CreateThread(nullptr, 0, routine, dialog, 0, nullptr);
}

void endThread(HANDLE& thread) {
  if (!thread) return;
  ::WaitForSingleObject(thread, INFINITE);
  ::CloseHandle(thread);
  thread = nullptr;
}

}  // namespace

void startWatchThreads(MainDialog* dialog) {
  if (!stopEvent) stopEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  // Without a way to stop them the threads could outlive what they use.
  if (!stopEvent) return;
  ::ResetEvent(stopEvent);
  if (waitEventClose) closeThread = startThread(CloseWatchThread, dialog);
  if (waitEventOpen) showThread = startThread(ShowWatchThread, dialog);
}

void stopWatchThreads() {
  if (!stopEvent) return;
  ::SetEvent(stopEvent);
  // Neither thread ever waits for the window's thread, so both end promptly.
  endThread(closeThread);
  endThread(showThread);
  ::CloseHandle(stopEvent);
  stopEvent = nullptr;
}

void signalNamedEvent(const char* name) {
  if (HANDLE event = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, name)) {
    ::SetEvent(event);
    ::CloseHandle(event);
  }
}
