// The user-bitmap and song folder listings.

#include <gtest/gtest.h>

#include <algorithm>
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
  // Makes empty files, in the given order.
  static void Touch(const std::string& folder, const std::vector<std::string>& names) {
    fs::create_directories(folder);
    for (const std::string& name : names)
      testing::WriteFile(folder + "/" + name, "");
  }

  // The names in a folder in the order the folder yields them, of those that
  // are in wanted.
  static std::vector<std::string> FolderOrder(const std::string& folder,
                                              const std::set<std::string>& wanted) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      if (wanted.count(name)) names.push_back(name);
    }
    return names;
  }

  static std::vector<std::string> Listed(const char (&names)[kListSize][kListNameLength],
                                         int32_t count) {
    std::vector<std::string> listed;
    for (int i = 0; i < count; ++i)
      listed.push_back(names[i]);
    for (int i = count; i < kListSize; ++i)
      EXPECT_STREQ(names[i], "none") << i;
    return listed;
  }

  static std::vector<std::string> Numbered(const std::string& stem, int count,
                                           const std::string& extension) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
      names.push_back(stem + std::to_string(i) + extension);
    return names;
  }

  std::unique_ptr<Sequencer> Make() { return testing::MakeQuietSequencer(bank, 3); }

  testing::WorkFolder folder;
  WavetableBank bank;
};

TEST_F(ListingsTest, NoFolderOrAnEmptyOneListsNothing) {
  auto seq = Make();
  EXPECT_EQ(seq->m_BitmapCount, 0);
  Listed(seq->m_BitmapNames, 0);
  seq->ListSongs();
  EXPECT_EQ(seq->m_SongCount, 0);
  Listed(seq->m_SongNames, 0);

  fs::create_directory("songs");
  fs::create_directory("userbitmaps");
  seq->ListSongs();
  seq->ListUserBitmaps();
  EXPECT_EQ(seq->m_SongCount, 0);
  EXPECT_EQ(seq->m_BitmapCount, 0);
  Listed(seq->m_SongNames, 0);
  Listed(seq->m_BitmapNames, 0);
}

TEST_F(ListingsTest, ThreeSongsInTheFoldersOrderAmongOtherFiles) {
  Touch("songs", {"Zed.tlp", "alpha.tlp", "notes.txt", "Mid.tlp", "Mid.tlp.4711-0.tmp", "tlp",
                  "x.tl", "x.tlpx"});
  auto seq = Make();
  seq->ListSongs();
  EXPECT_EQ(seq->m_SongCount, 3);
  EXPECT_EQ(Listed(seq->m_SongNames, seq->m_SongCount),
            FolderOrder("songs", {"Zed.tlp", "alpha.tlp", "Mid.tlp"}));
}

TEST_F(ListingsTest, FortyAndFortyFiveSongs) {
  Touch("songs", Numbered("song", 40, ".tlp"));
  auto seq = Make();
  seq->ListSongs();
  EXPECT_EQ(seq->m_SongCount, 40);
  const auto all = Numbered("song", 40, ".tlp");
  EXPECT_EQ(Listed(seq->m_SongNames, 40), FolderOrder("songs", {all.begin(), all.end()}));

  Touch("songs", Numbered("more", 5, ".tlp"));
  seq->ListSongs();
  EXPECT_EQ(seq->m_SongCount, 40);
  std::vector<std::string> everything;
  for (const auto& entry : fs::directory_iterator("songs"))
    everything.push_back(entry.path().filename().string());
  ASSERT_EQ(everything.size(), 45u);
  everything.resize(40);  // the first 40 the folder yields; the rest are not read
  EXPECT_EQ(Listed(seq->m_SongNames, 40), everything);
}

TEST_F(ListingsTest, ExtensionsMatchWhateverTheirCase) {
  Touch("songs", {"Loud.TLP", "Quiet.Tlp", "nonesuch.tlp"});
  Touch("userbitmaps", {"Pic.BMP", "pic2.bMp", "pic3.png", "bmp"});
  auto seq = Make();
  seq->ListSongs();
  EXPECT_EQ(seq->m_BitmapCount, 2);
  const auto bitmaps = Listed(seq->m_BitmapNames, seq->m_BitmapCount);
  EXPECT_EQ(std::set<std::string>(bitmaps.begin(), bitmaps.end()),
            (std::set<std::string>{"Pic.BMP", "pic2.bMp"}));
  // A name holding "none" is listed like any other; the editor will not load it.
  const auto songs = Listed(seq->m_SongNames, seq->m_SongCount);
  EXPECT_EQ(std::set<std::string>(songs.begin(), songs.end()),
            (std::set<std::string>{"Loud.TLP", "Quiet.Tlp", "nonesuch.tlp"}));
}

TEST_F(ListingsTest, NamesThatWouldNotFitAreLeftOutNotCut) {
  const std::string song31 = std::string(27, 's') + ".tlp";
  const std::string song32 = std::string(28, 'S') + ".tlp";
  const std::string bitmap19 = std::string(15, 'b') + ".bmp";  // userbitmaps/ + 19 = 31
  const std::string bitmap20 = std::string(16, 'B') + ".bmp";
  // Forty names that fit besides the long ones: the long ones take no place.
  auto songs = Numbered("s", 40, ".tlp");
  songs.push_back(song32);
  songs.push_back(std::string(200, 'L') + ".tlp");
  Touch("songs", songs);
  Touch("songs", {song31});
  Touch("userbitmaps", {bitmap19, bitmap20, "a,b.bmp", "my pic.bmp"});

  auto seq = Make();
  EXPECT_EQ(Listed(seq->m_BitmapNames, seq->m_BitmapCount),
            FolderOrder("userbitmaps", {bitmap19, "my pic.bmp"}))
      << "too long for a slot path, or holding a comma that a song file cannot store";

  seq->ListSongs();
  ASSERT_EQ(seq->m_SongCount, 40);
  for (const std::string& name : Listed(seq->m_SongNames, 40)) {
    EXPECT_LE(name.size(), 31u);
    EXPECT_TRUE(name == song31 || name.size() <= 7) << name;
  }
  fs::remove_all("songs");
  Touch("songs", {song31, song32});
  seq->ListSongs();
  EXPECT_EQ(Listed(seq->m_SongNames, seq->m_SongCount), (std::vector<std::string>{song31}));
}

TEST_F(ListingsTest, EveryCallReplacesItsOwnTableOnlyAndLogs) {
  Touch("userbitmaps", {"one.bmp"});
  testing::ClearDebugLog();
  auto seq = Make();
  ASSERT_EQ(seq->m_BitmapCount, 1);
  Touch("songs", {"a.tlp", "b.tlp"});
  seq->ListSongs();
  EXPECT_EQ(seq->m_SongCount, 2);
  fs::remove("songs/a.tlp");
  fs::remove("userbitmaps/one.bmp");
  // The list keeps a deleted file until it is read again.
  EXPECT_EQ(seq->m_SongCount, 2);
  seq->ListSongs();
  EXPECT_EQ(Listed(seq->m_SongNames, seq->m_SongCount), (std::vector<std::string>{"b.tlp"}));
  EXPECT_EQ(Listed(seq->m_BitmapNames, seq->m_BitmapCount), (std::vector<std::string>{"one.bmp"}))
      << "listing songs leaves the bitmaps alone";
  seq->ListUserBitmaps();
  EXPECT_EQ(seq->m_BitmapCount, 0);
  EXPECT_EQ(testing::LogLinesStartingWith("reading directory").size(), 4u);
}

TEST_F(ListingsTest, SubFoldersWithAMatchingNameAreListed) {
  fs::create_directories("songs/Folder.tlp");
  auto seq = Make();
  seq->ListSongs();
  EXPECT_EQ(Listed(seq->m_SongNames, seq->m_SongCount), (std::vector<std::string>{"Folder.tlp"}));
}

}  // namespace
}  // namespace tessaloop
