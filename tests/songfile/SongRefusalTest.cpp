// Files the loader refuses: each is reported with one debug-log line naming
// the reason, and the song in memory stays exactly as it was.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "display/WavetableBank.h"
#include "songfile/SongFormat.h"
#include "sound/Sequencer.h"
#include "tests/songfile/SongTestSong.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

class SongRefusalTest : public ::testing::Test {
 protected:
  SongRefusalTest() {
    auto writer = testing::MakeQuietSequencer(bank, 3);
    testing::ComposeRichSong(*writer, 11);
    std::strcpy(writer->m_Name, "Good");
    writer->SaveSong();
    good = testing::ReadFile("songs/Good.tlp");
    tokens = testing::SplitTokens(good);

    // The song in memory: another song, with state outside the file too.
    seq = testing::MakeQuietSequencer(bank, 3);
    testing::ComposeRichSong(*seq, 12);
    seq->m_SongMode = 1;
    seq->m_Position = 17;
    seq->GetTrack(0).m_Cells[5].m_Slot = 7;
    before = testing::Snapshot(*seq);
  }

  // Loads text as a song file; it must be refused for a reason that mentions
  // reason, logged once, and change nothing.
  void ExpectRefused(const std::string& text, const std::string& reason) {
    testing::WriteFile("songs/Bad.tlp", text);
    ExpectRefusedFile("songs/Bad.tlp", reason);
  }

  void ExpectRefusedFile(const char* path, const std::string& reason) {
    testing::ClearDebugLog();
    std::string why;
    EXPECT_FALSE(seq->LoadSongFile(path, &why));
    EXPECT_NE(why.find(reason), std::string::npos) << "why: " << why << "\nwanted: " << reason;
    const auto refusals = testing::LogLinesStartingWith("Song not loaded: ");
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_EQ(refusals[0], "Song not loaded: " + why);
    EXPECT_TRUE(testing::LogLinesStartingWith("load ").empty()) << "nothing was put in place";
    ASSERT_EQ(testing::Snapshot(*seq), before) << why;
  }

  std::string WithToken(size_t index, const std::string& value) const {
    auto edited = tokens;
    testing::SetToken(edited, index, value);
    return testing::JoinTokens(edited);
  }

  // The text of the first k tokens, each with its comma.
  std::string FirstTokens(size_t k) const {
    return testing::JoinTokens(std::vector<std::string>(tokens.begin(), tokens.begin() + k));
  }

  testing::WorkFolder folder;
  WavetableBank bank;
  std::string good;
  std::vector<std::string> tokens;
  std::unique_ptr<Sequencer> seq;
  std::string before;
};

constexpr size_t kBank = 303;            // first bank token of a 3-track file
constexpr size_t kPalette = 303 + 3456;  // first palette token
constexpr size_t kTempo = kPalette + 17;

TEST_F(SongRefusalTest, TheGoodFileLoads) {
  ASSERT_EQ(tokens.size(), 3777u);
  auto other = testing::MakeQuietSequencer(bank, 3);
  EXPECT_TRUE(other->LoadSongFile("songs/Good.tlp"));
}

TEST_F(SongRefusalTest, FileThatCannotBeOpenedOrIsNotAFile) {
  ExpectRefusedFile("songs/Missing.tlp", "cannot open songs/Missing.tlp");
  std::filesystem::create_directory("songs/Folder.tlp");
  ExpectRefusedFile("songs/Folder.tlp", "is not a file");
}

TEST_F(SongRefusalTest, FileEndingAtAnyTokenBoundary) {
  // Every boundary of the short sections (palette and tempo) and of the
  // start, and a spread of boundaries through the rest.
  std::vector<size_t> cuts;
  for (size_t k = 0; k < 40; ++k)
    cuts.push_back(k);
  for (size_t k = 40; k < kPalette; k += 97)
    cuts.push_back(k);
  for (size_t k = kPalette - 9; k < tokens.size(); ++k)
    cuts.push_back(k);
  for (size_t k : cuts) {
    SCOPED_TRACE(k);
    ExpectRefused(FirstTokens(k), "the file ends after " + std::to_string(k) + " of 3777 tokens");
  }
}

TEST_F(SongRefusalTest, FileEndingInsideAToken) {
  // The last token without its comma, and cuts inside a number and a name.
  ExpectRefused(good.substr(0, good.size() - 1), "ends after 3776 of 3777");
  ExpectRefused(good.substr(0, good.size() - 3), "ends after 3776 of 3777");
  const std::string palette = FirstTokens(kPalette);
  ExpectRefused(palette + "data/squ", "ends after 3759 of 3777");
  ExpectRefused(FirstTokens(kBank) + "0.01", "ends after 303 of 3777");
}

TEST_F(SongRefusalTest, TokensLongerThanTheirLimit) {
  ExpectRefused(WithToken(10, "0000000024"), "token 11 (track 0 position 10) is longer than 9");
  ExpectRefused(WithToken(kBank + 6, "0.50000000"), "pattern 0 cell 0 pan) is longer than 9");
  ExpectRefused(WithToken(kPalette + 2, "userbitmaps/" + std::string(20, 'a')),
                "(palette slot 7) is longer than 31 characters");
  ExpectRefused(WithToken(kTempo, "0011005000"), "(tempo) is longer than 9");
  // At the limits everything still loads.
  auto edited = tokens;
  testing::SetToken(edited, 10, "000000024");
  testing::SetToken(edited, kPalette + 2, "userbitmaps/" + std::string(19, 'a'));
  testing::WriteFile("songs/Limits.tlp", testing::JoinTokens(edited));
  auto other = testing::MakeQuietSequencer(bank, 3);
  EXPECT_TRUE(other->LoadSongFile("songs/Limits.tlp"));
}

TEST_F(SongRefusalTest, ValuesOutsideTheirRanges) {
  ExpectRefused(WithToken(0, "27"),
                "token 1 (track 0 position 0) holds pattern number 27, "
                "outside 0-26");
  ExpectRefused(WithToken(302, "-1"), "holds pattern number -1, outside 0-26");
  ExpectRefused(WithToken(150, "1e9"), "pattern number 1e+09");
  ExpectRefused(WithToken(kBank + 7, "22"), "(pattern 0 cell 0 slot) holds slot 22, outside 0-21");
  ExpectRefused(WithToken(kBank + 8 * 431 + 7, "-1"), "(pattern 26 cell 15 slot) holds slot -1");
  ExpectRefused(WithToken(kBank + 4, "11"), "holds octave 11, outside 0-10");
  ExpectRefused(WithToken(kBank + 4, "-1"), "holds octave -1, outside 0-10");
  ExpectRefused(WithToken(kBank + 5, "12"), "holds semitone 12, outside 0-11");
  ExpectRefused(WithToken(kTempo, "0"), "(tempo) holds samples per step 0, outside 1-2646000");
  ExpectRefused(WithToken(kTempo, "2646001"), "samples per step 2.646e+06, outside 1-2646000");
  ExpectRefused(WithToken(kTempo, "-5"), "samples per step -5");
  ExpectRefused(WithToken(kTempo, "nan"), "samples per step nan");
  ExpectRefused(WithToken(0, "inf"), "pattern number inf");
}

TEST_F(SongRefusalTest, ParametersThatAreNotFiniteNumbers) {
  ExpectRefused(WithToken(kBank, "nan"), "(pattern 0 cell 0 attack) is not a finite number: nan");
  ExpectRefused(WithToken(kBank + 1, "inf"), "(pattern 0 cell 0 decay) is not a finite number");
  ExpectRefused(WithToken(kBank + 2, "-infinity"), "slide length) is not a finite number: -inf");
  ExpectRefused(WithToken(kBank + 3, "1e39"), "(pattern 0 cell 0 slide) is not a finite number");
  ExpectRefused(WithToken(kBank + 6, "-1e999"), "pan) is not a finite number");
}

TEST_F(SongRefusalTest, ASongOfTheOtherProgram) {
  auto six = testing::MakeQuietSequencer(bank, 6);
  testing::ComposeRichSong(*six, 13);
  std::strcpy(six->m_Name, "Six");
  six->SaveSong();
  ExpectRefusedFile("songs/Six.tlp", "it is a song of a 6-track program (4080 tokens");

  // And the other way round.
  testing::ClearDebugLog();
  const std::string sixBefore = testing::Snapshot(*six);
  std::string why;
  EXPECT_FALSE(six->LoadSongFile("songs/Good.tlp", &why));
  EXPECT_NE(why.find("a song of a 3-track program (3777 tokens; this program's songs have 4080)"),
            std::string::npos)
      << why;
  EXPECT_EQ(testing::Snapshot(*six), sixBefore);
}

TEST_F(SongRefusalTest, TextAfterTheLastToken) {
  ExpectRefused(good + "5,", "the file has 3778 tokens");
  ExpectRefused(good + "5", "text after its last token");
  ExpectRefused(good + ",,,", "the file has 3780 tokens");
  // White space after the end is fine.
  testing::WriteFile("songs/Trailing.tlp", good + "\n \r\n");
  auto other = testing::MakeQuietSequencer(bank, 3);
  EXPECT_TRUE(other->LoadSongFile("songs/Trailing.tlp"));
}

TEST_F(SongRefusalTest, NameHoldingANulByte) {
  ExpectRefused(WithToken(kPalette + 4, std::string("data/\0x.bmp", 11)),
                "(palette slot 9) holds a NUL byte");
}

TEST_F(SongRefusalTest, TheFirstProblemInTheFileIsTheOneNamed) {
  auto edited = tokens;
  testing::SetToken(edited, kBank + 100, "nan");
  testing::SetToken(edited, kTempo, "0");
  ExpectRefused(testing::JoinTokens(edited), "token 404 (pattern 0 cell 12 octave)");
}

}  // namespace
}  // namespace tessaloop
