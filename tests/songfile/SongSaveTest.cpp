// Saving songs: the exact text, the songs folder, and saves that cannot be
// written leaving the old file as it was.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "display/WavetableBank.h"
#include "songfile/SongFormat.h"
#include "sound/Sequencer.h"
#include "tests/songfile/SongTestSong.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

namespace fs = std::filesystem;

class SongSaveTest : public ::testing::Test {
 protected:
  testing::WorkFolder folder;
  WavetableBank bank;
};

TEST_F(SongSaveTest, StartupSongSavesAsItsExactTextInBothPrograms) {
  struct Expected {
    int tracks;
    size_t tokens;
    size_t characters;
  };
  for (const Expected& expected : {Expected{3, 3777, 12443}, Expected{6, 4080, 13352}}) {
    SCOPED_TRACE(expected.tracks);
    auto seq = testing::MakeQuietSequencer(bank, expected.tracks);
    seq->SaveSong();
    const std::string text = testing::ReadFile("songs/UntitledSong.tlp");
    EXPECT_EQ(text, testing::StartupSongText(expected.tracks));
    EXPECT_EQ(text.size(), expected.characters);
    EXPECT_EQ(testing::SplitTokens(text).size(), expected.tokens);
    EXPECT_EQ(text.rfind("data/noise.bmp,11005,"), text.size() - 21);
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(static_cast<long>(expected.tokens), SongTokenCount(expected.tracks));
  }
  EXPECT_EQ(testing::LogLinesStartingWith("Saving Patch").size(), 2u);
  const auto lines = testing::DebugLogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "Saving Patch");
  EXPECT_EQ(lines.back(), "songs/UntitledSong.tlp");
}

TEST_F(SongSaveTest, RealsAreWrittenAsSixSignificantDigits) {
  SongImage song;
  song.trackCount = 3;
  song.bank[0][0] = {0.01f, 0.99f, 1.0f / 64.0f, 1.0f, 3, 0, 0.1f, 0};
  song.bank[0][1] = {0.0001f, 0.00001f, 1234567.0f, 123456.0f, 10, 11, 2.0f / 3.0f, 21};
  const auto tokens = testing::SplitTokens(FormatSong(song));
  EXPECT_EQ(
      std::vector<std::string>(tokens.begin() + 303, tokens.begin() + 303 + 16),
      (std::vector<std::string>{"0.01", "0.99", "0.015625", "1", "3", "0", "0.1", "0", "0.0001",
                                "1e-05", "1.23457e+06", "123456", "10", "11", "0.666667", "21"}));

  // Every value the editor can give a parameter is short and reads back exactly.
  std::vector<float> values = {0.01f, 0.99f};
  for (int k = 1; k < 64; ++k)
    values.push_back(static_cast<float>(k) / 64.0f);
  for (int k = 1; k <= 9; ++k)
    values.push_back(static_cast<float>(k) / 10.0f);
  for (float value : values) {
    song.bank[0][0].pan = value;
    const std::string text = testing::SplitTokens(FormatSong(song))[303 + 6];
    EXPECT_LE(text.size(), 8u) << text;
    EXPECT_EQ(ParseNumberToken(text.data(), text.size()), value) << text;
  }
}

TEST_F(SongSaveTest, SavingTwiceKeepsOnlyTheSecondSong) {
  auto rich = testing::MakeQuietSequencer(bank, 3);
  testing::ComposeRichSong(*rich, 1);
  rich->SaveSong();
  const std::string first = testing::ReadFile("songs/UntitledSong.tlp");
  ASSERT_GT(first.size(), testing::StartupSongText(3).size());

  // The shorter start-up song under the same name: nothing of the first
  // remains.
  auto plain = testing::MakeQuietSequencer(bank, 3);
  plain->SaveSong();
  EXPECT_EQ(testing::ReadFile("songs/UntitledSong.tlp"), testing::StartupSongText(3));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator("songs"))
    names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, (std::vector<std::string>{"UntitledSong.tlp"}))
      << "no temporary file is left behind";
}

TEST_F(SongSaveTest, MissingSongsFolderIsCreatedButAFileInItsPlaceIsLeftAlone) {
  ASSERT_FALSE(fs::exists("songs"));
  auto seq = testing::MakeQuietSequencer(bank, 3);
  seq->SaveSong();
  EXPECT_EQ(testing::ReadFile("songs/UntitledSong.tlp"), testing::StartupSongText(3));

  fs::remove_all("songs");
  testing::WriteFile("songs", "not a folder");
  testing::ClearDebugLog();
  const std::string before = testing::Snapshot(*seq);
  seq->SaveSong();
  EXPECT_EQ(testing::ReadFile("songs"), "not a folder");
  EXPECT_EQ(testing::LogLinesStartingWith("Song not saved:").size(), 1u);
  EXPECT_EQ(testing::Snapshot(*seq), before);
}

TEST_F(SongSaveTest, NameThatCouldLeaveTheFolderIsNotSaved) {
  auto seq = testing::MakeQuietSequencer(bank, 3);
  std::strcpy(seq->m_Name, "../escape");
  seq->SaveSong();
  EXPECT_FALSE(fs::exists("escape.tlp"));
  EXPECT_FALSE(fs::exists("songs/../escape.tlp"));
  EXPECT_EQ(testing::LogLinesStartingWith("Song not saved:").size(), 1u);
}

// A disk that fills up mid-save: the child process may write only a few
// bytes, as a full disk would allow.
TEST_F(SongSaveTest, SaveThatRunsOutOfSpaceLeavesTheOldFileIntact) {
  auto seq = testing::MakeQuietSequencer(bank, 3);
  seq->SaveSong();
  const std::string old = testing::ReadFile("songs/UntitledSong.tlp");
  testing::ComposeRichSong(*seq, 3);
  testing::ClearDebugLog();

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4000, 4000};
    setrlimit(RLIMIT_FSIZE, &limit);
    seq->SaveSong();
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));

  EXPECT_EQ(testing::ReadFile("songs/UntitledSong.tlp"), old);
  const auto failures = testing::LogLinesStartingWith("Song not saved:");
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("File too large"), std::string::npos) << failures[0];
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("songs"))
    ++files;
  EXPECT_EQ(files, 1u) << "no temporary file is left behind";

  // With room again the same save goes through.
  seq->SaveSong();
  EXPECT_NE(testing::ReadFile("songs/UntitledSong.tlp"), old);
}

// Saving in place would fail on a song its owner made read-only; replacing
// it by a rename must fail too. Run as an ordinary user, since the
// administrator may write any file.
TEST_F(SongSaveTest, ReadOnlySongIsNotReplaced) {
  auto seq = testing::MakeQuietSequencer(bank, 3);
  seq->SaveSong();
  const std::string old = testing::ReadFile("songs/UntitledSong.tlp");
  testing::ComposeRichSong(*seq, 4);
  fs::permissions(folder.Path(), fs::perms::all);
  fs::permissions("songs", fs::perms::all);
  testing::WriteFile("debug.txt", "");
  fs::permissions("debug.txt", fs::perms::all);
  fs::permissions("songs/UntitledSong.tlp",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
    seq->SaveSong();
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "could not become an ordinary user";

  EXPECT_EQ(testing::ReadFile("songs/UntitledSong.tlp"), old);
  EXPECT_EQ(testing::LogLinesStartingWith("Song not saved:").size(), 1u);
}

TEST_F(SongSaveTest, SaveKeepsTheReplacedFilesPermissions) {
  auto seq = testing::MakeQuietSequencer(bank, 3);
  seq->SaveSong();
  fs::permissions("songs/UntitledSong.tlp", fs::perms::owner_read | fs::perms::owner_write |
                                                fs::perms::group_read | fs::perms::group_write);
  testing::ComposeRichSong(*seq, 5);
  seq->SaveSong();
  EXPECT_EQ(fs::status("songs/UntitledSong.tlp").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                fs::perms::group_write);
}

}  // namespace
}  // namespace tessaloop
