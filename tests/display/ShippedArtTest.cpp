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

INSTANTIATE_TEST_SUITE_P(BothPixelFormats, ShippedArtTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "FullScreen16" : "Windowed32";
                         });

}  // namespace
}  // namespace tessaloop
