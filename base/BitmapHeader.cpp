#include "base/BitmapHeader.h"

#include <cstdio>

#include "base/RegularFile.h"

namespace tessaloop {

namespace {

constexpr int64_t kMaxPixels = int64_t{1} << 25;
constexpr int kMaxSide = 32768;

uint32_t Le32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
         static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

uint16_t Le16(const uint8_t* at) {
  return static_cast<uint16_t>(at[0] | at[1] << 8);
}

}  // namespace

bool ReadWholeBitmapFile(const char* path, std::vector<uint8_t>& bytes) {
  std::FILE* file = OpenPlainFile(path);
  if (file == nullptr) return false;
  bool ok = std::fseek(file, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(file) : -1;
  ok = ok && size > 0 && size <= kMaxBitmapFileBytes && std::fseek(file, 0, SEEK_SET) == 0;
  if (ok) {
    bytes.resize(static_cast<size_t>(size));
    ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
  }
  std::fclose(file);
  return ok;
}

bool PlausibleBitmapHeader(const uint8_t* bytes, size_t size) {
  constexpr size_t kFileHeader = 14;
  if (bytes == nullptr || size < kFileHeader + 12 || bytes[0] != 'B' || bytes[1] != 'M')
    return false;
  const uint8_t* info = bytes + kFileHeader;
  const uint32_t infoSize = Le32(info);
  int64_t width = 0;
  int64_t height = 0;
  int bitCount = 0;
  uint32_t compression = 0;
  if (infoSize == 12) {  // the old OS/2 header: 16-bit sizes
    width = Le16(info + 4);
    height = static_cast<int16_t>(Le16(info + 6));
    bitCount = Le16(info + 10);
  } else {
    if (infoSize < 40 || size < kFileHeader + 40) return false;
    width = static_cast<int32_t>(Le32(info + 4));
    height = static_cast<int32_t>(Le32(info + 8));
    bitCount = Le16(info + 14);
    compression = Le32(info + 16);
  }
  if (height < 0) height = -height;  // top-down rows
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
  if (width * height > kMaxPixels) return false;
  // The depths the decoder has pixel formats for.
  switch (bitCount) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 12:
    case 15:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return false;
  }

  // Pixel rows that are not run-length coded must all be in the file; the
  // decoder reads them as they stand. (Run-length files are smaller than their
  // picture by design; the decoder checks those as it goes.)
  constexpr uint32_t kRle8 = 1;
  constexpr uint32_t kRle4 = 2;
  if (compression != kRle8 && compression != kRle4) {
    const int64_t rowBytes = (width * bitCount + 31) / 32 * 4;
    const int64_t offset = Le32(bytes + 10);
    if (offset > static_cast<int64_t>(size)) return false;
    if (rowBytes * height > static_cast<int64_t>(size) - offset) return false;
  }
  return true;
}

}  // namespace tessaloop
