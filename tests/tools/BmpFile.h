#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaloop::testing {

// A 24-bit uncompressed BMP as the tests see it: header fields and the
// pixels, rows top to bottom, 0x00RRGGBB.
struct BmpFile {
  bool ok = false;
  uint32_t pixelOffset = 0;
  int32_t width = 0;
  int32_t height = 0;  // positive: stored bottom-up
  int bitsPerPixel = 0;
  uint32_t compression = 0;
  std::vector<uint8_t> bytes;
  std::vector<uint32_t> pixels;

  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

BmpFile ReadBmp(const std::string& path);

// The wavetable a picture makes: blue bytes from the pixel-data offset, 210
// rows of 210 bytes three apart, rows 632 bytes apart, as (b - 128) / 128.
std::vector<float> TableOf(const BmpFile& bmp);

}  // namespace tessaloop::testing
