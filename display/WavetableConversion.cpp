// A bitmap file read as a sound. The walk over the file's bytes is the
// program's own and ignores the bitmap's header on purpose: width, height, bit
// depth and compression are not checked, so any file the platform accepts as a
// bitmap sounds, and a 24-bit 210 x 210 picture sounds its blue channel, row by
// row from the bottom.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "display/Display.h"
#include "platform/RegularFile.h"

namespace tessaloop {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kPixelOffsetField = 10;  // bfOffBits, little-endian
constexpr int kSide = 210;                // 210 x 210 = kTableLength
constexpr size_t kSampleStride = 3;       // one sample per 24-bit pixel
constexpr size_t kRowStride = 632;        // 630 bytes of pixels, padded to a word
// How much pixel data a conversion reads. The walk itself ends at byte
// 209 * 632 + 209 * 3 = 132715.
constexpr size_t kReadSize = 133560;

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

bool ConvertBitmapToWavetable(const char* path, float* table) {
  std::FILE* file = OpenPlainFile(path);
  if (file == nullptr) return false;

  uint8_t header[kFileHeaderSize] = {};
  const size_t headerBytes = std::fread(header, 1, sizeof header, file);
  std::vector<uint8_t> pixels;
  bool readError = std::ferror(file) != 0;
  if (!readError && headerBytes == sizeof header) {
    const long offset = static_cast<long>(ReadLe32(header + kPixelOffsetField));
    // Room for what the file holds after the offset, up to what the walk
    // reads: a small file needs no buffer of a whole picture's size.
    long end = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) end = std::ftell(file);
    size_t room = kReadSize;
    if (end >= 0) room = end > offset ? std::min(kReadSize, static_cast<size_t>(end - offset)) : 0;
    // An offset past the end of the file leaves nothing to read: silence.
    if (offset >= 0 && std::fseek(file, offset, SEEK_SET) == 0) {
      pixels.resize(room);
      pixels.resize(std::fread(pixels.data(), 1, room, file));
      readError = std::ferror(file) != 0;
    }
  }
  std::fclose(file);
  // A read that failed part-way (a directory, an I/O error) says nothing
  // reliable about the file; leave the table as it was.
  if (readError) return false;
  WalkPixelBytes(pixels.data(), pixels.size(), table);
  return true;
}

}  // namespace tessaloop
