// The controls of the editor frame outside the cells: tab bar, pattern
// buttons, arrangement and position strips, song-mode toggle, song list and
// help overlay.

#include <gtest/gtest.h>

#include <cstring>

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
  rig.ClickAt(300, 10);
  rig.ClickAt(600, 10);
  EXPECT_EQ(rig.seq->m_Tab, 4) << "x of 485 or more is no tab";
  // From a cell straight onto the tab bar, the first frame still has the cell.
  rig.HoverAt(EditorRig::CellX(3), EditorRig::CellY(0));
  rig.HoverAt(30, 10);
  EXPECT_FALSE(PictureAt(rig, 39, 0, kSlotTabOn, true, 10, 24));
  rig.RunFrame();
  EXPECT_TRUE(PictureAt(rig, 39, 0, kSlotTabOn, true, 10, 24));
}

TEST(PatternButtons, HeldLettersStoreAndLoadAndTheLastLetterShows) {
  EditorRig rig;
  rig.seq->m_Tab = 5;
  Cell& cell = rig.CellAt(1, 6);
  cell.m_Slot = 14;
  cell.m_Octave = 6;
  cell.SetNote();

  rig.MoveTo(30, 64 + 24 + 30);  // Save button of track 1
  rig.TapKeys({key::kA, key::kD});
  for (int n : {1, 4}) {
    EXPECT_EQ(rig.seq->m_Bank.m_Patterns[n][6].m_Slot, 14) << n;
    EXPECT_EQ(rig.seq->m_Bank.m_Patterns[n][6].m_Note, 72) << n;
  }
  EXPECT_EQ(rig.seq->m_Bank.m_Patterns[2][6].m_Slot, 0);
  rig.HoverAt(300, 300);
  EXPECT_TRUE(GlyphAt(rig, 7, 64 + 46, 'D', false));
  EXPECT_TRUE(TextAt(rig, 7, 64 + 34, "Save", false));
  EXPECT_TRUE(GlyphAt(rig, 71, 64 + 46, 'X', false)) << "pattern 24 until something is loaded";

  // Loading into another track: x = 64 exactly is neither button.
  rig.MoveTo(64, 2 * 64 + 24 + 30);
  rig.TapKey(key::kD);
  EXPECT_EQ(rig.CellAt(2, 6).m_Slot, kRestSlot);
  rig.MoveTo(90, 2 * 64 + 24 + 30);
  rig.TapKey(key::kD);
  EXPECT_EQ(rig.CellAt(2, 6).m_Slot, 14);

  // Outside tab 5 the same keys store nothing.
  rig.seq->m_Tab = 1;
  rig.MoveTo(30, 64 + 24 + 30);
  rig.TapKey(key::kF);
  EXPECT_EQ(rig.seq->m_Bank.m_Patterns[6][6].m_Slot, 0);
}

TEST(Arrangement, LettersWriteTheRowUnderThePointerInEveryTab) {
  EditorRig rig;
  rig.HoverAt(15, 725);  // row 2, column 0
  for (int tab = 1; tab <= 7; ++tab) {
    rig.seq->m_Tab = tab;
    rig.seq->m_Arrangement[2][0] = 24;
    rig.TapKey(key::kZ);
    EXPECT_EQ(rig.seq->m_Arrangement[2][0], 26) << "tab " << tab;
  }
  rig.TapKeys({key::kA, key::kC});
  EXPECT_EQ(rig.seq->m_Arrangement[2][0], 3) << "the last letter wins";

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
  rig.HoverAt(300, 300);
  EXPECT_TRUE(GlyphAt(rig, 1000, 700, 'B', false));
  EXPECT_TRUE(GlyphAt(rig, 10, 720, 'C', false));
}

TEST(SixTracks, ArrangementReachesRowThreeAndEveryTrackHasAMuteButton) {
  EditorRig rig(6);
  rig.MoveTo(15, 735);
  rig.TapKey(key::kZ);
  EXPECT_EQ(rig.seq->m_Arrangement[3][0], 26);
  rig.MoveTo(15, 755);
  rig.TapKey(key::kY);
  EXPECT_EQ(rig.seq->m_Arrangement[5][0], 25);
  rig.ClickAt(410 + 5 * 16 + 8, 676);
  EXPECT_EQ(rig.seq->GetTrack(5).m_Mute, 1);
}

TEST(PositionStrip, ClickSetsThePositionThenHoldsBothButtonsForFortyFrames) {
  EditorRig rig;
  for (const auto& [x, position] : {std::pair{15, 0}, {1005, 99}}) {
    rig.ClickAt(x, 695);
    EXPECT_EQ(rig.seq->m_Position, position);
    rig.RunFrames(40);
  }

  // Held on the strip, the position follows only every 40 frames.
  rig.ClickAt(505, 695);
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

  // A carried sound brought onto the strip is let go there, and the held
  // button reads released for the hold: nothing is written or dragged.
  rig.RunFrames(40);
  rig.PickUp(2);
  ASSERT_EQ(rig.seq->m_PaletteDrag, 8);
  rig.HoverAt(215, 695);
  EXPECT_EQ(rig.seq->m_Position, 20);
  EXPECT_EQ(rig.seq->m_PaletteDrag, -1);
  rig.MoveTo(EditorRig::CellX(3), EditorRig::CellY(0));
  rig.RunFrames(10);
  EXPECT_EQ(rig.seq->m_PaletteDrag, -1);
  EXPECT_EQ(rig.CellAt(0, 3).m_Note, 36) << "no cell is dragged";
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
  for (int frame = 0; frame < 120; ++frame) {
    const uint8_t before = rig.seq->m_SongMode;
    rig.RunFrame();
    flips += rig.seq->m_SongMode != before;
  }
  EXPECT_EQ(flips, 3) << "frames 1, 51 and 101";
  rig.Left(false);
  rig.HoverAt(300, 300);
  EXPECT_TRUE(GlyphAt(rig, 54, 673, '>', true));
}

TEST(SongList, RescansOnEntryStopsAtTheEndsAndLoadsOnlyRealEntries) {
  EditorRig rig;
  rig.display.m_FramesPerSecond = 40;  // arrows repeat every 10 frames
  rig.ClickAt(420, 10);
  ASSERT_EQ(rig.seq->m_Tab, 6);
  rig.TapKey(key::kRight);
  EXPECT_EQ(rig.seq->m_SelectedSong, 0);
  EXPECT_TRUE(TextAt(rig, 524, 8, "none", false));
  EXPECT_TRUE(GlyphAt(rig, 502, 8, '0', false));

  // Songs saved while the list is shown appear only once it is entered again.
  for (const char* name : {"beat", "nonesuch"}) {
    std::strcpy(rig.seq->m_Name, name);
    rig.seq->m_SamplesPerStep = name[0] == 'b' ? 5000 : 7000;
    rig.seq->SaveSong();
  }
  rig.seq->m_SamplesPerStep = 9000;
  rig.ClickAt(420, 10, 5);
  EXPECT_EQ(rig.seq->m_SongCount, 0);
  rig.RunFrames(25);  // the saves' key delay
  rig.TapKey(key::kReturn);
  EXPECT_EQ(rig.seq->m_Tab, 1) << "Return on \"none\" leaves";
  EXPECT_EQ(rig.seq->m_SamplesPerStep, 9000) << "and loads nothing";
  EXPECT_EQ(testing::ReadFile("debug.txt").find("Loading seq"), std::string::npos);

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

  // An entry holding "none" is never loaded, but Return still leaves the list.
  rig.seq->m_SelectedSong = 1 - beat;
  rig.TapKey(key::kReturn);
  EXPECT_EQ(rig.seq->m_Tab, 1);
  EXPECT_EQ(rig.seq->m_SamplesPerStep, 9000);
  rig.ClickAt(420, 10);
  rig.seq->m_SelectedSong = beat;
  rig.RunFrames(12);
  rig.TapKey(key::kReturn);
  EXPECT_EQ(rig.seq->m_SamplesPerStep, 5000);
}

TEST(HelpOverlay, ShownWhileF1IsHeldAndCutAtTheScreenEdge) {
  EditorRig rig;
  rig.MoveTo(100, 300);
  rig.Key(key::kF1, true);
  rig.RunFrame();
  EXPECT_TRUE(TextAt(rig, 500, 420, "Help", true));
  EXPECT_TRUE(TextAt(rig, 500, 520, "User created bitmaps must be 210 by 210 pixels", false));
  EXPECT_TRUE(TextAt(rig, 500 + 60 * 8, 520, "24bit", false)) << "the last glyph ends at 1020";
  for (int y = 520; y < 528; ++y)
    for (int x = 1020; x < 1024; ++x)
      EXPECT_EQ(rig.display.BackBuffer().PixelRgb(x, y), kWhite) << x << "," << y;
  rig.Key(key::kF1, false);
  rig.RunFrame();
  EXPECT_FALSE(TextAt(rig, 500, 420, "Help", true));
}

}  // namespace
}  // namespace tessaloop
