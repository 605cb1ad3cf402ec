#include "controls/Shortcut.h"

const ModifierKey kModifierKeys[kModifierKeyCount] = {
    {0x01, 0xA2, 0x1D, "Ctrl + "},            // left Ctrl
    {0x02, 0xA0, 0x2A, "Shift + "},           // left Shift
    {0x04, 0xA4, 0x38, "Alt + "},             // left Alt
    {0x08, 0x5B, 0xE05B, "Left Windows + "},  // left Windows
    {0x10, 0xA3, 0xE01D, "Right Ctrl + "},
    {0x20, 0xA1, 0x36, "Right Shift + "},
    {0x40, 0xA5, 0xE038, "Right Alt + "},
    {0x80, 0x5C, 0xE05C, "Right Windows + "},
};

namespace {
constexpr uint32_t kExtendedKeyFlag = 0x01000000;
constexpr int32_t kExtendedScanCode = 0xE000;
}  // namespace

int32_t scanCodeFromKeyData(uint32_t keyData) {
  int32_t scanCode = static_cast<int32_t>((keyData >> 16) & 0xFF);
  if (keyData & kExtendedKeyFlag) scanCode |= kExtendedScanCode;
  return scanCode;
}

int32_t modifiersWithoutKey(int32_t modifiers, int32_t scanCode) {
  for (const ModifierKey& key : kModifierKeys) {
    if (key.scanCode == scanCode) modifiers &= ~key.bit;
  }
  return modifiers;
}

uint32_t keyNameRequest(int32_t scanCode) {
  uint32_t request = (static_cast<uint32_t>(scanCode) & 0xFF) << 16;
  if (scanCode & kExtendedScanCode) request |= kExtendedKeyFlag;
  // The key table writes Num Lock as the plain 0x45 and Pause as 0xC5, while
  // the platform names the extended 0x45 "Num Lock" and the plain 0x45
  // "Pause"; the two requests are exchanged to match.
  if (request == 0x00450000) return 0x01450000;
  if (request == 0x00C50000) return 0x00450000;
  return request;
}

CString shortcutPrefix(int32_t modifiers) {
  CString prefix;
  for (const ModifierKey& key : kModifierKeys) {
    if (modifiers & key.bit) prefix += key.prefix;
  }
  return prefix;
}

CString shortcutName(int32_t scanCode, int32_t modifiers, const KeyNamer& nameKey) {
  CString keyName = nameKey ? nameKey(keyNameRequest(scanCode)) : CString();
  return shortcutPrefix(modifiers) + keyName;
}
