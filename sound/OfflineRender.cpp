#include "sound/OfflineRender.h"

#include <algorithm>
#include <vector>

namespace tessaloop {

namespace {

constexpr int kChannels = 2;
// Frames handed to the sink at a time: 64 callback blocks.
constexpr int64_t kChunkFrames = MixBuffer::kFramesPerBuffer * 64;

}  // namespace

OfflineEngine::OfflineEngine(int tracks) {
  palette.LoadStartupSounds();
  SequencerSetup setup;
  setup.trackCount = tracks;
  setup.palette = &palette;
  setup.startAudio = false;
  seq = std::make_unique<Sequencer>(setup);
}

int LastArrangedPosition(const Sequencer& seq) {
  int last = -1;
  for (int t = 0; t < seq.TrackCount(); ++t)
    for (int p = 0; p < kPlayedPositions; ++p)
      if (seq.m_Arrangement[t][p] != kDefaultPattern && p > last) last = p;
  return last;
}

int64_t PositionFrames(const Sequencer& seq, int positions) {
  return int64_t{positions} * kStepsPerPattern * seq.m_SamplesPerStep;
}

void CueSongStart(Sequencer& seq) {
  seq.m_SongMode = 1;
  seq.m_Position = kPlayedPositions - 1;
  seq.m_Step = kStepsPerPattern - 1;
  seq.m_SampleCount = seq.m_SamplesPerStep.Load();
  seq.m_StepTrigger = 0;
  seq.m_Mix.Reset();
}

bool RenderFrames(Sequencer& seq, int64_t frames,
                  const std::function<bool(const float*, int64_t)>& sink) {
  std::vector<float> chunk(static_cast<size_t>(kChunkFrames) * kChannels);
  int64_t done = 0;
  while (done < frames) {
    const int64_t chunkFrames = std::min(kChunkFrames, frames - done);
    for (int64_t at = 0; at < chunkFrames; at += MixBuffer::kFramesPerBuffer) {
      const int64_t block = std::min<int64_t>(MixBuffer::kFramesPerBuffer, chunkFrames - at);
      seq.RenderBlock(&chunk[static_cast<size_t>(at) * kChannels],
                      static_cast<unsigned long>(block));
    }
    if (!sink(chunk.data(), chunkFrames)) return false;
    done += chunkFrames;
  }
  return true;
}

bool RenderTrackFrames(
    Sequencer& seq, int64_t frames,
    const std::function<bool(const float* const* tracks, int64_t frames)>& sink) {
  const int tracks = seq.TrackCount();
  const size_t chunkSamples = static_cast<size_t>(kChunkFrames) * kChannels;
  std::vector<float> chunks(chunkSamples * static_cast<size_t>(tracks));
  const float* track[kMaxTracks] = {};
  for (int t = 0; t < tracks; ++t)
    track[t] = &chunks[chunkSamples * static_cast<size_t>(t)];
  StereoSample voices[kMaxTracks];
  int64_t done = 0;
  while (done < frames) {
    const int64_t chunkFrames = std::min(kChunkFrames, frames - done);
    for (int64_t i = 0; i < chunkFrames; ++i) {
      seq.TickTracks(voices);
      for (int t = 0; t < tracks; ++t) {
        float* frame = &chunks[chunkSamples * static_cast<size_t>(t) + static_cast<size_t>(i) * 2];
        frame[0] = voices[t].left;
        frame[1] = voices[t].right;
      }
    }
    if (!sink(track, chunkFrames)) return false;
    done += chunkFrames;
  }
  return true;
}

}  // namespace tessaloop
