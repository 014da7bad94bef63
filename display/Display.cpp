// Placeholder bodies so that everything links while the display is built.

#include "display/Display.h"

namespace tessaloop {

Surface::Surface(int width, int height, int bitsPerPixel)
    : m_Width(width), m_Height(height), m_BitsPerPixel(bitsPerPixel) {}
uint32_t Surface::Encode(uint32_t rgb) const {
  return rgb;
}
uint32_t Surface::DecodeRgb(uint32_t pixel) const {
  return pixel;
}
uint32_t Surface::Pixel(int, int) const {
  return 0;
}
void Surface::SetPixel(int, int, uint32_t) {}
uint32_t Surface::FirstWord() const {
  return 0;
}
void Surface::Fill(uint32_t) {}
bool Surface::BltFast(int, int, const Surface&, const Rect&, bool) {
  return false;
}
void Surface::StretchFrom(const DecodedImage&, const Rect&) {}

Display::Display(Platform& platform, bool fullScreen)
    : m_FullScreen(fullScreen), m_Platform(platform) {}
int Display::Setup() {
  return 0;
}
int Display::Present() {
  return 0;
}
int Display::RestoreSurfaces() {
  return 0;
}
void Display::FillSurface(int, uint32_t) {}
void Display::CountFrame() {}
bool Display::LoadPaletteSlot(int, const char*) {
  return false;
}
void Display::LoadDefaultBitmaps() {}
bool Display::MakeSurfaceFromBitmap(int, const char*, int, int) {
  return false;
}
bool Display::CopyBitmapToSurface(int, const DecodedImage*, int, int, int, int) {
  return false;
}
void Display::SetSurfaceColorKey(int, uint32_t) {}
const Surface* Display::SlotSurface(int) const {
  return nullptr;
}
void Display::BlitSlot(int, int, int, const Rect&, bool) {}
void Display::DrawString(int, int, const char*) {}
void Display::DrawStringKeyed(int, int, const char*) {}
void Display::DrawFloat(int, int, float) {}
void Display::DrawInt(int, int, int32_t) {}
void Display::DrawIntKeyed(int, int, int32_t) {}
bool Display::WriteBackBufferImage(const char*) const {
  return false;
}
bool ConvertBitmapToWavetable(const char*, float*) {
  return false;
}
void ConvertBitmapBytesToWavetable(const uint8_t*, size_t, float*) {}

}  // namespace tessaloop
