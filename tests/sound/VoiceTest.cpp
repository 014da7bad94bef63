// The voice of one track, driven sample by sample as the step clock drives it,
// and the pitches its notes are given.

#include <gtest/gtest.h>

#include <cmath>

#include "sound/NoteTable.h"
#include "sound/Voice.h"
#include "tests/sound/SoundRig.h"

namespace tessaloop {
namespace {

TEST(NoteTable, EveryEntryIsEqualTemperamentToSixFiguresAndHigherNotesTakeTheTopOne) {
  for (int n = 0; n < kNoteCount; ++n) {
    const double hertz = 440.0 * std::pow(2.0, (n - 69) / 12.0);
    EXPECT_NEAR(kNoteTable[n], hertz, hertz * 5.1e-6) << "note " << n;
  }
  EXPECT_EQ(NoteFrequency(-1), kNoteTable[0]);
  // Octave 10 (reachable with Up) has notes 130 and 131, above the table.
  EXPECT_EQ(NoteFrequency(131), kNoteTable[129]);
  EXPECT_TRUE(Cell().m_Note == 36 && Cell().m_Frequency == 65) << "a fresh cell is C3, 65 Hz";
}

// One track's voice with its own clock; the tables are the tests' own.
struct VoiceRig {
  VoiceRig() { track.Init(0); }
  StereoSample Render(int step, int count, bool trigger, int samplesPerStep = 11005) {
    return track.RenderSample(SampleClock{step, trigger, samplesPerStep, count}, palette.Tables());
  }
  void RenderStep(int step) {
    for (int count = 1; count <= 11005; ++count)
      Render(step, count, count == 1);
  }
  Cell& Note(int step, int slot = 6) {
    track.m_Cells[step].m_Slot = slot;
    return track.m_Cells[step];
  }
  testing::FilledPalette palette;
  Track track;
};

// Attack rises by (1 - attack) / d a sample until it passes 1, decay falls by
// (1 - decay) / d until it passes 0, with d a fifth of the step; below five
// samples a step d is 0 and each stage takes one sample.
TEST(Voice, EnvelopeRisesToOneFallsToZeroAndStaysThereThroughRests) {
  struct Case {
    float attack, decay;
    int samplesPerStep, turnsAt, endsAt;
  };
  for (const Case& c : {Case{0.5f, 0.5f, 11005, 4403, 8806}, Case{0.5f, 0.75f, 1280, 513, 1538},
                        Case{0.5f, 0.5f, 4, 1, 2}}) {
    SCOPED_TRACE(c.samplesPerStep);
    VoiceRig v;
    Cell& cell = v.Note(0);
    cell.m_Attack = c.attack;
    cell.m_Decay = c.decay;
    int turnsAt = 0, endsAt = 0;
    for (int count = 1; endsAt == 0 && count <= 20000; ++count) {
      v.Render(0, count, count == 1, c.samplesPerStep);
      ASSERT_TRUE(v.track.m_Voice.m_Level >= 0.0f && v.track.m_Voice.m_Level <= 1.0f) << count;
      if (turnsAt == 0 && v.track.m_Voice.m_Stage == kStageDecay) turnsAt = count;
      if (v.track.m_Voice.m_Stage == kStageFinished) endsAt = count;
    }
    EXPECT_EQ(turnsAt, c.turnsAt);
    EXPECT_NEAR(endsAt, c.endsAt, 2);
    v.Render(1, 1, true, c.samplesPerStep);  // a rest starts no note
    EXPECT_EQ(v.track.m_Voice.m_Level, 0.0f);
    EXPECT_EQ(v.track.m_Voice.m_Stage, kStageFinished);
  }
}

TEST(Voice, ANoteStartKeepsTheLevelSoASlowAttackClimbsAcrossNotes) {
  VoiceRig v;
  for (int step = 0; step < 2; ++step)
    v.Note(step).m_Attack = 0.99f;
  v.RenderStep(0);
  const float afterOne = v.track.m_Voice.m_Level;
  EXPECT_NEAR(afterOne, 11005 * (1.0 - 0.99f) / 2201, 1e-3);
  v.RenderStep(1);
  EXPECT_NEAR(v.track.m_Voice.m_Level, 2 * afterOne, 1e-3);
  EXPECT_EQ(v.track.m_Voice.m_Stage, kStageAttack);
}

// The pitch moves by 0.5 - slide Hz a sample while the step's count is below
// slide length x samples per step, again in the rest steps after the note, and
// stays within 1-7040 Hz with the read position inside the table.
TEST(Voice, SlideRunsForTheSlideLengthInEveryStepOfTheNoteWithinOneTo7040Hertz) {
  struct Case {
    float slide, length;
    int octave, semitone;
    float afterNote, afterRest;
  };
  // The sums of quarter hertz are exact in single precision.
  for (const Case& c : {Case{0.25f, 0.99f, 3, 0, 65 + 10894 * 0.25f, 65 + 2 * 10894 * 0.25f},
                        Case{0.01f, 0.99f, 8, 0, 7040, 7040}, Case{0.99f, 0.5f, 3, 0, 1, 1},
                        Case{0.5f, 0.5f, 9, 11, 7040, 7040}}) {
    SCOPED_TRACE(c.slide);
    VoiceRig v;
    Cell& cell = v.Note(0);
    cell.m_Slide = c.slide;
    cell.m_SlideLength = c.length;
    cell.m_Octave = c.octave;
    cell.m_Semitone = c.semitone;
    cell.SetNote();
    v.RenderStep(0);
    EXPECT_EQ(v.track.m_Voice.m_Frequency, c.afterNote);
    v.RenderStep(1);
    EXPECT_EQ(v.track.m_Voice.m_Frequency, c.afterRest);
    EXPECT_TRUE(v.track.m_Voice.m_Phase >= 0.0f && v.track.m_Voice.m_Phase <= 44100.0f)
        << v.track.m_Voice.m_Phase;
  }
}

// Left gets (1 - pan) and right pan of the table sample times the level, with
// the pan of the step playing now, even a rest; the sounding table follows the
// step's picture at once; a muted voice is silent but runs on.
TEST(Voice, OutputIsTheTableTimesTheLevelPannedByTheCurrentStep) {
  VoiceRig v;
  v.Note(0, 9).m_Pan = 0.25f;
  const auto expect = [&](const StereoSample& out, int slot, float pan) {
    const float s = testing::TestTableSample(slot, voice::TableIndex(v.track.m_Voice.m_Phase)) *
                    v.track.m_Voice.m_Level;
    ASSERT_NE(s, 0.0f);
    EXPECT_EQ(out.left, static_cast<float>((1.0 - static_cast<double>(pan)) * s));
    EXPECT_EQ(out.right, s * pan);
  };
  expect(v.Render(0, 1, true), 9, 0.25f);
  const float level = v.track.m_Voice.m_Level;
  v.track.m_Cells[0].m_Slot = 12;
  expect(v.Render(0, 2, false), 12, 0.25f);
  EXPECT_GT(v.track.m_Voice.m_Level, level) << "the same note goes on";

  v.track.m_Cells[1].m_Pan = 0.9f;
  expect(v.Render(1, 1, true), 12, 0.9f);

  v.track.m_Mute = 1;
  const float phase = v.track.m_Voice.m_Phase;
  const StereoSample muted = v.Render(1, 2, false);
  EXPECT_TRUE(muted.left == 0.0f && muted.right == 0.0f);
  EXPECT_EQ(v.track.m_Voice.m_Phase, phase + v.track.m_Voice.m_Frequency);
}

}  // namespace
}  // namespace tessaloop
