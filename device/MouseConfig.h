// The configuration: what each mouse button does and the DPI settings. Plain
// data; the program's own is held by MouseModel, which guards it.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

// Index of a button: the position of its bit in the button byte the mouse
// reports and in the report mask.
namespace ButtonIndex {
enum : int {
  Left = 0,
  Right = 1,
  Wheel = 2,
  Button5th = 3,  // the button labelled "Button 5th" is bit 3
  Button4th = 4,  // the button labelled "Button 4th" is bit 4
};
constexpr int Count = 8;
}  // namespace ButtonIndex

// What a button does; stored in the settings file as this number.
namespace ButtonFunction {
enum : int32_t {
  Native = 0,  // the mouse handles the button itself
  KeyShortcut = 1,
  LeftButton = 4,
  RightButton = 5,
  WheelButton = 6,
  Button5th = 7,
  Button4th = 8,
  CloseCurrentWindow = 10,
  DoubleClick = 11,
};
}  // namespace ButtonFunction

// Modifier bits of a shortcut, in the order of a HID keyboard report's
// modifier byte.
namespace ModifierBit {
enum : int32_t {
  LeftCtrl = 0x01,
  LeftShift = 0x02,
  LeftAlt = 0x04,
  LeftWindows = 0x08,
  RightCtrl = 0x10,
  RightShift = 0x20,
  RightAlt = 0x40,
  RightWindows = 0x80,
};
}  // namespace ModifierBit

struct ButtonAssignment {
  int32_t modifiers = 0;   // ModifierBit set; low 8 bits used
  int32_t scanCode = 0;    // scan code, +0xE000 for an extended key; 0: none
  int32_t function = ButtonFunction::Native;
  int32_t buttonMask = 0;  // derived from function (buttonMaskFor); stored too
};

constexpr int kDpiLevels = 4;
constexpr int kDpiSteps = 8;  // step s means 400 * (s + 1) counts per inch
constexpr int32_t kDefaultDpiSteps[kDpiLevels] = {0, 1, 3, 5};
// The level that the "Default" button selects. A fresh start runs at level 0
// until the mouse reports its own.
constexpr int32_t kDefaultDpiLevel = 2;

constexpr bool isValidDpiStep(int32_t step) { return step >= 0 && step < kDpiSteps; }
constexpr bool isValidDpiLevel(int32_t level) { return level >= 0 && level < kDpiLevels; }

struct MouseConfig {
  ButtonAssignment assignments[ButtonIndex::Count];
  int32_t dpiStep[kDpiLevels] = {kDefaultDpiSteps[0], kDefaultDpiSteps[1], kDefaultDpiSteps[2],
                                 kDefaultDpiSteps[3]};
  int32_t dpiLevel = 0;

  // The rows of the program in front, while it has a profile: the
  // assignments above with that profile's four rows put in. Not stored.
  ButtonAssignment programAssignments[ButtonIndex::Count];
  std::string programInForce;  // its name; "" while the stored rows are in force

  // Run-time flags, not stored. They are set on one thread and read on
  // another, hence atomic.
  std::atomic<bool> exitRequested{false};  // closing ends the program; nothing is saved
  std::atomic<bool> dpiSyncPending{true};  // slider moves are not written until the mouse reports

  // What button `index` does now: the program profile's assignment while one
  // is in force, else the stored one.
  const ButtonAssignment& assignmentInForce(int index) const {
    return programInForce.empty() ? assignments[index] : programAssignments[index];
  }
  // The report mask: bit i set for each button whose function in force is
  // not Native.
  uint8_t reportMask() const;
  // The stored values of a fresh installation (flags untouched).
  void resetStoredValues();
  // The DPI values that the "Default" button restores.
  void setDefaultDpi();
};

// True for the codes above. Any other code (only a settings file can bring
// one) would have the mouse report the button while nothing acts on it.
bool isKnownFunction(int32_t function);

// The buttonMask that goes with a function code: 1 << (code - 4) for the five
// mouse-button functions, otherwise 0.
int32_t buttonMaskFor(int32_t function);

// The DPI step of the current level, or -1 when the level or its step is out
// of range; a -1 must never reach the mouse.
int32_t currentDpiStep(const MouseConfig& config);

// Whether `level` is the mouse's current one, so that choosing it changes
// nothing. Until the mouse has told its DPI state after a scan it is none: a
// mouse plugged in again is at its power-on level, whatever the window shows.
bool isMouseDpiLevel(const MouseConfig& config, int32_t level);
