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

  // The names in a folder in the order the folder yields them, those in
  // wanted only (all when wanted is empty).
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

TEST_F(ListingsTest, NoneThreeFortyAndFortyFiveSongsInTheFoldersOrder) {
  seq->ListSongs();  // no folder at all
  EXPECT_EQ(Listed(seq->m_SongNames, seq->m_SongCount), std::vector<std::string>{});

  Touch("songs", {"Zed.tlp", "alpha.tlp", "notes.txt", "Mid.tlp", "Mid.tlp.4711-0.tmp", "tlp",
                  "x.tl", "x.tlpx"});
  seq->ListSongs();
  EXPECT_EQ(Listed(seq->m_SongNames, seq->m_SongCount),
            FolderOrder("songs", {"Zed.tlp", "alpha.tlp", "Mid.tlp"}));

  fs::remove_all("songs");
  const auto forty = Numbered("song", 40);
  Touch("songs", forty);
  seq->ListSongs();
  EXPECT_EQ(Listed(seq->m_SongNames, seq->m_SongCount), FolderOrder("songs"));

  // Five more: the first 40 the folder yields are listed, the rest not read.
  Touch("songs", Numbered("more", 5));
  seq->ListSongs();
  std::vector<std::string> first = FolderOrder("songs");
  ASSERT_EQ(first.size(), 45u);
  first.resize(40);
  EXPECT_EQ(Listed(seq->m_SongNames, seq->m_SongCount), first);
}

TEST_F(ListingsTest, ExtensionsMatchWhateverTheirCaseAndNoneIsAName) {
  Touch("songs", {"Loud.TLP", "Quiet.Tlp", "nonesuch.tlp"});
  Touch("userbitmaps", {"Pic.BMP", "pic2.bMp", "pic3.png", "bmp"});
  fs::create_directories("songs/Folder.tlp");  // a matching folder is listed like a file
  seq->ListUserBitmaps();
  seq->ListSongs();
  const auto bitmaps = Listed(seq->m_BitmapNames, seq->m_BitmapCount);
  EXPECT_EQ(std::set<std::string>(bitmaps.begin(), bitmaps.end()),
            (std::set<std::string>{"Pic.BMP", "pic2.bMp"}));
  const auto songs = Listed(seq->m_SongNames, seq->m_SongCount);
  EXPECT_EQ(std::set<std::string>(songs.begin(), songs.end()),
            (std::set<std::string>{"Loud.TLP", "Quiet.Tlp", "nonesuch.tlp", "Folder.tlp"}));
}

TEST_F(ListingsTest, NamesThatWouldNotFitAreLeftOutNotCut) {
  const std::string song31 = std::string(27, 's') + ".tlp";
  const std::string bitmap19 = std::string(15, 'b') + ".bmp";  // userbitmaps/ + 19 = 31
  // Forty names that fit besides the long ones: the long ones take no place.
  auto songs = Numbered("s", 39);
  songs.push_back(std::string(28, 'S') + ".tlp");
  songs.push_back(std::string(200, 'L') + ".tlp");
  songs.push_back(song31);
  Touch("songs", songs);
  Touch("userbitmaps",
        {bitmap19, std::string(16, 'B') + ".bmp", "a,b.bmp", "my pic.bmp", "tab\tb.bmp"});

  testing::ClearDebugLog();
  seq->ListUserBitmaps();
  EXPECT_EQ(Listed(seq->m_BitmapNames, seq->m_BitmapCount), FolderOrder("userbitmaps", {bitmap19}))
      << "too long for a slot path, or holding a comma or space that a song file cannot store";
  EXPECT_EQ(testing::LogLinesStartingWith("Left out of the list: userbitmaps/").size(), 4u);
  seq->ListSongs();
  std::set<std::string> fitting(songs.begin(), songs.begin() + 39);
  fitting.insert(song31);
  EXPECT_EQ(Listed(seq->m_SongNames, seq->m_SongCount), FolderOrder("songs", fitting));
}

TEST_F(ListingsTest, EveryCallReadsTheFolderAgainForItsOwnTableAndLogs) {
  Touch("userbitmaps", {"one.bmp"});
  testing::ClearDebugLog();
  seq = testing::MakeQuietSequencer(bank, 3);  // lists the bitmaps as it is built
  ASSERT_EQ(seq->m_BitmapCount, 1);
  Touch("songs", {"a.tlp", "b.tlp"});
  seq->ListSongs();
  EXPECT_EQ(seq->m_SongCount, 2);
  fs::remove("songs/a.tlp");
  fs::remove("userbitmaps/one.bmp");
  EXPECT_EQ(seq->m_SongCount, 2) << "a deleted file stays listed until the folder is read again";
  seq->ListSongs();
  EXPECT_EQ(Listed(seq->m_SongNames, seq->m_SongCount), (std::vector<std::string>{"b.tlp"}));
  EXPECT_EQ(Listed(seq->m_BitmapNames, seq->m_BitmapCount), (std::vector<std::string>{"one.bmp"}))
      << "listing songs leaves the bitmaps alone";
  seq->ListUserBitmaps();
  EXPECT_EQ(seq->m_BitmapCount, 0);
  EXPECT_EQ(testing::LogLinesStartingWith("reading directory").size(), 4u);
}

// A file where a folder belongs, or a folder that may not be read, lists as
// empty, like no folder at all, but the log says why; the file is left alone.
// More files than the list holds are not read, but the log says there are.
TEST_F(ListingsTest, AFileInPlaceOfTheFolderAndTooManyFilesAreLogged) {
  testing::WriteFile("songs", "the user's own file");
  testing::ClearDebugLog();
  seq->ListSongs();
  EXPECT_EQ(Listed(seq->m_SongNames, seq->m_SongCount), std::vector<std::string>{});
  EXPECT_EQ(testing::LogLinesStartingWith("Cannot read the folder songs: "),
            (std::vector<std::string>{"Cannot read the folder songs: Not a directory"}));
  EXPECT_EQ(testing::ReadFile("songs"), "the user's own file");

  seq->ListUserBitmaps();  // no folder at all: nothing to say
  EXPECT_EQ(testing::LogLinesStartingWith("Cannot read").size(), 1u);

  std::vector<std::string> files;
  for (int i = 0; i < 40; ++i) {
    const std::string number = std::to_string(i);
    files.push_back("p" + number + ".bmp");
    files.push_back("n" + number + ".txt");
  }
  Touch("userbitmaps", files);
  seq->ListUserBitmaps();
  EXPECT_EQ(seq->m_BitmapCount, 40);
  EXPECT_TRUE(testing::LogLinesStartingWith("Only the first").empty()) << "exactly 40";
  Touch("userbitmaps", {"one-more.BMP"});
  seq->ListUserBitmaps();
  EXPECT_EQ(seq->m_BitmapCount, 40);
  EXPECT_EQ(testing::LogLinesStartingWith("Only the first"),
            (std::vector<std::string>{"Only the first 40 files of userbitmaps are listed"}));
}

}  // namespace
}  // namespace tessaloop
