// The debug log, and where its lines go when the file cannot be written.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "display/DebugLog.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

TEST(DebugLog, StartsAfreshAndAppendsWholeLines) {
  testing::WorkFolder folder;
  testing::WriteFile(kDebugLogPath, "a line of an earlier run\n");
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(StartDebugLog());
  WriteDebugLog("one");
  WriteDebugLog("");
  WriteDebugLog("\ntwo");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(testing::ReadFile(kDebugLogPath), "DEBUG LOG\none\n\n\ntwo\n");
}

// A folder in the log's place cannot be written whoever runs the program, as
// a read-only folder cannot: the lines then reach standard error, the notice
// first, and the folder is left as it was.
TEST(DebugLog, LinesGoToStandardErrorWhenTheFileCannotBeWritten) {
  testing::WorkFolder folder;
  std::filesystem::create_directory(kDebugLogPath);
  testing::WriteFile(std::string(kDebugLogPath) + "/keep", "kept");

  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(StartDebugLog());
  WriteDebugLog("Song not saved: cannot create a file in songs: Read-only file system");
  const std::string err = ::testing::internal::GetCapturedStderr();

  const std::string notice = "Tessaloop: cannot write its debug log " +
                             std::filesystem::current_path().string() +
                             "/debug.txt (Is a directory); the log's lines follow here\n";
  EXPECT_EQ(err, notice + "DEBUG LOG\n" +
                     "Song not saved: cannot create a file in songs: Read-only file system\n");
  EXPECT_TRUE(std::filesystem::is_directory(kDebugLogPath));
  EXPECT_EQ(testing::ReadFile(std::string(kDebugLogPath) + "/keep"), "kept");
}

}  // namespace
}  // namespace tessaloop
