#pragma once

#include "display/WavetableBank.h"
#include "sound/Sequencer.h"
#include "tests/support/TestTables.h"

namespace tessaloop::testing {

// A bank holding the tests' own recognisable tables.
struct FilledBank : WavetableBank {
  FilledBank() { FillTestTables(*this); }
};

// A Sequencer over the given bank, without its stream unless asked for.
inline SequencerSetup RigSetup(WavetableBank& bank, int tracks = 3, bool audio = false) {
  SequencerSetup setup;
  setup.trackCount = tracks;
  setup.wavetables = &bank;
  setup.startAudio = audio;
  return setup;
}

// Sizes the mix as the stream would, for driving RenderBlock without one.
inline void SizeMix(Sequencer& seq) {
  seq.m_Mix.m_FramesPerBuffer = MixBuffer::kFramesPerBuffer;
  seq.m_Mix.m_NumberOfBlocks = MixBuffer::kNumberOfBlocks;
}

}  // namespace tessaloop::testing
