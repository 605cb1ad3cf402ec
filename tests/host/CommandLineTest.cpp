// The start-up switches.
#include <gtest/gtest.h>

#include "app/CommandLine.h"

TEST(StartSwitches, AnyCaseAnywhereAfterTheProgramPath) {
  EXPECT_TRUE(parseStartSwitches("\"C:\\Skivol\\SkivolMouse.exe\" /HIDE").hide);
  EXPECT_TRUE(parseStartSwitches("SkivolMouse.exe /Close").close);
  EXPECT_TRUE(parseStartSwitches("SkivolMouse.exe /hideme").hide);  // more letters behind still count
  EXPECT_TRUE(parseStartSwitches("SkivolMouse.exe x/hide/close").close);
  StartSwitches both = parseStartSwitches("SkivolMouse.exe /hide /close");
  EXPECT_TRUE(both.hide);
  EXPECT_TRUE(both.close);
}

TEST(StartSwitches, PositionZeroAndOtherTextDoNotCount) {
  EXPECT_FALSE(parseStartSwitches("/hide").hide);  // at position 0
  EXPECT_FALSE(parseStartSwitches("SkivolMouse.exe /hid -close").hide);
  EXPECT_FALSE(parseStartSwitches("SkivolMouse.exe /hid -close").close);
  EXPECT_FALSE(parseStartSwitches("").close);
}
