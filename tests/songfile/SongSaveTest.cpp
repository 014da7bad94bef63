// Saving songs: the exact text, the songs folder, and saves that cannot be
// written leaving the old file as it was.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>

#include "display/WavetableBank.h"
#include "sound/Sequencer.h"
#include "tests/songfile/SongTestSong.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSong = "songs/UntitledSong.tlp";

class SongSaveTest : public ::testing::Test {
 protected:
  static size_t FilesInSongs() {
    return static_cast<size_t>(std::distance(fs::directory_iterator("songs"), {}));
  }

  testing::WorkFolder folder;
  WavetableBank bank;
};

TEST_F(SongSaveTest, SavingTwiceKeepsOnlyTheSecondSongAndTheFilesPermissions) {
  auto rich = testing::MakeQuietSequencer(bank, 3);
  testing::ComposeRichSong(*rich, 1);
  rich->SaveSong();
  ASSERT_GT(testing::ReadFile(kSong).size(), testing::StartupSongText(3).size());
  const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                         fs::perms::group_write;
  fs::permissions(kSong, mode);

  // The shorter start-up song under the same name: nothing of the first remains.
  auto plain = testing::MakeQuietSequencer(bank, 3);
  plain->SaveSong();
  EXPECT_EQ(testing::ReadFile(kSong), testing::StartupSongText(3));
  EXPECT_EQ(FilesInSongs(), 1u) << "no temporary file is left behind";
  EXPECT_EQ(fs::status(kSong).permissions() & fs::perms::all, mode);
  const auto lines = testing::LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "Saving Patch");
  EXPECT_EQ(lines.back(), kSong);
}

TEST_F(SongSaveTest, MissingSongsFolderIsCreatedButAFileInItsPlaceOrAnEscapingNameIsNot) {
  ASSERT_FALSE(fs::exists("songs"));
  auto seq = testing::MakeQuietSequencer(bank, 3);
  seq->SaveSong();
  EXPECT_EQ(testing::ReadFile(kSong), testing::StartupSongText(3));

  fs::remove_all("songs");
  testing::WriteFile("songs", "not a folder");
  testing::ClearDebugLog();
  const std::string before = testing::Snapshot(*seq);
  seq->SaveSong();
  EXPECT_EQ(testing::ReadFile("songs"), "not a folder");
  EXPECT_EQ(testing::Snapshot(*seq), before);

  fs::remove("songs");
  std::strcpy(seq->m_Name, "../escape");
  seq->SaveSong();
  EXPECT_FALSE(fs::exists("escape.tlp"));
  EXPECT_EQ(testing::LogLines("Song not saved:").size(), 2u);
}

// Each failure is made in a child process: a disk that fills up mid-save, and
// a song its owner made read-only (as an ordinary user: root may write it).
TEST_F(SongSaveTest, FailedSaveLeavesTheOldFileIntact) {
  auto seq = testing::MakeQuietSequencer(bank, 3);
  seq->SaveSong();
  const std::string old = testing::ReadFile(kSong);
  testing::ComposeRichSong(*seq, 3);
  const std::vector<std::pair<const char*, std::function<bool()>>> failures = {
      {"File too large",
       [] {
         std::signal(SIGXFSZ, SIG_IGN);
         const rlimit limit{4000, 4000};
         return setrlimit(RLIMIT_FSIZE, &limit) == 0;
       }},
      {"",
       [] {
         fs::permissions(kSong,
                         fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
         return geteuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0);
       }},
  };
  fs::permissions(folder.Path(), fs::perms::all);
  fs::permissions("songs", fs::perms::all);
  for (const auto& [reason, limit] : failures) {
    SCOPED_TRACE(reason);
    testing::WriteFile("debug.txt", "");
    fs::permissions("debug.txt", fs::perms::all);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (!limit()) _exit(3);
      seq->SaveSong();
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "could not set up the failure";
    EXPECT_EQ(testing::ReadFile(kSong), old);
    const auto lines = testing::LogLines("Song not saved:");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(reason), std::string::npos) << lines[0];
    EXPECT_EQ(FilesInSongs(), 1u) << "no temporary file is left behind";
  }
  // With room and rights again the same save goes through.
  fs::permissions(kSong, fs::perms::owner_read | fs::perms::owner_write);
  seq->SaveSong();
  EXPECT_NE(testing::ReadFile(kSong), old);
}

}  // namespace
}  // namespace tessaloop
