// The program's own pictures in data/, seen through the Display: every file
// the start-up loads is there and decodes at the size it is drawn at, the font
// sheet has a visible glyph for every code in both sets, and the keyed
// pictures have the black that makes them transparent. Set
// TESSALOOP_FRAME_IMAGE to a path prefix to keep the frames drawn here as BMP
// files (prefix-32.bmp and prefix-16.bmp).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "display/DebugLog.h"
#include "display/Display.h"
#include "platform/HeadlessPlatform.h"
#include "tests/display/TestPictures.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

class ShippedArtTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(testing::SourceDir() + "/data/text.bmp"))
      GTEST_SKIP() << "the generated art is not in data/ yet";
    folder.LinkData();
    display = std::make_unique<Display>(platform, FullScreen());
    display->Setup();
  }

  virtual bool FullScreen() const { return false; }

  // Colours of a rectangle of a slot surface.
  std::set<uint32_t> Colours(int slot, int left, int top, int width, int height) const {
    std::set<uint32_t> colours;
    const Surface* surface = display->SlotSurface(slot);
    for (int y = top; y < top + height; ++y)
      for (int x = left; x < left + width; ++x)
        colours.insert(surface->PixelRgb(x, y));
    return colours;
  }

  testing::WorkFolder folder;
  HeadlessPlatform platform;
  std::unique_ptr<Display> display;
};

TEST_F(ShippedArtTest, EveryStartupFileLoadsAtItsOwnSize) {
  const std::vector<std::string> lines = testing::DebugLogLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Bitmap invalid"), 0);
  for (const testing::StartupFile& file : testing::StartupFiles()) {
    // Read at its own size and at a size one pixel larger: the same picture
    // only if it really has the size the program draws it at.
    DecodedImage image;
    ASSERT_TRUE(platform.LoadBitmap(file.path.c_str(), file.width, file.height, image))
        << file.path;
    const std::string bytes = testing::ReadFile(file.path);
    ASSERT_GE(bytes.size(), 26u) << file.path;
    auto field = [&](size_t at) {
      return static_cast<int>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1])
                                                                    << 8);
    };
    EXPECT_EQ(field(18), file.width) << file.path;
    EXPECT_EQ(field(22), file.height) << file.path;
    EXPECT_EQ(field(28), 24) << file.path << " bits per pixel";
  }
}

TEST_F(ShippedArtTest, FontSheetHasAGlyphForEveryCode) {
  for (int code = 33; code <= 127; ++code) {
    const int k = code - 33;
    const int left = k % 15 * 8;
    const int top = k / 15 * 8;
    // Opaque: drawn on a light cell, with some darker text on it.
    const std::set<uint32_t> opaque = Colours(kSlotFont, left, top, 8, 8);
    EXPECT_GE(opaque.size(), 2u) << "opaque glyph " << code;
    // Keyed: some of the cell is black (left out), some is not.
    const std::set<uint32_t> keyed = Colours(kSlotFont, left, top + 56, 8, 8);
    EXPECT_TRUE(keyed.count(0) == 1 && keyed.size() >= 2) << "keyed glyph " << code;
  }
}

TEST_F(ShippedArtTest, KeyedPicturesAreTransparentWhereTheyShouldBe) {
  // The selection frame is black inside; the tab marker has black around it.
  EXPECT_EQ(Colours(kSlotSelected, 16, 16, 32, 32), std::set<uint32_t>{0});
  // Its edges show (corners may be rounded off).
  int edge = 0;
  for (int i = 0; i < 64; ++i) {
    const Surface* frame = display->SlotSurface(kSlotSelected);
    edge += (frame->PixelRgb(i, 0) != 0) + (frame->PixelRgb(i, 63) != 0) +
            (frame->PixelRgb(0, i) != 0) + (frame->PixelRgb(63, i) != 0);
  }
  EXPECT_GE(edge, 4 * 60);
  EXPECT_EQ(Colours(kSlotTabOn, 0, 0, 10, 24).count(0), 1u);
  EXPECT_GE(Colours(kSlotTabOn, 0, 0, 10, 24).size(), 2u);
}

// A frame laid out as the editor lays it out (tab 1, three tracks): every bar,
// the tab marker, cells with their note markers, the pattern buttons, the
// palette with the hover frame, the bottom bar's numbers and glyphs, the
// arrangement rows, the help overlay and the pointer. Every picture drawn
// must show on the frame: none of the art may be blank.
class ShippedArtFrameTest : public ShippedArtTest, public ::testing::WithParamInterface<bool> {
 protected:
  bool FullScreen() const override { return GetParam(); }
};

TEST_P(ShippedArtFrameTest, DrawsAFrameOfEverything) {
  const Rect bar{0, 0, 512, 24};
  const Rect picture{0, 0, 64, 64};
  const Rect marker{0, 0, 12, 12};
  display->BlitSlot(0, 0, kSlotTabs, bar, false);
  display->BlitSlot(0, 666, kSlotTempo, bar, false);
  display->BlitSlot(501, 0, kSlotTitle, bar, false);
  display->BlitSlot(39, 0, kSlotTabOn, {0, 0, 10, 24}, true);   // tab 1, current
  display->BlitSlot(218, 0, kSlotTabOn, {0, 0, 10, 24}, true);  // tab 3, hovered
  const char* const notes[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
  for (int t = 0; t < 3; ++t) {
    for (int s = 0; s < 16; ++s) {
      const int x0 = s * 64;
      const int y0 = t * 64 + 24;
      if ((s + t) % 3 == 2) continue;  // a rest
      display->BlitSlot(x0, y0, 6 + (s * 5 + t * 3) % 16, picture, false);
      const int octave = 2 + (s + t) % 5;
      const int semitone = (s * 7 + t) % 12;
      const int oy = 56 - 6 * octave;
      const int ox = std::clamp(5 * semitone, 2, 54);
      display->BlitSlot(x0 + 26, y0 + oy - 2, kSlotMax, marker, false);
      display->DrawInt(x0 + 28, y0 + oy, octave);
      display->BlitSlot(x0 + ox - 2, y0 + 30, kSlotMax, marker, false);
      display->DrawString(x0 + ox, y0 + 32, notes[semitone]);
    }
    display->DrawStringKeyed(5 * 64 + 26, t * 64 + 50, "9");  // the playing step
  }
  display->BlitSlot(2 * 64, 64 + 24, kSlotSelected, picture, true);  // the current cell
  // The pattern buttons of tab 5, drawn here over track 2 for a look at them.
  display->BlitSlot(5, 2 * 64 + 32, kSlotMax, {0, 0, 54, 24}, false);
  display->DrawString(7, 2 * 64 + 34, "Save");
  display->DrawString(7, 2 * 64 + 46, "A");
  display->BlitSlot(69, 2 * 64 + 32, kSlotMax, {0, 0, 54, 24}, false);
  display->DrawString(71, 2 * 64 + 34, "Load");
  display->DrawString(71, 2 * 64 + 46, "C");
  display->DrawStringKeyed(83, 2 * 64 + 46, "1");

  display->DrawString(840, 675, "tessaloop");
  for (int t = 0; t < 3; ++t)
    for (int j = 0; j < 100; ++j) {
      const char letter[2] = {static_cast<char>('A' + (j / 4 + t * 5) % 26), 0};
      display->DrawString(j * 10 + 10, t * 10 + 700, letter);
    }
  display->DrawStringKeyed(150, 710, "I");  // the hovered arrangement letter
  display->DrawInt(73, 674, 6);
  display->DrawInt(103, 674, 4);
  display->DrawStringKeyed(200, 690, "?");
  display->DrawIntKeyed(40, 690, 6);
  display->DrawStringKeyed(54, 673, ">");
  display->DrawFloat(267, 674, 240.4909f);
  const char* const mutes[] = {"2", "3", "4"};
  for (int t = 0; t < 3; ++t)
    display->DrawStringKeyed(t * 16 + 410, 673, mutes[t]);

  display->DrawStringKeyed(500, 420, "Help");
  display->DrawString(500, 440, "Left click and drag from palette below to create a sequence");
  display->DrawString(500, 450, "Hold control when dragging to paint");
  display->DrawStringKeyed(500, 500, "User Bitmaps");
  display->DrawString(500, 520, "!\"#$%&'()*+,-./0123456789:;<=>?@[\\]^_`{|}~");
  display->DrawStringKeyed(500, 530, "!\"#$%&'()*+,-./0123456789:;<=>?@[\\]^_`{|}~");
  display->DrawString(500, 540, "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz");
  display->DrawStringKeyed(500, 550, "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz");

  for (int i = 0; i < 16; ++i)
    display->BlitSlot(i * 64, 600, 6 + i, picture, false);
  display->BlitSlot(4 * 64, 600, kSlotSelected, picture, true);
  display->DrawStringKeyed(300, 630, "~");  // the pointer, over everything

  // Every picture shows: each region holds more than one colour.
  auto colours = [&](int left, int top, int width, int height) {
    std::set<uint32_t> seen;
    for (int y = top; y < top + height; ++y)
      for (int x = left; x < left + width; ++x)
        seen.insert(display->BackBuffer().PixelRgb(x, y));
    return seen.size();
  };
  EXPECT_GT(colours(0, 0, 512, 24), 1u) << "tab bar";
  EXPECT_GT(colours(512, 0, 512, 24), 1u) << "title bar";
  EXPECT_GT(colours(0, 666, 512, 24), 1u) << "bottom bar";
  for (int i = 0; i < 16; ++i)
    EXPECT_GT(colours(i * 64, 600, 64, 64), 1u) << "palette picture " << i;
  EXPECT_GT(colours(5, 2 * 64 + 32, 54, 24), 1u) << "button face";
  if (const char* path = std::getenv("TESSALOOP_FRAME_IMAGE")) {
    const std::string file = std::string(path) + (GetParam() ? "-16.bmp" : "-32.bmp");
    EXPECT_TRUE(display->WriteBackBufferImage(file.c_str()));
  }
}

INSTANTIATE_TEST_SUITE_P(BothPixelFormats, ShippedArtFrameTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "FullScreen16" : "Windowed32";
                         });

}  // namespace
}  // namespace tessaloop
