// Songs load while the audio thread plays over what the load rewrites; under
// TESSALOOP_SANITIZE=thread this must report nothing.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "display/WavetableBank.h"
#include "sound/Sequencer.h"
#include "tests/songfile/SongTestSong.h"
#include "tests/support/TestTables.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

TEST(SongLoadWhilePlaying, AudioThreadPlaysOnAndTheLastSongStays) {
  testing::WorkFolder folder;
  WavetableBank bank;
  testing::FillTestTables(bank);
  for (int seed : {1, 3}) {
    auto writer = testing::MakeQuietSequencer(bank, 3);
    testing::ComposeRichSong(*writer, seed);  // steps of 2 and 4 samples: constant pattern changes
    std::snprintf(writer->m_Name, sizeof writer->m_Name, "Song%d", seed);
    writer->SaveSong();
  }

  auto seq = testing::MakeQuietSequencer(bank, 3);
  seq->m_Mix.m_FramesPerBuffer = MixBuffer::kFramesPerBuffer;
  seq->m_Mix.m_NumberOfBlocks = MixBuffer::kNumberOfBlocks;
  seq->m_SongMode = 1;
  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0};
  std::thread audio([&] {
    float out[2 * MixBuffer::kFramesPerBuffer];
    while (!stop.load()) {
      seq->RenderBlock(out, MixBuffer::kFramesPerBuffer);
      blocks.fetch_add(1);
    }
  });
  for (int i = 0; i < 60; ++i)
    ASSERT_TRUE(seq->LoadSongFile(i % 2 == 0 ? "songs/Song1.tlp" : "songs/Song3.tlp"));
  // Let the clock run over the last song for a while before stopping.
  const long seen = blocks.load();
  while (blocks.load() < seen + 50)
    std::this_thread::yield();
  stop = true;
  audio.join();

  auto reference = testing::MakeQuietSequencer(bank, 3);
  ASSERT_TRUE(reference->LoadSongFile("songs/Song3.tlp"));
  EXPECT_EQ(testing::SongPart(testing::Snapshot(*seq)),
            testing::SongPart(testing::Snapshot(*reference)));
  EXPECT_GT(blocks.load(), 50);
}

}  // namespace
}  // namespace tessaloop
