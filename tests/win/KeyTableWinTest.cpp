// The key table read from the program's own resource, and shortcut names from
// the platform's key names.
#include <gtest/gtest.h>

#include "controls/KeyTable.h"
#include "controls/Shortcut.h"

namespace {

TEST(KeyTableResource, LoadsTheProgramsKeyList) {
  loadKeyTable();
  ASSERT_TRUE(keyTable.loaded());
  EXPECT_EQ(usageForScanCode(0x2E), 6);  // C
  EXPECT_EQ(usageForScanCode(0xE05B), 231);
  EXPECT_EQ(usageForScanCode(0x1D), 224);  // left Ctrl
  EXPECT_EQ(usageForScanCode(0xE05C), 0);
}

TEST(PlatformKeyNames, NumLockAndPauseKeepTheirNames) {
  const CString a = shortcutName(0x1E, 0);
  EXPECT_FALSE(a.IsEmpty());
  EXPECT_EQ(shortcutName(0x1E, 0x01), "Ctrl + " + a);
  // The key table's Num Lock (0x45) and its Pause (0xC5) are told apart, and
  // a captured Num Lock (0xE045) is named like the table's.
  EXPECT_NE(shortcutName(0x45, 0), shortcutName(0xC5, 0));
  EXPECT_EQ(shortcutName(0x45, 0), shortcutName(0xE045, 0));
  EXPECT_FALSE(shortcutName(0xC5, 0).IsEmpty());
}

}  // namespace
