#pragma once

// The song rendered without a sound card, sample for sample as the audio
// callback renders it: what the exporter writes to a file and what any export
// from the program will use.

#include <cstdint>
#include <functional>
#include <memory>

#include "sound/Palette.h"
#include "sound/Sequencer.h"

namespace tessaloop {

// An engine of its own, with no audio stream, screen or input: the start-up
// sounds loaded from data/ in the working folder and every other default, as
// the program has them before a song is loaded.
struct OfflineEngine {
  explicit OfflineEngine(int tracks);

  Palette palette;
  std::unique_ptr<Sequencer> seq;
};

// The last arrangement position (0-99) at which any track plays a pattern
// other than the default 24; -1 when there is none.
int LastArrangedPosition(const Sequencer& seq);

// Frames of n whole positions at the song's tempo.
int64_t PositionFrames(const Sequencer& seq, int positions);

// Puts the clock at the very end of position 99 in song mode, so that the next
// sample begins step 0 of position 0: it raises the step trigger, moves to
// position 0, loads each track's pattern of position 0 and starts its notes.
void CueSongStart(Sequencer& seq);

// Runs the clock for frames samples exactly as the audio callback does, in
// blocks of the callback's size, handing interleaved stereo frames to sink in
// chunks. Stops early, returning false, when sink returns false.
bool RenderFrames(Sequencer& seq, int64_t frames,
                  const std::function<bool(const float* interleaved, int64_t frames)>& sink);

// Runs the clock for frames samples as RenderFrames does, with every track
// kept apart (the stems): sink gets one interleaved stereo buffer per track,
// in track order, each what that track adds into the mix, muted or not. The
// mix adds the tracks onto 0 in track order in single precision, so these
// buffers added the same way give RenderFrames' samples bit for bit when no
// track is muted, and without the muted ones when some are.
bool RenderTrackFrames(Sequencer& seq, int64_t frames,
                       const std::function<bool(const float* const* tracks, int64_t frames)>& sink);

}  // namespace tessaloop
