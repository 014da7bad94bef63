// The program's own pictures in data/, as the Display sees them in either
// pixel format.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "display/Display.h"
#include "platform/HeadlessPlatform.h"
#include "tests/display/TestPictures.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

class ShippedArtTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(testing::SourceDir() + "/data/text.bmp"))
      GTEST_SKIP() << "the generated art is not in data/ yet";
    folder.LinkData();
    display = std::make_unique<Display>(platform, GetParam());
    display->Setup();
  }

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

TEST_P(ShippedArtTest, EveryStartupFileLoadsAtItsOwnSizeAndShows) {
  const std::vector<std::string> lines = testing::DebugLogLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Bitmap invalid"), 0);
  for (const testing::StartupFile& file : testing::StartupFiles()) {
    // The loader scales, so the header must say the size the program draws at.
    const std::string bytes = testing::ReadFile(file.path);
    ASSERT_GE(bytes.size(), 30u) << file.path;
    auto field = [&](size_t at) {
      return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8;
    };
    EXPECT_EQ(field(18), file.width) << file.path;
    EXPECT_EQ(field(22), file.height) << file.path;
    EXPECT_EQ(field(28), 24) << file.path << " bits per pixel";
  }
  for (int slot = 0; slot <= kSlotTabOn; ++slot) {
    const Surface* surface = display->SlotSurface(slot);
    ASSERT_NE(surface, nullptr) << slot;
    EXPECT_GT(Colours(slot, 0, 0, surface->Width(), surface->Height()).size(), 1u)
        << "slot " << slot << " is blank";
  }
}

TEST_P(ShippedArtTest, FontSheetHasAGlyphForEveryCode) {
  for (int code = 33; code <= 127; ++code) {
    const int left = (code - 33) % 15 * 8;
    const int top = (code - 33) / 15 * 8;
    EXPECT_GE(Colours(kSlotFont, left, top, 8, 8).size(), 2u) << "opaque glyph " << code;
    // Keyed: some of the cell is black (left out), some is not.
    const std::set<uint32_t> keyed = Colours(kSlotFont, left, top + 56, 8, 8);
    EXPECT_TRUE(keyed.count(0) == 1 && keyed.size() >= 2) << "keyed glyph " << code;
  }
}

TEST_P(ShippedArtTest, KeyedPicturesAreTransparentWhereTheyShouldBe) {
  // The selection frame is black inside and shows at its edges (corners may
  // be rounded off); the tab marker has black around it.
  EXPECT_EQ(Colours(kSlotSelected, 16, 16, 32, 32), std::set<uint32_t>{0});
  const Surface* frame = display->SlotSurface(kSlotSelected);
  int edge = 0;
  for (int i = 0; i < 64; ++i)
    edge += (frame->PixelRgb(i, 0) != 0) + (frame->PixelRgb(i, 63) != 0) +
            (frame->PixelRgb(0, i) != 0) + (frame->PixelRgb(63, i) != 0);
  EXPECT_GE(edge, 4 * 60);
  const std::set<uint32_t> tabOn = Colours(kSlotTabOn, 0, 0, 10, 24);
  EXPECT_TRUE(tabOn.count(0) == 1 && tabOn.size() >= 2);
}

INSTANTIATE_TEST_SUITE_P(BothPixelFormats, ShippedArtTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "FullScreen16" : "Windowed32";
                         });

}  // namespace
}  // namespace tessaloop
