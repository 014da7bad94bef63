#include "display/Surface.h"

#include <cstring>
#include <new>

#include "platform/Platform.h"

namespace tessaloop {

namespace {

// Larger than any surface the program makes (the back buffer is 1024 x 768, the
// largest picture 512 wide); anything beyond is refused rather than allocated.
constexpr int kMaxSurfaceSide = 8192;

template <typename P>
P LoadPixel(const uint8_t* at) {
  P value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

template <typename P>
void StorePixel(uint8_t* at, P value) {
  std::memcpy(at, &value, sizeof value);
}

// Copies a block pixel by pixel, leaving out the pixels equal to key.
template <typename P>
void CopyKeyed(uint8_t* dest, int destPitch, const uint8_t* src, int srcPitch, int width,
               int height, P key) {
  for (int row = 0; row < height; ++row) {
    for (int x = 0; x < width; ++x) {
      const P pixel = LoadPixel<P>(src + x * sizeof(P));
      if (pixel != key) StorePixel<P>(dest + x * sizeof(P), pixel);
    }
    dest += destPitch;
    src += srcPitch;
  }
}

// Nearest neighbour, sampling at the centre of each destination pixel, so a
// picture shrinks evenly from both edges instead of losing only its right and
// bottom edges.
int SourceIndex(int dest, int destSize, int sourceSize) {
  return static_cast<int>((2 * static_cast<int64_t>(dest) + 1) * sourceSize /
                          (2 * static_cast<int64_t>(destSize)));
}

}  // namespace

Surface::Surface(int width, int height, int bitsPerPixel) {
  if (width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) return;
  if (bitsPerPixel != 16 && bitsPerPixel != 32) return;
  // Rows are whole 32-bit words, so the first pixel word of any surface can be
  // read as one word, as the colour-key grab does.
  const int pitch = (width * (bitsPerPixel / 8) + 3) / 4 * 4;
  try {
    m_Pixels.assign(static_cast<size_t>(pitch) * static_cast<size_t>(height), 0);
  } catch (const std::bad_alloc&) {
    return;  // an empty surface: the caller logs the failed creation
  }
  m_Width = width;
  m_Height = height;
  m_BitsPerPixel = bitsPerPixel;
  m_Pitch = pitch;
}

uint32_t Surface::Encode(uint32_t rgb) const {
  if (m_BitsPerPixel == 16) {
    const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
  }
  return rgb & 0x00FFFFFF;
}

uint32_t Surface::DecodeRgb(uint32_t pixel) const {
  if (m_BitsPerPixel == 16) {
    // Widen each field by repeating its top bits, so white stays 0xFFFFFF.
    const uint32_t r = (pixel >> 11) & 0x1F, g = (pixel >> 5) & 0x3F, b = pixel & 0x1F;
    return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
  }
  return pixel & 0x00FFFFFF;
}

uint32_t Surface::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_Width || y >= m_Height) return 0;
  const uint8_t* at = m_Pixels.data() + static_cast<size_t>(y) * m_Pitch;
  if (m_BitsPerPixel == 16) return LoadPixel<uint16_t>(at + 2 * x);
  return LoadPixel<uint32_t>(at + 4 * x);
}

void Surface::SetPixel(int x, int y, uint32_t pixel) {
  if (x < 0 || y < 0 || x >= m_Width || y >= m_Height) return;
  uint8_t* at = m_Pixels.data() + static_cast<size_t>(y) * m_Pitch;
  if (m_BitsPerPixel == 16)
    StorePixel<uint16_t>(at + 2 * x, static_cast<uint16_t>(pixel));
  else
    StorePixel<uint32_t>(at + 4 * x, pixel);
}

uint32_t Surface::FirstWord() const {
  if (m_Pixels.size() < 4) return 0xFFFFFFFF;
  return LoadPixel<uint32_t>(m_Pixels.data());
}

void Surface::Fill(uint32_t pixel) {
  if (Empty()) return;
  uint8_t* first = m_Pixels.data();
  if (m_BitsPerPixel == 16) {
    for (int x = 0; x < m_Width; ++x)
      StorePixel<uint16_t>(first + 2 * x, static_cast<uint16_t>(pixel));
  } else {
    for (int x = 0; x < m_Width; ++x)
      StorePixel<uint32_t>(first + 4 * x, pixel);
  }
  for (int y = 1; y < m_Height; ++y)
    std::memcpy(first + static_cast<size_t>(y) * m_Pitch, first, static_cast<size_t>(m_Pitch));
}

bool Surface::BltFast(int x, int y, const Surface& source, const Rect& srcRect, bool keyed) {
  // Both rectangles must lie wholly inside their surfaces; a blit is never cut
  // to the part that fits. The comparisons are written so that no sum can
  // overflow, whatever the co-ordinates.
  if (srcRect.left < 0 || srcRect.top < 0 || srcRect.right > source.m_Width ||
      srcRect.bottom > source.m_Height || srcRect.left >= srcRect.right ||
      srcRect.top >= srcRect.bottom)
    return false;
  const int width = srcRect.right - srcRect.left;
  const int height = srcRect.bottom - srcRect.top;
  if (x < 0 || y < 0 || x > m_Width - width || y > m_Height - height) return false;
  // Pixels are copied, not converted: every surface of a Display shares the
  // back buffer's format, and a mismatch is refused.
  if (source.m_BitsPerPixel != m_BitsPerPixel) return false;
  // A keyed blit needs a key; without one it would paint the whole rectangle,
  // background included, over what the caller meant to show through.
  if (keyed && !source.m_HasColorKey) return false;

  const int bytesPerPixel = m_BitsPerPixel / 8;
  const uint8_t* src = source.m_Pixels.data() + static_cast<size_t>(srcRect.top) * source.m_Pitch +
                       static_cast<size_t>(srcRect.left) * bytesPerPixel;
  uint8_t* dest =
      m_Pixels.data() + static_cast<size_t>(y) * m_Pitch + static_cast<size_t>(x) * bytesPerPixel;

  if (!keyed) {
    const size_t rowBytes = static_cast<size_t>(width) * bytesPerPixel;
    // memmove: a surface may be blitted onto itself.
    for (int row = 0; row < height; ++row) {
      std::memmove(dest, src, rowBytes);
      dest += m_Pitch;
      src += source.m_Pitch;
    }
  } else if (m_BitsPerPixel == 16) {
    CopyKeyed<uint16_t>(dest, m_Pitch, src, source.m_Pitch, width, height,
                        static_cast<uint16_t>(source.m_ColorKey));
  } else {
    CopyKeyed<uint32_t>(dest, m_Pitch, src, source.m_Pitch, width, height, source.m_ColorKey);
  }
  return true;
}

void Surface::StretchFrom(const DecodedImage& image, const Rect& srcRect) {
  if (Empty() || image.width <= 0 || image.height <= 0) return;
  if (image.pixels.size() < static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
    return;
  // Only the part of the region that lies inside the image can be read.
  const int left = srcRect.left < 0 ? 0 : srcRect.left;
  const int top = srcRect.top < 0 ? 0 : srcRect.top;
  const int right = srcRect.right > image.width ? image.width : srcRect.right;
  const int bottom = srcRect.bottom > image.height ? image.height : srcRect.bottom;
  if (left >= right || top >= bottom) return;
  const int sourceWidth = right - left;
  const int sourceHeight = bottom - top;

  for (int y = 0; y < m_Height; ++y) {
    const int sy = top + SourceIndex(y, m_Height, sourceHeight);
    const uint32_t* sourceRow = &image.pixels[static_cast<size_t>(sy) * image.width];
    uint8_t* dest = m_Pixels.data() + static_cast<size_t>(y) * m_Pitch;
    for (int x = 0; x < m_Width; ++x) {
      const uint32_t pixel = Encode(sourceRow[left + SourceIndex(x, m_Width, sourceWidth)]);
      if (m_BitsPerPixel == 16)
        StorePixel<uint16_t>(dest + 2 * x, static_cast<uint16_t>(pixel));
      else
        StorePixel<uint32_t>(dest + 4 * x, pixel);
    }
  }
}

}  // namespace tessaloop
