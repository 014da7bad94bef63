#include <gtest/gtest.h>

#include <tuple>

#include "sound/Voice.h"
#include "tests/sound/SoundRig.h"

namespace tessaloop {
namespace {

// Drives one Track sample by sample with a clock of its own, as Tick would.
class VoiceTest : public ::testing::Test {
 protected:
  VoiceTest() { track.Init(0); }

  StereoSample Render(int step, int count, bool trigger, int samplesPerStep = 11005) {
    return track.RenderSample(SampleClock{step, trigger, samplesPerStep, count}, bank);
  }
  // Counts `from` to `to` of a step, the first count triggered.
  void RenderCounts(int step, int from, int to, int samplesPerStep = 11005) {
    for (int count = from; count <= to; ++count)
      Render(step, count, count == 1, samplesPerStep);
  }
  void RenderStep(int step) { RenderCounts(step, 1, 11005); }
  Cell& Note(int step, int slot = 6) {
    track.m_Cells[step].m_Slot = slot;
    return track.m_Cells[step];
  }

  testing::FilledBank bank;
  Track track;
};

TEST_F(VoiceTest, RestsAreSilentAndTheDefaultEnvelopeTakesTwoFifthsOfAStepEachWay) {
  for (int count = 1; count <= 50; ++count) {
    const StereoSample out = Render(1, count, count == 1);
    ASSERT_TRUE(out.left == 0.0f && out.right == 0.0f) << count;
  }
  Note(0);  // note 36: 65 Hz, every parameter 0.5
  int turnedAt = 0;
  for (int count = 1; count <= 11005 && turnedAt == 0; ++count) {
    Render(0, count, count == 1);
    if (track.m_Stage == kStageDecay) turnedAt = count;
  }
  EXPECT_EQ(turnedAt, 4403);  // rate 0.5 / 2201 passes 1 on the 4403rd sample
  EXPECT_EQ(track.m_Level, 1.0f);
  EXPECT_EQ(track.m_Frequency, 65.0f);  // slide 0.5 means no slide

  int finishedAt = 0;
  for (int count = 4404; count <= 11005 && finishedAt == 0; ++count) {
    Render(0, count, false);
    if (track.m_Stage == kStageFinished) finishedAt = count;
  }
  EXPECT_NEAR(finishedAt - 4403, 4403, 2);
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

TEST_F(VoiceTest, SlideUpLastsTheSlideLengthAndStopsAt7040WithThePhaseInRange) {
  Cell& cell = Note(0);
  cell.m_Slide = 0.01f;        // +0.49 Hz per sample
  cell.m_SlideLength = 0.99f;  // for counts below 10894.95
  RenderCounts(0, 1, 10894);
  const float top = track.m_Frequency;
  EXPECT_NEAR(top, 65 + 10894 * 0.49, 1.0);
  Render(0, 10895, false);
  EXPECT_EQ(track.m_Frequency, top);

  cell.m_Octave = 8;
  cell.SetNote();  // 4186 Hz: the same slide reaches the clamp and is held there
  for (int count = 1; count <= 11005; ++count) {
    Render(0, count, count == 1);
    ASSERT_TRUE(track.m_Phase >= 0.0f && track.m_Phase <= 44100.0f) << track.m_Phase;
  }
  EXPECT_EQ(track.m_Frequency, 7040.0f);

  cell.m_Slide = 0.5f;
  cell.m_Octave = 9;
  cell.m_Semitone = 11;
  cell.SetNote();  // 7902 Hz sounds clamped too
  Render(0, 1, true);
  EXPECT_EQ(track.m_Frequency, 7040.0f);
}

TEST_F(VoiceTest, SlideDownReachesOneHertzAndStaysThroughRests) {
  Note(0).m_Slide = 0.99f;  // -0.49 Hz per sample
  int reached = 0;
  for (int count = 1; count <= 11005; ++count) {
    Render(0, count, count == 1);
    if (reached == 0 && track.m_Frequency == 1.0f) reached = count;
  }
  EXPECT_NEAR(reached, 131, 2);
  RenderStep(1);  // a rest step slides again and is held at 1 Hz
  EXPECT_EQ(track.m_Frequency, 1.0f);
}

TEST_F(VoiceTest, HeldNoteSlidesAgainInFollowingRestSteps) {
  Cell& cell = Note(0);
  cell.m_Slide = 0.25f;  // +0.25 Hz per sample
  cell.m_SlideLength = 0.5f;
  RenderStep(0);
  const float afterNote = track.m_Frequency;
  EXPECT_NEAR(afterNote, 65 + 5502 * 0.25, 0.5);
  RenderStep(1);  // no note start, but the slide runs again for the note's slide length
  EXPECT_NEAR(track.m_Frequency, afterNote + 5502 * 0.25, 0.5);
}

TEST_F(VoiceTest, BelowFiveSamplesPerStepTheEnvelopeJumps) {
  Note(0);
  const std::tuple<int, float, int> expected[] = {
      {1, 1.0f, kStageDecay}, {2, 0.0f, kStageFinished}, {3, 0.0f, kStageFinished}};
  for (auto [count, level, stage] : expected) {
    Render(0, count, count == 1, 4);
    EXPECT_EQ(track.m_Level, level) << "count " << count;  // never NaN
    EXPECT_EQ(track.m_Stage, stage) << "count " << count;
  }
}

TEST_F(VoiceTest, OutputIsTheSlotsTableScaledByLevelAndPannedByTheCurrentCellEvenARest) {
  Note(0, 9).m_Pan = 0.25f;
  StereoSample out = Render(0, 1, true);
  const float s =
      testing::TestTableSample(9, static_cast<int>(track.m_Phase) % kTableLength) * track.m_Level;
  EXPECT_NE(s, 0.0f);
  EXPECT_EQ(out.right, s * 0.25f);
  EXPECT_EQ(out.left, 0.75f * s);

  // Held at full level into step 1, a rest, whose pan then applies.
  testing::FillConstantTable(bank, 9, 0.5f);
  track.m_Cells[1].m_Pan = 0.9f;
  track.m_Level = 1.0f;
  track.m_AttackRate = 0.0f;
  out = Render(1, 1, true);
  EXPECT_FLOAT_EQ(out.right, 0.5f * 0.9f);
  EXPECT_FLOAT_EQ(out.left, (1.0f - 0.9f) * 0.5f);
}

TEST_F(VoiceTest, MuteSilencesAtOnceWhileTheVoiceRunsOn) {
  Track twin;
  twin.Init(0);
  Note(0);
  twin.m_Cells[0].m_Slot = 6;
  for (int count = 1; count <= 3000; ++count) {
    track.m_Mute = count >= 1000 && count < 2000;
    const StereoSample out = Render(0, count, count == 1);
    const StereoSample heard = twin.RenderSample(SampleClock{0, count == 1, 11005, count}, bank);
    const bool muted = track.m_Mute;
    EXPECT_EQ(out.left, muted ? 0.0f : heard.left) << count;
    EXPECT_EQ(out.right, muted ? 0.0f : heard.right) << count;
    ASSERT_EQ(track.m_Phase, twin.m_Phase);
    ASSERT_EQ(track.m_Level, twin.m_Level);
  }
}

TEST_F(VoiceTest, ChangingTheSlotOfTheSoundingCellChangesTimbreNotEnvelope) {
  Note(0, 7);
  RenderCounts(0, 1, 1000);
  const float level = track.m_Level;
  track.m_Cells[0].m_Slot = 12;
  Render(0, 1001, false);
  EXPECT_EQ(track.m_Slot, 12);
  EXPECT_GT(track.m_Level, level);
  EXPECT_EQ(track.m_Stage, kStageAttack);
}

}  // namespace
}  // namespace tessaloop
