// The virtual build reaches the virtual mouse behind the same seams as the
// product reaches the real one. The mouse is plugged in, and its control
// channel opened, as the program starts, before the window looks for it.
#include "input/Seams.h"

#include <cstdlib>

#include "vmouse/VirtualMouseRig_win.h"

HidBus& systemHidBus() { return virtualMouseRig().m_bus; }

RawInputApi& systemRawInput() { return virtualMouseRig().m_rawInput; }

namespace {
// The virtual machine's console shows session SKIVOL_VMOUSE_CONSOLE_SESSION
// (a decimal number) when it is set, and this copy's own session otherwise.
class VirtualSessionIds : public SessionIds {
public:
  unsigned long ownSession() override {
    DWORD session = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
    return session;
  }
  unsigned long consoleSession() override {
    const char* console = std::getenv("SKIVOL_VMOUSE_CONSOLE_SESSION");
    if (!console || !*console) return ownSession();
    return std::strtoul(console, nullptr, 10);
  }
};
}  // namespace

SessionIds& systemSessions() {
  static VirtualSessionIds sessions;
  return sessions;
}

namespace {
const bool pluggedInAtStart = (virtualMouseRig(), true);
}  // namespace
