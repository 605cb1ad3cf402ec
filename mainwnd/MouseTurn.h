// This copy's turn with the mouse. The mouse is one, however many users are
// signed in: only the copy of the session on the console talks to it and
// reads its buttons, and not while the machine sleeps or the session is
// locked. The turn registers for the mouse's raw input and for the power and
// session notices, follows each event through MouseAccess's rules, and lets
// go of the mouse or gives it back through the window.
#pragma once
#include <windows.h>

#include "device/MouseAccess.h"
#include "framework/CWnd.h"

class MouseTurn {
public:
  // What the turn asks of the window that holds it.
  class Window {
  public:
    // The mouse lets go of whatever a remapped button holds.
    virtual void releaseHeldInput() = 0;
    // The mouse is this copy's again and may have lost power meanwhile: it
    // is looked for now and gets the settings.
    virtual void mouseGivenBack() = 0;

  protected:
    ~Window() = default;
  };

  MouseTurn(CWnd& parent, Window& window) : m_parent(parent), m_window(window) {}
  MouseTurn(const MouseTurn&) = delete;
  MouseTurn& operator=(const MouseTurn&) = delete;

  // Before the first scan: a copy away from the console sends the mouse
  // nothing, from the first frame on, until its session comes there.
  void decide();
  // The mouse's raw input, for the console's copy.
  void startReadingInput();
  // From the start to the window's end: the power and session notices.
  void watch();
  void stopWatching();

  bool mayTalk() const { return m_access.mayTalk(); }

  LRESULT onPowerBroadcast(WPARAM event, LPARAM setting);
  void onSessionChange(WPARAM event);

private:
  void onEvent(SessionEvent event);
  // What sleep, a lock or another session's turn at the console ask: every
  // mouse lets go of what it holds and handles every button itself, as at
  // the exit (the settings in force stay as they are); then nothing more is
  // sent to it.
  void letGo();
  void registerRawInput();
  void unregisterRawInput();

  CWnd& m_parent;
  Window& m_window;
  MouseAccess m_access{true};
  bool m_rawInputRegistered = false;
  HPOWERNOTIFY m_displayNotice = nullptr;  // the console display's state
  bool m_sessionNotices = false;           // WTSRegisterSessionNotification took
};
