// Entry point. For now the program builds its wavetables and Sequencer, which
// starts the audio stream, and ends; the window and the main loop come with the
// shell.

#include <memory>

#include "app/BuildConstants.h"
#include "display/WavetableBank.h"
#include "sound/Sequencer.h"

int main() {
  using namespace tessaloop;
  auto wavetables = std::make_unique<WavetableBank>();
  SequencerSetup setup;
  setup.trackCount = kTrackCount;
  setup.wavetables = wavetables.get();
  auto sequencer = std::make_unique<Sequencer>(setup);
  sequencer->StopAudio();
  return 0;
}
