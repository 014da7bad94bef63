#include <gtest/gtest.h>

#include <cstring>
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

// A font sheet whose every pixel tells where it is: red is x, green is y. In
// the keyed set every third pixel is black, so it must be left out.
std::vector<uint32_t> FontSheet() {
  std::vector<uint32_t> pixels(256 * 256);
  for (uint32_t y = 0; y < 256; ++y)
    for (uint32_t x = 0; x < 256; ++x) {
      const bool keyedSet = y >= 56 && y < 112;
      const bool hole = keyedSet && (x + y) % 3 == 0;
      pixels[y * 256 + x] = hole ? 0 : x << 16 | y << 8 | (keyedSet ? 0x40 : 0x80);
    }
  return pixels;
}

// Drawing on the headless display, with our own font sheet in slot 35, in the
// pixel format of either program.
class DrawingTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    testing::WriteStartupFiles();
    const std::vector<uint32_t> sheet = FontSheet();
    WriteBmp24("data/text.bmp", 256, 256, sheet.data());
    display = std::make_unique<Display>(platform, GetParam());
    display->Setup();
    font = display->SlotSurface(kSlotFont);
    ASSERT_NE(font, nullptr);
    Clear();
  }

  void Clear() { display->FillSurface(-1, Back().Encode(kGreen)); }
  const Surface& Back() const { return display->BackBuffer(); }

  // The 8 x 8 cell at (x, y) of the back buffer holds the glyph at
  // (left, top) of the sheet; keyed, its black pixels show the background.
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

  ::testing::AssertionResult Untouched(int x, int y, int width, int height) const {
    for (int py = y; py < y + height; ++py)
      for (int px = x; px < x + width; ++px)
        if (Back().PixelRgb(px, py) != kGreen)
          return ::testing::AssertionFailure() << "pixel (" << px << ", " << py << ") was drawn";
    return ::testing::AssertionSuccess();
  }

  // Counts the pixels of the back buffer that are not background.
  int DrawnPixels() const {
    int drawn = 0;
    for (int y = 0; y < Back().Height(); ++y)
      for (int x = 0; x < Back().Width(); ++x)
        drawn += Back().PixelRgb(x, y) != kGreen;
    return drawn;
  }

  // Whether two blocks of the back buffer hold the same pixels.
  bool SameBlock(int x1, int y1, int x2, int y2, int width, int height) const {
    for (int dy = 0; dy < height; ++dy)
      for (int dx = 0; dx < width; ++dx)
        if (Back().Pixel(x1 + dx, y1 + dy) != Back().Pixel(x2 + dx, y2 + dy)) return false;
    return true;
  }

  testing::WorkFolder folder;
  HeadlessPlatform platform;
  std::unique_ptr<Display> display;
  const Surface* font = nullptr;
};

TEST_P(DrawingTest, OpaqueGlyphsComeFromTheirCells) {
  display->DrawString(0, 0, "AB");
  EXPECT_TRUE(HasGlyph(0, 0, 16, 16, false));
  EXPECT_TRUE(HasGlyph(8, 0, 24, 16, false));
  EXPECT_TRUE(Untouched(16, 0, 8, 8));
  EXPECT_EQ(DrawnPixels(), 128);

  display->DrawString(100, 100, "!0a\x7f");
  EXPECT_TRUE(HasGlyph(100, 100, 0, 0, false));
  EXPECT_TRUE(HasGlyph(108, 100, 0, 8, false));
  EXPECT_TRUE(HasGlyph(116, 100, 32, 32, false));
  EXPECT_TRUE(HasGlyph(124, 100, 32, 48, false));  // code 127, the last glyph
}

TEST_P(DrawingTest, KeyedGlyphsLeaveOutBlack) {
  display->DrawStringKeyed(40, 40, "1");
  EXPECT_TRUE(HasGlyph(40, 40, 8, 64, true));
  // Some of its pixels really were left out, and the others drawn.
  const int drawn = DrawnPixels();
  EXPECT_GT(drawn, 30);
  EXPECT_LT(drawn, 64);

  display->DrawStringKeyed(200, 300, "A\x7f");
  EXPECT_TRUE(HasGlyph(200, 300, 16, 72, true));
  EXPECT_TRUE(HasGlyph(208, 300, 32, 104, true));
}

TEST_P(DrawingTest, CharactersWithoutGlyphsStillAdvance) {
  for (const bool keyed : {false, true}) {
    SCOPED_TRACE(keyed ? "keyed" : "opaque");
    const int top = keyed ? 56 : 0;
    auto draw = [&](int x, int y, const char* text) {
      keyed ? display->DrawStringKeyed(x, y, text) : display->DrawString(x, y, text);
    };
    Clear();
    draw(300, 10, "A B");
    EXPECT_TRUE(HasGlyph(300, 10, 16, 16 + top, keyed));
    EXPECT_TRUE(Untouched(308, 10, 8, 8)) << "the space shows what was below";
    EXPECT_TRUE(HasGlyph(316, 10, 24, 16 + top, keyed));

    // Control characters, the space, a line end and bytes of 128 and above
    // (negative as signed characters) draw nothing and take 8 pixels.
    const char* const leaders[] = {"\x01", "\x15", "\x16", " ", "\n", "\x80", "\xa0", "\xff"};
    int y = 30;
    for (const char* leader : leaders) {
      const std::string text = std::string(leader) + "B";
      draw(500, y, text.c_str());
      EXPECT_TRUE(Untouched(500, y, 8, 8)) << "leader " << static_cast<int>(leader[0]);
      EXPECT_TRUE(HasGlyph(508, y, 24, 16 + top, keyed))
          << "leader " << static_cast<int>(leader[0]);
      y += 10;
    }
  }
}

TEST_P(DrawingTest, GlyphsThatWouldLeaveTheScreenAreNotDrawn) {
  display->DrawString(1000, 0, "ABCDE");
  EXPECT_TRUE(HasGlyph(1000, 0, 16, 16, false));
  EXPECT_TRUE(HasGlyph(1008, 0, 24, 16, false));
  EXPECT_TRUE(HasGlyph(1016, 0, 32, 16, false));
  EXPECT_EQ(DrawnPixels(), 3 * 64);

  // Starting left of the screen: the first glyph is refused, the next drawn.
  Clear();
  display->DrawString(-4, 100, "AB");
  EXPECT_TRUE(HasGlyph(4, 100, 24, 16, false));
  EXPECT_EQ(DrawnPixels(), 64);

  // The bottom: y 760 is the last row a glyph fits on.
  Clear();
  display->DrawString(0, 760, "A");
  EXPECT_EQ(DrawnPixels(), 64);
  Clear();
  display->DrawString(0, 761, "A");
  display->DrawStringKeyed(0, -1, "A");
  display->DrawString(2000000000, 0, "AAAA");
  display->DrawString(-2000000000, 0, "AAAA");
  EXPECT_EQ(DrawnPixels(), 0);
}

TEST_P(DrawingTest, BlitsMustLieWhollyInsideBothSurfaces) {
  const Rect whole{0, 0, 64, 64};
  display->BlitSlot(980, 600, 6, whole, false);  // would pass x = 1023
  display->BlitSlot(0, 705, 6, whole, false);    // would pass y = 767
  display->BlitSlot(-1, 0, 6, whole, false);
  display->BlitSlot(0, 0, 6, {0, 0, 65, 64}, false);   // beyond the picture
  display->BlitSlot(0, 0, 6, {-1, 0, 63, 64}, false);  // left of the picture
  display->BlitSlot(0, 0, 6, {10, 0, 10, 64}, false);  // empty
  display->BlitSlot(0, 0, 6, {20, 0, 10, 64}, false);  // inverted
  display->BlitSlot(0, 0, 45, whole, false);           // a slot without a picture
  display->BlitSlot(0, 0, -1, whole, false);
  display->BlitSlot(0, 0, kSlotCount, whole, false);
  EXPECT_EQ(DrawnPixels(), 0);

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
  EXPECT_EQ(DrawnPixels(), 64 * 64 + 12 * 26);
}

TEST_P(DrawingTest, NumbersAreDrawnAsTheirText) {
  struct Case {
    std::string text;
    void (*draw)(Display&, int, int);
  };
  const Case cases[] = {
      {"60.0000", [](Display& d, int x, int y) { d.DrawFloat(x, y, 60.0f); }},
      {"0.2500", [](Display& d, int x, int y) { d.DrawFloat(x, y, 0.25f); }},
      {"-0.5000", [](Display& d, int x, int y) { d.DrawFloat(x, y, -0.5f); }},
      {"120.0000", [](Display& d, int x, int y) { d.DrawFloat(x, y, 120.0f); }},
      {"-3", [](Display& d, int x, int y) { d.DrawInt(x, y, -3); }},
      {"2147483647", [](Display& d, int x, int y) { d.DrawInt(x, y, 2147483647); }},
      {"-2147483648", [](Display& d, int x, int y) { d.DrawInt(x, y, INT32_MIN); }},
  };
  int y = 0;
  for (const Case& c : cases) {
    c.draw(*display, 0, y);
    display->DrawString(400, y, c.text.c_str());
    const int width = 8 * static_cast<int>(c.text.size());
    EXPECT_TRUE(SameBlock(0, y, 400, y, width + 8, 8)) << c.text;
    EXPECT_TRUE(Untouched(width, y, 8, 8)) << c.text << " has no more characters";
    y += 10;
  }
  display->DrawIntKeyed(0, y, -45);
  display->DrawStringKeyed(400, y, "-45");
  EXPECT_TRUE(SameBlock(0, y, 400, y, 32, 8));
  EXPECT_TRUE(HasGlyph(0, y, 96, 56, true));  // the minus sign, code 45
}

INSTANTIATE_TEST_SUITE_P(BothPixelFormats, DrawingTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "FullScreen16" : "Windowed32";
                         });

}  // namespace
}  // namespace tessaloop
