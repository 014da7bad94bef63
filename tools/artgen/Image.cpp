#include "tools/artgen/Image.h"

#include <algorithm>
#include <cmath>

namespace tessaloop::art {

Rgb Mix(Rgb a, Rgb b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
  return MakeRgb(channel(Red(a), Red(b)), channel(Green(a), Green(b)), channel(Blue(a), Blue(b)));
}

Image::Image(int width, int height, Rgb fill)
    : m_Width(width),
      m_Height(height),
      m_Pixels(static_cast<size_t>(width) * static_cast<size_t>(height), fill) {}

Rgb Image::At(int x, int y) const {
  if (!Inside(x, y)) return 0;
  return m_Pixels[static_cast<size_t>(y) * static_cast<size_t>(m_Width) + static_cast<size_t>(x)];
}

void Image::Set(int x, int y, Rgb c) {
  if (!Inside(x, y)) return;
  m_Pixels[static_cast<size_t>(y) * static_cast<size_t>(m_Width) + static_cast<size_t>(x)] = c;
}

void Image::Blend(int x, int y, Rgb c, double coverage) {
  if (!Inside(x, y) || coverage <= 0.0) return;
  Set(x, y, coverage >= 1.0 ? c : Mix(At(x, y), c, coverage));
}

void Image::FillRect(int left, int top, int right, int bottom, Rgb c) {
  for (int y = std::max(top, 0); y < std::min(bottom, m_Height); ++y)
    for (int x = std::max(left, 0); x < std::min(right, m_Width); ++x)
      Set(x, y, c);
}

void Image::FrameRect(int left, int top, int right, int bottom, Rgb c) {
  FillRect(left, top, right, top + 1, c);
  FillRect(left, bottom - 1, right, bottom, c);
  FillRect(left, top, left + 1, bottom, c);
  FillRect(right - 1, top, right, bottom, c);
}

void Image::FillDisc(double cx, double cy, double radius, Rgb c) {
  const int x0 = static_cast<int>(std::floor(cx - radius - 1));
  const int x1 = static_cast<int>(std::ceil(cx + radius + 1));
  const int y0 = static_cast<int>(std::floor(cy - radius - 1));
  const int y1 = static_cast<int>(std::ceil(cy + radius + 1));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      Blend(x, y, c, radius + 0.5 - d);
    }
}

void Image::Ring(double cx, double cy, double radius, double width, Rgb c) {
  const double outer = radius + width / 2;
  const double inner = radius - width / 2;
  const int x0 = static_cast<int>(std::floor(cx - outer - 1));
  const int x1 = static_cast<int>(std::ceil(cx + outer + 1));
  const int y0 = static_cast<int>(std::floor(cy - outer - 1));
  const int y1 = static_cast<int>(std::ceil(cy + outer + 1));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      Blend(x, y, c, std::min(outer + 0.5 - d, d - inner + 0.5));
    }
}

void Image::Paste(int x, int y, const Image& other) {
  for (int j = 0; j < other.Height(); ++j)
    for (int i = 0; i < other.Width(); ++i)
      Set(x + i, y + j, other.At(i, j));
}

uint64_t Random::Next() {
  uint64_t z = (m_State += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Random::Unit() {
  return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0);
}

int Random::Below(int n) {
  return static_cast<int>(Next() % static_cast<uint64_t>(n));
}

}  // namespace tessaloop::art
