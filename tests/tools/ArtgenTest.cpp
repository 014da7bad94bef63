// The art generator reproduces the committed pictures exactly, and its
// spreading of 64 x 64 designs survives either nearest-neighbour shrink.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "tests/support/WorkFolder.h"
#include "tools/artgen/Art.h"

namespace fs = std::filesystem;

namespace tessaloop::testing {
namespace {

std::set<std::string> BitmapsIn(const fs::path& folder) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (entry.path().extension() == ".bmp" || entry.path().extension() == ".xpm")
      names.insert(entry.path().filename().string());
  return names;
}

TEST(ArtgenTest, RegeneratesEveryCommittedPictureByteForByte) {
  WorkFolder work;
  const std::string command = std::string("\"") + TESSALOOP_ARTGEN + "\" out > artgen.log 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile("artgen.log");
  // Nothing was reported as stray in a fresh folder.
  EXPECT_EQ(ReadFile("artgen.log").find("not made by the generator"), std::string::npos);

  for (const char* folder : {"data", "userbitmaps"}) {
    const fs::path committed = fs::path(SourceDir()) / folder;
    const fs::path made = fs::path(work.Path()) / "out" / folder;
    const std::set<std::string> committedNames = BitmapsIn(committed);
    const std::set<std::string> madeNames = BitmapsIn(made);
    for (const std::string& name : madeNames)
      EXPECT_TRUE(committedNames.count(name)) << folder << "/" << name << " is not committed";
    for (const std::string& name : committedNames)
      EXPECT_TRUE(madeNames.count(name)) << folder << "/" << name << " is no longer generated";
    for (const std::string& name : madeNames) {
      if (!committedNames.count(name)) continue;
      const std::string expected = ReadFile((committed / name).string());
      const std::string actual = ReadFile((made / name).string());
      EXPECT_FALSE(actual.empty()) << name;
      EXPECT_TRUE(expected == actual) << folder << "/" << name << " differs from the generator's";
    }
  }
}

TEST(ArtgenTest, GeneratorRefusesAMissingOrUnwritableFolder) {
  WorkFolder work;
  const std::string usage = std::string("\"") + TESSALOOP_ARTGEN + "\" > /dev/null 2>&1";
  EXPECT_NE(std::system(usage.c_str()), 0);
  WriteFile("blocked", "a file where the data folder would go");
  const std::string blocked = std::string("\"") + TESSALOOP_ARTGEN + "\" blocked > /dev/null 2>&1";
  EXPECT_NE(std::system(blocked.c_str()), 0);
}

TEST(ArtgenTest, SpreadDesignShrinksBackUnderEitherSampling) {
  art::Random random(5);
  art::Image design(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      design.Set(x, y, static_cast<art::Rgb>(random.Next() & 0xFFFFFF));
  const art::Image spread = art::SpreadTo210(design);
  ASSERT_EQ(spread.Width(), 210);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      // Screen pixel d samples the picture at the left edge of its span, or at its centre.
      const int ex = x * 210 / 64;
      const int ey = y * 210 / 64;
      const int cx = (2 * x + 1) * 210 / 128;
      const int cy = (2 * y + 1) * 210 / 128;
      ASSERT_EQ(spread.At(ex, ey), design.At(x, y)) << x << "," << y;
      ASSERT_EQ(spread.At(cx, cy), design.At(x, y)) << x << "," << y;
    }
}

}  // namespace
}  // namespace tessaloop::testing
