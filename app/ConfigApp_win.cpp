#include "app/ConfigApp.h"

#include <imm.h>

#include "app/CommandLine.h"
#include "framework/CHandle.h"
#include "mainwnd/MainDialog.h"
#include "app/ProcessObjects.h"
#include "app/WatchThreads.h"

namespace {
// One copy per session: a second user signed in beside the first has a copy
// of their own, so the single-instance events are the session's.
const char kOpenEventName[] = "Local\\KorvanixWaitEventOpen";
const char kCloseEventName[] = "Local\\KorvanixWaitEventClose";
// Every copy of every session holds this one while it runs and ends when it
// is signalled: a setup, which replaces the one program that all sessions
// run, looks for it and ends them all through it.
const char kMachineCloseEventName[] = "Global\\KorvanixWaitEventClose";
// Exists while the main window runs; nothing waits on it.
const char kWindowRunningEventName[] = "Local\\OxarWaitEvent";
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
    // The close request goes out before the show request; it ends the
    // copies of the other users' sessions too, where this user may.
    if (closeSwitch) {
      signalNamedEvent(kCloseEventName);
      signalNamedEvent(kMachineCloseEventName);
    }
    signalNamedEvent(kOpenEventName);
    return FALSE;
  }

  // First copy. An event that could not be made (another user's copy denies
  // access to it, say) leaves a null handle: the program then runs without
  // that half of the single-instance channel.
  waitEventOpen = ::CreateEventA(nullptr, TRUE, TRUE, kOpenEventName);
  if (waitEventClose) ::ResetEvent(waitEventClose);
  if (waitEventOpen) ::ResetEvent(waitEventOpen);
  // Another session's copy may have made it already (and is then not reset
  // here, its request being theirs too); one that denies this user access
  // leaves a null handle.
  machineCloseEvent = ::CreateEventA(nullptr, TRUE, FALSE, kMachineCloseEventName);

  if (!closeSwitch) {
    // Nothing in the program takes typed text (the "Key" dialog reads keys,
    // not characters), so its windows need no input method, whose machinery
    // would cost the process about a megabyte.
    ::ImmDisableIME(static_cast<DWORD>(-1));
    const CHandle windowRunning(::CreateEventA(nullptr, TRUE, TRUE, kWindowRunningEventName));
    if (windowRunning) ::ResetEvent(windowRunning);
    MainDialog dialog(nullptr);
    m_pMainWnd = &dialog;
    mainDialog = &dialog;
    dialog.whenStarted([](MainDialog& started) { startWatchThreads(&started); });
    dialog.DoModal();
    // The watch threads use the dialog and the events: they end first.
    stopWatchThreads();
    mainDialog = nullptr;
    m_pMainWnd = nullptr;
  }

  if (waitEventClose) ::CloseHandle(waitEventClose);
  if (waitEventOpen) ::CloseHandle(waitEventOpen);
  if (machineCloseEvent) ::CloseHandle(machineCloseEvent);
  waitEventClose = waitEventOpen = machineCloseEvent = nullptr;
  // FALSE: the process ends here, without a message loop of the framework's.
  return FALSE;
}
