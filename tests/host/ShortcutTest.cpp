// Shortcuts: what a key-down captures and how a shortcut is named.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "controls/Shortcut.h"

namespace {

// Names every key by its request and remembers what it was asked.
struct RecordingNamer {
  std::vector<uint32_t> requests;
  KeyNamer namer() {
    return [this](uint32_t request) {
      requests.push_back(request);
      char name[16];
      std::snprintf(name, sizeof(name), "<%08X>", static_cast<unsigned>(request));
      return CString(name);
    };
  }
};

TEST(ShortcutName, AsksForTheKeyWithTheExtendedFlagAndTheTwoExchangedRequests) {
  RecordingNamer names;
  for (int32_t code : {0x45, 0xE045, 0xC5, 0x1E, 0xE01D, 0xE05B, 0x1C, 0xE01C}) shortcutName(code, 0, names.namer());
  EXPECT_EQ(names.requests, (std::vector<uint32_t>{0x01450000, 0x01450000, 0x00450000, 0x001E0000, 0x011D0000,
                                                   0x015B0000, 0x001C0000, 0x011C0000}));
}

TEST(ShortcutName, PrefixesFollowTheModifierBitOrder) {
  RecordingNamer names;
  EXPECT_EQ(shortcutName(0x1E, 0x01 | 0x02 | 0x10, names.namer()), "Ctrl + Shift + Right Ctrl + <001E0000>");
  EXPECT_EQ(shortcutName(0x1E, 0xFF, names.namer()),
            "Ctrl + Shift + Alt + Left Windows + Right Ctrl + Right Shift + Right Alt + Right Windows + <001E0000>");
  // Only the low eight bits are modifiers.
  EXPECT_EQ(shortcutPrefix(0x100 | 0x40), "Right Alt + ");
}

TEST(ShortcutName, AKeyWithoutANameShowsThePrefixAlone) {
  const KeyNamer nameless = [](uint32_t) { return CString(); };
  EXPECT_EQ(shortcutName(0x7F, 0x04, nameless), "Alt + ");
  EXPECT_EQ(shortcutName(0, 0, nameless), "");
}

TEST(KeyCapture, ScanCodeOfAKeyDownCarriesTheExtendedFlag) {
  EXPECT_EQ(scanCodeFromKeyData(0x001E0001), 0x1E);
  EXPECT_EQ(scanCodeFromKeyData(0x011D0001), 0xE01D);  // right Ctrl
  EXPECT_EQ(scanCodeFromKeyData(0x401C0001), 0x1C);    // previous-state bit: still Enter
  EXPECT_EQ(scanCodeFromKeyData(0x011C0001), 0xE01C);  // keypad Enter
}

TEST(KeyCapture, AModifierPressedAloneIsTheKey) {
  EXPECT_EQ(modifiersWithoutKey(0x01, 0x1D), 0);        // left Ctrl alone
  EXPECT_EQ(modifiersWithoutKey(0x11, 0xE01D), 0x01);   // right Ctrl with left Ctrl held
  EXPECT_EQ(modifiersWithoutKey(0x08, 0xE05B), 0);      // left Windows
  EXPECT_EQ(modifiersWithoutKey(0x80, 0xE05C), 0);      // right Windows
  EXPECT_EQ(modifiersWithoutKey(0x22, 0x36), 0x02);     // right Shift with left Shift held
  EXPECT_EQ(modifiersWithoutKey(0x01, 0x1E), 0x01);     // A with left Ctrl held
  EXPECT_EQ(modifiersWithoutKey(0x40, 0x38), 0x40);     // left Alt does not clear right Alt
}

}  // namespace
