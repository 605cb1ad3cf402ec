#include <windows.h>

#include <cstring>

#include "controls/Shortcut.h"

namespace {

CString platformKeyName(uint32_t request) {
  // Zero-filled and larger than the size passed, so the name is always
  // terminated, also when the call fails or knows no name.
  char name[100];
  std::memset(name, 0, sizeof(name));
  ::GetKeyNameTextA(static_cast<LONG>(request), name, 50);
  return CString(name);
}

}  // namespace

CString shortcutName(int32_t scanCode, int32_t modifiers) {
  return shortcutName(scanCode, modifiers, &platformKeyName);
}
