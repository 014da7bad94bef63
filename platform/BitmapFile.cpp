// BMP decoding for both platform backends. SDL2 decodes the file (it needs no
// video subsystem for that); we look at the header first so that a file whose
// header promises more than it holds, or a picture of absurd size, is refused
// before anything is allocated for it.

#include "platform/BitmapFile.h"

#include <SDL.h>

#include <cstring>
#include <vector>

#include "base/BitmapHeader.h"

namespace tessaloop {

namespace {

constexpr int kMaxScaledSide = 16384;

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
  if (!ReadWholeBitmapFile(path, bytes) || !PlausibleBitmapHeader(bytes.data(), bytes.size()))
    return false;

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
