#include "app/WatchThreads.h"

#include <windows.h>

#include "mainwnd/MainDialog.h"
#include "app/ProcessObjects.h"
#include "framework/CHandle.h"

namespace {

// Set by stopWatchThreads; the watch waits on it beside the two signals.
CHandle stopEvent;
CHandle watchThread;

// One thread serves both signals of a later copy: each thread costs the
// process about a megabyte of memory, and neither signal needs one of its
// own. The open signal asks the window's thread to bring the window
// forward, again and again; the close signal asks the window to exit, once,
// and is watched no more after that. A set event is reset at once, so that a
// signal arriving while the request is carried out is kept for the next
// wait. Posting never waits for the window's thread, which may itself be
// waiting for this one to end.
DWORD WINAPI WatchThread(LPVOID parameter) {
  MainDialog* const dialog = static_cast<MainDialog*>(parameter);
  const HWND window = dialog->m_hWnd;
  bool watchingClose = true;
  for (;;) {
    // The stop request first: it wins over a signal that came with it.
    HANDLE handles[4] = {stopEvent};
    DWORD count = 1;
    if (watchingClose && waitEventClose) handles[count++] = waitEventClose;
    if (watchingClose && machineCloseEvent) handles[count++] = machineCloseEvent;
    if (waitEventOpen) handles[count++] = waitEventOpen;
    if (count == 1) return 0;
    const DWORD result = ::WaitForMultipleObjects(count, handles, FALSE, INFINITE);
    if (result <= WAIT_OBJECT_0 || result >= WAIT_OBJECT_0 + count) return 0;  // stopped, or the wait failed
    const HANDLE signalled = handles[result - WAIT_OBJECT_0];
    // A request withdrawn (its event reset) before this thread got to run
    // is no request: a setup that gave up waiting for this copy to close,
    // held up as it was, resets the event and leaves it running.
    if (::WaitForSingleObject(signalled, 0) != WAIT_OBJECT_0) continue;
    ::ResetEvent(signalled);
    if (signalled == waitEventClose || signalled == machineCloseEvent) {
      watchingClose = false;
      dialog->requestExit();
    } else {
      ::PostMessageA(window, WM_APP_SHOW_REQUEST, 0, 0);
    }
  }
}

}  // namespace

void startWatchThreads(MainDialog* dialog) {
  if (!stopEvent) stopEvent.Attach(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  // Without a way to stop it the thread could outlive what it uses.
  if (!stopEvent) return;
  ::ResetEvent(stopEvent);
  if (waitEventClose || waitEventOpen || machineCloseEvent) watchThread.Attach(::CreateThread(nullptr, 0, WatchThread, dialog, 0, nullptr));
}

void stopWatchThreads() {
  if (!stopEvent) return;
  ::SetEvent(stopEvent);
  // The thread never waits for the window's thread, so it ends promptly.
  if (watchThread) {
    ::WaitForSingleObject(watchThread, INFINITE);
    watchThread.Close();
  }
  stopEvent.Close();
}

void signalNamedEvent(const char* name) {
  if (const CHandle event{::OpenEventA(EVENT_MODIFY_STATE, FALSE, name)}) ::SetEvent(event);
}
