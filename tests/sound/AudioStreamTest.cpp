// The real audio stream, opened on an ALSA device that writes to a file: what
// reached the device must be exactly what the clock produces.

#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "tests/sound/SoundRig.h"
#include "tests/support/AlsaFileDevice.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

std::string g_Capture;

// Sounds on every track from the first sample and changes patterns during the capture.
void ComposeSong(Sequencer& seq) {
  seq.m_SamplesPerStep = 700;
  for (int t = 0; t < seq.TrackCount(); ++t) {
    Track& track = seq.GetTrack(t);
    for (int s = 0; s < kStepsPerPattern; ++s) {
      Cell& cell = track.m_Cells[s];
      cell.m_Slot = (s + t) % 3 == 0 ? kRestSlot : 6 + (s + 2 * t) % 16;
      cell.m_Octave = 2 + (s + t) % 5;
      cell.m_Semitone = (s * 5 + t) % 12;
      cell.SetNote();
      cell.m_Pan = 0.1f * static_cast<float>(1 + (s + t) % 9);
      cell.m_Slide = s % 4 == 0 ? 0.25f : 0.5f;
    }
    track.StorePattern(seq.m_Bank, 1 + t);
    for (int p = 0; p < kArrangementLength; ++p)
      seq.m_Arrangement[t][p] = 1 + (p + t) % 3;
  }
  // Track 0 is already sounding, so the first frame the device gets is not 0.
  Track& first = seq.GetTrack(0);
  first.m_Voice.m_Slot = 9;
  first.m_Voice.m_Level = 1.0f;
  first.m_Voice.m_Stage = kStageAttack;
  first.m_Voice.m_AttackRate = 0.0f;
  first.m_Voice.m_Frequency = 440.0f;
  seq.m_SongMode = 1;
}

// Whether a thread of this process may take any real-time priority at all.
bool RealTimeAllowed() {
  bool allowed = false;
  std::thread probe([&allowed] {
    sched_param parameters{};
    parameters.sched_priority = sched_get_priority_min(SCHED_FIFO);
    allowed = pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameters) == 0;
  });
  probe.join();
  return allowed;
}

TEST(AudioStream, DeviceReceivesExactlyWhatTheClockProduces) {
  testing::WorkFolder folder;
  testing::FilledPalette palette;
  Sequencer live(testing::RigSetup(palette));
  ComposeSong(live);
  live.StartAudio();
  ASSERT_TRUE(live.AudioRunning()) << "the ALSA file device should open";

  const uint64_t wanted = 3 * kSampleRate;  // the device is unpaced: well under a second
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (live.CallbackFrames() < wanted && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  live.StopAudio();
  const uint64_t produced = live.CallbackFrames();
  ASSERT_GE(produced, wanted);
  EXPECT_FALSE(live.AudioRunning());
  EXPECT_EQ(live.StopAudio(), 0) << "a second stop is harmless";
  EXPECT_EQ(live.AudioThreadRealTime(), RealTimeAllowed() ? 1 : -1)
      << "the stream's thread runs at real-time priority wherever the system allows it";

  const std::vector<float> capture = testing::ReadCapture(g_Capture);
  const size_t frames = capture.size() / 2;
  ASSERT_GE(frames, produced);
  const size_t lead = frames - produced;  // silence the device is primed with
  EXPECT_GT(lead, 0u);
  for (size_t i = 0; i < lead * 2; ++i)
    ASSERT_EQ(capture[i], 0.0f) << "frame " << i / 2;
  ASSERT_NE(capture[lead * 2], 0.0f) << "the song's first frame follows the priming silence";

  Sequencer reference(testing::RigSetup(palette));
  ComposeSong(reference);
  testing::SizeMix(reference);
  std::vector<float> block(2 * MixBuffer::kFramesPerBuffer);
  size_t mismatches = 0;
  size_t nonSilent = 0;
  for (uint64_t done = 0; done < produced; done += MixBuffer::kFramesPerBuffer) {
    reference.RenderBlock(block.data(), MixBuffer::kFramesPerBuffer);
    for (size_t i = 0; i < block.size(); ++i) {
      const float heard = capture[lead * 2 + done * 2 + i];
      if (heard != block[i]) ++mismatches;
      if (heard != 0.0f) ++nonSilent;
    }
  }
  EXPECT_EQ(mismatches, 0u);
  EXPECT_GT(nonSilent, produced);  // most frames of both channels carry sound
  EXPECT_GT(reference.m_Position, 0) << "song mode moved on during the capture";
}

}  // namespace
}  // namespace tessaloop

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::string folder = (std::filesystem::temp_directory_path() / "tessaloop-alsa-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) return 1;
  tessaloop::g_Capture = tessaloop::testing::UseAlsaFileDevice(folder);
  const int result = RUN_ALL_TESTS();
  std::filesystem::remove_all(folder);
  return result;
}
