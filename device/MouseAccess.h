// Whether this copy of the program may talk to the mouse now, and what each
// of the machine's power and session events asks of it. The mouse is one,
// however many users are signed in: only the copy of the session on the
// console talks to it, and not while the machine sleeps or the session is
// locked. Platform-free, so the rules are tested on the host; the window
// turns the system's messages into events and carries out the actions.
#pragma once

enum class SessionEvent {
  Suspend,            // the machine goes to sleep or hibernates
  Resume,             // it woke up (automatically, or for the user)
  DisplayOff,         // the console's display went off
  DisplayOn,          // the console's display is on (or dimmed)
  Lock,               // this session's screen locked
  Unlock,             // and unlocked
  ConsoleConnect,     // this session came to the console
  ConsoleDisconnect,  // this session left the console (another user's came)
  RemoteDisconnect,   // this session's remote connection ended
};

enum class MouseAction {
  None,
  // Everything the mice hold is let go and every button is its own again,
  // as at the exit; then nothing more is sent.
  LetGo,
  // Look for the mouse again now and give every mouse found the report mask
  // in force and the file's DPI steps: it may have lost power meanwhile and
  // be at its power-on state, whether or not a device change came.
  GiveBack,
};

class MouseAccess {
public:
  // `onConsole`: this copy's session is the console's as it starts.
  explicit MouseAccess(bool onConsole) : m_onConsole(onConsole) {}

  MouseAction onEvent(SessionEvent event);
  // Frames, holds and raw input are this copy's business only while true.
  bool mayTalk() const { return m_onConsole && !m_asleep && !m_locked; }
  bool onConsole() const { return m_onConsole; }

private:
  bool m_onConsole;
  bool m_asleep = false;
  bool m_locked = false;
  // The display is known to be off. Registering for the display's state
  // brings a first notice at once, which is no return of the display.
  bool m_displayOff = false;
};
