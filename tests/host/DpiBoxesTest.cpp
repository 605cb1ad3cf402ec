// Hits on the DPI level boxes of the skin.
#include <gtest/gtest.h>

#include "mainwnd/DpiBoxes.h"

TEST(DpiBoxes, BoundsAreExclusiveHorizontallyAndHalfOpenVertically) {
  EXPECT_EQ(dpiBoxHitTest(41, 368, true), 0);
  EXPECT_EQ(dpiBoxHitTest(40, 370, true), -1);
  EXPECT_EQ(dpiBoxHitTest(60, 370, true), -1);
  EXPECT_EQ(dpiBoxHitTest(59, 387, true), 0);
  EXPECT_EQ(dpiBoxHitTest(59, 388, true), -1);
  EXPECT_EQ(dpiBoxHitTest(50, 367, true), -1);
  EXPECT_EQ(dpiBoxHitTest(71, 370, true), 1);
  EXPECT_EQ(dpiBoxHitTest(110, 370, true), 2);
  EXPECT_EQ(dpiBoxHitTest(149, 370, true), 3);
  EXPECT_EQ(dpiBoxHitTest(150, 370, true), -1);
  EXPECT_EQ(dpiBoxHitTest(65, 370, true), -1);  // between boxes
}

TEST(DpiBoxes, NoBoxReactsWithoutTheMouse) { EXPECT_EQ(dpiBoxHitTest(50, 370, false), -1); }
