// The sequencer without its stream: how it starts, pattern copies, the step
// clock, song mode and the mix handed to the device.

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "tests/sound/SoundRig.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

class SequencerTest : public ::testing::Test {
 protected:
  SequencerTest() { testing::SizeMix(seq); }

  testing::WorkFolder folder;
  testing::FilledPalette palette;
  Sequencer seq{testing::RigSetup(palette)};
};

TEST_F(SequencerTest, StoreAndLoadCopyTheSoundOfEveryStepButNotItsPlaceNorTheVoice) {
  Track& from = seq.GetTrack(0);
  Track& to = seq.GetTrack(2);
  Cell& cell = from.m_Cells[5];
  cell.m_Slot = 11;
  cell.m_Attack = 0.125f;
  cell.m_Decay = 0.25f;
  cell.m_SlideLength = 0.375f;
  cell.m_Slide = 0.625f;
  cell.m_Pan = 0.875f;
  cell.m_Octave = 7;
  cell.m_Semitone = 4;
  cell.SetNote();
  from.StorePattern(seq.m_Bank, 5);
  to.m_Voice.m_Level = 0.75f;
  to.m_Voice.m_Phase = 123.0f;
  to.LoadPattern(seq.m_Bank, 5);
  EXPECT_TRUE(from.m_StoredPattern == 5 && from.m_LoadedPattern == 24);
  EXPECT_TRUE(to.m_StoredPattern == 24 && to.m_LoadedPattern == 5);
  EXPECT_TRUE(to.m_Voice.m_Level == 0.75f && to.m_Voice.m_Phase == 123.0f);
  const Cell& b = to.m_Cells[5];
  EXPECT_TRUE(b.m_Slot == 11 && b.m_Attack == 0.125f && b.m_Decay == 0.25f &&
              b.m_SlideLength == 0.375f && b.m_Slide == 0.625f && b.m_Pan == 0.875f &&
              b.m_Octave == 7 && b.m_Semitone == 4 && b.m_Note == 88 && b.m_Frequency == 1318);
  EXPECT_TRUE(b.m_X == 5 * 64 && b.m_Y == 2 * 64 + 24 && to.m_Cells[6].m_Slot == kRestSlot);
  to.LoadPattern(seq.m_Bank, 17);  // never stored: rests
  EXPECT_EQ(to.m_Cells[5].m_Slot, 0);
}

// A step lasts exactly the tempo's samples, from the second on; a tempo
// shortened below the running count steps once a sample until it catches up.
TEST_F(SequencerTest, StepsAreTriggeredEverySamplesPerStepFromTheSecondStepOn) {
  std::vector<int> triggers;
  for (int sample = 1; sample <= 11005 * 17 + 1; ++sample) {
    seq.Tick();
    if (seq.m_StepTrigger) triggers.push_back(sample);
  }
  ASSERT_EQ(triggers.size(), 17u);
  for (size_t i = 0; i < triggers.size(); ++i)
    EXPECT_EQ(triggers[i], 11005 * (i + 1) + 1);
  EXPECT_TRUE(seq.m_Step == 1 && seq.m_SampleCount == 1);  // 17 steps on, past a pattern end

  for (int i = 0; i < 4999; ++i)
    seq.Tick();
  seq.m_SamplesPerStep = 1000;
  // The counts 5001, 4002, 3003, 2004 and 1005 each exceed 1000.
  for (int i = 2; i <= 6; ++i) {
    seq.Tick();
    EXPECT_TRUE(seq.m_StepTrigger && seq.m_Step == i) << i;
  }
  seq.Tick();
  EXPECT_TRUE(!seq.m_StepTrigger && seq.m_SampleCount == 6);
}

// At each pattern end song mode moves the position on (99 wraps to 0: entry
// 100 is never played), then loads every track's pattern of the new position,
// whose first step sounds on that very sample.
TEST_F(SequencerTest, SongModeLoadsThePatternsOfTheNextPositionAtEachPatternEnd) {
  seq.m_SamplesPerStep = 1;
  Track& scratch = seq.GetTrack(2);
  scratch.m_Cells[0].m_Slot = 9;
  scratch.StorePattern(seq.m_Bank, 8);
  scratch.m_Cells[0].m_Slot = kRestSlot;
  seq.m_Position = 98;
  for (int t = 0; t < 3; ++t) {
    seq.m_Arrangement[t][0] = 7;
    seq.m_Arrangement[t][99] = 8;
    seq.m_Arrangement[t][100] = 9;
  }
  using Start = std::tuple<int, int, bool>;  // position, last track's pattern, track 0 sounds
  const auto patternStarts = [&] {
    std::vector<Start> starts;
    for (int i = 0; i < 16 * 3; ++i) {
      seq.Tick();
      if (seq.m_Step == 0 && seq.m_StepTrigger)
        starts.emplace_back(seq.m_Position, seq.GetTrack(2).m_LoadedPattern,
                            seq.GetTrack(0).m_Voice.m_Level > 0.0f);
    }
    return starts;
  };
  seq.Tick();
  EXPECT_EQ(patternStarts(),
            (std::vector<Start>{{98, 24, false}, {98, 24, false}, {98, 24, false}}));
  seq.m_SongMode = 1;
  EXPECT_EQ(patternStarts(), (std::vector<Start>{{99, 8, true}, {0, 7, false}, {1, 24, false}}));
}

// Each sample of the mix is the sum of the panned voices (here held at full
// level on tables of one value each); the device gets it from the block of
// the mix it was made in, 32 blocks in turn.
TEST_F(SequencerTest, TheMixIsTheSumOfThePannedVoicesAndRenderBlockCyclesThirtyTwoBlocks) {
  float left = 0.0f, right = 0.0f;
  for (int t = 0; t < 3; ++t) {
    const float value = 0.125f * static_cast<float>(t + 1);
    const float pan = 0.2f + 0.3f * static_cast<float>(t);
    testing::FillConstantTable(palette, 6 + t, value);
    Track& track = seq.GetTrack(t);
    track.m_Voice.m_Slot = 6 + t;
    track.m_Voice.m_Level = 1.0f;
    track.m_Voice.m_Stage = kStageAttack;
    for (Cell& cell : track.m_Cells)
      cell.m_Pan = pan;
    left += static_cast<float>((1.0 - static_cast<double>(pan)) * value);
    right += value * pan;
  }
  std::vector<float> out(2 * 1000);
  for (int block = 0; block < 40; ++block) {
    EXPECT_EQ(seq.m_Mix.m_BlockNumber, block % 32);
    EXPECT_EQ(seq.RenderBlock(out.data(), 64), 0);
    for (int i = 0; i < 64; ++i) {
      ASSERT_TRUE(out[2 * i] == left && out[2 * i + 1] == right) << block << "," << i;
      ASSERT_EQ(seq.m_Mix.m_Right[(block % 32) * 64 + i], right);
    }
  }
  EXPECT_EQ(seq.CallbackFrames(), 40u * 64u);
  seq.m_Mix.m_BlockNumber = 31;
  seq.RenderBlock(out.data(), 1000);  // 31 * 64 + 1000 passes the 4096 elements
  EXPECT_EQ(seq.m_Mix.m_BlockNumber, 0);
  EXPECT_LT(seq.m_Mix.m_WriteIndex, MixBuffer::kSize + 1);
}

}  // namespace
}  // namespace tessaloop
