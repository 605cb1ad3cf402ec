// The "taken once" rule of a message that the modal loop acts on before it
// dispatches it (PreTranslateMessage): the window procedure, reached by that
// same message, leaves it alone; reached by one that another loop (a window
// drag, a menu, a message box) dispatched, it acts on it itself. Either way
// a message is acted on once.
#pragma once
#include <cstdint>

class LoopTaken {
public:
  // The loop acted on the message carrying `value` (its lParam).
  void take(intptr_t value) {
    m_taken = true;
    m_value = value;
  }
  // The loop consumed it after all: no window procedure will see it.
  void drop() { m_taken = false; }
  // For the window procedure: true, once, when the loop has acted on this
  // message already.
  bool takenByLoop(intptr_t value) {
    const bool taken = m_taken && m_value == value;
    if (taken) m_taken = false;
    return taken;
  }

private:
  bool m_taken = false;
  intptr_t m_value = 0;
};
