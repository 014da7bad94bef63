// The export on its own thread, as the editor runs it: the interface thread
// starts it, polls it and takes its result once; a second export waits for
// the first; an export ended early (the program quits) leaves no file. Run
// under ThreadSanitizer too.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "export/SongExport.h"
#include "tests/export/ExportRig.h"

namespace tessaloop {
namespace {

namespace fs = std::filesystem;
using testing::Entries;
using testing::ReadFile;
using testing::WriteFile;

// Polls for a state, as the editor's frames would; false when it did not come
// within two minutes (a slow sanitizer build included).
template <typename State>
bool Eventually(State state) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  while (!state()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

class BackgroundExportTest : public ::testing::Test {
 protected:
  BackgroundExportTest() { WriteFile("debug.txt", "DEBUG LOG\n"); }

  testing::ExportFolder folder;
};

// The result comes once, for a file that is ExportSong's byte for byte, next
// to the user's own file of that name, which stays. Nothing is logged.
TEST_F(BackgroundExportTest, TheResultComesOnceAndIsTheExport) {
  const auto song = testing::EditedSong(6, 3, 600, "Loop");
  fs::create_directory("songs");
  WriteFile("songs/Loop.wav", "mine");
  std::string error;
  ASSERT_TRUE(ExportSong(*song, "reference.wav", nullptr, error)) << error;

  BackgroundExport background;
  ExportResult result;
  EXPECT_FALSE(background.TakeResult(result));
  EXPECT_EQ(background.Percent(), 0);
  ASSERT_TRUE(background.Start(*song));
  EXPECT_EQ(background.Path(), "songs/Loop-2.wav");
  ASSERT_TRUE(Eventually([&] { return background.TakeResult(result); }));
  EXPECT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.path, "songs/Loop-2.wav");
  EXPECT_EQ(result.error, "");
  EXPECT_FALSE(background.Running());
  EXPECT_EQ(background.Percent(), 100);
  EXPECT_FALSE(background.TakeResult(result));
  EXPECT_TRUE(ReadFile("songs/Loop-2.wav") == ReadFile("reference.wav"));
  EXPECT_EQ(ReadFile("songs/Loop.wav"), "mine");
  EXPECT_EQ(ReadFile("debug.txt"), "DEBUG LOG\n");

  // The next export of the same song takes the next free name.
  ASSERT_TRUE(background.Start(*song));
  EXPECT_EQ(background.Path(), "songs/Loop-3.wav");
  ASSERT_TRUE(Eventually([&] { return background.TakeResult(result); }));
  EXPECT_TRUE(result.ok) << result.error;
  EXPECT_TRUE(ReadFile("songs/Loop-3.wav") == ReadFile("reference.wav"));
}

// A failure comes as a result too, in one line.
TEST_F(BackgroundExportTest, AFailureIsAResult) {
  const auto song = testing::EditedSong(3, 1, 100, "Nowhere");
  WriteFile("songs", "a file, not a folder");
  BackgroundExport background;
  ASSERT_TRUE(background.Start(*song));
  ExportResult result;
  ASSERT_TRUE(Eventually([&] { return background.TakeResult(result); }));
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.path, "songs/Nowhere.wav");
  EXPECT_NE(result.error.find("songs"), std::string::npos) << result.error;
  EXPECT_EQ(result.error.find('\n'), std::string::npos) << result.error;
  EXPECT_EQ(ReadFile("songs"), "a file, not a folder");
}

// A long export: a second Start is refused while it runs (or while its result
// is untaken), and the export ended by the destructor, once it is writing,
// leaves neither the file nor its temporary.
TEST_F(BackgroundExportTest, OneAtATimeAndNothingLeftWhenEndedEarly) {
  const auto first = testing::EditedSong(6, 100, 20000, "Long");
  const auto second = testing::EditedSong(3, 1, 100, "Short");
  {
    BackgroundExport background;
    ASSERT_TRUE(background.Start(*first));
    EXPECT_FALSE(background.Start(*second));
    EXPECT_EQ(background.Path(), "songs/Long.wav");
    ASSERT_TRUE(Eventually([] {
      for (const std::string& name : Entries("songs"))
        if (name.rfind("Long.wav.", 0) == 0) return true;
      return false;
    }));
    EXPECT_TRUE(background.Running());
    EXPECT_LT(background.Percent(), 100);
  }
  EXPECT_EQ(Entries("songs"), std::set<std::string>{});
  EXPECT_EQ(ReadFile("debug.txt"), "DEBUG LOG\n");
}

}  // namespace
}  // namespace tessaloop
