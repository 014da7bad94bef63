#include <gtest/gtest.h>

#include <cmath>

#include "display/WavetableBank.h"
#include "sound/Track.h"
#include "sound/Voice.h"
#include "tests/support/TestTables.h"

namespace tessaloop {
namespace {

// Drives one Track sample by sample with a clock of its own, as Tick would.
class VoiceTest : public ::testing::Test {
 protected:
  VoiceTest() {
    testing::FillTestTables(bank);
    track.Init(0);
  }

  // Renders one sample at the given step and count; returns (left, right).
  std::pair<float, float> Render(int step, int count, bool trigger, int samplesPerStep = 11005) {
    const SampleClock clock{step, trigger, samplesPerStep, count};
    const StereoSample out = track.RenderSample(clock, bank);
    return {out.left, out.right};
  }

  // Renders the whole of a step (counts 1 to samplesPerStep), the first sample
  // triggered.
  void RenderStep(int step, int samplesPerStep = 11005) {
    for (int count = 1; count <= samplesPerStep; ++count)
      Render(step, count, count == 1, samplesPerStep);
  }

  Cell& Note(int step, int slot = 6) {
    Cell& cell = track.m_Cells[step];
    cell.m_Slot = slot;
    return cell;
  }

  WavetableBank bank;
  Track track;
};

TEST_F(VoiceTest, RestCellsAndANewTrackAreSilent) {
  for (int step = 0; step < kStepsPerPattern; ++step)
    for (int count = 1; count <= 50; ++count) {
      auto [left, right] = Render(step, count, count == 1);
      EXPECT_EQ(left, 0.0f);
      EXPECT_EQ(right, 0.0f);
    }
}

TEST_F(VoiceTest, DefaultEnvelopeTakesTwoFifthsOfAStepEachWay) {
  Note(0);  // note 36: 65 Hz, every parameter 0.5
  int turnedAt = 0;
  for (int count = 1; count <= 11005 && turnedAt == 0; ++count) {
    Render(0, count, count == 1);
    if (track.m_Stage == kStageDecay) turnedAt = count;
  }
  EXPECT_EQ(turnedAt, 4403);  // d = 2201, rate 0.5 / 2201: passes 1 on the 4403rd sample
  EXPECT_EQ(track.m_Level, 1.0f);
  EXPECT_EQ(track.m_Frequency, 65.0f);  // slide 0.5 means no slide

  int finishedAt = 0;
  for (int count = 4404; count <= 11005 && finishedAt == 0; ++count) {
    Render(0, count, false);
    if (track.m_Stage == kStageFinished) finishedAt = count;
  }
  EXPECT_NEAR(finishedAt - 4403, 4403, 2);
  EXPECT_EQ(track.m_Level, 0.0f);
  Render(0, 11000, false);
  EXPECT_EQ(track.m_Level, 0.0f);
  EXPECT_EQ(track.m_Stage, kStageFinished);
}

TEST_F(VoiceTest, SlowAttackKeepsClimbingAcrossRepeatedNotes) {
  for (int step = 0; step < 3; ++step)
    Note(step).m_Attack = 0.99f;
  RenderStep(0);
  const float afterOne = track.m_Level;
  EXPECT_NEAR(afterOne, 11005 * (1.0 - 0.99f) / 2201, 1e-3);
  RenderStep(1);  // a new note start does not reset the level
  EXPECT_NEAR(track.m_Level, 2 * afterOne, 1e-3);
  EXPECT_EQ(track.m_Stage, kStageAttack);
}

TEST_F(VoiceTest, SlideUpAddsPerSampleForTheSlideLengthAndStopsAt7040) {
  Cell& cell = Note(0);
  cell.m_Slide = 0.01f;        // +0.49 Hz per sample
  cell.m_SlideLength = 0.99f;  // for counts below 10894.95
  for (int count = 1; count <= 10894; ++count)
    Render(0, count, count == 1);
  const float top = track.m_Frequency;
  EXPECT_NEAR(top, 65 + 10894 * 0.49, 1.0);
  Render(0, 10895, false);
  EXPECT_EQ(track.m_Frequency, top);

  // From a high note the same slide reaches the clamp and is held there.
  cell.m_Octave = 8;
  cell.SetNote();  // 4186 Hz
  RenderStep(0);
  EXPECT_EQ(track.m_Frequency, 7040.0f);
}

TEST_F(VoiceTest, SlideDownReachesOneHertzAndStaysThroughRests) {
  Cell& cell = Note(0);
  cell.m_Slide = 0.99f;  // -0.49 Hz per sample
  int reached = 0;
  for (int count = 1; count <= 11005; ++count) {
    Render(0, count, count == 1);
    if (reached == 0 && track.m_Frequency == 1.0f) reached = count;
  }
  EXPECT_NEAR(reached, 131, 2);
  RenderStep(1);  // a rest step: slides again, held at 1 Hz
  EXPECT_EQ(track.m_Frequency, 1.0f);
}

TEST_F(VoiceTest, HeldNoteSlidesAgainInFollowingRestSteps) {
  Cell& cell = Note(0);
  cell.m_Slide = 0.25f;  // +0.25 Hz per sample
  cell.m_SlideLength = 0.5f;
  RenderStep(0);
  const float afterNote = track.m_Frequency;
  EXPECT_NEAR(afterNote, 65 + 5502 * 0.25, 0.5);
  // Step 1 is a rest: no note start, but the slide still runs for counts below
  // the note's slide length.
  RenderStep(1);
  EXPECT_NEAR(track.m_Frequency, afterNote + 5502 * 0.25, 0.5);
}

TEST_F(VoiceTest, BelowFiveSamplesPerStepTheEnvelopeJumps) {
  Note(0);
  Render(0, 1, true, 4);
  EXPECT_EQ(track.m_Level, 1.0f);
  EXPECT_EQ(track.m_Stage, kStageDecay);
  Render(0, 2, false, 4);
  EXPECT_EQ(track.m_Level, 0.0f);
  EXPECT_EQ(track.m_Stage, kStageFinished);
  Render(0, 3, false, 4);
  EXPECT_EQ(track.m_Level, 0.0f);
  EXPECT_FALSE(std::isnan(track.m_Level));
}

TEST_F(VoiceTest, OutputIsTheTableScaledByLevelAndPanned) {
  Cell& cell = Note(0, 9);
  cell.m_Pan = 0.25f;
  auto [left, right] = Render(0, 1, true);
  const int index = static_cast<int>(track.m_Phase) % kTableLength;
  const float s = testing::TestTableSample(9, index) * track.m_Level;
  EXPECT_EQ(right, s * 0.25f);
  EXPECT_EQ(left, 0.75f * s);
  EXPECT_NE(left, 0.0f);
}

TEST_F(VoiceTest, PanComesFromTheCurrentCellEvenWhenItIsARest) {
  testing::FillConstantTable(bank, 6, 0.5f);
  Note(0);
  track.m_Cells[1].m_Pan = 0.9f;  // step 1 stays a rest
  RenderStep(0);
  // Raise the level again so the held note is heard in the rest step.
  track.m_Level = 1.0f;
  track.m_Stage = kStageAttack;
  track.m_AttackRate = 0.0f;
  auto [left, right] = Render(1, 1, true);
  EXPECT_FLOAT_EQ(right, 0.5f * 0.9f);
  EXPECT_FLOAT_EQ(left, (1.0f - 0.9f) * 0.5f);
}

TEST_F(VoiceTest, MuteSilencesAtOnceWhileTheVoiceRunsOn) {
  Track twin;
  twin.Init(0);
  Note(0);
  twin.m_Cells[0].m_Slot = 6;
  for (int count = 1; count <= 3000; ++count) {
    if (count == 1000) track.m_Mute = 1;
    if (count == 2000) track.m_Mute = 0;
    auto [left, right] = Render(0, count, count == 1);
    const SampleClock clock{0, count == 1, 11005, count};
    const StereoSample heard = twin.RenderSample(clock, bank);
    if (count >= 1000 && count < 2000) {
      EXPECT_EQ(left, 0.0f);
      EXPECT_EQ(right, 0.0f);
    } else {
      EXPECT_EQ(left, heard.left) << count;
      EXPECT_EQ(right, heard.right) << count;
    }
    ASSERT_EQ(track.m_Phase, twin.m_Phase);
    ASSERT_EQ(track.m_Level, twin.m_Level);
  }
}

TEST_F(VoiceTest, ChangingTheSlotOfTheSoundingCellChangesTimbreNotEnvelope) {
  Note(0, 7);
  for (int count = 1; count <= 1000; ++count)
    Render(0, count, count == 1);
  const float level = track.m_Level;
  track.m_Cells[0].m_Slot = 12;
  Render(0, 1001, false);
  EXPECT_EQ(track.m_Slot, 12);
  EXPECT_GT(track.m_Level, level);
  EXPECT_EQ(track.m_Stage, kStageAttack);
}

TEST_F(VoiceTest, PhaseWrapsAtOneSecondOfTable) {
  Cell& cell = Note(0);
  cell.m_Octave = 9;
  cell.m_Semitone = 11;
  cell.SetNote();  // 7902 Hz, clamped to 7040 when it sounds
  for (int count = 1; count <= 20000; ++count) {
    Render(0, count, count == 1);
    ASSERT_GE(track.m_Phase, 0.0f);
    ASSERT_LE(track.m_Phase, 44100.0f);
  }
  EXPECT_EQ(track.m_Frequency, 7040.0f);
}

}  // namespace
}  // namespace tessaloop
