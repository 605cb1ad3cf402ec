#include "app/ConfigApp.h"

#include "app/CommandLine.h"
#include "app/MainDialog.h"
#include "app/ProcessObjects.h"

namespace {
const char kOpenEventName[] = "Global\\KorvanixWaitEventOpen";
const char kCloseEventName[] = "Global\\KorvanixWaitEventClose";

// A later copy's request to the running one: one pulse, then the handle goes.
void pulseNamedEvent(const char* name) {
  if (HANDLE event = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, name)) {
    ::PulseEvent(event);
    ::CloseHandle(event);
  }
}
}  // namespace

BOOL ConfigApp::InitInstance() {
  Enable3dControls();

  StartSwitches switches = parseStartSwitches(::GetCommandLineA());
  hideAtStart = switches.hide ? 1 : 0;
  closeSwitch = switches.close ? 1 : 0;

  // The close event marks a running copy: finding it already there makes this
  // process a later copy.
  waitEventClose = ::CreateEventA(nullptr, TRUE, TRUE, kCloseEventName);
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    if (waitEventClose) ::CloseHandle(waitEventClose);
    waitEventClose = nullptr;
    // The close request goes out before the show request.
    if (closeSwitch) pulseNamedEvent(kCloseEventName);
    pulseNamedEvent(kOpenEventName);
    return FALSE;
  }

  // First copy. An event that could not be made (another user's copy denies
  // access to it, say) leaves a null handle: the program then runs without
  // that half of the single-instance channel.
  waitEventOpen = ::CreateEventA(nullptr, TRUE, TRUE, kOpenEventName);
  if (waitEventClose) ::ResetEvent(waitEventClose);
  if (waitEventOpen) ::ResetEvent(waitEventOpen);

  if (!closeSwitch) {
    MainDialog dialog(nullptr);
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
  }

  if (waitEventClose) ::CloseHandle(waitEventClose);
  if (waitEventOpen) ::CloseHandle(waitEventOpen);
  waitEventClose = waitEventOpen = nullptr;
  // FALSE: the process ends here, without a message loop of the framework's.
  return FALSE;
}
