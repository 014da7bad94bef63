// Loading songs that are whole and valid: everything restored, derived values
// recomputed, and the liberties of hand-edited files.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "display/WavetableBank.h"
#include "songfile/SongFormat.h"
#include "sound/Sequencer.h"
#include "tests/songfile/SongTestSong.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

class SongLoadTest : public ::testing::Test {
 protected:
  // Saves a rich song under name from its own Sequencer and returns the text.
  std::string SaveRichSong(int tracks, int seed, const char* name) {
    auto seq = testing::MakeQuietSequencer(bank, tracks);
    testing::ComposeRichSong(*seq, seed);
    std::strcpy(seq->m_Name, name);
    seq->SaveSong();
    return testing::ReadFile(std::string("songs/") + name + ".tlp");
  }

  testing::WorkFolder folder;
  WavetableBank bank;
};

TEST_F(SongLoadTest, SaveLoadSaveRestoresEverythingAndIsByteIdentical) {
  for (int tracks : {3, 6}) {
    SCOPED_TRACE(tracks);
    auto original = testing::MakeQuietSequencer(bank, tracks);
    testing::ComposeRichSong(*original, 7);
    // The cell of the worked note: octave 4, semitone 9.
    Cell& a = original->m_Bank.m_Patterns[26][15];
    a.m_Octave = 4;
    a.m_Semitone = 9;
    a.SetNote();
    std::strcpy(original->m_Name, "Rich");
    original->SaveSong();
    const std::string saved = testing::ReadFile("songs/Rich.tlp");

    auto loaded = testing::MakeQuietSequencer(bank, tracks);
    ASSERT_TRUE(loaded->LoadSongFile("songs/Rich.tlp"));
    for (int t = 0; t < tracks; ++t)
      for (int p = 0; p < kArrangementLength; ++p)
        ASSERT_EQ(loaded->m_Arrangement[t][p], original->m_Arrangement[t][p]) << t << " " << p;
    for (int n = 0; n < kPatternCount; ++n) {
      for (int c = 0; c < kStepsPerPattern; ++c) {
        const Cell& want = original->m_Bank.m_Patterns[n][c];
        const Cell& got = loaded->m_Bank.m_Patterns[n][c];
        SCOPED_TRACE(std::to_string(n) + "/" + std::to_string(c));
        ASSERT_EQ(got.m_Attack, want.m_Attack);
        ASSERT_EQ(got.m_Decay, want.m_Decay);
        ASSERT_EQ(got.m_SlideLength, want.m_SlideLength);
        ASSERT_EQ(got.m_Slide, want.m_Slide);
        ASSERT_EQ(got.m_Pan, want.m_Pan);
        ASSERT_EQ(got.m_Octave, want.m_Octave);
        ASSERT_EQ(got.m_Semitone, want.m_Semitone);
        ASSERT_EQ(got.m_Slot, want.m_Slot);
        ASSERT_EQ(got.m_Note, want.m_Note);
        ASSERT_EQ(got.m_Frequency, want.m_Frequency);
      }
    }
    EXPECT_EQ(loaded->m_Bank.m_Patterns[26][15].m_Note, 57);
    EXPECT_EQ(loaded->m_Bank.m_Patterns[26][15].m_Frequency, 220);
    EXPECT_EQ(loaded->m_SamplesPerStep, original->m_SamplesPerStep);

    std::strcpy(loaded->m_Name, "Again");
    loaded->SaveSong();
    EXPECT_EQ(testing::ReadFile("songs/Again.tlp"), saved);
  }
}

TEST_F(SongLoadTest, NotesAndFrequenciesAreDerivedNotTrusted) {
  // A file whose every cell has octave 4 and semitone 9 loads note 57 and
  // 220 Hz everywhere, whatever the bank held before.
  auto seq = testing::MakeQuietSequencer(bank, 3);
  testing::ComposeRichSong(*seq, 1);
  auto tokens = testing::SplitTokens(SaveRichSong(3, 2, "Notes"));
  for (int i = 0; i < kPatternCount * kStepsPerPattern; ++i) {
    testing::SetToken(tokens, 303 + i * 8 + 4, "4");
    testing::SetToken(tokens, 303 + i * 8 + 5, "9");
  }
  testing::WriteFile("songs/Notes.tlp", testing::JoinTokens(tokens));
  ASSERT_TRUE(seq->LoadSongFile("songs/Notes.tlp"));
  for (const auto& pattern : seq->m_Bank.m_Patterns) {
    for (const Cell& cell : pattern) {
      ASSERT_EQ(cell.m_Note, 57);
      ASSERT_EQ(cell.m_Frequency, 220);
    }
  }
}

TEST_F(SongLoadTest, OctaveTenLoadsUpToNote131AtTheTablesTop) {
  auto tokens = testing::SplitTokens(SaveRichSong(3, 2, "High"));
  testing::SetToken(tokens, 303 + 4, "10");
  testing::SetToken(tokens, 303 + 5, "11");
  testing::SetToken(tokens, 303 + 8 + 4, "10");
  testing::SetToken(tokens, 303 + 8 + 5, "9");
  testing::WriteFile("songs/High.tlp", testing::JoinTokens(tokens));
  auto seq = testing::MakeQuietSequencer(bank, 3);
  ASSERT_TRUE(seq->LoadSongFile("songs/High.tlp"));
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][0].m_Note, 131);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][0].m_Frequency, 14080);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][1].m_Note, 129);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][1].m_Frequency, 14080);
}

TEST_F(SongLoadTest, LoadingLeavesNameTracksAndClockAlone) {
  SaveRichSong(3, 3, "Loaded");
  auto seq = testing::MakeQuietSequencer(bank, 3);
  std::strcpy(seq->m_Name, "Mine");
  seq->m_NameLength = 4;
  seq->m_SongMode = 1;
  seq->m_Position = 42;
  seq->GetTrack(1).m_Mute = 1;
  seq->GetTrack(2).m_Cells[3].m_Slot = 9;
  const std::string before = testing::Snapshot(*seq);

  ASSERT_TRUE(seq->LoadSongFile("songs/Loaded.tlp"));
  const std::string after = testing::Snapshot(*seq);
  // Everything from the track lines on is outside the song file.
  auto tail = [](const std::string& text) { return text.substr(text.find("track 0 mute")); };
  EXPECT_EQ(tail(after), tail(before));
  EXPECT_STREQ(seq->m_Name, "Mine");

  // A later save goes to the name shown, not to the name of the file loaded.
  seq->SaveSong();
  EXPECT_EQ(testing::ReadFile("songs/Mine.tlp"), testing::ReadFile("songs/Loaded.tlp"));
}

TEST_F(SongLoadTest, LoadSongTakesAnEntryOfTheSongList) {
  const std::string text = SaveRichSong(3, 4, "Listed");
  auto seq = testing::MakeQuietSequencer(bank, 3);
  seq->ListSongs();
  ASSERT_EQ(seq->m_SongCount, 1);
  ASSERT_STREQ(seq->m_SongNames[0], "Listed.tlp");
  testing::ClearDebugLog();
  seq->LoadSong(0);
  seq->SaveSong();
  EXPECT_EQ(testing::ReadFile("songs/UntitledSong.tlp"), text);

  const auto lines = testing::DebugLogLines();
  const std::vector<std::string> expected = {"-----------",      "Loading seq",
                                             "songs/Listed.tlp", "load song pattern",
                                             "load wavetables",  "load bmp palette"};
  ASSERT_GE(lines.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 6), expected);
  EXPECT_EQ(testing::LogLinesStartingWith("load tempo").size(), 1u);

  // Entries past the list and indices outside it load nothing.
  const std::string before = testing::Snapshot(*seq);
  seq->LoadSong(1);   // "none"
  seq->LoadSong(-1);  // not an entry
  seq->LoadSong(40);
  EXPECT_EQ(testing::Snapshot(*seq), before);
}

TEST_F(SongLoadTest, WhiteSpaceBetweenAndInsideTokensChangesNothing) {
  const std::string text = SaveRichSong(3, 5, "Spaced");
  std::string spaced;
  int commas = 0;
  for (char c : text) {
    spaced.push_back(c);
    if (c == ',') {
      ++commas;
      spaced += commas % 3 == 0 ? "\r\n" : commas % 3 == 1 ? " \t" : "\n\v\f";
    }
  }
  // Inside a number and inside a name too.
  const size_t number = spaced.find("0.015625");
  ASSERT_NE(number, std::string::npos);
  spaced.insert(number + 3, " \n ");
  const size_t name = spaced.find("data/noise.bmp");
  ASSERT_NE(name, std::string::npos);
  spaced.insert(name + 4, std::string("\t"));
  testing::WriteFile("songs/Spaced.tlp", spaced);

  auto plain = testing::MakeQuietSequencer(bank, 3);
  ASSERT_TRUE(plain->LoadSongFile("songs/Spaced.tlp"));
  auto reference = testing::MakeQuietSequencer(bank, 3);
  testing::ComposeRichSong(*reference, 5);
  EXPECT_EQ(testing::Snapshot(*plain), testing::Snapshot(*reference));
}

TEST_F(SongLoadTest, EmptyNumberTokensLoadAsZero) {
  auto tokens = testing::SplitTokens(SaveRichSong(3, 6, "Empty"));
  testing::SetToken(tokens, 0, "");            // arrangement: pattern 0
  testing::SetToken(tokens, 303 + 5, "");      // semitone 0
  testing::SetToken(tokens, 303 + 7, "");      // slot 0
  testing::SetToken(tokens, 303 + 8 + 4, "");  // octave 0
  testing::WriteFile("songs/Empty.tlp", testing::JoinTokens(tokens));
  auto seq = testing::MakeQuietSequencer(bank, 3);
  ASSERT_TRUE(seq->LoadSongFile("songs/Empty.tlp"));
  EXPECT_EQ(seq->m_Arrangement[0][0], 0);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][0].m_Semitone, 0);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][0].m_Slot, 0);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][1].m_Octave, 0);
}

TEST_F(SongLoadTest, IntegersAreTruncatedTowardZeroAndNumbersReadAsFarAsTheyGo) {
  auto tokens = testing::SplitTokens(SaveRichSong(3, 6, "Loose"));
  testing::SetToken(tokens, 0, "26.9");
  testing::SetToken(tokens, 1, "-0.5");
  testing::SetToken(tokens, 2, "+3");
  testing::SetToken(tokens, 3, "2e1");
  testing::SetToken(tokens, 4, "7abc");
  testing::SetToken(tokens, 5, "x");
  testing::SetToken(tokens, 303, ".25");
  testing::SetToken(tokens, tokens.size() - 1, "1.5e3");
  testing::WriteFile("songs/Loose.tlp", testing::JoinTokens(tokens));
  auto seq = testing::MakeQuietSequencer(bank, 3);
  ASSERT_TRUE(seq->LoadSongFile("songs/Loose.tlp"));
  EXPECT_EQ(seq->m_Arrangement[0][0], 26);
  EXPECT_EQ(seq->m_Arrangement[0][1], 0);
  EXPECT_EQ(seq->m_Arrangement[0][2], 3);
  EXPECT_EQ(seq->m_Arrangement[0][3], 20);
  EXPECT_EQ(seq->m_Arrangement[0][4], 7);
  EXPECT_EQ(seq->m_Arrangement[0][5], 0);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][0].m_Attack, 0.25f);
  EXPECT_EQ(seq->m_SamplesPerStep, 1500);
}

TEST_F(SongLoadTest, ParametersOutsideTheEditorsRangeAreClampedWithOneLogLine) {
  auto tokens = testing::SplitTokens(SaveRichSong(3, 8, "Edges"));
  testing::SetToken(tokens, 303 + 6, "0");      // pan all left
  testing::SetToken(tokens, 303 + 8 + 6, "1");  // pan all right
  testing::SetToken(tokens, 303 + 16, "-3");    // attack
  testing::SetToken(tokens, 303 + 24 + 3, "1e30");
  testing::WriteFile("songs/Edges.tlp", testing::JoinTokens(tokens));
  auto seq = testing::MakeQuietSequencer(bank, 3);
  testing::ClearDebugLog();
  ASSERT_TRUE(seq->LoadSongFile("songs/Edges.tlp"));
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][0].m_Pan, 0.01f);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][1].m_Pan, 0.99f);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][2].m_Attack, 0.01f);
  EXPECT_EQ(seq->m_Bank.m_Patterns[0][3].m_Slide, 0.99f);
  const auto lines = testing::LogLinesStartingWith("4 parameters brought into 0.01-0.99");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("pattern 0 cell 0 pan 0"), std::string::npos) << lines[0];
}

TEST_F(SongLoadTest, PalettePathsLoseTheirWhiteSpace) {
  auto tokens = testing::SplitTokens(SaveRichSong(3, 9, "Paths"));
  const size_t palette = tokens.size() - 18;
  testing::SetToken(tokens, palette + 1, "userbitmaps/my pic.bmp");
  testing::SetToken(tokens, palette + 2, " data/ pit.bmp ");
  testing::SetToken(tokens, palette + 3, "");
  testing::WriteFile("songs/Paths.tlp", testing::JoinTokens(tokens));
  SongImage song;
  std::string why;
  ASSERT_TRUE(ReadSongFile("songs/Paths.tlp", 3, song, why)) << why;
  EXPECT_STREQ(song.palette[0], "data/min.bmp");
  EXPECT_STREQ(song.palette[1], "userbitmaps/mypic.bmp");
  EXPECT_STREQ(song.palette[2], "data/pit.bmp");
  EXPECT_STREQ(song.palette[3], "");
  EXPECT_STREQ(song.palette[16], "data/noise.bmp");
}

TEST_F(SongLoadTest, TokenReadersStopAtTheEndOfTheFile) {
  testing::WriteFile("tokens", " 1.5 ,\n-2,abc,  , 123456789,1234567890,4");
  std::FILE* file = std::fopen("tokens", "r");
  ASSERT_NE(file, nullptr);
  float value = -1;
  EXPECT_EQ(ReadNumberToken(file, value), TokenStatus::kOk);
  EXPECT_EQ(value, 1.5f);
  EXPECT_EQ(ReadNumberToken(file, value), TokenStatus::kOk);
  EXPECT_EQ(value, -2.0f);
  EXPECT_EQ(ReadNumberToken(file, value), TokenStatus::kOk);
  EXPECT_EQ(value, 0.0f);
  EXPECT_EQ(ReadNumberToken(file, value), TokenStatus::kOk);
  EXPECT_EQ(value, 0.0f);
  EXPECT_EQ(ReadNumberToken(file, value), TokenStatus::kOk);
  EXPECT_EQ(value, 123456789.0f);
  EXPECT_EQ(ReadNumberToken(file, value), TokenStatus::kTooLong);
  EXPECT_EQ(ReadNumberToken(file, value), TokenStatus::kEndOfFile) << "4 has no comma";
  EXPECT_EQ(ReadNumberToken(file, value), TokenStatus::kEndOfFile);
  std::fclose(file);

  testing::WriteFile("names", std::string("a b,") + std::string(31, 'x') + "," +
                                  std::string(32, 'y') + ",z,n\0ul,tail");
  file = std::fopen("names", "r");
  ASSERT_NE(file, nullptr);
  char field[kSlotNameLength];
  EXPECT_EQ(ReadNameToken(file, field), TokenStatus::kOk);
  EXPECT_STREQ(field, "ab");
  EXPECT_EQ(ReadNameToken(file, field), TokenStatus::kOk);
  EXPECT_EQ(std::string(field), std::string(31, 'x'));
  EXPECT_EQ(ReadNameToken(file, field), TokenStatus::kTooLong);
  EXPECT_EQ(std::string(field), std::string(31, 'y')) << "cut within its field";
  EXPECT_EQ(ReadNameToken(file, field), TokenStatus::kOk) << "the long token was read to its end";
  EXPECT_STREQ(field, "z");
  EXPECT_EQ(ReadNameToken(file, field), TokenStatus::kEndOfFile)
      << "the literal above stops at its NUL";
  std::fclose(file);
}

TEST_F(SongLoadTest, NameWithANulByteIsReported) {
  const std::string text = std::string("ab\0c,", 5);
  testing::WriteFile("nul", text);
  std::FILE* file = std::fopen("nul", "r");
  ASSERT_NE(file, nullptr);
  char field[kSlotNameLength];
  EXPECT_EQ(ReadNameToken(file, field), TokenStatus::kNulByte);
  std::fclose(file);
}

TEST_F(SongLoadTest, NumberConversionEdges) {
  auto parse = [](const std::string& text) { return ParseNumberToken(text.data(), text.size()); };
  EXPECT_EQ(parse(""), 0.0f);
  EXPECT_EQ(parse("-"), 0.0f);
  EXPECT_EQ(parse("+-1"), 0.0f);
  EXPECT_EQ(parse("0x10"), 0.0f) << "decimal only";
  EXPECT_EQ(parse("1e-99999"), 0.0f);
  EXPECT_TRUE(std::isinf(parse("1e99999")));
  EXPECT_TRUE(std::isinf(parse("1e39"))) << "beyond single precision";
  EXPECT_EQ(parse("-1e39"), -HUGE_VALF);
  EXPECT_TRUE(std::isnan(parse("nan")));
  EXPECT_EQ(parse("0.1"), 0.1f);
  EXPECT_EQ(parse("16777216"), 16777216.0f);
}

}  // namespace
}  // namespace tessaloop
