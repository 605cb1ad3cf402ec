// The shape of a skinned control: which pixels of its bitmap are opaque. A
// pixel of exactly the key colour is transparent; every other one is opaque.
// Portable, so the rules are tested on the host; the Win32 side reads the
// bitmap's pixels and turns the runs into a region and a mask.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The colour key of every button and combo box bitmap: RGB(255, 2, 255).
constexpr uint8_t kKeyRed = 255, kKeyGreen = 2, kKeyBlue = 255;

// Pixels as a device-independent bitmap holds them, top row first.
struct PixelImage {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 24;          // 32, 24, 16 (5-6-5) or 8 (with colorTable)
  size_t stride = 0;              // bytes per row, a multiple of four
  const uint8_t* pixels = nullptr;
  const uint8_t* colorTable = nullptr;  // 8 bits: 256 entries of blue, green, red, reserved
};

struct RegionRect {
  int left, top, right, bottom;
  bool operator==(const RegionRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// Row stride of a DIB: the row's byte length rounded up to four.
size_t dibStride(int width, int bitsPerPixel);

bool isKeyPixel(const PixelImage& image, int x, int y);

// Every maximal run of opaque pixels in a row becomes one rectangle one pixel
// high; rows top to bottom, runs left to right; rows are never merged.
std::vector<RegionRect> opaqueRuns(const PixelImage& image);
