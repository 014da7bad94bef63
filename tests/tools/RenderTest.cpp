// The exporter's parts, in process: arguments, the cue at the song's start and
// the default length.

#include <gtest/gtest.h>

#include <vector>

#include "display/WavetableBank.h"
#include "songfile/SongFormat.h"
#include "sound/Sequencer.h"
#include "tests/support/TestTables.h"
#include "tests/support/WorkFolder.h"
#include "tools/render/RenderSong.h"

namespace tessaloop {
namespace {

bool Parse(std::vector<const char*> arguments, RenderOptions& options, std::string& error) {
  return ParseRenderArguments(static_cast<int>(arguments.size()), arguments.data(), options, error);
}

TEST(RenderArguments, AcceptedForms) {
  RenderOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"songs/a.tlp", "a.wav"}, options, error)) << error;
  EXPECT_EQ(options.song, "songs/a.tlp");
  EXPECT_EQ(options.out, "a.wav");
  EXPECT_EQ(options.tracks, 0);
  EXPECT_EQ(options.positions, 0);
  EXPECT_EQ(options.seconds, 0);
  EXPECT_FALSE(options.pcm16);

  options = {};
  ASSERT_TRUE(
      Parse({"--tracks", "6", "--positions=100", "--pcm16", "s.tlp", "o.flac"}, options, error))
      << error;
  EXPECT_EQ(options.tracks, 6);
  EXPECT_EQ(options.positions, 100);
  EXPECT_TRUE(options.pcm16);

  options = {};
  ASSERT_TRUE(Parse({"--seconds", "2.5", "--", "-odd.tlp", "o.wav"}, options, error)) << error;
  EXPECT_EQ(options.seconds, 2.5);
  EXPECT_EQ(options.song, "-odd.tlp");

  options = {};
  ASSERT_TRUE(Parse({"--help"}, options, error));
  EXPECT_TRUE(options.help);
  EXPECT_NE(RenderUsage().find("tessaloop-render [--tracks 3|6] [--positions N | --seconds S] "
                               "[--pcm16] SONG OUT"),
            std::string::npos);
}

TEST(RenderArguments, RefusedForms) {
  const std::vector<std::vector<const char*>> bad = {
      {},
      {"only.tlp"},
      {"a.tlp", "b.wav", "c.wav"},
      {"--tracks", "4", "a.tlp", "b.wav"},
      {"--tracks", "a.tlp", "b.wav"},
      {"--tracks"},
      {"--positions", "0", "a.tlp", "b.wav"},
      {"--positions", "101", "a.tlp", "b.wav"},
      {"--positions", "2.5", "a.tlp", "b.wav"},
      {"--seconds", "0", "a.tlp", "b.wav"},
      {"--seconds", "-1", "a.tlp", "b.wav"},
      {"--seconds", "nan", "a.tlp", "b.wav"},
      {"--seconds", "1e9", "a.tlp", "b.wav"},
      {"--seconds", "3", "--positions", "2", "a.tlp", "b.wav"},
      {"--loud", "a.tlp", "b.wav"},
      {"--pcm16=yes", "a.tlp", "b.wav"},
  };
  for (const auto& arguments : bad) {
    RenderOptions options;
    std::string error;
    EXPECT_FALSE(Parse(arguments, options, error)) << (arguments.empty() ? "" : arguments[0]);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

TEST(RenderArguments, EncodingByExtensionAndTracksByTokenCount) {
  AudioEncoding encoding{};
  std::string error;
  ASSERT_TRUE(EncodingForPath("x.wav", false, encoding, error));
  EXPECT_EQ(encoding, AudioEncoding::kWavFloat);
  ASSERT_TRUE(EncodingForPath("X.WAV", true, encoding, error));
  EXPECT_EQ(encoding, AudioEncoding::kWavPcm16);
  ASSERT_TRUE(EncodingForPath("dir.wav/x.Flac", false, encoding, error));
  EXPECT_EQ(encoding, AudioEncoding::kFlac24);
  ASSERT_TRUE(EncodingForPath("x.flac", true, encoding, error));
  EXPECT_EQ(encoding, AudioEncoding::kFlac16);
  EXPECT_FALSE(EncodingForPath("x.mp3", false, encoding, error));
  EXPECT_FALSE(EncodingForPath("wav", false, encoding, error));
  EXPECT_FALSE(EncodingForPath("x.wav.tmp", false, encoding, error));

  EXPECT_EQ(TrackCountForTokens(3777), 3);
  EXPECT_EQ(TrackCountForTokens(4080), 6);
  EXPECT_EQ(TrackCountForTokens(3776), 0);
}

class RenderCueTest : public ::testing::Test {
 protected:
  RenderCueTest() {
    testing::FillTestTables(bank);
    SequencerSetup setup;
    setup.trackCount = 3;
    setup.wavetables = &bank;
    setup.startAudio = false;
    seq = std::make_unique<Sequencer>(setup);
  }

  testing::WorkFolder folder;
  WavetableBank bank;
  std::unique_ptr<Sequencer> seq;
};

TEST_F(RenderCueTest, FirstSampleBeginsStepZeroOfPositionZero) {
  // Pattern 2 sounds on its step 0; positions 0 and 99 play different
  // patterns on every track, so the first sample shows which was loaded.
  for (int c = 0; c < kStepsPerPattern; ++c)
    seq->m_Bank.m_Patterns[2][c].m_Slot = c == 0 ? 9 : 0;
  for (int t = 0; t < 3; ++t) {
    seq->m_Arrangement[t][0] = 2;
    seq->m_Arrangement[t][99] = 5;
  }
  seq->m_SamplesPerStep = 300;
  seq->m_Position = 40;  // wherever the clock happened to be
  seq->m_Step = 7;
  seq->m_SampleCount = 12;

  CueSongStart(*seq);
  std::vector<float> first;
  RenderFrames(*seq, 1, [&](const float* data, int64_t frames) {
    first.assign(data, data + 2 * frames);
    return true;
  });
  EXPECT_EQ(seq->m_Position, 0);
  EXPECT_EQ(seq->m_Step, 0);
  EXPECT_EQ(seq->m_SampleCount, 1);
  EXPECT_TRUE(seq->m_StepTrigger);
  EXPECT_TRUE(seq->m_SongMode);
  for (int t = 0; t < 3; ++t) {
    EXPECT_EQ(seq->GetTrack(t).m_LoadedPattern, 2);
    EXPECT_EQ(seq->GetTrack(t).m_Slot, 9) << "the note of step 0 has started";
  }
  ASSERT_EQ(first.size(), 2u);
  EXPECT_NE(first[0], 0.0f);
}

TEST_F(RenderCueTest, DefaultLengthRunsToTheLastArrangedPosition) {
  EXPECT_EQ(LastArrangedPosition(*seq), -1);
  seq->m_Arrangement[0][100] = 3;  // stored but never played
  EXPECT_EQ(LastArrangedPosition(*seq), -1);
  seq->m_Arrangement[2][57] = 1;
  seq->m_Arrangement[1][12] = 4;
  EXPECT_EQ(LastArrangedPosition(*seq), 57);
  seq->m_Arrangement[0][99] = 0;
  EXPECT_EQ(LastArrangedPosition(*seq), 99);
  seq->m_SamplesPerStep = kMaxSamplesPerStep;
  EXPECT_EQ(PositionFrames(*seq, 100), int64_t{100} * 16 * 2646000) << "beyond 32 bits";
}

}  // namespace
}  // namespace tessaloop
