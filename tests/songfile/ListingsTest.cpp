// The user-bitmap and song folder listings.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "display/WavetableBank.h"
#include "sound/Sequencer.h"
#include "tests/songfile/SongTestSong.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

namespace fs = std::filesystem;

class ListingsTest : public ::testing::Test {
 protected:
  static void Touch(const std::string& folder, const std::vector<std::string>& names) {
    fs::create_directories(folder);
    for (const std::string& name : names)
      testing::WriteFile(folder + "/" + name, "");
  }

  // The names in the order the folder yields them, those in wanted only (if any).
  static std::vector<std::string> FolderOrder(const std::string& folder,
                                              const std::set<std::string>& wanted = {}) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      if (wanted.empty() || wanted.count(name)) names.push_back(name);
    }
    return names;
  }

  // The listed names, after checking that the rest of the table is filler.
  static std::vector<std::string> Listed(const char (&names)[kListSize][kListNameLength],
                                         int32_t count) {
    for (int i = count; i < kListSize; ++i)
      EXPECT_STREQ(names[i], "none") << i;
    return std::vector<std::string>(names, names + count);
  }

  static std::vector<std::string> Numbered(const std::string& stem, int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
      names.push_back(stem + std::to_string(i) + ".tlp");
    return names;
  }

  testing::WorkFolder folder;
  WavetableBank bank;
  std::unique_ptr<Sequencer> seq = testing::MakeQuietSequencer(bank, 3);
};

// Extensions match whatever their case, and "none" is a name like any other.
TEST_F(ListingsTest, NoneThreeFortyAndFortyFiveSongsInTheFoldersOrder) {
  seq->ListSongs();  // no folder at all
  EXPECT_EQ(Listed(seq->m_SongNames, seq->m_SongCount), std::vector<std::string>{});

  Touch("songs", {"Loud.TLP", "Quiet.Tlp", "notes.txt", "nonesuch.tlp", "Mid.tlp.4711-0.tmp", "tlp",
                  "x.tl", "x.tlpx"});
  seq->ListSongs();
  EXPECT_EQ(Listed(seq->m_SongNames, seq->m_SongCount),
            FolderOrder("songs", {"Loud.TLP", "Quiet.Tlp", "nonesuch.tlp"}));

  fs::remove_all("songs");
  Touch("songs", Numbered("song", 40));
  seq->ListSongs();
  EXPECT_EQ(Listed(seq->m_SongNames, seq->m_SongCount), FolderOrder("songs"));

  // Five more: the first 40 the folder yields are listed, the rest not read.
  Touch("songs", Numbered("more", 5));
  seq->ListSongs();
  std::vector<std::string> first = FolderOrder("songs");
  ASSERT_EQ(first.size(), 45u);
  first.resize(40);
  EXPECT_EQ(Listed(seq->m_SongNames, seq->m_SongCount), first);
  EXPECT_EQ(testing::LogLines("Only the first"),
            (std::vector<std::string>{"Only the first 40 files of songs are listed"}));
}

// Too long for a slot path, or holding a comma or space a song file cannot store.
TEST_F(ListingsTest, NamesThatWouldNotFitAreLeftOutNotCut) {
  const std::string song31 = std::string(27, 's') + ".tlp";
  const std::string bitmap19 = std::string(15, 'b') + ".bmp";  // userbitmaps/ + 19 = 31
  // Forty names that fit besides the long ones: the long ones take no place.
  auto songs = Numbered("s", 39);
  songs.push_back(std::string(28, 'S') + ".tlp");
  songs.push_back(std::string(200, 'L') + ".tlp");
  songs.push_back(song31);
  Touch("songs", songs);
  Touch("userbitmaps", {bitmap19, "Pic.BMP", "pic3.png", "bmp", std::string(16, 'B') + ".bmp",
                        "a,b.bmp", "my pic.bmp", "tab\tb.bmp"});

  testing::ClearDebugLog();
  seq->ListUserBitmaps();
  EXPECT_EQ(Listed(seq->m_BitmapNames, seq->m_BitmapCount),
            FolderOrder("userbitmaps", {bitmap19, "Pic.BMP"}));
  EXPECT_EQ(testing::LogLines("Left out of the list: userbitmaps/").size(), 4u);
  seq->ListSongs();
  std::set<std::string> fitting(songs.begin(), songs.begin() + 39);
  fitting.insert(song31);
  EXPECT_EQ(Listed(seq->m_SongNames, seq->m_SongCount), FolderOrder("songs", fitting));
}

// Each call reads its own folder again; a file where the folder belongs lists
// as empty and is left alone.
TEST_F(ListingsTest, EveryCallRereadsItsFolderAndLogsWhatItCannotList) {
  Touch("userbitmaps", {"one.bmp"});
  seq = testing::MakeQuietSequencer(bank, 3);  // lists the bitmaps as it is built
  ASSERT_EQ(seq->m_BitmapCount, 1);
  Touch("songs", {"a.tlp", "b.tlp"});
  seq->ListSongs();
  fs::remove("songs/a.tlp");
  fs::remove("userbitmaps/one.bmp");
  seq->ListSongs();
  EXPECT_EQ(Listed(seq->m_SongNames, seq->m_SongCount), (std::vector<std::string>{"b.tlp"}));
  EXPECT_EQ(seq->m_BitmapCount, 1) << "listing songs leaves the bitmaps alone";

  fs::remove_all("songs");
  testing::WriteFile("songs", "the user's own file");
  testing::ClearDebugLog();
  seq->ListSongs();
  EXPECT_EQ(seq->m_SongCount, 0);
  EXPECT_EQ(testing::LogLines("Cannot read the folder songs: "),
            (std::vector<std::string>{"Cannot read the folder songs: Not a directory"}));
  EXPECT_EQ(testing::ReadFile("songs"), "the user's own file");
}

}  // namespace
}  // namespace tessaloop
