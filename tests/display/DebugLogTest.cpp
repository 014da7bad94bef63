#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "display/DebugLog.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

// A folder in the log's place cannot be written even by root, unlike a
// read-only folder: the lines then go to standard error and the folder is kept.
TEST(DebugLog, LinesGoToStandardErrorWhenTheFileCannotBeWritten) {
  testing::WorkFolder folder;
  std::filesystem::create_directory(kDebugLogPath);
  testing::WriteFile(std::string(kDebugLogPath) + "/keep", "kept");

  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(StartDebugLog());
  WriteDebugLog("Song not saved");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Tessaloop: cannot write its debug log " + std::filesystem::current_path().string() +
                "/debug.txt (Is a directory); the log's lines follow here\nDEBUG LOG\nSong not "
                "saved\n");
  EXPECT_EQ(testing::ReadFile(std::string(kDebugLogPath) + "/keep"), "kept");
}

}  // namespace
}  // namespace tessaloop
