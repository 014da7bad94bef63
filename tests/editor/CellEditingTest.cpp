// Cells edited through whole editor frames: palette drops and painting, drags
// on a cell, the hover search and the keys of the current cell.

#include <gtest/gtest.h>

#include "input/KeyCodes.h"
#include "tests/editor/EditorRig.h"

namespace tessaloop {
namespace {

using testing::EditorRig;
using testing::GlyphAt;
using testing::PictureAt;

TEST(PaletteDrop, ReleaseOverACellWritesTheCarriedSound) {
  EditorRig rig;
  // Press on palette square 3 and carry it to track 1, step 4.
  rig.MoveTo(EditorRig::PaletteX(3), EditorRig::kPaletteCentreY);
  rig.RunFrame();
  rig.Left(true);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_PaletteDrag, 9);
  rig.MoveTo(EditorRig::CellX(4), EditorRig::CellY(1));
  rig.RunFrame();
  EXPECT_EQ(rig.CellAt(1, 4).m_Slot, kRestSlot) << "nothing is written while the button is held";
  EXPECT_TRUE(PictureAt(rig, EditorRig::CellX(4) - 32, EditorRig::CellY(1) - 32, 9, false))
      << "the carried picture follows the pointer";

  rig.Left(false);
  rig.RunFrame();
  EXPECT_EQ(rig.CellAt(1, 4).m_Slot, 9);
  EXPECT_EQ(rig.seq->m_PaletteDrag, -1);
  for (int t = 0; t < 3; ++t)
    for (int s = 0; s < 16; ++s)
      if (t != 1 || s != 4) {
        EXPECT_EQ(rig.CellAt(t, s).m_Slot, kRestSlot) << t << "," << s;
      }
}

TEST(PaletteDrop, CarriedPictureStaysWholeOnScreen) {
  EditorRig rig;
  rig.MoveTo(EditorRig::PaletteX(15), EditorRig::kPaletteCentreY);
  rig.RunFrame();
  rig.Left(true);
  rig.RunFrame();
  rig.Move(500, 500);  // to the bottom-right corner
  rig.RunFrame();
  EXPECT_TRUE(PictureAt(rig, 960, 704, 21, false));
  // Released below the rows: nothing is written and the carry ends.
  rig.Left(false);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_PaletteDrag, -1);
  for (int s = 0; s < 16; ++s)
    EXPECT_EQ(rig.CellAt(2, s).m_Slot, kRestSlot);
}

TEST(PaletteDrop, CtrlKeepsPaintingUntilItIsReleased) {
  EditorRig rig;
  rig.MoveTo(EditorRig::PaletteX(3), EditorRig::kPaletteCentreY);
  rig.RunFrame();
  rig.Left(true);
  rig.RunFrame();
  rig.Key(key::kLeftControl, true);
  rig.MoveTo(EditorRig::CellX(0), EditorRig::CellY(0));
  rig.RunFrame();
  rig.Left(false);
  for (int s = 0; s < 4; ++s) {
    rig.MoveTo(EditorRig::CellX(s), EditorRig::CellY(0));
    rig.RunFrame();
    EXPECT_EQ(rig.CellAt(0, s).m_Slot, 9) << "painted step " << s;
  }
  EXPECT_EQ(rig.seq->m_PaletteDrag, 9) << "the sound stays on the pointer";

  // The frame in which Ctrl is let go still paints once, then the carry ends.
  rig.Key(key::kLeftControl, false);
  rig.MoveTo(EditorRig::CellX(4), EditorRig::CellY(0));
  rig.RunFrame();
  EXPECT_EQ(rig.CellAt(0, 4).m_Slot, 9);
  EXPECT_EQ(rig.seq->m_PaletteDrag, -1);
  rig.MoveTo(EditorRig::CellX(5), EditorRig::CellY(0));
  rig.RunFrame();
  EXPECT_EQ(rig.CellAt(0, 5).m_Slot, kRestSlot);
}

// Hovers a cell just inside its top-left corner (edges belong to no cell),
// then presses the left button there.
void PressOnCell(EditorRig& rig, int track, int step) {
  rig.MoveTo(step * 64 + 1, track * 64 + 25);
  rig.RunFrame();
  rig.Left(true);
  rig.RunFrame();
}

TEST(CellDrag, NoteTabGoesFromCOfOctave0ToBOfOctave9WithThePointerConfined) {
  EditorRig rig;
  const int x0 = 2 * 64, y0 = 1 * 64 + 24;
  PressOnCell(rig, 1, 2);
  EXPECT_EQ(rig.seq->m_SelectedStep, 2);
  EXPECT_EQ(rig.seq->m_SelectedTrack, 1);

  rig.Move(-300, 300);  // far beyond the bottom-left corner
  rig.RunFrame();
  EXPECT_EQ(rig.input.m_MouseX, x0);
  EXPECT_EQ(rig.input.m_MouseY, y0 + 64);
  const Cell& cell = rig.CellAt(1, 2);
  EXPECT_EQ(cell.m_Semitone, 0);
  EXPECT_EQ(cell.m_Octave, 0);
  EXPECT_EQ(cell.m_Note, 0);
  EXPECT_EQ(cell.m_Frequency, 8);

  rig.Move(300, -300);  // far beyond the top-right corner
  rig.RunFrame();
  EXPECT_EQ(rig.input.m_MouseX, x0 + 64);
  EXPECT_EQ(rig.input.m_MouseY, y0);
  EXPECT_EQ(cell.m_Semitone, 11);
  EXPECT_EQ(cell.m_Octave, 9);
  EXPECT_EQ(cell.m_Note, 119);
  EXPECT_EQ(cell.m_Frequency, 7902);

  // Released, the pointer is free again and the cell keeps its note.
  rig.Left(false);
  rig.Move(300, 0);
  rig.RunFrame();
  EXPECT_EQ(rig.input.m_MouseX, x0 + 64 + 300);
  EXPECT_EQ(cell.m_Note, 119);
}

TEST(CellDrag, EnvelopeTabSpansTheParameterRangeAndTheHandleKeepsOffTheEdges) {
  EditorRig rig;
  rig.seq->m_Tab = 2;
  Cell& cell = rig.CellAt(0, 5);
  cell.m_Slot = 7;
  const int x0 = 5 * 64, y0 = 24;
  PressOnCell(rig, 0, 5);

  rig.Move(100, 100);  // bottom-right corner
  rig.RunFrame();
  EXPECT_EQ(cell.m_Attack, 0.99f);
  EXPECT_EQ(cell.m_Decay, 0.99f);
  rig.RunFrame();
  EXPECT_TRUE(GlyphAt(rig, x0 + 54, y0 + 54, '8', true));

  rig.Move(-32, 0);  // middle of the bottom edge
  rig.RunFrame();
  EXPECT_EQ(cell.m_Attack, 0.5f);
  EXPECT_EQ(cell.m_Decay, 0.99f);

  rig.Move(-100, -100);  // top-left corner
  rig.RunFrame();
  EXPECT_EQ(cell.m_Attack, 0.01f);
  EXPECT_EQ(cell.m_Decay, 0.01f);
  EXPECT_EQ(cell.m_Octave, 3) << "the envelope tab leaves the note alone";
  rig.Left(false);
  rig.Move(200, 200);
  rig.RunFrame();
  EXPECT_TRUE(GlyphAt(rig, x0 + 2, y0 + 2, '8', true));
}

TEST(CellDrag, HeldUpMovesTheOctaveTwiceInADragFrameAndOnceWhenHovering) {
  EditorRig rig;
  Cell& cell = rig.CellAt(0, 0);
  // Hovering: one step a frame, up to octave 10, whose top notes stay in the
  // note table.
  rig.MoveTo(EditorRig::CellX(0), EditorRig::CellY(0));
  rig.RunFrame();
  rig.Key(key::kM, true);
  rig.Key(key::kUp, true);
  rig.RunFrame();
  EXPECT_EQ(cell.m_Octave, 4);
  rig.RunFrames(10);
  EXPECT_EQ(cell.m_Octave, 10);
  EXPECT_EQ(cell.m_Note, 131);
  EXPECT_EQ(cell.m_Frequency, 14080);
  rig.Key(key::kM, false);

  // Dragging: the pointer sets the octave, then the keys apply twice.
  rig.Left(true);
  rig.MoveTo(32, 24 + 64 - 21);  // (64 - 43) / 7 = octave 3
  rig.RunFrame();
  EXPECT_EQ(cell.m_Octave, 5);
  rig.RunFrame();
  EXPECT_EQ(cell.m_Octave, 5) << "the drag sets the octave anew each frame";
  rig.Key(key::kUp, false);
  rig.Key(key::kDown, true);
  rig.RunFrame();
  EXPECT_EQ(cell.m_Octave, 1);
  rig.Move(0, 64);
  rig.RunFrame();
  EXPECT_EQ(cell.m_Octave, 0) << "Down stops at octave 0";
}

TEST(CurrentCell, SelectionFrameMarksThePreviousFramesCell) {
  EditorRig rig;
  rig.MoveTo(EditorRig::CellX(3), EditorRig::CellY(0));
  rig.RunFrames(2);
  EXPECT_TRUE(PictureAt(rig, 3 * 64, 24, kSlotSelected, true));

  rig.MoveTo(EditorRig::CellX(7), EditorRig::CellY(2));
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_SelectedStep, 7);
  EXPECT_TRUE(PictureAt(rig, 3 * 64, 24, kSlotSelected, true)) << "one frame late";
  EXPECT_FALSE(PictureAt(rig, 7 * 64, 2 * 64 + 24, kSlotSelected, true));
  rig.RunFrame();
  EXPECT_FALSE(PictureAt(rig, 3 * 64, 24, kSlotSelected, true));
  EXPECT_TRUE(PictureAt(rig, 7 * 64, 2 * 64 + 24, kSlotSelected, true));
}

TEST(CurrentCell, EdgePixelsBelongToNoCell) {
  EditorRig rig;
  for (const auto& [x, y] : {std::pair{64, 50}, std::pair{100, 88}, std::pair{0, 50}}) {
    rig.MoveTo(x, y);
    rig.RunFrame();
    EXPECT_EQ(rig.seq->m_SelectedStep, -1) << x << "," << y;
  }
  rig.MoveTo(65, 89);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_SelectedStep, 1);
  EXPECT_EQ(rig.seq->m_SelectedTrack, 1);
}

TEST(CellKeys, CopyPasteNotesOctavesPanAndDelete) {
  EditorRig rig;
  Cell& source = rig.CellAt(0, 2);
  source.m_Slot = 12;
  source.m_Attack = 0.25f;
  source.m_Slide = 0.75f;
  source.m_Pan = 0.125f;
  source.m_Octave = 5;
  source.m_Semitone = 9;
  source.SetNote();

  rig.MoveTo(EditorRig::CellX(2), EditorRig::CellY(0));
  rig.RunFrame();
  rig.TapKey(key::kF5);
  rig.MoveTo(EditorRig::CellX(9), EditorRig::CellY(2));
  rig.RunFrame();
  rig.TapKey(key::kF6);
  const Cell& pasted = rig.CellAt(2, 9);
  EXPECT_EQ(pasted.m_Slot, 12);
  EXPECT_EQ(pasted.m_Attack, 0.25f);
  EXPECT_EQ(pasted.m_Slide, 0.75f);
  EXPECT_EQ(pasted.m_Pan, 0.125f);
  EXPECT_EQ(pasted.m_Note, 69);
  EXPECT_EQ(pasted.m_Frequency, 440);
  EXPECT_EQ(pasted.m_X, 9 * 64) << "the screen place is the cell's own";
  EXPECT_EQ(pasted.m_Y, 2 * 64 + 24);

  // Note keys: the last held in Z S X D C V G B H N J M order wins.
  rig.Key(key::kZ, true);
  rig.Key(key::kN, true);
  rig.RunFrame();
  EXPECT_EQ(pasted.m_Semitone, 9);
  rig.Key(key::kZ, false);
  rig.Key(key::kN, false);
  rig.TapKey(key::kD);
  EXPECT_EQ(pasted.m_Semitone, 3);
  rig.TapKey(0x08);  // digit 7
  EXPECT_EQ(pasted.m_Octave, 7);
  EXPECT_EQ(pasted.m_Note, 87);
  rig.TapKey(key::k0);
  EXPECT_EQ(pasted.m_Octave, 0);

  // In the pan tab the digits set the pan in tenths and leave the octave.
  rig.seq->m_Tab = 4;
  rig.TapKey(0x04);  // digit 3
  EXPECT_EQ(pasted.m_Pan, 0.3f);
  EXPECT_EQ(pasted.m_Octave, 0);

  rig.TapKey(key::kDelete);
  EXPECT_EQ(pasted.m_Slot, kRestSlot);
  EXPECT_EQ(source.m_Slot, 12);
}

}  // namespace
}  // namespace tessaloop
