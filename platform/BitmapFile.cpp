// BMP decoding for both platform backends. SDL2 decodes the file (it needs no
// video subsystem for that); we look at the header first so that a file whose
// header promises more than it holds, or a picture of absurd size, is refused
// before anything is allocated for it.

#include "platform/BitmapFile.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/RegularFile.h"

namespace tessaloop {

namespace {

// Far beyond any picture the program shows (the largest is 512 wide) and any
// photograph a user might drop into userbitmaps/, yet small enough that
// decoding never asks for more than a few hundred megabytes.
constexpr long kMaxFileBytes = 160L << 20;
constexpr int64_t kMaxPixels = int64_t{1} << 25;
constexpr int kMaxSide = 32768;
constexpr int kMaxScaledSide = 16384;

uint32_t Le32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
         static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

uint16_t Le16(const uint8_t* at) {
  return static_cast<uint16_t>(at[0] | at[1] << 8);
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes) {
  std::FILE* file = OpenPlainFile(path);
  if (file == nullptr) return false;
  bool ok = std::fseek(file, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(file) : -1;
  ok = ok && size > 0 && size <= kMaxFileBytes && std::fseek(file, 0, SEEK_SET) == 0;
  if (ok) {
    bytes.resize(static_cast<size_t>(size));
    ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
  }
  std::fclose(file);
  return ok;
}

// What the header says, checked for sense. SDL decodes the rest; this only
// keeps it from being asked to allocate for a picture the file cannot hold.
bool PlausibleHeader(const std::vector<uint8_t>& bytes) {
  constexpr size_t kFileHeader = 14;
  if (bytes.size() < kFileHeader + 12 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  const uint8_t* info = bytes.data() + kFileHeader;
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
    if (infoSize < 40 || bytes.size() < kFileHeader + 40) return false;
    width = static_cast<int32_t>(Le32(info + 4));
    height = static_cast<int32_t>(Le32(info + 8));
    bitCount = Le16(info + 14);
    compression = Le32(info + 16);
  }
  if (height < 0) height = -height;  // top-down rows
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
  if (width * height > kMaxPixels) return false;
  if (bitCount == 0 || bitCount > 32) return false;

  // Uncompressed pixel rows must all be in the file. (Run-length files are
  // smaller than their picture by design; SDL checks those as it goes.)
  constexpr uint32_t kRgb = 0;
  constexpr uint32_t kBitFields = 3;
  if (compression == kRgb || compression == kBitFields) {
    const int64_t rowBytes = (width * bitCount + 31) / 32 * 4;
    const int64_t offset = Le32(bytes.data() + 10);
    if (offset > static_cast<int64_t>(bytes.size())) return false;
    if (rowBytes * height > static_cast<int64_t>(bytes.size()) - offset) return false;
  }
  return true;
}

int SourceIndex(int dest, int destSize, int sourceSize) {
  // Nearest neighbour, sampled at the centre of each destination pixel.
  return static_cast<int>((2 * static_cast<int64_t>(dest) + 1) * sourceSize /
                          (2 * static_cast<int64_t>(destSize)));
}

// Every pixel of the image from the XRGB rows of a decoded picture. Each
// column's source is found once, not once for every row.
void ScaleNearest(const uint8_t* pixels, int sourceWidth, int sourceHeight, int pitch,
                  DecodedImage& image) {
  std::vector<size_t> columns(static_cast<size_t>(image.width));
  for (int x = 0; x < image.width; ++x)
    columns[x] = 4 * static_cast<size_t>(SourceIndex(x, image.width, sourceWidth));
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* row =
        pixels + static_cast<size_t>(SourceIndex(y, image.height, sourceHeight)) * pitch;
    uint32_t* out = &image.pixels[static_cast<size_t>(y) * image.width];
    for (int x = 0; x < image.width; ++x) {
      uint32_t pixel;
      std::memcpy(&pixel, row + columns[x], 4);
      out[x] = pixel & 0x00FFFFFF;
    }
  }
}

}  // namespace

bool LoadBitmapFile(const char* path, int width, int height, DecodedImage& image) {
  if (path == nullptr || width < 1 || height < 1 || width > kMaxScaledSide ||
      height > kMaxScaledSide)
    return false;
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes) || !PlausibleHeader(bytes)) return false;

  // Decoding from the bytes already read: what was checked is what is decoded.
  SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (source == nullptr) return false;
  SDL_Surface* decoded = SDL_LoadBMP_RW(source, 1);
  if (decoded == nullptr) return false;
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_XRGB8888, 0);
  SDL_FreeSurface(decoded);
  if (rgb == nullptr) return false;
  if (rgb->w <= 0 || rgb->h <= 0 || SDL_LockSurface(rgb) != 0) {
    SDL_FreeSurface(rgb);
    return false;
  }

  // Into the caller's image, whose pixels a caller that loads many pictures
  // keeps from one load to the next: nothing can fail from here on.
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  ScaleNearest(static_cast<const uint8_t*>(rgb->pixels), rgb->w, rgb->h, rgb->pitch, image);
  SDL_UnlockSurface(rgb);
  SDL_FreeSurface(rgb);
  return true;
}

}  // namespace tessaloop
