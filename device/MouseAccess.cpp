#include "device/MouseAccess.h"

MouseAction MouseAccess::onEvent(SessionEvent event) {
  const bool before = mayTalk();
  bool comesBack = false;
  switch (event) {
    case SessionEvent::Suspend:
      m_asleep = true;
      break;
    case SessionEvent::Resume:
      // A resume may come without its suspend having been seen (too late to
      // be told, or a wake before the sleep was announced): the mouse is
      // looked after all the same.
      m_asleep = false;
      comesBack = true;
      break;
    case SessionEvent::DisplayOff:
      // Modern standby gives no suspend; the display going off is no reason
      // to let go, though: the user may still be at the mouse.
      m_displayOff = true;
      break;
    case SessionEvent::DisplayOn:
      // Modern standby's return: the display comes back on, with no resume.
      comesBack = m_displayOff;
      m_displayOff = false;
      break;
    case SessionEvent::Lock:
      m_locked = true;
      break;
    case SessionEvent::Unlock:
      m_locked = false;
      comesBack = true;
      break;
    case SessionEvent::ConsoleConnect:
      m_onConsole = true;
      comesBack = true;
      break;
    case SessionEvent::ConsoleDisconnect:
      m_onConsole = false;
      break;
    case SessionEvent::RemoteDisconnect:
      // This session was not the console's; should it have been, the mouse
      // now belongs to whoever comes to the console.
      m_onConsole = false;
      break;
  }
  if (before && !mayTalk()) return MouseAction::LetGo;
  if (comesBack && mayTalk()) return MouseAction::GiveBack;
  return MouseAction::None;
}
