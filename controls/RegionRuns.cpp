#include "controls/RegionRuns.h"

size_t dibStride(int width, int bitsPerPixel) {
  size_t bits = static_cast<size_t>(width) * static_cast<size_t>(bitsPerPixel);
  return ((bits + 31) / 32) * 4;
}

bool isKeyPixel(const PixelImage& image, int x, int y) {
  const uint8_t* row = image.pixels + static_cast<size_t>(y) * image.stride;
  switch (image.bitsPerPixel) {
    case 32: {
      const uint8_t* p = row + static_cast<size_t>(x) * 4;
      // The whole pixel value, the unused byte included, equals 0x00RRGGBB.
      return p[0] == kKeyBlue && p[1] == kKeyGreen && p[2] == kKeyRed && p[3] == 0;
    }
    case 24: {
      const uint8_t* p = row + static_cast<size_t>(x) * 3;
      return p[0] == kKeyBlue && p[1] == kKeyGreen && p[2] == kKeyRed;
    }
    case 16: {
      const uint8_t* p = row + static_cast<size_t>(x) * 2;
      uint16_t value = static_cast<uint16_t>(p[0] | (p[1] << 8));
      uint16_t key = static_cast<uint16_t>(((kKeyRed >> 3) << 11) | ((kKeyGreen >> 2) << 5) | (kKeyBlue >> 3));
      return value == key;
    }
    case 8: {
      if (!image.colorTable) return false;
      const uint8_t* entry = image.colorTable + static_cast<size_t>(row[x]) * 4;
      return entry[0] == kKeyBlue && entry[1] == kKeyGreen && entry[2] == kKeyRed;
    }
    default:
      return false;
  }
}

std::vector<RegionRect> opaqueRuns(const PixelImage& image) {
  std::vector<RegionRect> runs;
  if (!image.pixels || image.width <= 0 || image.height <= 0) return runs;
  runs.reserve(static_cast<size_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    int x = 0;
    while (x < image.width) {
      while (x < image.width && isKeyPixel(image, x, y)) ++x;
      if (x == image.width) break;
      int start = x;
      while (x < image.width && !isKeyPixel(image, x, y)) ++x;
      runs.push_back({start, y, x, y + 1});
    }
  }
  return runs;
}
