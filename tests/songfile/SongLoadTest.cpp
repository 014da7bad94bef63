// Loading songs that are whole and valid: everything restored, derived values
// recomputed, and the liberties hand-edited files may take.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "display/WavetableBank.h"
#include "songfile/SongFormat.h"
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

  // Loads tokens as a song into a fresh 3-track Sequencer.
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
    const std::string saved = testing::ReadFile("songs/Rich.tlp");

    // Loaded into a Sequencer whose bank holds another song, with its notes
    // and frequencies: they must be derived again, not kept.
    auto loaded = testing::MakeQuietSequencer(bank, tracks);
    testing::ComposeRichSong(*loaded, 8);
    ASSERT_TRUE(loaded->LoadSongFile("songs/Rich.tlp"));
    const std::string want = testing::Snapshot(*original);
    const std::string got = testing::Snapshot(*loaded);
    auto song = [](const std::string& text) { return text.substr(0, text.find("track 0 mute")); };
    EXPECT_EQ(song(got), song(want));
    EXPECT_EQ(loaded->m_Bank.m_Patterns[26][15].m_Note, 57);
    EXPECT_EQ(loaded->m_Bank.m_Patterns[26][15].m_Frequency, 220);

    std::strcpy(loaded->m_Name, "Again");
    loaded->SaveSong();
    EXPECT_EQ(testing::ReadFile("songs/Again.tlp"), saved);
  }
}

TEST_F(SongLoadTest, OctaveTenLoadsUpToNote131AtTheTablesTop) {
  auto tokens = RichTokens(2);
  testing::SetToken(tokens, kBank + 4, "10");
  testing::SetToken(tokens, kBank + 5, "11");
  testing::SetToken(tokens, kBank + 8 + 4, "10");
  testing::SetToken(tokens, kBank + 8 + 5, "9");
  auto seq = Load(tokens);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][0].m_Note, 131);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][0].m_Frequency, 14080);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][1].m_Note, 129);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][1].m_Frequency, 14080);
}

TEST_F(SongLoadTest, LoadingLeavesNameTracksAndClockAlone) {
  auto seq = testing::MakeQuietSequencer(bank, 3);
  std::strcpy(seq->m_Name, "Mine");
  seq->m_NameLength = 4;
  seq->m_SongMode = 1;
  seq->m_Position = 42;
  seq->GetTrack(1).m_Mute = 1;
  seq->GetTrack(2).m_Cells[3].m_Slot = 9;
  const std::string before = testing::Snapshot(*seq);

  const std::string text = testing::JoinTokens(RichTokens(3));
  testing::WriteFile("songs/Loaded.tlp", text);
  ASSERT_TRUE(seq->LoadSongFile("songs/Loaded.tlp"));
  auto tail = [](const std::string& s) { return s.substr(s.find("track 0 mute")); };
  EXPECT_EQ(tail(testing::Snapshot(*seq)), tail(before));

  // A later save goes to the name shown, not to the name of the file loaded.
  seq->SaveSong();
  EXPECT_EQ(testing::ReadFile("songs/Mine.tlp"), text);
}

TEST_F(SongLoadTest, LoadSongTakesAnEntryOfTheSongListAndLogsEachSection) {
  const std::string text = testing::JoinTokens(RichTokens(4));
  testing::WriteFile("songs/Listed.tlp", text);
  std::filesystem::remove("songs/UntitledSong.tlp");
  auto seq = testing::MakeQuietSequencer(bank, 3);
  seq->ListSongs();
  ASSERT_STREQ(seq->m_SongNames[0], "Listed.tlp");
  testing::ClearDebugLog();
  seq->LoadSong(0);
  EXPECT_EQ(
      testing::DebugLogLines(),
      (std::vector<std::string>{"-----------", "Loading seq", "songs/Listed.tlp",
                                "load song pattern", "load wavetables", "load bmp palette",
                                "no display: the palette bitmaps are not loaded", "load tempo"}));
  seq->SaveSong();
  EXPECT_EQ(testing::ReadFile("songs/UntitledSong.tlp"), text);

  // "none" entries and indices outside the list load nothing.
  const std::string before = testing::Snapshot(*seq);
  for (int index : {1, -1, 40})
    seq->LoadSong(index);
  EXPECT_EQ(testing::Snapshot(*seq), before);
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
  spaced.insert(name + 4, std::string("\t"));
  spaced.insert(number + 3, std::string(" \n "));
  testing::WriteFile("songs/Spaced.tlp", spaced);

  auto seq = testing::MakeQuietSequencer(bank, 3);
  ASSERT_TRUE(seq->LoadSongFile("songs/Spaced.tlp"));
  auto reference = testing::MakeQuietSequencer(bank, 3);
  testing::ComposeRichSong(*reference, 5);
  EXPECT_EQ(testing::Snapshot(*seq), testing::Snapshot(*reference));
}

TEST_F(SongLoadTest, NumbersReadAsFarAsTheyGoAndIntegersTruncateTowardZero) {
  auto tokens = RichTokens(6);
  const std::vector<std::pair<std::string, int>> arrangement = {
      {"", 0}, {"26.9", 26}, {"-0.5", 0}, {"+3", 3}, {"2e1", 20}, {"7abc", 7}, {"x", 0}};
  for (size_t i = 0; i < arrangement.size(); ++i)
    testing::SetToken(tokens, i, arrangement[i].first);
  testing::SetToken(tokens, kBank, ".25");
  testing::SetToken(tokens, kBank + 5, "");  // an empty token is 0
  testing::SetToken(tokens, tokens.size() - 1, "1.5e3");
  auto seq = Load(tokens);
  for (size_t i = 0; i < arrangement.size(); ++i)
    EXPECT_EQ(seq->m_Arrangement[0][static_cast<int>(i)], arrangement[i].second) << i;
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][0].m_Attack, 0.25f);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][0].m_Semitone, 0);
  EXPECT_EQ(seq->m_SamplesPerStep, 1500);

  auto parse = [](const std::string& text) { return ParseNumberToken(text.data(), text.size()); };
  EXPECT_EQ(parse("+-1"), 0.0f);
  EXPECT_EQ(parse("0x10"), 0.0f) << "decimal only";
  EXPECT_EQ(parse("1e-99999"), 0.0f);
  EXPECT_EQ(parse("1e99999"), HUGE_VALF);
  EXPECT_EQ(parse("-1e39"), -HUGE_VALF) << "beyond single precision";
  EXPECT_TRUE(std::isnan(parse("nan")));
  EXPECT_EQ(parse("16777216"), 16777216.0f);
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
  const auto lines = testing::LogLinesStartingWith("4 parameters brought into 0.01-0.99");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("pattern 0 cell 0 pan 0"), std::string::npos) << lines[0];
}

TEST_F(SongLoadTest, TokenReadersStopAtTheEndOfTheFileAndWithinTheirFields) {
  testing::WriteFile("tokens", " 1.5 ,\n-2,123456789,1234567890,4");
  std::FILE* file = std::fopen("tokens", "r");
  ASSERT_NE(file, nullptr);
  float value = -1;
  EXPECT_EQ(ReadNumberToken(file, value), TokenStatus::kOk);
  EXPECT_EQ(value, 1.5f);
  EXPECT_EQ(ReadNumberToken(file, value), TokenStatus::kOk);
  EXPECT_EQ(value, -2.0f);
  EXPECT_EQ(ReadNumberToken(file, value), TokenStatus::kOk);
  EXPECT_EQ(value, 123456789.0f);
  EXPECT_EQ(ReadNumberToken(file, value), TokenStatus::kTooLong);
  EXPECT_EQ(ReadNumberToken(file, value), TokenStatus::kEndOfFile) << "4 has no comma";
  EXPECT_EQ(ReadNumberToken(file, value), TokenStatus::kEndOfFile);
  std::fclose(file);

  testing::WriteFile("names",
                     "my pic," + std::string(31, 'x') + "," + std::string(40, 'y') + ",z,");
  file = std::fopen("names", "r");
  ASSERT_NE(file, nullptr);
  char field[kSlotNameLength];
  EXPECT_EQ(ReadNameToken(file, field), TokenStatus::kOk);
  EXPECT_STREQ(field, "mypic");
  EXPECT_EQ(ReadNameToken(file, field), TokenStatus::kOk);
  EXPECT_EQ(std::string(field), std::string(31, 'x'));
  EXPECT_EQ(ReadNameToken(file, field), TokenStatus::kTooLong);
  EXPECT_EQ(std::string(field), std::string(31, 'y')) << "kept within its field";
  EXPECT_EQ(ReadNameToken(file, field), TokenStatus::kOk) << "the long token was read to its end";
  EXPECT_STREQ(field, "z");
  std::fclose(file);
}

}  // namespace
}  // namespace tessaloop
