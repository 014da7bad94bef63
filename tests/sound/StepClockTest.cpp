#include <gtest/gtest.h>

#include <vector>

#include "tests/sound/SoundRig.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

class StepClockTest : public ::testing::Test {
 protected:
  StepClockTest() { testing::SizeMix(seq); }

  // Stores into bank number n a pattern whose step 0 sounds `slot`, everything else rests.
  void StoreMarkerPattern(int n, int slot) {
    Track& scratch = seq.GetTrack(2);
    scratch.m_Cells[0].m_Slot = slot;
    scratch.StorePattern(seq.m_Bank, n);
    scratch.m_Cells[0].m_Slot = kRestSlot;
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i)
      seq.Tick();
  }

  testing::WorkFolder folder;
  testing::FilledBank bank;
  Sequencer seq{testing::RigSetup(bank)};
};

TEST_F(StepClockTest, FirstStepIsNotTriggeredAndEveryLaterStepIs) {
  std::vector<int> triggers;
  for (int sample = 1; sample <= 11005 * 17 + 1; ++sample) {
    seq.Tick();
    if (seq.m_StepTrigger) triggers.push_back(sample);
  }
  ASSERT_EQ(triggers.size(), 17u);
  for (size_t i = 0; i < triggers.size(); ++i)
    EXPECT_EQ(triggers[i], 11005 * (i + 1) + 1);
  EXPECT_EQ(seq.m_Step, 1);  // 17 steps on from step 0, past one pattern end
  EXPECT_EQ(seq.m_SampleCount, 1);
}

TEST_F(StepClockTest, ShortenedTempoStepsOncePerSampleUntilItCatchesUp) {
  Ticks(5000);
  seq.m_SamplesPerStep = 1000;
  // The counts 5001, 4002, 3003, 2004 and 1005 each exceed 1000.
  for (int i = 1; i <= 5; ++i) {
    seq.Tick();
    EXPECT_TRUE(seq.m_StepTrigger);
    EXPECT_EQ(seq.m_Step, i);
  }
  seq.Tick();
  EXPECT_FALSE(seq.m_StepTrigger);
  EXPECT_EQ(seq.m_SampleCount, 6);
}

TEST_F(StepClockTest, OnlySongModeLoadsAtThePatternEndAdvancingThePositionFirst) {
  seq.m_SamplesPerStep = 10;
  StoreMarkerPattern(3, 9);
  seq.m_Position = 5;
  for (auto& row : seq.m_Arrangement.m_Entries)
    for (auto& entry : row)
      entry = 3;
  Ticks(161);  // sample 161 begins the second pattern
  EXPECT_EQ(seq.m_Position, 5) << "no song mode, no load";
  EXPECT_EQ(seq.GetTrack(0).m_LoadedPattern, 24);
  EXPECT_EQ(seq.GetTrack(0).m_Cells[0].m_Slot, kRestSlot);

  seq.m_SongMode = 1;
  Ticks(159);
  EXPECT_EQ(seq.m_Position, 5);
  EXPECT_EQ(seq.GetTrack(0).m_Level, 0.0f);
  seq.Tick();
  EXPECT_EQ(seq.m_Position, 6);
  for (int t = 0; t < 3; ++t) {
    EXPECT_EQ(seq.GetTrack(t).m_LoadedPattern, 3);
    EXPECT_EQ(seq.GetTrack(t).m_Cells[0].m_Slot, 9);
    EXPECT_GT(seq.GetTrack(t).m_Level, 0.0f) << "the loaded step 0 starts its note on that sample";
  }
}

TEST_F(StepClockTest, PositionWrapsFrom99ToZeroAndNeverReaches100) {
  seq.m_SamplesPerStep = 1;
  seq.m_SongMode = 1;
  seq.m_Position = 98;
  for (int t = 0; t < 3; ++t) {
    seq.m_Arrangement[t][0] = 7;
    seq.m_Arrangement[t][99] = 8;
    seq.m_Arrangement[t][100] = 9;
  }
  std::vector<std::pair<int, int>> loads;  // (position, pattern) at each pattern start
  for (int i = 0; i < 1 + 16 * 3; ++i) {
    seq.Tick();
    if (seq.m_Step == 0 && seq.m_StepTrigger)
      loads.emplace_back(seq.m_Position, seq.GetTrack(1).m_LoadedPattern);
  }
  EXPECT_EQ(loads, (std::vector<std::pair<int, int>>{{99, 8}, {0, 7}, {1, 24}}));
}

TEST_F(StepClockTest, RenderBlockCopiesTheMixCyclingThirtyTwoBlocksAndStaysInside) {
  seq.m_SamplesPerStep = 100;
  for (int t = 0; t < 3; ++t)
    for (Cell& cell : seq.GetTrack(t).m_Cells)
      cell.m_Slot = 6 + t;
  std::vector<float> out(2 * 1000);
  bool heard = false;
  for (int block = 0; block < 40; ++block) {
    EXPECT_EQ(seq.m_Mix.m_BlockNumber, block % 32);
    EXPECT_EQ(seq.RenderBlock(out.data(), 64), 0);
    const int base = (block % 32) * 64;
    for (int i = 0; i < 64; ++i) {
      ASSERT_EQ(out[2 * i], seq.m_Mix.m_Left[base + i]);
      ASSERT_EQ(out[2 * i + 1], seq.m_Mix.m_Right[base + i]);
      heard = heard || out[2 * i] != 0.0f;
    }
  }
  EXPECT_TRUE(heard);
  EXPECT_EQ(seq.CallbackFrames(), 40u * 64u);

  seq.m_Mix.m_BlockNumber = 31;
  seq.RenderBlock(out.data(), 1000);  // 31 * 64 + 1000 passes the 4096 elements
  EXPECT_EQ(seq.m_Mix.m_BlockNumber, 0);
  EXPECT_LT(seq.m_Mix.m_WriteIndex, MixBuffer::kSize + 1);
}

}  // namespace
}  // namespace tessaloop
