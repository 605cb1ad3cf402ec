// The configuration model: the button masks, the report mask and the values
// at start and after "Default".
#include <gtest/gtest.h>

#include "device/MouseConfig.h"

namespace {

TEST(MouseConfig, ButtonMaskFollowsTheFunctionCode) {
  EXPECT_EQ(buttonMaskFor(ButtonFunction::LeftButton), 0x01);
  EXPECT_EQ(buttonMaskFor(ButtonFunction::RightButton), 0x02);
  EXPECT_EQ(buttonMaskFor(ButtonFunction::WheelButton), 0x04);
  // The labels and the bits cross over: "Button 5th" is bit 3.
  EXPECT_EQ(buttonMaskFor(ButtonFunction::Button5th), 0x08);
  EXPECT_EQ(buttonMaskFor(ButtonFunction::Button4th), 0x10);
  for (int32_t code : {0, 1, 2, 3, 9, 10, 11, 12, -1, 0x7FFFFFFF}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(buttonMaskFor(code), 0);
  }
}

TEST(MouseConfig, ReportMaskHasABitForEachButtonNotLeftToTheMouse) {
  MouseConfig config;
  EXPECT_EQ(config.reportMask(), 0x00);

  config.assignments[ButtonIndex::Wheel].function = ButtonFunction::KeyShortcut;
  EXPECT_EQ(config.reportMask(), 0x04);

  // Only the settings file can remap the left button; it is honoured.
  config.assignments[ButtonIndex::Wheel].function = ButtonFunction::Native;
  config.assignments[ButtonIndex::Left].function = ButtonFunction::DoubleClick;
  EXPECT_EQ(config.reportMask(), 0x01);

  config.assignments[ButtonIndex::Button4th].function = ButtonFunction::Button5th;
  config.assignments[ButtonIndex::Button5th].function = ButtonFunction::Button4th;
  config.assignments[7].function = 42;  // an unknown code still counts
  EXPECT_EQ(config.reportMask(), 0x99);
}

TEST(MouseConfig, NoDpiStepOutOfRangeIsHandedOut) {
  MouseConfig config;
  for (int32_t level : {-1, 4, 1000}) {
    config.dpiLevel = level;
    EXPECT_EQ(currentDpiStep(config), -1) << level;
  }
  config.dpiLevel = 3;
  for (int32_t step : {-1, 8}) {
    config.dpiStep[3] = step;
    EXPECT_EQ(currentDpiStep(config), -1) << step;
  }
  config.dpiStep[3] = 7;
  EXPECT_EQ(currentDpiStep(config), 7);

  // Until the mouse answers a scan, the level shown is not known to be its
  // own: choosing it is sent all the same.
  EXPECT_FALSE(isMouseDpiLevel(config, 3));
  config.dpiSyncPending = false;
  EXPECT_TRUE(isMouseDpiLevel(config, 3));
  EXPECT_FALSE(isMouseDpiLevel(config, 2));
}

}  // namespace
