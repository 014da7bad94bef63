// The controls of the editor frame outside the cells: tab bar, pattern
// buttons, arrangement and position strips, song-mode toggle, song list, help
// overlay and pointer.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "input/KeyCodes.h"
#include "tests/editor/EditorRig.h"

namespace tessaloop {
namespace {

using testing::EditorRig;
using testing::GlyphAt;
using testing::PictureAt;
using testing::TextAt;

TEST(TabBar, SelectsTabsOnlyWhileNoCellIsCurrent) {
  EditorRig rig;
  rig.ClickAt(100, 10);
  EXPECT_EQ(rig.seq->m_Tab, 2);
  rig.ClickAt(300, 10);
  EXPECT_EQ(rig.seq->m_Tab, 4);
  rig.ClickAt(600, 10);
  EXPECT_EQ(rig.seq->m_Tab, 4) << "x of 485 or more is no tab";

  // Hovering tab 3 while tab 4 is current marks both.
  rig.MoveTo(200, 10);
  rig.RunFrame();
  EXPECT_TRUE(PictureAt(rig, 218, 0, kSlotTabOn, true, 10, 24));
  EXPECT_TRUE(PictureAt(rig, 276, 0, kSlotTabOn, true, 10, 24));
  EXPECT_FALSE(PictureAt(rig, 127, 0, kSlotTabOn, true, 10, 24));

  // From a cell straight onto the tab bar: the cell is still current in the
  // first frame, so that frame ignores the tab bar.
  rig.MoveTo(EditorRig::CellX(3), EditorRig::CellY(0));
  rig.RunFrame();
  rig.MoveTo(30, 10);
  rig.RunFrame();
  EXPECT_FALSE(PictureAt(rig, 39, 0, kSlotTabOn, true, 10, 24));
  rig.RunFrame();
  EXPECT_TRUE(PictureAt(rig, 39, 0, kSlotTabOn, true, 10, 24));
  rig.ClickAt(30, 10);
  EXPECT_EQ(rig.seq->m_Tab, 1);
}

TEST(TabBar, SongListRescansOnlyWhenEntered) {
  EditorRig rig;
  rig.ClickAt(420, 10);
  EXPECT_EQ(rig.seq->m_Tab, 6);
  // A song saved while the list is shown appears only once the tab is entered
  // again from another tab.
  std::strcpy(rig.seq->m_Name, "first");
  rig.seq->SaveSong();
  rig.seq->m_SelectedSong = 3;
  rig.ClickAt(420, 10, 5);
  EXPECT_EQ(rig.seq->m_SelectedSong, 3);
  EXPECT_EQ(rig.seq->m_SongCount, 0);

  rig.ClickAt(30, 10);
  rig.ClickAt(420, 10);
  EXPECT_EQ(rig.seq->m_SelectedSong, 0);
  EXPECT_EQ(rig.seq->m_SongCount, 1);
  EXPECT_STREQ(rig.seq->m_SongNames[0], "first.tlp");
}

TEST(PatternButtons, HeldLettersStoreAndLoadAndTheLastLetterShows) {
  EditorRig rig;
  rig.seq->m_Tab = 5;
  Cell& cell = rig.CellAt(1, 6);
  cell.m_Slot = 14;
  cell.m_Octave = 6;
  cell.SetNote();

  rig.MoveTo(30, 64 + 24 + 30);  // Save button of track 1
  rig.Key(key::kA, true);
  rig.Key(key::kD, true);
  rig.RunFrame();
  rig.Key(key::kA, false);
  rig.Key(key::kD, false);
  for (int n : {1, 4}) {
    EXPECT_EQ(rig.seq->m_Bank.m_Patterns[n][6].m_Slot, 14) << n;
    EXPECT_EQ(rig.seq->m_Bank.m_Patterns[n][6].m_Note, 72) << n;
  }
  EXPECT_EQ(rig.seq->m_Bank.m_Patterns[2][6].m_Slot, 0);
  EXPECT_EQ(rig.seq->GetTrack(1).m_StoredPattern, 4);
  rig.MoveTo(300, 300);
  rig.RunFrame();
  EXPECT_TRUE(GlyphAt(rig, 7, 64 + 46, 'D', false));
  EXPECT_TRUE(TextAt(rig, 7, 64 + 34, "Save", false));
  EXPECT_TRUE(TextAt(rig, 71, 64 + 34, "Load", false));
  EXPECT_TRUE(GlyphAt(rig, 71, 64 + 46, 'X', false)) << "pattern 24 until something is loaded";

  // Loading into another track: x = 64 exactly is neither button.
  rig.MoveTo(64, 2 * 64 + 24 + 30);
  rig.TapKey(key::kD);
  EXPECT_EQ(rig.CellAt(2, 6).m_Slot, kRestSlot);
  rig.MoveTo(90, 2 * 64 + 24 + 30);
  rig.TapKey(key::kD);
  EXPECT_EQ(rig.CellAt(2, 6).m_Slot, 14);
  EXPECT_EQ(rig.CellAt(2, 6).m_Y, 2 * 64 + 24);
  EXPECT_EQ(rig.seq->GetTrack(2).m_LoadedPattern, 4);

  // Outside tab 5 the same keys store nothing.
  rig.seq->m_Tab = 1;
  rig.MoveTo(30, 64 + 24 + 30);
  rig.TapKey(key::kF);
  EXPECT_EQ(rig.seq->m_Bank.m_Patterns[6][6].m_Slot, 0);
}

TEST(Arrangement, LettersWriteTheRowUnderThePointerInEveryTab) {
  EditorRig rig;
  rig.MoveTo(15, 725);  // row 2, column 0
  rig.RunFrame();
  for (int tab = 1; tab <= 7; ++tab) {
    rig.seq->m_Tab = tab;
    rig.seq->m_Arrangement[2][0] = 24;
    rig.TapKey(key::kZ);
    EXPECT_EQ(rig.seq->m_Arrangement[2][0], 26) << "tab " << tab;
  }
  rig.Key(key::kA, true);
  rig.Key(key::kC, true);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_Arrangement[2][0], 3) << "the last letter wins";
  rig.Key(key::kA, false);
  rig.Key(key::kC, false);

  // Below the third row the three-track strip ends.
  rig.seq->m_Tab = 1;
  rig.MoveTo(15, 735);
  rig.TapKey(key::kZ);
  for (int t = 0; t < 3; ++t)
    for (int j = 1; j < 100; ++j)
      EXPECT_EQ(rig.seq->m_Arrangement[t][j], 24);

  rig.MoveTo(1005, 705);
  rig.TapKey(key::kB);
  EXPECT_EQ(rig.seq->m_Arrangement[0][99], 2);
  EXPECT_EQ(rig.seq->m_Arrangement[0][100], 24) << "entry 100 is never edited";
  rig.MoveTo(300, 300);
  rig.RunFrame();
  EXPECT_TRUE(GlyphAt(rig, 1000, 700, 'B', false));
  EXPECT_TRUE(GlyphAt(rig, 10, 720, 'C', false));
}

TEST(Arrangement, SixTracksReachRowThree) {
  EditorRig rig(6);
  rig.MoveTo(15, 735);
  rig.TapKey(key::kZ);
  EXPECT_EQ(rig.seq->m_Arrangement[3][0], 26);
  rig.MoveTo(15, 755);
  rig.TapKey(key::kY);
  EXPECT_EQ(rig.seq->m_Arrangement[5][0], 25);
}

TEST(PositionStrip, ClickSetsThePositionThenHoldsBothButtonsForFortyFrames) {
  EditorRig rig;
  rig.ClickAt(15, 695);
  EXPECT_EQ(rig.seq->m_Position, 0);
  rig.RunFrames(40);
  rig.ClickAt(1005, 695);
  EXPECT_EQ(rig.seq->m_Position, 99);
  rig.RunFrames(40);

  // Held on the strip, the position follows only every 40 frames.
  rig.ClickAt(505, 695, 1);
  EXPECT_EQ(rig.seq->m_Position, 49);
  rig.Left(true);
  rig.MoveTo(605, 695);
  rig.RunFrames(39);
  EXPECT_EQ(rig.seq->m_Position, 49);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_Position, 59);
  rig.Left(false);
  rig.RunFrame();
  EXPECT_TRUE(GlyphAt(rig, 600, 690, '6', true)) << "the position marker";

  // A carried sound brought onto the strip with the button held is let go
  // there: the click holds the button released, and nothing is written.
  rig.RunFrames(40);
  rig.MoveTo(EditorRig::PaletteX(2), EditorRig::kPaletteCentreY);
  rig.RunFrame();
  rig.Left(true);
  rig.RunFrame();
  ASSERT_EQ(rig.seq->m_PaletteDrag, 8);
  rig.MoveTo(215, 695);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_Position, 20);
  EXPECT_EQ(rig.seq->m_PaletteDrag, -1);
  rig.MoveTo(EditorRig::CellX(3), EditorRig::CellY(0));
  rig.RunFrames(10);
  EXPECT_EQ(rig.seq->m_PaletteDrag, -1) << "the held button reads released";
  EXPECT_EQ(rig.CellAt(0, 3).m_Note, 36) << "and drags no cell";
  for (int s = 0; s < 16; ++s)
    EXPECT_EQ(rig.CellAt(0, s).m_Slot, kRestSlot);
}

TEST(SongModeToggle, FlipsOncePerClickAndEveryFiftyFramesWhileHeld) {
  EditorRig rig;
  rig.ClickAt(55, 677);
  EXPECT_EQ(rig.seq->m_SongMode, 1);
  rig.RunFrames(60);
  EXPECT_EQ(rig.seq->m_SongMode, 1);
  rig.ClickAt(55, 677);
  EXPECT_EQ(rig.seq->m_SongMode, 0);
  rig.RunFrames(50);

  rig.Left(true);
  int flips = 0;
  uint8_t last = rig.seq->m_SongMode;
  for (int frame = 0; frame < 120; ++frame) {
    rig.RunFrame();
    if (rig.seq->m_SongMode != last) ++flips;
    last = rig.seq->m_SongMode;
  }
  EXPECT_EQ(flips, 3) << "frames 1, 51 and 101";
  rig.Left(false);
  rig.MoveTo(300, 300);
  rig.RunFrame();
  EXPECT_TRUE(GlyphAt(rig, 54, 673, '>', true));
}

TEST(SongList, ArrowsStopAtTheEndsAndReturnLoadsOnlyRealEntries) {
  EditorRig rig;
  rig.display.m_FramesPerSecond = 40;  // arrows repeat every 10 frames
  rig.seq->m_SamplesPerStep = 5000;
  std::strcpy(rig.seq->m_Name, "beat");
  rig.seq->SaveSong();
  std::strcpy(rig.seq->m_Name, "nonesuch");
  rig.seq->SaveSong();
  rig.seq->m_SamplesPerStep = 9000;
  rig.RunFrames(25);  // the saves' key delay

  rig.ClickAt(420, 10);
  ASSERT_EQ(rig.seq->m_SongCount, 2);
  const int beat = std::strcmp(rig.seq->m_SongNames[0], "beat.tlp") == 0 ? 0 : 1;

  rig.Key(key::kRight, true);
  rig.RunFrames(30);
  EXPECT_EQ(rig.seq->m_SelectedSong, 1) << "Right stops at the last entry";
  // Both arrows held: left while it can move, then right.
  rig.Key(key::kLeft, true);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_SelectedSong, 0);
  rig.RunFrames(10);
  EXPECT_EQ(rig.seq->m_SelectedSong, 1);
  rig.Key(key::kLeft, false);
  rig.Key(key::kRight, false);
  rig.RunFrames(12);

  // The entry holding "none" is never loaded, but Return still leaves the list.
  rig.seq->m_SelectedSong = 1 - beat;
  rig.TapKey(key::kReturn);
  EXPECT_EQ(rig.seq->m_Tab, 1);
  EXPECT_EQ(rig.seq->m_SamplesPerStep, 9000);

  rig.ClickAt(420, 10);
  rig.seq->m_SelectedSong = beat;
  rig.RunFrames(12);
  rig.TapKey(key::kReturn);
  EXPECT_EQ(rig.seq->m_Tab, 1);
  EXPECT_EQ(rig.seq->m_SamplesPerStep, 5000);
}

TEST(SongList, EmptyFolderShowsNoneAndReturnOnlyLeaves) {
  EditorRig rig;
  rig.ClickAt(420, 10);
  rig.TapKey(key::kRight);
  EXPECT_EQ(rig.seq->m_SelectedSong, 0);
  EXPECT_TRUE(TextAt(rig, 524, 8, "none", false));
  EXPECT_TRUE(GlyphAt(rig, 502, 8, '0', false));
  rig.TapKey(key::kReturn);
  EXPECT_EQ(rig.seq->m_Tab, 1);
  EXPECT_EQ(testing::ReadFile("debug.txt").find("Loading seq"), std::string::npos);
}

TEST(HelpOverlay, ShownWhileF1IsHeldAndCutAtTheScreenEdge) {
  EditorRig rig;
  rig.MoveTo(100, 300);
  rig.Key(key::kF1, true);
  rig.RunFrame();
  EXPECT_TRUE(TextAt(rig, 500, 420, "Help", true));
  EXPECT_TRUE(TextAt(rig, 500, 500, "User Bitmaps", true));
  EXPECT_TRUE(TextAt(rig, 500, 450, "Hold control when dragging to paint", false));
  EXPECT_TRUE(TextAt(rig, 500, 520, "User created bitmaps must be 210 by 210 pixels", false));
  EXPECT_TRUE(TextAt(rig, 500 + 60 * 8, 520, "24bit", false)) << "the last glyph ends at 1020";
  for (int y = 520; y < 528; ++y)
    for (int x = 1020; x < 1024; ++x)
      EXPECT_EQ(rig.display.BackBuffer().PixelRgb(x, y), kWhite) << x << "," << y;

  rig.Key(key::kF1, false);
  rig.RunFrame();
  EXPECT_FALSE(TextAt(rig, 500, 420, "Help", true));
}

TEST(Pointer, StaysWithinTheScreenAndIsDrawnOverEverything) {
  EditorRig rig;
  rig.Move(3000, 3000);
  rig.RunFrame();
  EXPECT_EQ(rig.input.m_MouseX, 1012);
  EXPECT_EQ(rig.input.m_MouseY, 756);
  EXPECT_TRUE(PointerDrawn(rig));
  for (const auto& [x, y] : {std::pair{EditorRig::PaletteX(4), EditorRig::kPaletteCentreY},
                             std::pair{270, 675}, std::pair{20, 5}}) {
    rig.MoveTo(x, y);
    rig.RunFrame();
    EXPECT_TRUE(PointerDrawn(rig)) << x << "," << y;
  }
}

}  // namespace
}  // namespace tessaloop
