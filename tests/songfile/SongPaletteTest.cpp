// Songs and the palette: the bitmaps of slots 5-21 are saved by name and
// loaded again into pictures and wavetables, with "data/notfound.bmp" for a
// bitmap that is gone.

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <tuple>
#include <vector>

#include "display/BmpWriter.h"
#include "display/Display.h"
#include "platform/HeadlessPlatform.h"
#include "songfile/PicturePath.h"
#include "songfile/SongFormat.h"
#include "sound/Sequencer.h"
#include "tests/songfile/SongTestSong.h"
#include "tests/support/NamedPipe.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

namespace fs = std::filesystem;

// A 210 x 210 bitmap whose every blue byte is blue.
void WriteFlatBitmap(const std::string& path, int blue) {
  std::vector<uint32_t> pixels(210 * 210, static_cast<uint32_t>(blue) | 0x336600u);
  ASSERT_TRUE(WriteBmp24(path, 210, 210, pixels.data()));
}

// The sample every table of a flat bitmap holds.
float FlatSample(int blue) {
  return (static_cast<float>(blue) - 128.0f) / 128.0f;
}

// The program's start-up: a display that loads data/, a Sequencer with every default.
struct Program {
  explicit Program(int tracks) : display(platform, tracks == 6) {
    display.Setup();
    SequencerSetup setup;
    setup.trackCount = tracks;
    setup.wavetables = &display.m_Wavetables;
    setup.display = &display;
    setup.startAudio = false;
    seq = std::make_unique<Sequencer>(setup);
  }
  float Sample(int slot) const { return display.m_Wavetables.Sample(slot, 1234); }

  HeadlessPlatform platform;
  Display display;
  std::unique_ptr<Sequencer> seq;
};

class SongPaletteTest : public ::testing::Test {
 protected:
  SongPaletteTest() {
    fs::create_directories("data");
    fs::create_directories("userbitmaps");
    // The start-up palette, each bitmap with its own flat wave, and the fallback.
    for (int i = 0; i < kSavedSlotCount; ++i)
      WriteFlatBitmap(kStartupPalette[i], 10 + i);
    WriteFlatBitmap(kNotFoundBitmap, 200);
    WriteFlatBitmap("userbitmaps/kick.bmp", 50);
    WriteFlatBitmap("userbitmaps/mypic.bmp", 60);
  }

  testing::WorkFolder folder;
};

// The worked example of either build, with the shipped art, byte for byte.
TEST(StartupSong, WithTheShippedArtSavesAsItsExactText) {
  testing::WorkFolder folder;
  folder.LinkData();
  for (auto [tracks, tokens, characters] :
       {std::tuple{3, 3777u, 12443u}, std::tuple{6, 4080u, 13352u}}) {
    SCOPED_TRACE(tracks);
    Program(tracks).seq->SaveSong();
    const std::string text = testing::ReadFile("songs/UntitledSong.tlp");
    EXPECT_EQ(text, testing::StartupSongText(tracks));
    EXPECT_EQ(text.size(), characters);
    EXPECT_EQ(testing::SplitTokens(text).size(), tokens);
    EXPECT_EQ(SongTokenCount(tracks), static_cast<long>(tokens));
  }
}

TEST_F(SongPaletteTest, PaletteNamesAndSoundsComeBack) {
  {
    Program author(3);
    ASSERT_TRUE(author.display.LoadPaletteSlot(7, "userbitmaps/kick.bmp"));
    std::strcpy(author.seq->m_Name, "Kick");
    author.seq->SaveSong();
  }
  Program listener(3);
  ASSERT_EQ(listener.Sample(7), FlatSample(12));
  ASSERT_TRUE(listener.seq->LoadSongFile("songs/Kick.tlp"));
  EXPECT_STREQ(listener.display.m_SlotNames[7], "userbitmaps/kick.bmp");
  EXPECT_EQ(listener.Sample(7), FlatSample(50));
  for (int i = 0; i < kSavedSlotCount; ++i) {
    if (kFirstSavedSlot + i == 7) continue;
    EXPECT_STREQ(listener.display.m_SlotNames[kFirstSavedSlot + i], kStartupPalette[i]);
    EXPECT_EQ(listener.Sample(kFirstSavedSlot + i), FlatSample(10 + i));
  }
}

TEST_F(SongPaletteTest, MissingBitmapFallsBackToNotFoundAndWithoutItKeepsItsSound) {
  Program program(3);
  auto tokens = testing::SplitTokens(testing::StartupSongText(3));
  const size_t palette = tokens.size() - 18;  // slot 5's token
  testing::SetToken(tokens, palette + 3, "userbitmaps/gone.bmp");
  testing::SetToken(tokens, palette + 4, "userbitmaps/my pic.bmp");  // loads without its space
  testing::SetToken(tokens, palette + 5, "userbitmaps/your pic.bmp");
  fs::create_directories("songs");
  testing::WriteFile("songs/Gone.tlp", testing::JoinTokens(tokens));
  ASSERT_TRUE(program.seq->LoadSongFile("songs/Gone.tlp"));
  EXPECT_STREQ(program.display.m_SlotNames[8], kNotFoundBitmap);
  EXPECT_EQ(program.Sample(8), FlatSample(200));
  EXPECT_STREQ(program.display.m_SlotNames[9], "userbitmaps/mypic.bmp");
  EXPECT_EQ(program.Sample(9), FlatSample(60));
  EXPECT_STREQ(program.display.m_SlotNames[10], kNotFoundBitmap);
  program.seq->SaveSong();  // a later save names the fallback
  auto saved = testing::SplitTokens(testing::ReadFile("songs/UntitledSong.tlp"));
  EXPECT_EQ(saved[palette + 3], kNotFoundBitmap);
  EXPECT_EQ(saved[palette + 4], "userbitmaps/mypic.bmp");

  // Without even the fallback a slot keeps its sound and the song its own bitmap's name.
  fs::remove(kNotFoundBitmap);
  testing::SetToken(tokens, palette + 1, "userbitmaps/lost.bmp");
  testing::WriteFile("songs/Gone.tlp", testing::JoinTokens(tokens));
  ASSERT_TRUE(program.seq->LoadSongFile("songs/Gone.tlp"));
  EXPECT_EQ(program.Sample(6), FlatSample(11));
  EXPECT_STREQ(program.display.m_SlotNames[6], "userbitmaps/lost.bmp");
  program.seq->SaveSong();
  saved = testing::SplitTokens(testing::ReadFile("songs/UntitledSong.tlp"));
  EXPECT_EQ(saved[palette + 1], "userbitmaps/lost.bmp");

  // A refused song leaves every slot as it was.
  testing::WriteFile("songs/Bad.tlp", "24,24,");
  EXPECT_FALSE(program.seq->LoadSongFile("songs/Bad.tlp"));
  EXPECT_STREQ(program.display.m_SlotNames[9], "userbitmaps/mypic.bmp");
  EXPECT_EQ(program.Sample(9), FlatSample(60));
}

// A song names pictures outside the picture folders, a pipe, a folder and a
// device: none is opened, each slot gets the fallback, the log says which and
// why, and the song loads. The files of the test's own folder that a broken
// rule would open are watched for any open at all.
TEST_F(SongPaletteTest, PathsOutsideThePictureFoldersAreNeverOpened) {
  WriteFlatBitmap("userbitmaps/escape.bmp", 90);
  fs::create_directories("userbitmaps/folder.bmp");
  testing::NamedPipe pipe("userbitmaps/pipe.bmp");
  ASSERT_TRUE(pipe.Made());
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  for (const char* watched :
       {"userbitmaps/escape.bmp", "userbitmaps/pipe.bmp", "userbitmaps/folder.bmp"})
    ASSERT_GE(inotify_add_watch(watch, watched, IN_OPEN), 0) << watched;

  const std::vector<std::pair<std::string, std::string>> refused = {
      {"/etc/passwd", "an absolute path"},
      {"../../../etc/hostname", "not in data/ or userbitmaps/"},
      {"/dev/zero", "an absolute path"},
      {"/proc/self/environ", "an absolute path"},
      {"", "an empty path"},
      {"data/../userbitmaps/escape.bmp", "a . or .. component in the path"},
      {"userbitmaps/./escape.bmp", "a . or .. component in the path"},
      {"userbitmaps//escape.bmp", "an empty component in the path"},
      {"userbitmaps\\escape.bmp", "a backslash in the path"},
      {"userbitmaps/\x01scape.bmp", "a control character in the path"},
      {"songs/Paths.tlp", "not in data/ or userbitmaps/"},
      {"userbitmaps/pipe.bmp", "a named pipe, not a file"},
      {"userbitmaps/folder.bmp", "a folder, not a file"},
      {"userbitmaps", "a folder, not a file"},
  };
  auto tokens = testing::SplitTokens(testing::StartupSongText(3));
  const size_t palette = tokens.size() - 18;
  for (size_t i = 0; i < refused.size(); ++i)
    testing::SetToken(tokens, palette + i, refused[i].first);
  testing::SetToken(tokens, palette + refused.size(), "userbitmaps/kick.bmp");
  fs::create_directories("songs");
  testing::WriteFile("songs/Paths.tlp", testing::JoinTokens(tokens));
  char events[4096];
  while (read(watch, events, sizeof events) > 0) {
  }

  Program program(3);
  testing::ClearDebugLog();
  ASSERT_TRUE(program.seq->LoadSongFile("songs/Paths.tlp"));
  const ssize_t opened = read(watch, events, sizeof events);
  close(watch);
  EXPECT_LE(opened, 0) << "a refused picture was opened";
  EXPECT_FALSE(pipe.ReaderWaited());

  const auto lines = testing::LogLines("Picture not opened: ");
  ASSERT_EQ(lines.size(), refused.size());
  for (size_t i = 0; i < refused.size(); ++i) {
    const int slot = kFirstSavedSlot + static_cast<int>(i);
    EXPECT_STREQ(program.display.m_SlotNames[slot], kNotFoundBitmap) << refused[i].first;
    EXPECT_EQ(program.Sample(slot), FlatSample(200)) << refused[i].first;
    EXPECT_NE(lines[i].find("(" + refused[i].second + ")"), std::string::npos) << lines[i];
  }
  EXPECT_EQ(lines[0], "Picture not opened: \"/etc/passwd\" (an absolute path)");
  EXPECT_EQ(lines[9],
            "Picture not opened: \"userbitmaps/\\x01scape.bmp\" (a control character in the path)");
  const int kept = kFirstSavedSlot + static_cast<int>(refused.size());
  EXPECT_STREQ(program.display.m_SlotNames[kept], "userbitmaps/kick.bmp");
  EXPECT_EQ(program.Sample(kept), FlatSample(50));
}

}  // namespace
}  // namespace tessaloop
