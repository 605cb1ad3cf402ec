// Keyboard shortcuts as the program keeps them: a scan code (plus 0xE000 for
// an extended key) and one bit per modifier key, in the bit order of a HID
// keyboard report's modifier byte. How a key-down becomes a shortcut, and how
// a shortcut is named for the user.
#pragma once
#include <cstdint>
#include <functional>

#include "framework/CString.h"

// The eight modifier keys in bit order. The same order drives the key-state
// query of the capture, the rule that a modifier pressed alone is the key, and
// the prefixes of a shortcut's name.
struct ModifierKey {
  int32_t bit;
  uint8_t virtualKey;  // the side-specific virtual key whose state is asked
  int32_t scanCode;    // what the capture records when this key itself is pressed
  const char* prefix;
};
constexpr int kModifierKeyCount = 8;
extern const ModifierKey kModifierKeys[kModifierKeyCount];

// The scan code of a key-down message: bits 16-23 of its lParam, plus 0xE000
// when bit 24 (extended key) is set.
int32_t scanCodeFromKeyData(uint32_t keyData);

// A modifier key pressed by itself is captured as the key: its own bit is
// cleared, other modifiers held with it stay.
int32_t modifiersWithoutKey(int32_t modifiers, int32_t scanCode);

// The key-name request for a scan code, in the lParam form of a key message.
uint32_t keyNameRequest(int32_t scanCode);

// The modifier prefixes of a shortcut, in bit order ("Ctrl + Shift + ").
CString shortcutPrefix(int32_t modifiers);

// Names a key from its key-name request; "" when it knows no name.
using KeyNamer = std::function<CString(uint32_t request)>;

// The text shown for a shortcut: its prefixes followed by the key's name.
CString shortcutName(int32_t scanCode, int32_t modifiers, const KeyNamer& nameKey);

// Windows build: the same with the platform's key names.
CString shortcutName(int32_t scanCode, int32_t modifiers);
