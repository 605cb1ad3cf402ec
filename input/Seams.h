// Where the program reaches the mouse: the HID interfaces and raw input, and
// the sessions that decide whether it may. The
// product links the system's implementations (ProductSeams_win.cpp); the
// virtual build links the virtual mouse's (vmouse/VirtualSeams_win.cpp).
#pragma once

class HidBus;
class RawInputApi;

// Which session this copy runs in, and whose session the console shows (the
// one screen, keyboard and mouse of the machine). The virtual build can make
// a copy believe it is in another session than the console's.
class SessionIds {
public:
  virtual ~SessionIds() = default;
  virtual unsigned long ownSession() = 0;
  // Not any session's while the console is being switched over.
  virtual unsigned long consoleSession() = 0;
  bool onConsole() { return ownSession() == consoleSession(); }
};

HidBus& systemHidBus();
RawInputApi& systemRawInput();
SessionIds& systemSessions();
