#include "tests/tools/BmpFile.h"

#include "tests/support/WorkFolder.h"

namespace tessaloop::testing {

namespace {

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

}  // namespace

BmpFile ReadBmp(const std::string& path) {
  BmpFile bmp;
  const std::string content = ReadFile(path);
  bmp.bytes.assign(content.begin(), content.end());
  if (bmp.bytes.size() < 54 || bmp.bytes[0] != 'B' || bmp.bytes[1] != 'M') return bmp;
  bmp.pixelOffset = Get32(bmp.bytes, 10);
  bmp.width = static_cast<int32_t>(Get32(bmp.bytes, 18));
  bmp.height = static_cast<int32_t>(Get32(bmp.bytes, 22));
  bmp.bitsPerPixel = bmp.bytes[28] | bmp.bytes[29] << 8;
  bmp.compression = Get32(bmp.bytes, 30);
  if (bmp.bitsPerPixel != 24 || bmp.width <= 0 || bmp.height <= 0 || bmp.compression != 0)
    return bmp;
  const size_t rowBytes = (static_cast<size_t>(bmp.width) * 3 + 3) / 4 * 4;
  if (bmp.pixelOffset + rowBytes * static_cast<size_t>(bmp.height) > bmp.bytes.size()) return bmp;
  bmp.pixels.resize(static_cast<size_t>(bmp.width) * static_cast<size_t>(bmp.height));
  for (int y = 0; y < bmp.height; ++y) {
    const uint8_t* row = &bmp.bytes[bmp.pixelOffset + (bmp.height - 1 - y) * rowBytes];
    for (int x = 0; x < bmp.width; ++x)
      bmp.pixels[static_cast<size_t>(y) * bmp.width + x] =
          row[3 * x] | row[3 * x + 1] << 8 | static_cast<uint32_t>(row[3 * x + 2]) << 16;
  }
  bmp.ok = true;
  return bmp;
}

std::vector<float> TableOf(const BmpFile& bmp) {
  std::vector<float> table(44100, 0.0f);
  for (int r = 0; r < 210; ++r)
    for (int c = 0; c < 210; ++c) {
      const size_t at = bmp.pixelOffset + static_cast<size_t>(r) * 632 + static_cast<size_t>(c) * 3;
      if (at < bmp.bytes.size())
        table[static_cast<size_t>(r) * 210 + c] =
            (static_cast<float>(bmp.bytes[at]) - 128.0f) / 128.0f;
    }
  return table;
}

}  // namespace tessaloop::testing
