#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "display/BmpWriter.h"
#include "display/Display.h"
#include "platform/HeadlessPlatform.h"
#include "tests/display/TestPictures.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

constexpr uint32_t kGreen = 0x00FF00;  // the background; no glyph pixel has this colour

// Drawing on the headless display in the pixel format of either program, with
// a font sheet whose pixels tell where they are (red x, green y). In the keyed
// set every third pixel is black, to be left out.
class DrawingTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    testing::WriteStartupFiles();
    std::vector<uint32_t> sheet(256 * 256);
    for (uint32_t y = 0; y < 256; ++y)
      for (uint32_t x = 0; x < 256; ++x) {
        const bool keyedSet = y >= 56 && y < 112;
        const bool hole = keyedSet && (x + y) % 3 == 0;
        sheet[y * 256 + x] = hole ? 0 : x << 16 | y << 8 | (keyedSet ? 0x40 : 0x80);
      }
    WriteBmp24("data/text.bmp", 256, 256, sheet.data());
    display = std::make_unique<Display>(platform, GetParam());
    display->Setup();
    font = display->SlotSurface(kSlotFont);
    ASSERT_NE(font, nullptr);
    Clear();
  }

  void Clear() { display->FillSurface(-1, Back().Encode(kGreen)); }
  const Surface& Back() const { return display->BackBuffer(); }

  // The 8 x 8 cell at (x, y) holds the glyph at (left, top) of the sheet;
  // keyed, its black pixels show the background.
  ::testing::AssertionResult HasGlyph(int x, int y, int left, int top, bool keyed) const {
    for (int dy = 0; dy < 8; ++dy)
      for (int dx = 0; dx < 8; ++dx) {
        const uint32_t source = font->Pixel(left + dx, top + dy);
        const uint32_t expected = keyed && source == 0 ? Back().Encode(kGreen) : source;
        if (Back().Pixel(x + dx, y + dy) != expected)
          return ::testing::AssertionFailure()
                 << "pixel (" << x + dx << ", " << y + dy << ") is not glyph pixel (" << left + dx
                 << ", " << top + dy << ")";
      }
    return ::testing::AssertionSuccess();
  }

  // Counts the pixels of a block (the whole screen by default) that are not background.
  int Drawn(int x = 0, int y = 0, int width = 1024, int height = 768) const {
    int drawn = 0;
    for (int py = y; py < y + height; ++py)
      for (int px = x; px < x + width; ++px)
        drawn += Back().PixelRgb(px, py) != kGreen;
    return drawn;
  }

  testing::WorkFolder folder;
  HeadlessPlatform platform;
  std::unique_ptr<Display> display;
  const Surface* font = nullptr;
};

TEST_P(DrawingTest, GlyphsComeFromTheirCells) {
  display->DrawString(0, 0, "AB");
  EXPECT_TRUE(HasGlyph(0, 0, 16, 16, false));
  EXPECT_TRUE(HasGlyph(8, 0, 24, 16, false));
  EXPECT_EQ(Drawn(), 128);
  display->DrawString(100, 100, "!0a\x7f");
  EXPECT_TRUE(HasGlyph(100, 100, 0, 0, false));
  EXPECT_TRUE(HasGlyph(108, 100, 0, 8, false));
  EXPECT_TRUE(HasGlyph(116, 100, 32, 32, false));
  EXPECT_TRUE(HasGlyph(124, 100, 32, 48, false));  // code 127, the last glyph

  Clear();
  display->DrawStringKeyed(40, 40, "1");
  EXPECT_TRUE(HasGlyph(40, 40, 8, 64, true));
  EXPECT_GT(Drawn(), 30) << "the glyph's colours are drawn";
  EXPECT_LT(Drawn(), 64) << "its black is left out";
  display->DrawStringKeyed(200, 300, "A\x7f");
  EXPECT_TRUE(HasGlyph(200, 300, 16, 72, true));
  EXPECT_TRUE(HasGlyph(208, 300, 32, 104, true));
}

TEST_P(DrawingTest, CharactersWithoutGlyphsStillAdvance) {
  for (const bool keyed : {false, true}) {
    SCOPED_TRACE(keyed ? "keyed" : "opaque");
    Clear();
    // Control characters, the space, a line end and bytes of 128 and above
    // (negative as signed characters) draw nothing and take 8 pixels.
    int y = 30;
    for (const char leader : {'\x01', '\x15', '\x16', ' ', '\n', '\x80', '\xa0', '\xff'}) {
      const char text[] = {'A', leader, 'B', 0};
      keyed ? display->DrawStringKeyed(500, y, text) : display->DrawString(500, y, text);
      EXPECT_EQ(Drawn(508, y, 8, 8), 0) << "leader " << int{leader};
      EXPECT_TRUE(HasGlyph(516, y, 24, 16 + (keyed ? 56 : 0), keyed)) << "leader " << int{leader};
      y += 10;
    }
  }
}

TEST_P(DrawingTest, GlyphsAndBlitsThatWouldLeaveTheScreenAreNotDrawn) {
  display->DrawString(1000, 0, "ABCDE");
  EXPECT_TRUE(HasGlyph(1016, 0, 32, 16, false));
  EXPECT_EQ(Drawn(), 3 * 64);
  Clear();
  display->DrawString(-4, 100, "AB");  // the first glyph is refused, the next drawn
  EXPECT_TRUE(HasGlyph(4, 100, 24, 16, false));
  display->DrawString(0, 760, "A");  // the last row a glyph fits on
  EXPECT_EQ(Drawn(), 2 * 64);
  Clear();
  display->DrawString(0, 761, "A");
  display->DrawStringKeyed(0, -1, "A");
  display->DrawString(2000000000, 0, "AAAA");
  display->DrawString(-2000000000, 0, "AAAA");

  // A blit must lie wholly inside both surfaces.
  const Rect whole{0, 0, 64, 64};
  display->BlitSlot(980, 600, 6, whole, false);  // would pass x = 1023
  display->BlitSlot(0, 705, 6, whole, false);    // would pass y = 767
  display->BlitSlot(-1, 0, 6, whole, false);
  for (const Rect source : {Rect{0, 0, 65, 64}, Rect{-1, 0, 63, 64}, Rect{10, 0, 10, 64},
                            Rect{20, 0, 10, 64}})  // beyond, left of, empty, inverted
    display->BlitSlot(0, 0, 6, source, false);
  for (const int slot : {45, -1, kSlotCount})  // no picture there
    display->BlitSlot(0, 0, slot, whole, false);
  EXPECT_EQ(Drawn(), 0);

  // Exactly in the corner fits; part of the picture is drawn unscaled.
  display->BlitSlot(960, 704, 6, whole, false);
  display->BlitSlot(10, 20, 6, {8, 4, 20, 30}, false);
  const Surface& six = *display->SlotSurface(6);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      ASSERT_EQ(Back().Pixel(960 + x, 704 + y), six.Pixel(x, y));
  for (int y = 0; y < 26; ++y)
    for (int x = 0; x < 12; ++x)
      ASSERT_EQ(Back().Pixel(10 + x, 20 + y), six.Pixel(8 + x, 4 + y));
  EXPECT_EQ(Drawn(), 64 * 64 + 12 * 26);
}

TEST_P(DrawingTest, NumbersAreDrawnAsTheirText) {
  auto drawsAs = [&](void (*draw)(Display&), const std::string& text, bool keyed = false) {
    Clear();
    draw(*display);
    for (size_t i = 0; i < text.size(); ++i) {
      const int k = text[i] - 33;
      if (!HasGlyph(8 * static_cast<int>(i), 0, k % 15 * 8, k / 15 * 8 + (keyed ? 56 : 0), keyed))
        return false;
    }
    return Drawn(8 * static_cast<int>(text.size()), 0, 8, 8) == 0;
  };
  EXPECT_TRUE(drawsAs([](Display& d) { d.DrawFloat(0, 0, 60.0f); }, "60.0000"));
  EXPECT_TRUE(drawsAs([](Display& d) { d.DrawFloat(0, 0, 0.25f); }, "0.2500"));
  EXPECT_TRUE(drawsAs([](Display& d) { d.DrawFloat(0, 0, -0.5f); }, "-0.5000"));
  EXPECT_TRUE(drawsAs([](Display& d) { d.DrawInt(0, 0, -3); }, "-3"));
  EXPECT_TRUE(drawsAs([](Display& d) { d.DrawInt(0, 0, 2147483647); }, "2147483647"));
  EXPECT_TRUE(drawsAs([](Display& d) { d.DrawInt(0, 0, INT32_MIN); }, "-2147483648"));
  EXPECT_TRUE(drawsAs([](Display& d) { d.DrawIntKeyed(0, 0, -45); }, "-45", true));
}

INSTANTIATE_TEST_SUITE_P(BothPixelFormats, DrawingTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "FullScreen16" : "Windowed32";
                         });

}  // namespace
}  // namespace tessaloop
