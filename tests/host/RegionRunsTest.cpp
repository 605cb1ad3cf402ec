// The shape cut from a skin bitmap by the colour key.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "controls/RegionRuns.h"

namespace {

const uint8_t K[3] = {255, 2, 255};  // blue, green, red of the key
const uint8_t O[3] = {10, 20, 30};   // any opaque colour

// A 24-bit image from rows of 'K' (key) and 'o' (opaque) characters.
struct Image24 {
  explicit Image24(const std::vector<std::string>& rows) {
    image.width = static_cast<int>(rows[0].size());
    image.height = static_cast<int>(rows.size());
    image.bitsPerPixel = 24;
    image.stride = dibStride(image.width, 24);
    bytes.assign(image.stride * rows.size(), 0xAA);  // padding bytes must not matter
    for (size_t y = 0; y < rows.size(); ++y)
      for (size_t x = 0; x < rows[y].size(); ++x)
        for (int c = 0; c < 3; ++c) bytes[y * image.stride + x * 3 + c] = rows[y][x] == 'K' ? K[c] : O[c];
    image.pixels = bytes.data();
  }
  PixelImage image;
  std::vector<uint8_t> bytes;
};

TEST(RegionRuns, SingleRowCases) {
  EXPECT_EQ(opaqueRuns(Image24({"Koo"}).image), (std::vector<RegionRect>{{1, 0, 3, 1}}));
  EXPECT_EQ(opaqueRuns(Image24({"oKo"}).image), (std::vector<RegionRect>{{0, 0, 1, 1}, {2, 0, 3, 1}}));
  EXPECT_TRUE(opaqueRuns(Image24({"KKK", "KKK"}).image).empty());
  EXPECT_EQ(opaqueRuns(Image24({"KKo"}).image), (std::vector<RegionRect>{{2, 0, 3, 1}}));
}

TEST(RegionRuns, RowsAreNotMergedAndGoTopToBottom) {
  auto runs = opaqueRuns(Image24({"oo", "oo", "Ko"}).image);
  EXPECT_EQ(runs, (std::vector<RegionRect>{{0, 0, 2, 1}, {0, 1, 2, 2}, {1, 2, 2, 3}}));
}

TEST(RegionRuns, OtherPixelDepthsCompareTheKeyTheirWay) {
  // 32 bits: blue, green, red and a zero byte.
  uint8_t p32[8] = {255, 2, 255, 0, 255, 2, 255, 1};
  PixelImage i32{2, 1, 32, 8, p32, nullptr};
  EXPECT_EQ(opaqueRuns(i32), (std::vector<RegionRect>{{1, 0, 2, 1}}));
  // 16 bits: the key reduced to 5-6-5 is 0xF81F.
  uint8_t p16[4] = {0x1F, 0xF8, 0x00, 0xF8};
  PixelImage i16{2, 1, 16, 4, p16, nullptr};
  EXPECT_EQ(opaqueRuns(i16), (std::vector<RegionRect>{{1, 0, 2, 1}}));
  // 8 bits: the colour table decides.
  std::vector<uint8_t> table(256 * 4, 0);
  table[5 * 4 + 0] = 255, table[5 * 4 + 1] = 2, table[5 * 4 + 2] = 255;
  uint8_t p8[4] = {1, 5, 5, 0};
  PixelImage i8{3, 1, 8, 4, p8, table.data()};
  EXPECT_EQ(opaqueRuns(i8), (std::vector<RegionRect>{{0, 0, 1, 1}}));
}

// The "Default" button bitmap is cut only in its four rounded corners.
TEST(RegionRuns, DefaultButtonBitmapHasOneRunPerRow) {
  std::string path = std::string(SKIVOL_SOURCE_DIR) + "/res/skin/default_normal.bmp";
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::vector<uint8_t> file;
  int ch;
  while ((ch = std::fgetc(f)) != EOF) file.push_back(static_cast<uint8_t>(ch));
  std::fclose(f);
  auto u32 = [&](size_t at) { return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | uint32_t(file[at + 3]) << 24; };
  int width = static_cast<int>(u32(18));
  int height = static_cast<int>(u32(22));
  ASSERT_EQ(width, 135);
  ASSERT_EQ(height, 32);
  // BMP rows are stored bottom-up; turn them top-down.
  size_t stride = dibStride(width, 24);
  std::vector<uint8_t> topDown(stride * height);
  for (int y = 0; y < height; ++y)
    std::copy_n(file.begin() + u32(10) + (height - 1 - y) * stride, stride, topDown.begin() + y * stride);
  PixelImage image{width, height, 24, stride, topDown.data(), nullptr};
  auto runs = opaqueRuns(image);
  ASSERT_EQ(runs.size(), 32u);
  int fullRows = 0;
  for (int y = 0; y < height; ++y) {
    EXPECT_EQ(runs[y].top, y);
    EXPECT_EQ(runs[y].right - runs[y].left + 2 * runs[y].left, 135) << "row " << y << " is symmetric";
    if (runs[y].left == 0) {
      EXPECT_EQ(runs[y].right, 135);
      ++fullRows;
    }
  }
  EXPECT_GT(fullRows, 20);
}

}  // namespace
