#pragma once

// The generator's drawing board: an RGB picture in memory with the few
// operations the art needs. Everything is integer or plain double arithmetic
// with no dependence on the machine's clock or locale, so the same sources give
// the same bytes everywhere.

#include <cstdint>
#include <vector>

namespace tessaloop::art {

// 0x00RRGGBB.
using Rgb = uint32_t;

constexpr Rgb MakeRgb(int r, int g, int b) {
  return (static_cast<Rgb>(r & 0xFF) << 16) | (static_cast<Rgb>(g & 0xFF) << 8) |
         static_cast<Rgb>(b & 0xFF);
}
constexpr int Red(Rgb c) {
  return static_cast<int>((c >> 16) & 0xFF);
}
constexpr int Green(Rgb c) {
  return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int Blue(Rgb c) {
  return static_cast<int>(c & 0xFF);
}

// a + (b - a) * t, per channel, t in 0-1, rounded.
Rgb Mix(Rgb a, Rgb b, double t);
// The same colour with its blue byte replaced.
constexpr Rgb WithBlue(Rgb c, int blue) {
  return (c & 0xFFFF00u) | static_cast<Rgb>(blue & 0xFF);
}

class Image {
 public:
  Image() = default;
  Image(int width, int height, Rgb fill = 0);

  int Width() const { return m_Width; }
  int Height() const { return m_Height; }
  const std::vector<Rgb>& Pixels() const { return m_Pixels; }

  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < m_Width && y < m_Height; }
  // Reading outside gives black; writing outside does nothing.
  Rgb At(int x, int y) const;
  void Set(int x, int y, Rgb c);
  // Blends c over the pixel with coverage 0-1.
  void Blend(int x, int y, Rgb c, double coverage);

  // Rectangles take their left/top edge inclusive and right/bottom exclusive.
  void FillRect(int left, int top, int right, int bottom, Rgb c);
  void FrameRect(int left, int top, int right, int bottom, Rgb c);
  // A disc and a ring around (cx, cy) with edges smoothed over one pixel.
  void FillDisc(double cx, double cy, double radius, Rgb c);
  void Ring(double cx, double cy, double radius, double width, Rgb c);
  // Copies another image with its top-left corner at (x, y).
  void Paste(int x, int y, const Image& other);

 private:
  int m_Width = 0;
  int m_Height = 0;
  std::vector<Rgb> m_Pixels;
};

// A small seeded generator (SplitMix64): the art must be the same on every run.
class Random {
 public:
  explicit Random(uint64_t seed) : m_State(seed) {}
  uint64_t Next();
  // Uniform in [0, 1).
  double Unit();
  // Uniform in [-1, 1).
  double Signed() { return Unit() * 2.0 - 1.0; }
  // Uniform integer in [0, n).
  int Below(int n);

 private:
  uint64_t m_State;
};

}  // namespace tessaloop::art
