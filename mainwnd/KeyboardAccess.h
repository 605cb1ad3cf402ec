// What makes the main window usable from the keyboard alone and tells a
// screen reader what its controls are, without changing how it looks to a
// mouse user:
// - the four DPI levels painted on the skin become one tab stop (a
//   ChoiceStrip over them), and "-" and "X" tab stops; the tab order is the
//   profile box, the four rows, the DPI levels, the slider, "Default", "-",
//   "X";
// - the focused slider, "Default", DPI levels, "-" or "X" gets an outline in
//   the skin's accent colour, but only once the user works by keyboard (the
//   system's keyboard cues, WM_UPDATEUISTATE): until then the window is the
//   mouse user's, pixel for pixel;
// - Alt+F4 hides the window from whichever control has the focus;
// - each control answers the accessibility interface with its name and
//   value (the row's label and its function, "DPI" and "800 DPI", ...) and
//   announces a change of its value.
// The window hooks it in after its controls are set up and offers it every
// queued message first.
#pragma once
#include <windows.h>

#include <functional>

#include "controls/ChoiceStrip.h"
#include "framework/CString.h"
#include "framework/MessageWatcher.h"

class SkinComboBox;

class PaintedWindow;

// The control of the DPI levels; the window's template has no control of
// this number.
constexpr int kDpiLevelsControlId = 1030;

class KeyboardAccess {
public:
  // What the window tells about itself besides what the painter asks.
  struct Window {
    PaintedWindow* painted = nullptr;
    // The text a row's combo box shows: its function, or its shortcut.
    std::function<CString(int row)> rowValue;
    // Makes DPI level `level` current, as a click on its box does.
    std::function<void(int level)> chooseDpiLevel;
  };

  KeyboardAccess() = default;
  ~KeyboardAccess();
  KeyboardAccess(const KeyboardAccess&) = delete;
  KeyboardAccess& operator=(const KeyboardAccess&) = delete;

  // Once the window's controls are placed and skinned.
  void attach(const Window& window);

  // Offered every queued message of the window and its controls first;
  // true when it took the message (Alt+F4).
  bool preTranslate(const MSG& msg);

  // Whether the input that led to what happens now was a key that moves
  // through choices (arrows, letters, ...), not Enter or a mouse button.
  bool choosingByKeys() const { return m_lastInput == Input::OtherKey; }
  // Whether it was Enter or a mouse button: what confirms a choice.
  bool confirming() const { return m_lastInput != Input::OtherKey; }

  // The focus outline the window draws, in its client coordinates; empty
  // while there is none to show.
  RECT focusRing() const;

  // The DPI levels' strip, once attached.
  HWND levelsWindow() const { return m_levels.m_hWnd; }

  // A control whose value changed out of sight of the checks below (a row
  // that now shows "Shortcuts" or its shortcut) tells the screen reader.
  void announceValue(HWND control) const;

private:
  enum Part : int { RowFirst = 0, RowLast = 3, ProfileBox, Slider, Levels, DefaultButton, MinimizeButton, CloseButton,
                    Dialog, PartCount };

  // Sees one part's messages through the window procedure of the part's
  // object (the framework's one way to a window's messages): the part's
  // accessible object is answered before the control, and the focus
  // outline and the announcements follow after it.
  class PartWatch : public MessageWatcher {
  public:
    KeyboardAccess* m_access = nullptr;
    int m_part = 0;
    bool beforeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void afterMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    void detached(HWND hwnd) override;
  };
  LRESULT answerAccessible(int part, WPARAM wParam, LPARAM lParam) const;
  // The focus or the keyboard cues changed: the outline follows.
  void updateRing();
  // Compares what each control shows with what was last announced.
  void announceChanges();
  void detach();

  HWND m_dialog = nullptr;
  // Each part's window, while it is watched.
  HWND m_parts[PartCount] = {};
  PartWatch m_watches[PartCount];
  Window m_window;
  ChoiceStrip m_levels;
  bool m_cuesShown = false;
  enum class Input { Mouse, Enter, OtherKey };
  Input m_lastInput = Input::Mouse;
  RECT m_ringShown = {0, 0, 0, 0};
  // What was last announced: each row's selection and shortcut, the slider's
  // position and the DPI level.
  struct Seen {
    int rows[4][3] = {};
    int profile = -1;
    int slider = -1;
    int level = -1;
  };
  Seen m_seen;
  bool m_announcing = false;
};
