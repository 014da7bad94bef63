// A bitmap file read as a sound. The walk over the file's bytes is the
// program's own and ignores the bitmap's header on purpose: width, height, bit
// depth and compression are not looked at, so any file accepted as a bitmap
// sounds, and a 24-bit 210 x 210 picture sounds its blue channel, row by row
// from the bottom.

#include "sound/WavetableConversion.h"

#include "sound/WavetableBank.h"

namespace tessaloop {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kPixelOffsetField = 10;  // bfOffBits, little-endian
constexpr int kSide = 210;                // 210 x 210 = kTableLength
constexpr size_t kSampleStride = 3;       // one sample per 24-bit pixel
constexpr size_t kRowStride = 632;        // 630 bytes of pixels, padded to a word

uint32_t ReadLe32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// The walk over the pixel data. Bytes the file does not have give silence.
void WalkPixelBytes(const uint8_t* pixels, size_t available, float* table) {
  int n = 0;
  for (int row = 0; row < kSide; ++row) {
    size_t p = static_cast<size_t>(row) * kRowStride;
    for (int column = 0; column < kSide; ++column, p += kSampleStride) {
      // Both the subtraction and the division by a power of two are exact.
      table[n++] =
          p < available ? static_cast<float>(static_cast<int>(pixels[p]) - 128) / 128.0f : 0.0f;
    }
  }
}

}  // namespace

void ConvertBitmapBytesToWavetable(const uint8_t* bytes, size_t size, float* table) {
  if (bytes == nullptr || size < kFileHeaderSize) {
    WalkPixelBytes(nullptr, 0, table);
    return;
  }
  const size_t offset = ReadLe32(bytes + kPixelOffsetField);
  const size_t available = offset < size ? size - offset : 0;
  WalkPixelBytes(available > 0 ? bytes + offset : nullptr, available, table);
}

}  // namespace tessaloop
