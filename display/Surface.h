#pragma once

#include <cstdint>
#include <vector>

namespace tessaloop {

struct DecodedImage;

// A rectangle: left and top inside, right and bottom just outside.
struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// A picture in memory in the display's pixel format: 16-bit RGB565 (the
// full-screen program) or 32-bit XRGB8888 (the windowed program).
class Surface {
 public:
  Surface() = default;
  Surface(int width, int height, int bitsPerPixel);

  int Width() const { return m_Width; }
  int Height() const { return m_Height; }
  int BitsPerPixel() const { return m_BitsPerPixel; }
  int Pitch() const { return m_Pitch; }  // bytes per row
  bool Empty() const { return m_Width == 0 || m_Height == 0; }
  uint8_t* Data() { return m_Pixels.data(); }
  const uint8_t* Data() const { return m_Pixels.data(); }

  // 0x00RRGGBB to this surface's pixel value, and back.
  uint32_t Encode(uint32_t rgb) const;
  uint32_t DecodeRgb(uint32_t pixel) const;

  // Raw pixel values; the caller keeps x and y inside.
  uint32_t Pixel(int x, int y) const;
  void SetPixel(int x, int y, uint32_t pixel);
  uint32_t PixelRgb(int x, int y) const { return DecodeRgb(Pixel(x, y)); }
  // The first 32-bit word of the pixel memory.
  uint32_t FirstWord() const;

  void Fill(uint32_t pixel);

  // The source colour key, in this surface's pixel values.
  void SetColorKey(uint32_t key) {
    m_ColorKey = key;
    m_HasColorKey = true;
  }
  bool HasColorKey() const { return m_HasColorKey; }
  uint32_t ColorKey() const { return m_ColorKey; }

  // Copies srcRect of source to (x, y) unscaled; keyed leaves out the source's
  // colour-key pixels. Refused, drawing nothing, when either rectangle is not
  // wholly inside its surface (never cut to the part that fits). Returns
  // whether it drew.
  bool BltFast(int x, int y, const Surface& source, const Rect& srcRect, bool keyed);

  // Stretches srcRect of an image over the whole surface, nearest neighbour.
  void StretchFrom(const DecodedImage& image, const Rect& srcRect);

 private:
  int m_Width = 0;
  int m_Height = 0;
  int m_BitsPerPixel = 32;
  int m_Pitch = 0;
  std::vector<uint8_t> m_Pixels;
  uint32_t m_ColorKey = 0;
  bool m_HasColorKey = false;
};

}  // namespace tessaloop
