// The product reaches the mouse through the system's HID services.
#include "input/Seams.h"

#include <windows.h>

#include "device/Win32HidBus.h"
#include "input/Win32RawInput.h"

// Function-local statics: the process-wide HID link asks for its bus while
// the globals are still being constructed, whatever the order of files.
HidBus& systemHidBus() {
  static Win32HidBus bus;
  return bus;
}

RawInputApi& systemRawInput() {
  static Win32RawInput rawInput;
  return rawInput;
}

namespace {
class Win32SessionIds : public SessionIds {
public:
  unsigned long ownSession() override {
    DWORD session = 0;
    // Cannot fail for the process itself; should it, the copy counts as the
    // console's, as every copy did before sessions were told apart.
    if (!::ProcessIdToSessionId(::GetCurrentProcessId(), &session)) return consoleSession();
    return session;
  }
  unsigned long consoleSession() override { return ::WTSGetActiveConsoleSessionId(); }
};
}  // namespace

SessionIds& systemSessions() {
  static Win32SessionIds sessions;
  return sessions;
}
