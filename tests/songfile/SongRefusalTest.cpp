// Files the loader refuses: each is reported with one debug-log line naming
// the reason, and the song in memory stays exactly as it was.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "display/WavetableBank.h"
#include "sound/Sequencer.h"
#include "tests/songfile/SongTestSong.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

constexpr size_t kBank = 303;            // first bank token of a 3-track file
constexpr size_t kPalette = 303 + 3456;  // first palette token
constexpr size_t kTempo = kPalette + 17;

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

  void ExpectRefused(const std::string& text, const std::string& reason) {
    testing::WriteFile("songs/Bad.tlp", text);
    ExpectRefusedFile("songs/Bad.tlp", reason);
  }

  void ExpectRefusedFile(const char* path, const std::string& reason) {
    testing::ClearDebugLog();
    std::string why;
    EXPECT_FALSE(seq->LoadSongFile(path, &why));
    EXPECT_NE(why.find(reason), std::string::npos) << "why: " << why << "\nwanted: " << reason;
    EXPECT_EQ(testing::LogLines("Song not loaded: "),
              std::vector<std::string>{"Song not loaded: " + why});
    EXPECT_TRUE(testing::LogLines("load ").empty()) << "nothing was put in place";
    ASSERT_EQ(testing::Snapshot(*seq), before) << why;
  }

  void ExpectLoads(const std::string& text) {
    testing::WriteFile("songs/Fine.tlp", text);
    auto other = testing::MakeQuietSequencer(bank, 3);
    std::string why;
    EXPECT_TRUE(other->LoadSongFile("songs/Fine.tlp", &why)) << why;
  }

  std::string WithToken(size_t index, const std::string& value) const {
    auto edited = tokens;
    testing::SetToken(edited, index, value);
    return testing::JoinTokens(edited);
  }

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

TEST_F(SongRefusalTest, FileThatCannotBeOpenedOrEndsEarly) {
  ASSERT_EQ(tokens.size(), 3777u);
  ExpectLoads(good);
  ExpectLoads(good + "\n \r\n");  // white space after the end is fine
  ExpectRefusedFile("songs/Missing.tlp", "cannot open songs/Missing.tlp");
  std::filesystem::create_directory("songs/Folder.tlp");
  ExpectRefusedFile("songs/Folder.tlp", "is not a file");

  // Every boundary of the start and of the short sections (palette, tempo),
  // and a spread through the rest.
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
  // Inside a token: the last without its comma, a number, a name.
  ExpectRefused(good.substr(0, good.size() - 1), "ends after 3776 of 3777");
  ExpectRefused(good.substr(0, good.size() - 3), "ends after 3776 of 3777");
  ExpectRefused(FirstTokens(kPalette) + "data/squ", "ends after 3759 of 3777");
  ExpectRefused(FirstTokens(kBank) + "0.01", "ends after 303 of 3777");
}

TEST_F(SongRefusalTest, BadTokensAreNamedByTheFirstOne) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {WithToken(10, "0000000024"), "token 11 (track 0 position 10) is longer than 9"},
      {WithToken(kBank + 6, "0.50000000"), "pattern 0 cell 0 pan) is longer than 9"},
      {WithToken(kPalette + 2, "userbitmaps/" + std::string(20, 'a')),
       "(palette slot 7) is longer than 31 characters"},
      {WithToken(kTempo, "0011005000"), "(tempo) is longer than 9"},
      {WithToken(0, "27"), "token 1 (track 0 position 0) holds pattern number 27, outside 0-26"},
      {WithToken(302, "-1"), "holds pattern number -1, outside 0-26"},
      {WithToken(150, "1e9"), "pattern number 1e+09"},
      {WithToken(0, "inf"), "pattern number inf"},
      {WithToken(kBank + 7, "22"), "(pattern 0 cell 0 slot) holds slot 22, outside 0-21"},
      {WithToken(kBank + 8 * 431 + 7, "-1"), "(pattern 26 cell 15 slot) holds slot -1"},
      {WithToken(kBank + 4, "11"), "holds octave 11, outside 0-10"},
      {WithToken(kBank + 4, "-1"), "holds octave -1, outside 0-10"},
      {WithToken(kBank + 5, "12"), "holds semitone 12, outside 0-11"},
      {WithToken(kTempo, "0"), "(tempo) holds samples per step 0, outside 1-2646000"},
      {WithToken(kTempo, "2646001"), "samples per step 2.646e+06, outside 1-2646000"},
      {WithToken(kTempo, "nan"), "samples per step nan"},
      {WithToken(kBank, "nan"), "(pattern 0 cell 0 attack) is not a finite number: nan"},
      {WithToken(kBank + 1, "inf"), "(pattern 0 cell 0 decay) is not a finite number"},
      {WithToken(kBank + 2, "-infinity"), "slide length) is not a finite number: -inf"},
      {WithToken(kBank + 3, "1e39"), "(pattern 0 cell 0 slide) is not a finite number"},
      {WithToken(kBank + 6, "-1e999"), "pan) is not a finite number"},
      {WithToken(kPalette + 4, std::string("data/\0x.bmp", 11)),
       "(palette slot 9) holds a NUL byte"},
      {good + "5,", "the file has 3778 tokens"},
      {good + "5", "text after its last token"},
      {good + ",,,", "the file has 3780 tokens"},
  };
  for (const auto& [text, reason] : cases) {
    SCOPED_TRACE(reason);
    ExpectRefused(text, reason);
  }
  auto edited = tokens;
  testing::SetToken(edited, kBank + 100, "nan");
  testing::SetToken(edited, kTempo, "0");
  ExpectRefused(testing::JoinTokens(edited), "token 404 (pattern 0 cell 12 octave)");

  // At the length limits everything still loads.
  edited = tokens;
  testing::SetToken(edited, 10, "000000024");
  testing::SetToken(edited, kPalette + 2, "userbitmaps/" + std::string(19, 'a'));
  ExpectLoads(testing::JoinTokens(edited));
}

TEST_F(SongRefusalTest, ASongOfTheOtherProgram) {
  auto six = testing::MakeQuietSequencer(bank, 6);
  testing::ComposeRichSong(*six, 13);
  std::strcpy(six->m_Name, "Six");
  six->SaveSong();
  ExpectRefusedFile("songs/Six.tlp", "it is a song of a 6-track program (4080 tokens");

  const std::string sixBefore = testing::Snapshot(*six);
  std::string why;
  EXPECT_FALSE(six->LoadSongFile("songs/Good.tlp", &why));
  EXPECT_NE(why.find("a song of a 3-track program (3777 tokens; this program's songs have 4080)"),
            std::string::npos)
      << why;
  EXPECT_EQ(testing::Snapshot(*six), sixBefore);
}

}  // namespace
}  // namespace tessaloop
