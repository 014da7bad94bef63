// Cells edited through whole editor frames: palette drops and painting, drags
// on a cell, the current cell and its keys.

#include <gtest/gtest.h>

#include "input/KeyCodes.h"
#include "tests/editor/EditorRig.h"

namespace tessaloop {
namespace {

using testing::EditorRig;
using testing::GlyphAt;
using testing::PictureAt;

TEST(PaletteDrop, ReleaseOverACellWritesTheSoundAndCtrlKeepsPainting) {
  EditorRig rig;
  rig.PickUp(3);
  EXPECT_EQ(rig.seq->m_PaletteDrag, 9);
  rig.HoverAt(EditorRig::CellX(4), EditorRig::CellY(1));
  EXPECT_EQ(rig.CellAt(1, 4).m_Slot, kRestSlot) << "nothing is written while the button is held";
  EXPECT_TRUE(PictureAt(rig, EditorRig::CellX(4) - 32, EditorRig::CellY(1) - 32, 9, false))
      << "the carried picture follows the pointer";
  rig.Left(false);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_PaletteDrag, -1);
  for (int t = 0; t < 3; ++t)
    for (int s = 0; s < 16; ++s)
      EXPECT_EQ(rig.CellAt(t, s).m_Slot, t == 1 && s == 4 ? 9 : kRestSlot) << t << "," << s;

  // With Ctrl held the sound stays on the pointer and paints every cell passed.
  rig.PickUp(3);
  rig.Key(key::kLeftControl, true);
  rig.HoverAt(EditorRig::CellX(0), EditorRig::CellY(0));
  rig.Left(false);
  for (int s = 0; s < 4; ++s) {
    rig.HoverAt(EditorRig::CellX(s), EditorRig::CellY(0));
    EXPECT_EQ(rig.CellAt(0, s).m_Slot, 9) << "painted step " << s;
  }
  EXPECT_EQ(rig.seq->m_PaletteDrag, 9);
  // The frame in which Ctrl is let go still paints once, then the carry ends.
  rig.Key(key::kLeftControl, false);
  rig.HoverAt(EditorRig::CellX(4), EditorRig::CellY(0));
  EXPECT_EQ(rig.CellAt(0, 4).m_Slot, 9);
  EXPECT_EQ(rig.seq->m_PaletteDrag, -1);
  rig.HoverAt(EditorRig::CellX(5), EditorRig::CellY(0));
  EXPECT_EQ(rig.CellAt(0, 5).m_Slot, kRestSlot);
}

TEST(PaletteDrop, PointerAndCarriedPictureStayWholeOnScreen) {
  EditorRig rig;
  rig.PickUp(15);
  rig.Move(3000, 3000);
  rig.RunFrame();
  EXPECT_EQ(rig.input.m_MouseX, 1012);
  EXPECT_EQ(rig.input.m_MouseY, 756);
  EXPECT_TRUE(PictureAt(rig, 960, 704, 21, false));
  EXPECT_TRUE(testing::PointerDrawn(rig)) << "drawn over the carried picture";
  // Released below the rows: nothing is written and the carry ends.
  rig.Left(false);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_PaletteDrag, -1);
  for (int s = 0; s < 16; ++s)
    EXPECT_EQ(rig.CellAt(2, s).m_Slot, kRestSlot);
  rig.HoverAt(270, 675);
  EXPECT_TRUE(testing::PointerDrawn(rig)) << "drawn over the tempo display";
}

// Pressed just inside the top-left corner (edges belong to no cell), then
// pushed far past the bottom-left and the top-right corners: tab 1 spans C0
// to B9, tab 2 the envelope from 0.01 to 0.99, and the pointer stays in the cell.
TEST(CellDrag, CornersReachTheEndsOfTheRangeWithThePointerConfined) {
  for (int tab : {1, 2}) {
    SCOPED_TRACE(tab);
    EditorRig rig;
    rig.seq->m_Tab = tab;
    Cell& cell = rig.CellAt(1, 2);
    cell.m_Slot = tab == 2 ? 7 : kRestSlot;
    const auto values = [&] {
      return tab == 1 ? std::pair<float, float>(cell.m_Note, cell.m_Frequency)
                      : std::pair<float, float>(cell.m_Attack, cell.m_Decay);
    };
    const int x0 = 2 * 64, y0 = 64 + 24;
    rig.PressAt(x0 + 1, y0 + 1);
    EXPECT_EQ(rig.seq->m_SelectedStep, 2);
    EXPECT_EQ(rig.seq->m_SelectedTrack, 1);
    struct Corner {
      int dx, dy, x, y;
      std::pair<float, float> note, envelope;
    };
    for (const Corner& c : {Corner{-300, 300, x0, y0 + 64, {0, 8}, {0.01f, 0.99f}},
                            Corner{300, -300, x0 + 64, y0, {119, 7902}, {0.99f, 0.01f}}}) {
      rig.Move(c.dx, c.dy);
      rig.RunFrame();
      EXPECT_EQ(rig.input.m_MouseX, c.x);
      EXPECT_EQ(rig.input.m_MouseY, c.y);
      EXPECT_EQ(values(), tab == 1 ? c.note : c.envelope);
    }
    EXPECT_EQ(cell.m_Octave, tab == 1 ? 9 : 3) << "the envelope tab leaves the note alone";
    rig.RunFrame();
    EXPECT_EQ(GlyphAt(rig, x0 + 54, y0 + 2, '8', true), tab == 2)
        << "the handle keeps off the edges";

    // Released, the pointer is free again and the cell keeps its values.
    rig.Left(false);
    rig.Move(300, 0);
    rig.RunFrame();
    EXPECT_EQ(rig.input.m_MouseX, x0 + 64 + 300);
    EXPECT_EQ(values(), tab == 1 ? std::pair(119.0f, 7902.0f) : std::pair(0.99f, 0.01f));
  }
}

TEST(CellDrag, HeldUpMovesTheOctaveTwiceInADragFrameAndOnceWhenHovering) {
  EditorRig rig;
  Cell& cell = rig.CellAt(0, 0);
  // Hovering: one step a frame, up to octave 10, whose top notes still exist.
  rig.HoverAt(EditorRig::CellX(0), EditorRig::CellY(0));
  rig.Key(key::kM, true);
  rig.Key(key::kUp, true);
  rig.RunFrame();
  EXPECT_EQ(cell.m_Octave, 4);
  rig.RunFrames(10);
  EXPECT_EQ(cell.m_Octave, 10);
  EXPECT_EQ(cell.m_Note, 131);
  EXPECT_EQ(cell.m_Frequency, 14080);
  rig.Key(key::kM, false);

  // Dragging: the pointer sets the octave each frame, then the keys apply twice.
  rig.Left(true);
  rig.MoveTo(32, 24 + 64 - 21);  // (64 - 43) / 7 = octave 3
  rig.RunFrames(2);
  EXPECT_EQ(cell.m_Octave, 5);
  rig.Key(key::kUp, false);
  rig.Key(key::kDown, true);
  rig.RunFrame();
  EXPECT_EQ(cell.m_Octave, 1);
  rig.Move(0, 64);
  rig.RunFrame();
  EXPECT_EQ(cell.m_Octave, 0) << "Down stops at octave 0";
}

TEST(CurrentCell, SelectionFrameMarksThePreviousFramesCellAndEdgesBelongToNone) {
  EditorRig rig;
  const auto framed = [&](int track, int step) {
    return PictureAt(rig, step * 64, track * 64 + 24, kSlotSelected, true);
  };
  rig.MoveTo(EditorRig::CellX(3), EditorRig::CellY(0));
  rig.RunFrames(2);
  EXPECT_TRUE(framed(0, 3));
  rig.HoverAt(EditorRig::CellX(7), EditorRig::CellY(2));
  EXPECT_EQ(rig.seq->m_SelectedStep, 7);
  EXPECT_TRUE(framed(0, 3) && !framed(2, 7)) << "one frame late";
  rig.RunFrame();
  EXPECT_TRUE(!framed(0, 3) && framed(2, 7));

  for (const auto& [x, y, step] :
       {std::tuple{64, 50, -1}, {100, 88, -1}, {0, 50, -1}, {65, 89, 1}}) {
    rig.HoverAt(x, y);
    EXPECT_EQ(rig.seq->m_SelectedStep, step) << x << "," << y;
  }
}

TEST(CellKeys, CopyPasteNotesOctavesPanAndDelete) {
  EditorRig rig;
  Cell& source = rig.CellAt(0, 2);
  source.m_Slot = 12;
  source.m_Slide = 0.75f;
  source.m_Pan = 0.125f;
  source.m_Octave = 5;
  source.m_Semitone = 9;
  source.SetNote();

  rig.HoverAt(EditorRig::CellX(2), EditorRig::CellY(0));
  rig.TapKey(key::kF5);
  rig.HoverAt(EditorRig::CellX(9), EditorRig::CellY(2));
  rig.TapKey(key::kF6);
  const Cell& pasted = rig.CellAt(2, 9);
  EXPECT_EQ(pasted.m_Slot, 12);
  EXPECT_EQ(pasted.m_Slide, 0.75f);
  EXPECT_EQ(pasted.m_Frequency, 440);
  EXPECT_EQ(pasted.m_X, 9 * 64) << "the screen place is the cell's own";
  EXPECT_EQ(pasted.m_Y, 2 * 64 + 24);

  // Note keys: the last held in Z S X D C V G B H N J M order wins.
  rig.TapKeys({key::kZ, key::kN});
  EXPECT_EQ(pasted.m_Semitone, 9);
  rig.TapKey(key::kD);
  EXPECT_EQ(pasted.m_Semitone, 3);
  rig.TapKey(0x08);  // digit 7
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
