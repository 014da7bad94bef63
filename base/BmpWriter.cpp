#include "base/BmpWriter.h"

#include <cstdio>

namespace tessaloop {

namespace {

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  out[at] = static_cast<uint8_t>(value);
  out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

std::vector<uint8_t> EncodeBmp24(int width, int height, const uint32_t* pixels, int infoHeaderSize,
                                 int extraGap) {
  const size_t rowBytes = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  const size_t offset = 14 + static_cast<size_t>(infoHeaderSize) + static_cast<size_t>(extraGap);
  const size_t size = offset + rowBytes * static_cast<size_t>(height);
  std::vector<uint8_t> out(size, 0);

  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<uint32_t>(size));
  Put32(out, 10, static_cast<uint32_t>(offset));

  Put32(out, 14, static_cast<uint32_t>(infoHeaderSize));
  Put32(out, 18, static_cast<uint32_t>(width));
  Put32(out, 22, static_cast<uint32_t>(height));  // positive: bottom-up rows
  Put16(out, 26, 1);                              // planes
  Put16(out, 28, 24);                             // bits per pixel
  Put32(out, 30, 0);                              // no compression
  Put32(out, 34, static_cast<uint32_t>(rowBytes * static_cast<size_t>(height)));
  Put32(out, 38, 2835);  // 72 dots per inch
  Put32(out, 42, 2835);
  if (infoHeaderSize >= 108) Put32(out, 70, 0x73524742);  // colour space "sRGB"

  for (int y = 0; y < height; ++y) {
    const uint32_t* row = pixels + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width);
    uint8_t* dest = &out[offset + static_cast<size_t>(y) * rowBytes];
    for (int x = 0; x < width; ++x) {
      dest[3 * x] = static_cast<uint8_t>(row[x]);            // blue
      dest[3 * x + 1] = static_cast<uint8_t>(row[x] >> 8);   // green
      dest[3 * x + 2] = static_cast<uint8_t>(row[x] >> 16);  // red
    }
  }
  return out;
}

bool WriteBmp24(const std::string& path, int width, int height, const uint32_t* pixels,
                int infoHeaderSize, int extraGap) {
  const std::vector<uint8_t> bytes = EncodeBmp24(width, height, pixels, infoHeaderSize, extraGap);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace tessaloop
