#include "profiles/KeyNames.h"

#include <cctype>

namespace {

struct KeyName {
  int32_t scanCode;
  const char* name;
};

// One canonical name per scan code; the scan codes are those of the key list,
// plus the codes the capture records for the two Windows keys.
constexpr KeyName kKeyNames[] = {
    {30, "a"}, {48, "b"}, {46, "c"}, {32, "d"}, {18, "e"}, {33, "f"}, {34, "g"}, {35, "h"}, {23, "i"},
    {36, "j"}, {37, "k"}, {38, "l"}, {50, "m"}, {49, "n"}, {24, "o"}, {25, "p"}, {16, "q"}, {19, "r"},
    {31, "s"}, {20, "t"}, {22, "u"}, {47, "v"}, {17, "w"}, {45, "x"}, {21, "y"}, {44, "z"},
    {2, "1"}, {3, "2"}, {4, "3"}, {5, "4"}, {6, "5"}, {7, "6"}, {8, "7"}, {9, "8"}, {10, "9"}, {11, "0"},
    {28, "enter"}, {1, "escape"}, {14, "backspace"}, {15, "tab"}, {57, "space"}, {12, "minus"},
    {13, "equals"}, {26, "left bracket"}, {27, "right bracket"}, {43, "backslash"}, {39, "semicolon"},
    {40, "apostrophe"}, {41, "grave"}, {51, "comma"}, {52, "period"}, {53, "slash"}, {58, "caps lock"},
    {59, "f1"}, {60, "f2"}, {61, "f3"}, {62, "f4"}, {63, "f5"}, {64, "f6"}, {65, "f7"}, {66, "f8"},
    {67, "f9"}, {68, "f10"}, {87, "f11"}, {88, "f12"},
    {0xE037, "print screen"}, {70, "scroll lock"}, {0xC5, "pause"}, {0xE052, "insert"}, {0xE047, "home"},
    {0xE049, "page up"}, {0xE053, "delete"}, {0xE04F, "end"}, {0xE051, "page down"}, {0xE04D, "right"},
    {0xE04B, "left"}, {0xE050, "down"}, {0xE048, "up"}, {69, "num lock"},
    {0xE035, "num /"}, {55, "num *"}, {74, "num -"}, {78, "num +"}, {0xE01C, "num enter"},
    {79, "num 1"}, {80, "num 2"}, {81, "num 3"}, {75, "num 4"}, {76, "num 5"}, {77, "num 6"},
    {71, "num 7"}, {72, "num 8"}, {73, "num 9"}, {82, "num 0"}, {83, "num del"},
    {86, "non-us backslash"}, {0xE05D, "application"},
    // The modifier keys pressed as the key itself, with the words that name
    // them as modifiers.
    {0x1D, "ctrl"}, {0x2A, "shift"}, {0x38, "alt"}, {0xE05B, "win"},
    {0xE01D, "rctrl"}, {0x36, "rshift"}, {0xE038, "ralt"}, {0xE05C, "rwin"},
};

// Other spellings that are read but never written.
constexpr KeyName kAliases[] = {
    {1, "esc"}, {28, "return"}, {0xE053, "del"}, {0xE052, "ins"}, {0xE049, "pgup"}, {0xE051, "pgdn"},
};

std::string normalised(const std::string& name) {
  std::string out;
  bool blank = false;
  for (char c : name) {
    if (c == ' ' || c == '\t') {
      blank = !out.empty();
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

}  // namespace

std::string keyNameForScanCode(int32_t scanCode) {
  for (const KeyName& key : kKeyNames) {
    if (key.scanCode == scanCode) return key.name;
  }
  return std::string();
}

int32_t scanCodeForKeyName(const std::string& name) {
  const std::string wanted = normalised(name);
  for (const KeyName& key : kKeyNames) {
    if (wanted == key.name) return key.scanCode;
  }
  for (const KeyName& key : kAliases) {
    if (wanted == key.name) return key.scanCode;
  }
  return 0;
}
