// Drawing into the back buffer: pictures out of slot surfaces, and text and
// numbers made of 8 x 8 glyphs out of the font sheet.

#include <cstdio>

#include "display/Display.h"

namespace tessaloop {

namespace {

constexpr int kGlyphSize = 8;
constexpr int kGlyphsPerRow = 15;
constexpr int kFirstGlyphCode = 33;  // '!'; codes 33 to 127 have glyphs
constexpr int kKeyedSetTop = 56;     // the keyed set sits below the opaque one
constexpr size_t kNumberBufferSize = 64;

}  // namespace

void Display::BlitSlot(int x, int y, int slot, const Rect& source, bool keyed) {
  if (slot < 0 || slot >= kSlotCount || !m_DDSSlots[slot]) return;
  m_DDSBack.BltFast(x, y, *m_DDSSlots[slot], source, keyed);
}

void Display::DrawText(int x, int y, const char* text, int setTop, bool keyed) {
  const Surface* font = m_DDSSlots[kSlotFont].get();
  if (text == nullptr || font == nullptr) return;
  // Every character takes 8 pixels, drawn or not. A glyph that would not lie
  // wholly on the screen is refused by the blit, and the rest still draw.
  for (int i = 0; text[i] != '\0'; ++i) {
    const int64_t at = static_cast<int64_t>(x) + int64_t{kGlyphSize} * i;
    if (at > m_DDSBack.Width() - kGlyphSize) break;  // nothing further on can be drawn
    // Signed, so the bytes 128 to 255 are negative and, with everything up to
    // the space, have no glyph.
    const int code = static_cast<signed char>(text[i]);
    if (code < kFirstGlyphCode) continue;
    const int index = code - kFirstGlyphCode;
    Rect glyph;
    glyph.left = index % kGlyphsPerRow * kGlyphSize;
    glyph.top = index / kGlyphsPerRow * kGlyphSize + setTop;
    glyph.right = glyph.left + kGlyphSize;
    glyph.bottom = glyph.top + kGlyphSize;
    m_DDSBack.BltFast(static_cast<int>(at), y, *font, glyph, keyed);
  }
}

void Display::DrawString(int x, int y, const char* text) {
  DrawText(x, y, text, 0, false);
}

void Display::DrawStringKeyed(int x, int y, const char* text) {
  DrawText(x, y, text, kKeyedSetTop, true);
}

void Display::DrawFloat(int x, int y, float value) {
  char text[kNumberBufferSize];
  std::snprintf(text, sizeof text, "%.4f", static_cast<double>(value));
  DrawString(x, y, text);
}

void Display::DrawInt(int x, int y, int32_t value) {
  char text[kNumberBufferSize];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  DrawString(x, y, text);
}

void Display::DrawIntKeyed(int x, int y, int32_t value) {
  char text[kNumberBufferSize];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  DrawStringKeyed(x, y, text);
}

}  // namespace tessaloop
