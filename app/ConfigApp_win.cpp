#include "app/ConfigApp.h"

#include <imm.h>

#include "app/CommandLine.h"
#include "app/MainDialog.h"
#include "app/ProcessObjects.h"
#include "app/WatchThreads.h"

namespace {
const char kOpenEventName[] = "Global\\KorvanixWaitEventOpen";
const char kCloseEventName[] = "Global\\KorvanixWaitEventClose";
}  // namespace

BOOL ConfigApp::InitInstance() {
  Enable3dControls();

  StartSwitches switches = parseStartSwitches(::GetCommandLineA());
  hideAtStart = switches.hide;
  closeSwitch = switches.close;

  // The close event marks a running copy: finding it already there makes this
  // process a later copy.
  waitEventClose = ::CreateEventA(nullptr, TRUE, TRUE, kCloseEventName);
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    if (waitEventClose) ::CloseHandle(waitEventClose);
    waitEventClose = nullptr;
    // The close request goes out before the show request.
    if (closeSwitch) signalNamedEvent(kCloseEventName);
    signalNamedEvent(kOpenEventName);
    return FALSE;
  }

  // First copy. An event that could not be made (another user's copy denies
  // access to it, say) leaves a null handle: the program then runs without
  // that half of the single-instance channel.
  waitEventOpen = ::CreateEventA(nullptr, TRUE, TRUE, kOpenEventName);
  if (waitEventClose) ::ResetEvent(waitEventClose);
  if (waitEventOpen) ::ResetEvent(waitEventOpen);

  if (!closeSwitch) {
    // Nothing in the program takes typed text (the "Key" dialog reads keys,
    // not characters), so its windows need no input method, whose machinery
    // would cost the process about a megabyte.
    ::ImmDisableIME(static_cast<DWORD>(-1));
    MainDialog dialog(nullptr);
    m_pMainWnd = &dialog;
    dialog.DoModal();
    // The watch threads use the dialog and the events: they end first.
    stopWatchThreads();
    mainDialog = nullptr;
    m_pMainWnd = nullptr;
  }

  if (waitEventClose) ::CloseHandle(waitEventClose);
  if (waitEventOpen) ::CloseHandle(waitEventOpen);
  waitEventClose = waitEventOpen = nullptr;
  // FALSE: the process ends here, without a message loop of the framework's.
  return FALSE;
}
