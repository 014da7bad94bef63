#include <gtest/gtest.h>

#include "sound/NoteTable.h"
#include "tests/sound/SoundRig.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

TEST(NoteTable, HoldsSixSignificantFigureFrequencies) {
  const std::pair<int, float> entries[] = {{0, 8.1758f}, {36, 65.4064f}, {57, 220.0f},
                                           {69, 440.0f}, {117, 7040.0f}, {129, 14080.0f}};
  for (auto [note, hertz] : entries)
    EXPECT_FLOAT_EQ(kNoteTable[note], hertz) << "note " << note;
  EXPECT_EQ(NoteFrequency(-1), kNoteTable[0]);
}

TEST(Cell, SetNoteGivesNoteAndWholeHertzWithOctaveTenAtTheTableTop) {
  Cell fresh;
  EXPECT_EQ(fresh.m_Note, 36);
  EXPECT_EQ(fresh.m_Frequency, 65);
  // 7902.13 truncates; octave 10 is reachable with Up but notes 130 and 131 have no entry.
  const int cases[][4] = {{4, 9, 57, 220},
                          {9, 11, 119, 7902},
                          {10, 9, 129, 14080},
                          {10, 10, 130, 14080},
                          {10, 11, 131, 14080}};
  for (const auto& c : cases) {
    Cell cell;
    cell.m_Octave = c[0];
    cell.m_Semitone = c[1];
    cell.SetNote();
    EXPECT_EQ(cell.m_Note, c[2]);
    EXPECT_EQ(cell.m_Frequency, c[3]) << "note " << c[2];
  }
}

class SequencerDefaults : public ::testing::TestWithParam<int> {};

TEST_P(SequencerDefaults, TracksBankArrangementAndEditorStateStartAsDescribed) {
  testing::WorkFolder folder;
  WavetableBank bank;
  const int tracks = GetParam();
  Sequencer seq(testing::RigSetup(bank, tracks));

  ASSERT_EQ(seq.TrackCount(), tracks);
  for (int t = 0; t < kMaxTracks; ++t)
    EXPECT_EQ(seq.m_Tracks[t] != nullptr, t < tracks);
  for (int t = 0; t < tracks; ++t) {
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
      EXPECT_EQ(cell.m_Frequency, 65);
      EXPECT_EQ(cell.m_Pan, 0.5f);
    }
    for (int p = 0; p < kArrangementLength; ++p)
      EXPECT_EQ(seq.m_Arrangement[t][p], 24);
  }
  EXPECT_EQ(seq.GetTrack(tracks - 1).m_Cells[15].m_Y, tracks == 3 ? 152 : 344);

  EXPECT_EQ(seq.m_Clipboard.m_Slot, 0);
  EXPECT_EQ(seq.m_SamplesPerStep, 11005);
  for (int32_t zero :
       {int32_t{seq.m_Position}, int32_t{seq.m_Step}, int32_t{seq.m_SampleCount}, seq.m_SongCount})
    EXPECT_EQ(zero, 0);
  EXPECT_FALSE(seq.m_SongMode);
  EXPECT_EQ(seq.m_Tab, 1);
  for (int drag : {seq.m_TempoDrag, seq.m_PaletteDrag, seq.m_PaletteReplace, seq.m_SelectedStep,
                   seq.m_SelectedTrack})
    EXPECT_EQ(drag, -1);
  EXPECT_STREQ(seq.m_Name, "UntitledSong");
  EXPECT_EQ(seq.m_NameLength, 12);
  EXPECT_FALSE(seq.AudioRunning());
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, SequencerDefaults, ::testing::Values(3, 6));

class PatternCopies : public ::testing::Test {
 protected:
  testing::WorkFolder folder;
  WavetableBank bank;
  Sequencer seq{testing::RigSetup(bank)};
};

TEST_F(PatternCopies, StoreThenLoadCopiesTheSoundButNotThePlace) {
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
    EXPECT_TRUE(b.m_Slot == a.m_Slot && b.m_Attack == a.m_Attack && b.m_Decay == a.m_Decay &&
                b.m_SlideLength == a.m_SlideLength && b.m_Slide == a.m_Slide &&
                b.m_Pan == a.m_Pan && b.m_Octave == a.m_Octave && b.m_Semitone == a.m_Semitone &&
                b.m_Note == a.m_Note && b.m_Frequency == a.m_Frequency)
        << "step " << s << " was not copied whole";
    EXPECT_EQ(b.m_X, s * 64);
    EXPECT_EQ(b.m_Y, 2 * 64 + 24);
  }
}

TEST_F(PatternCopies, UnstoredPatternsAreRestsOutOfBankNumbersAreIgnoredAndTheVoiceCarriesOn) {
  Track& track = seq.GetTrack(1);
  track.m_Cells[0].m_Slot = 7;
  track.StorePattern(seq.m_Bank, 27);
  track.LoadPattern(seq.m_Bank, -1);
  EXPECT_EQ(track.m_Cells[0].m_Slot, 7);
  EXPECT_EQ(track.m_StoredPattern, 24);
  EXPECT_EQ(track.m_LoadedPattern, 24);

  track.m_Cells[3].m_Octave = 7;
  track.m_Cells[3].SetNote();
  track.m_Level = 0.75f;
  track.m_Phase = 123.0f;
  track.m_Stage = kStageAttack;
  track.LoadPattern(seq.m_Bank, 17);
  for (const Cell& cell : track.m_Cells) {
    EXPECT_LE(cell.m_Slot, kRestSlot);
    EXPECT_EQ(cell.m_Frequency, 65);
  }
  EXPECT_EQ(track.m_Level, 0.75f);
  EXPECT_EQ(track.m_Phase, 123.0f);
  EXPECT_EQ(track.m_Stage, kStageAttack);
}

}  // namespace
}  // namespace tessaloop
