#include <gtest/gtest.h>

#include "display/WavetableBank.h"
#include "sound/NoteTable.h"
#include "sound/Sequencer.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

TEST(NoteTable, HoldsSixSignificantFigureFrequencies) {
  EXPECT_FLOAT_EQ(kNoteTable[0], 8.1758f);
  EXPECT_FLOAT_EQ(kNoteTable[36], 65.4064f);
  EXPECT_FLOAT_EQ(kNoteTable[57], 220.0f);
  EXPECT_FLOAT_EQ(kNoteTable[69], 440.0f);
  EXPECT_FLOAT_EQ(kNoteTable[117], 7040.0f);
  EXPECT_FLOAT_EQ(kNoteTable[129], 14080.0f);
}

TEST(Cell, SetNoteDerivesNoteAndWholeHertz) {
  Cell cell;
  EXPECT_EQ(cell.m_Note, 36);
  EXPECT_EQ(cell.m_Frequency, 65);

  cell.m_Octave = 4;
  cell.m_Semitone = 9;
  cell.SetNote();
  EXPECT_EQ(cell.m_Note, 57);
  EXPECT_EQ(cell.m_Frequency, 220);

  cell.m_Octave = 9;
  cell.m_Semitone = 11;
  cell.SetNote();
  EXPECT_EQ(cell.m_Note, 119);
  EXPECT_EQ(cell.m_Frequency, 7902);  // the integer part of 7902.13
}

TEST(Cell, NotesAboveTheTableTakeItsTopEntry) {
  // Octave 10 is reachable with the Up key; notes 130 and 131 have no entry.
  Cell cell;
  cell.m_Octave = 10;
  for (int semitone : {9, 10, 11}) {
    cell.m_Semitone = semitone;
    cell.SetNote();
    EXPECT_EQ(cell.m_Note, 120 + semitone);
    EXPECT_EQ(cell.m_Frequency, 14080);
  }
  EXPECT_EQ(NoteFrequency(-1), kNoteTable[0]);
}

class SequencerDefaults : public ::testing::TestWithParam<int> {};

TEST_P(SequencerDefaults, TracksBankArrangementAndEditorStateStartAsDescribed) {
  testing::WorkFolder folder;
  WavetableBank bank;
  SequencerSetup setup;
  setup.trackCount = GetParam();
  setup.wavetables = &bank;
  setup.startAudio = false;
  Sequencer seq(setup);

  ASSERT_EQ(seq.TrackCount(), GetParam());
  for (int t = 0; t < kMaxTracks; ++t)
    EXPECT_EQ(seq.m_Tracks[t] != nullptr, t < GetParam());
  for (int t = 0; t < GetParam(); ++t) {
    const Track& track = seq.GetTrack(t);
    EXPECT_EQ(track.m_Frequency, 440.0f);
    EXPECT_EQ(track.m_Level, 0.0f);
    EXPECT_EQ(track.m_Stage, kStageDecay);
    EXPECT_EQ(track.m_StoredPattern, 24);
    EXPECT_EQ(track.m_LoadedPattern, 24);
    EXPECT_FALSE(track.m_Mute);
    for (int s = 0; s < kStepsPerPattern; ++s) {
      const Cell& cell = track.m_Cells[s];
      EXPECT_EQ(cell.m_X, s * 64);
      EXPECT_EQ(cell.m_Y, t * 64 + 24);
      EXPECT_EQ(cell.m_Slot, kRestSlot);
      EXPECT_EQ(cell.m_Note, 36);
      EXPECT_EQ(cell.m_Frequency, 65);
      EXPECT_EQ(cell.m_Pan, 0.5f);
    }
    for (int p = 0; p < kArrangementLength; ++p)
      EXPECT_EQ(seq.m_Arrangement[t][p], 24);
  }
  EXPECT_EQ(seq.GetTrack(GetParam() - 1).m_Cells[15].m_Y, GetParam() == 3 ? 152 : 344);

  for (const auto& pattern : seq.m_Bank.m_Patterns)
    for (const Cell& cell : pattern) {
      EXPECT_EQ(cell.m_Slot, 0);
      EXPECT_EQ(cell.m_Attack, 0.5f);
      EXPECT_EQ(cell.m_Octave, 3);
    }
  EXPECT_EQ(seq.m_Clipboard.m_Slot, 0);

  EXPECT_EQ(seq.m_SamplesPerStep, 11005);
  EXPECT_EQ(seq.m_Position, 0);
  EXPECT_EQ(seq.m_Step, 0);
  EXPECT_EQ(seq.m_SampleCount, 0);
  EXPECT_FALSE(seq.m_SongMode);
  EXPECT_EQ(seq.m_Tab, 1);
  EXPECT_EQ(seq.m_TempoDrag, -1);
  EXPECT_EQ(seq.m_PaletteDrag, -1);
  EXPECT_EQ(seq.m_PaletteReplace, -1);
  EXPECT_EQ(seq.m_SelectedStep, -1);
  EXPECT_EQ(seq.m_SelectedTrack, -1);
  EXPECT_STREQ(seq.m_Name, "UntitledSong");
  EXPECT_EQ(seq.m_NameLength, 12);
  EXPECT_EQ(seq.m_SongCount, 0);
  EXPECT_FALSE(seq.AudioRunning());
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, SequencerDefaults, ::testing::Values(3, 6));

class PatternCopies : public ::testing::Test {
 protected:
  PatternCopies() {
    setup.trackCount = 3;
    setup.wavetables = &bank;
    setup.startAudio = false;
  }
  testing::WorkFolder folder;
  WavetableBank bank;
  SequencerSetup setup;
};

TEST_F(PatternCopies, StoreThenLoadCopiesTheSoundButNotThePlace) {
  Sequencer seq(setup);
  Track& from = seq.GetTrack(0);
  Track& to = seq.GetTrack(2);
  for (int s = 0; s < kStepsPerPattern; ++s) {
    Cell& cell = from.m_Cells[s];
    cell.m_Slot = 6 + s;
    cell.m_Attack = 0.01f * (s + 1);
    cell.m_Decay = 0.99f - 0.01f * s;
    cell.m_SlideLength = 0.25f;
    cell.m_Slide = 0.75f;
    cell.m_Pan = 0.1f;
    cell.m_Octave = s % 10;
    cell.m_Semitone = s % 12;
    cell.SetNote();
  }
  from.StorePattern(seq.m_Bank, 5);
  to.LoadPattern(seq.m_Bank, 5);

  EXPECT_EQ(from.m_StoredPattern, 5);
  EXPECT_EQ(from.m_LoadedPattern, 24);
  EXPECT_EQ(to.m_LoadedPattern, 5);
  EXPECT_EQ(to.m_StoredPattern, 24);
  for (int s = 0; s < kStepsPerPattern; ++s) {
    const Cell& a = from.m_Cells[s];
    const Cell& b = to.m_Cells[s];
    EXPECT_EQ(b.m_Slot, a.m_Slot);
    EXPECT_EQ(b.m_Attack, a.m_Attack);
    EXPECT_EQ(b.m_Decay, a.m_Decay);
    EXPECT_EQ(b.m_SlideLength, a.m_SlideLength);
    EXPECT_EQ(b.m_Slide, a.m_Slide);
    EXPECT_EQ(b.m_Pan, a.m_Pan);
    EXPECT_EQ(b.m_Octave, a.m_Octave);
    EXPECT_EQ(b.m_Semitone, a.m_Semitone);
    EXPECT_EQ(b.m_Note, a.m_Note);
    EXPECT_EQ(b.m_Frequency, a.m_Frequency);
    EXPECT_EQ(b.m_X, s * 64);
    EXPECT_EQ(b.m_Y, 2 * 64 + 24);
  }
}

TEST_F(PatternCopies, UnstoredPatternsAreRestsAndTheVoiceCarriesOn) {
  Sequencer seq(setup);
  Track& track = seq.GetTrack(1);
  track.m_Cells[3].m_Slot = 9;
  track.m_Cells[3].m_Octave = 7;
  track.m_Cells[3].SetNote();
  track.m_Level = 0.75f;
  track.m_Phase = 123.0f;
  track.m_Stage = kStageAttack;

  track.LoadPattern(seq.m_Bank, 17);

  for (const Cell& cell : track.m_Cells) {
    EXPECT_LE(cell.m_Slot, kRestSlot);
    EXPECT_EQ(cell.m_Octave, 3);
    EXPECT_EQ(cell.m_Frequency, 65);
  }
  EXPECT_EQ(track.m_Level, 0.75f);
  EXPECT_EQ(track.m_Phase, 123.0f);
  EXPECT_EQ(track.m_Stage, kStageAttack);
}

TEST_F(PatternCopies, PatternNumbersOutsideTheBankAreIgnored) {
  Sequencer seq(setup);
  Track& track = seq.GetTrack(0);
  track.m_Cells[0].m_Slot = 7;
  track.StorePattern(seq.m_Bank, 27);
  track.LoadPattern(seq.m_Bank, -1);
  EXPECT_EQ(track.m_Cells[0].m_Slot, 7);
  EXPECT_EQ(track.m_StoredPattern, 24);
  EXPECT_EQ(track.m_LoadedPattern, 24);
}

}  // namespace
}  // namespace tessaloop
