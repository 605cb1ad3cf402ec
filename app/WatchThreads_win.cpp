#include "app/WatchThreads.h"

#include <windows.h>

#include "app/MainDialog.h"
#include "app/ProcessObjects.h"
#include "mainwnd/TrayIcon.h"

namespace {

// Waits for the open signal for ever; each pulse brings the window forward.
DWORD WINAPI ShowWatchThread(LPVOID) {
  for (;;) {
    if (::WaitForSingleObject(waitEventOpen, INFINITE) != WAIT_OBJECT_0) return 0;
    // These calls are carried out by the window's own thread.
    if (mainDialog) TrayIcon::restoreWindow(mainDialog->m_hWnd);
    ::Sleep(10);
  }
}

// Waits once for the close signal, then asks the window to exit.
DWORD WINAPI CloseWatchThread(LPVOID) {
  if (::WaitForSingleObject(waitEventClose, INFINITE) == WAIT_OBJECT_0 && mainDialog) mainDialog->requestExit();
  return 0;
}

void startThread(LPTHREAD_START_ROUTINE routine, MainDialog* dialog) {
  if (HANDLE thread = ::CreateThread(nullptr, 0, routine, dialog, 0, nullptr)) ::CloseHandle(thread);
}

}  // namespace

void startWatchThreads(MainDialog* dialog) {
  if (waitEventClose) startThread(CloseWatchThread, dialog);
  if (waitEventOpen) startThread(ShowWatchThread, dialog);
}
