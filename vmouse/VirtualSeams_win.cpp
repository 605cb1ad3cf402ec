// The virtual build reaches the virtual mouse behind the same seams as the
// product reaches the real one. The mouse is plugged in, and its control
// channel opened, as the program starts, before the window looks for it.
#include "app/Seams.h"
#include "vmouse/VirtualMouseRig_win.h"

HidBus& systemHidBus() { return virtualMouseRig().m_bus; }

RawInputApi& systemRawInput() { return virtualMouseRig().m_rawInput; }

namespace {
const bool pluggedInAtStart = (virtualMouseRig(), true);
}  // namespace
