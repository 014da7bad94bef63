#pragma once

#include "sound/Palette.h"
#include "sound/Sequencer.h"
#include "tests/support/TestTables.h"

namespace tessaloop::testing {

// A palette holding the tests' own recognisable tables.
struct FilledPalette : Palette {
  FilledPalette() { FillTestTables(*this); }
};

// A Sequencer over the given palette, without its stream unless asked for.
inline SequencerSetup RigSetup(Palette& palette, int tracks = 3, bool audio = false) {
  SequencerSetup setup;
  setup.trackCount = tracks;
  setup.palette = &palette;
  setup.startAudio = audio;
  return setup;
}

// Sets the mix up as the stream would, for driving RenderBlock without one.
inline void SizeMix(Sequencer& seq) {
  seq.m_Mix.Reset();
}

}  // namespace tessaloop::testing
