#pragma once

#include <memory>

#include "display/Display.h"
#include "platform/HeadlessPlatform.h"
#include "sound/Sequencer.h"

namespace tessaloop {

// The program without a window or a sound device, as the exporter and the
// tools that replay a session need it: a display that has loaded the start-up
// pictures from data/, and a Sequencer with every default and no audio stream.
struct HeadlessProgram {
  explicit HeadlessProgram(int tracks) {
    display->Setup();
    SequencerSetup setup;
    setup.trackCount = tracks;
    setup.wavetables = &display->m_Wavetables;
    setup.display = display.get();
    setup.startAudio = false;
    seq = std::make_unique<Sequencer>(setup);
  }

  HeadlessPlatform platform;
  std::unique_ptr<Display> display = std::make_unique<Display>(platform, false);
  std::unique_ptr<Sequencer> seq;
};

}  // namespace tessaloop
