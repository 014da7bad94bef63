// Loading songs that are whole and valid: everything restored, derived values
// recomputed, and the liberties hand-edited files may take.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "display/WavetableBank.h"
#include "sound/Sequencer.h"
#include "tests/songfile/SongTestSong.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

class SongLoadTest : public ::testing::Test {
 protected:
  // The tokens of a rich song saved by its own Sequencer.
  std::vector<std::string> RichTokens(int seed) {
    auto seq = testing::MakeQuietSequencer(bank, 3);
    testing::ComposeRichSong(*seq, seed);
    seq->SaveSong();
    return testing::SplitTokens(testing::ReadFile("songs/UntitledSong.tlp"));
  }

  std::unique_ptr<Sequencer> Load(const std::vector<std::string>& tokens) {
    testing::WriteFile("songs/Edited.tlp", testing::JoinTokens(tokens));
    auto seq = testing::MakeQuietSequencer(bank, 3);
    std::string why;
    EXPECT_TRUE(seq->LoadSongFile("songs/Edited.tlp", &why)) << why;
    return seq;
  }

  testing::WorkFolder folder;
  WavetableBank bank;
};

constexpr size_t kBank = 303;  // first bank token of a 3-track song

TEST_F(SongLoadTest, SaveLoadSaveRestoresEverythingAndIsByteIdentical) {
  for (int tracks : {3, 6}) {
    SCOPED_TRACE(tracks);
    auto original = testing::MakeQuietSequencer(bank, tracks);
    testing::ComposeRichSong(*original, 7);
    Cell& a = original->m_Bank.m_Patterns[26][15];
    a.m_Octave = 4;
    a.m_Semitone = 9;
    a.SetNote();
    std::strcpy(original->m_Name, "Rich");
    original->SaveSong();

    // Into a bank holding another song: notes and frequencies must be derived again.
    auto loaded = testing::MakeQuietSequencer(bank, tracks);
    testing::ComposeRichSong(*loaded, 8);
    ASSERT_TRUE(loaded->LoadSongFile("songs/Rich.tlp"));
    EXPECT_EQ(testing::SongPart(testing::Snapshot(*loaded)),
              testing::SongPart(testing::Snapshot(*original)));
    EXPECT_EQ(loaded->m_Bank.m_Patterns[26][15].m_Note, 57);
    EXPECT_EQ(loaded->m_Bank.m_Patterns[26][15].m_Frequency, 220);

    std::strcpy(loaded->m_Name, "Again");
    loaded->SaveSong();
    EXPECT_EQ(testing::ReadFile("songs/Again.tlp"), testing::ReadFile("songs/Rich.tlp"));
  }
}

TEST_F(SongLoadTest, LoadingLeavesNameTracksAndClockAloneAndLogsEachSection) {
  auto seq = testing::MakeQuietSequencer(bank, 3);
  std::strcpy(seq->m_Name, "Mine");
  seq->m_NameLength = 4;
  seq->m_SongMode = 1;
  seq->m_Position = 42;
  seq->GetTrack(1).m_Mute = 1;
  seq->GetTrack(2).m_Cells[3].m_Slot = 9;
  const std::string before = testing::Snapshot(*seq);

  const std::string text = testing::JoinTokens(RichTokens(3));
  testing::WriteFile("songs/Listed.tlp", text);
  std::filesystem::remove("songs/UntitledSong.tlp");
  seq->ListSongs();
  ASSERT_STREQ(seq->m_SongNames[0], "Listed.tlp");
  testing::ClearDebugLog();
  seq->LoadSong(0);
  EXPECT_EQ(
      testing::LogLines(),
      (std::vector<std::string>{"-----------", "Loading seq", "songs/Listed.tlp",
                                "load song pattern", "load wavetables", "load bmp palette",
                                "no display: the palette bitmaps are not loaded", "load tempo"}));
  auto tail = [](const std::string& s) { return s.substr(s.find("track 0 mute")); };
  EXPECT_EQ(tail(testing::Snapshot(*seq)), tail(before));

  // A later save goes to the name shown, not to the name of the file loaded.
  seq->SaveSong();
  EXPECT_EQ(testing::ReadFile("songs/Mine.tlp"), text);

  // "none" entries and indices outside the list load nothing.
  const std::string loaded = testing::Snapshot(*seq);
  for (int index : {1, -1, 40})
    seq->LoadSong(index);
  EXPECT_EQ(testing::Snapshot(*seq), loaded);
}

TEST_F(SongLoadTest, WhiteSpaceAnywhereChangesNothing) {
  const std::string text = testing::JoinTokens(RichTokens(5));
  std::string spaced;
  int commas = 0;
  for (char c : text) {
    spaced.push_back(c);
    if (c == ',') spaced += ++commas % 3 == 0 ? "\r\n" : commas % 3 == 1 ? " \t" : "\n\v\f";
  }
  // Inside a number and inside a name too.
  const size_t number = spaced.find("0.015625");
  const size_t name = spaced.find("data/noise.bmp");
  ASSERT_NE(number, std::string::npos);
  ASSERT_NE(name, std::string::npos);
  spaced.insert(name + 4, 1, '\t');
  spaced.insert(number + 3, 2, '\n');
  testing::WriteFile("songs/Spaced.tlp", spaced);

  auto seq = testing::MakeQuietSequencer(bank, 3);
  ASSERT_TRUE(seq->LoadSongFile("songs/Spaced.tlp"));
  auto reference = testing::MakeQuietSequencer(bank, 3);
  testing::ComposeRichSong(*reference, 5);
  EXPECT_EQ(testing::Snapshot(*seq), testing::Snapshot(*reference));
}

TEST_F(SongLoadTest, NumbersReadAsFarAsTheyGoUpToTheTopNote) {
  auto tokens = RichTokens(6);
  const std::vector<std::pair<std::string, int>> arrangement = {
      {"", 0}, {"26.9", 26}, {"-0.5", 0}, {"+3", 3}, {"2e1", 20}, {"7abc", 7}, {"x", 0}};
  for (size_t i = 0; i < arrangement.size(); ++i)
    testing::SetToken(tokens, i, arrangement[i].first);
  testing::SetToken(tokens, kBank, ".25");
  testing::SetToken(tokens, kBank + 4, "10");
  testing::SetToken(tokens, kBank + 5, "11");
  testing::SetToken(tokens, kBank + 8 + 5, "");  // an empty token is 0
  testing::SetToken(tokens, tokens.size() - 1, "1.5e3");
  auto seq = Load(tokens);
  for (size_t i = 0; i < arrangement.size(); ++i)
    EXPECT_EQ(seq->m_Arrangement[0][static_cast<int>(i)], arrangement[i].second) << i;
  const Cell& top = seq->m_Bank.m_Patterns[0][0];
  EXPECT_EQ(top.m_Attack, 0.25f);
  EXPECT_EQ(top.m_Note, 131);
  EXPECT_EQ(top.m_Frequency, 14080) << "the table's top";
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][1].m_Semitone, 0);
  EXPECT_EQ(seq->m_SamplesPerStep, 1500);
}

TEST_F(SongLoadTest, ParametersOutsideTheEditorsRangeAreClampedWithOneLogLine) {
  auto tokens = RichTokens(8);
  testing::SetToken(tokens, kBank + 6, "0");      // pan all left
  testing::SetToken(tokens, kBank + 8 + 6, "1");  // pan all right
  testing::SetToken(tokens, kBank + 16, "-3");    // attack
  testing::SetToken(tokens, kBank + 24 + 3, "1e30");
  testing::ClearDebugLog();
  auto seq = Load(tokens);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][0].m_Pan, 0.01f);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][1].m_Pan, 0.99f);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][2].m_Attack, 0.01f);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][3].m_Slide, 0.99f);
  const auto lines = testing::LogLines("4 parameters brought into 0.01-0.99");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("pattern 0 cell 0 pan 0"), std::string::npos) << lines[0];
}

}  // namespace
}  // namespace tessaloop
