// Songs and the palette: the bitmaps of slots 5-21 are saved by name and
// loaded again into pictures and wavetables, with "data/notfound.bmp" for a
// bitmap that is gone.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <tuple>
#include <vector>

#include "display/BmpWriter.h"
#include "display/Display.h"
#include "platform/HeadlessPlatform.h"
#include "songfile/SongFormat.h"
#include "sound/Sequencer.h"
#include "tests/songfile/SongTestSong.h"
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

}  // namespace
}  // namespace tessaloop
