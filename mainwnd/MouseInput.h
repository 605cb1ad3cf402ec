// The mice's input on the window's thread: the engine that acts on their
// remapped buttons and DPI reports, which raw-input device is which mouse,
// and when the engine last held keys (keys that reach the window soon after
// may be the mouse's own typing). The engine is the window thread's alone.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "input/InputEngine.h"
#include "input/InputEngine_win.h"
#include "input/MouseSet.h"
#include "input/RawInputMice_win.h"

class MouseInput {
public:
  using DpiDisplay = std::function<void(int step)>;
  using DpiChoiceDisplay = std::function<void(int level, int step)>;
  // `showDpi` shows the mouse's DPI state; `showDpiChoice` a level chosen
  // with the mouse's own DPI button.
  MouseInput(DpiDisplay showDpi, DpiChoiceDisplay showDpiChoice);
  MouseInput(const MouseInput&) = delete;
  MouseInput& operator=(const MouseInput&) = delete;

  // A copy that ended without handing back may have left a mouse holding
  // keys or buttons: every mouse lets go.
  void releaseEveryMouse() { m_engine.releaseEveryMouse(); }
  // The mouse lets go of whatever the engine holds on it.
  void releaseHeldInput();
  // A raw-input packet: a mouse reports a remapped button or its DPI state.
  void onRawInput(HRAWINPUT handle);
  // A raw-input device came or went; true when a mouse of the model came,
  // which wants its settings now.
  bool onDeviceChange(WPARAM change, HANDLE device);
  // Another set of mice than before: only what the mice that went held goes.
  void keepOnlyPresentMice(bool someWent);
  // Whether keys that reach the window now may be the mouse's: a remapped
  // button holds keys, or let go of them a moment ago (the key-down the
  // mouse typed can come after the release was sent).
  bool mayBeTyping() const;

  // Until the mice are looked for again, what they report is compared with
  // a clean state, and a DPI report is no choice of the user's.
  void devicesChanged() { m_engine.devicesChanged(); }
  void dpiStepsRestored() { m_engine.dpiStepsRestored(); }
  void awaitDpiAnswer(int level, int step);
  void stopAwaitingDpiAnswer() { m_engine.stopAwaitingDpiAnswer(); }

private:
  // The moment the engine was last seen holding keys.
  void noteHeldKeys();

  MainWindowInput m_output;
  InputEngine m_engine;
  RawInputMice m_mice;
  ULONGLONG m_keysHeldAt = 0;  // GetTickCount64; none at first
  bool m_keysWereHeld = false;
};
