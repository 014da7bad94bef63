// The time of one whole editor frame plus presenting it to memory, with a busy
// screen: every cell holds a sound (tab 1 draws its note marker, octave and
// semitone), the help overlay is shown, a cell is current and the arrangement
// rows are full.
//
// Presenting copies the back buffer into memory as a window's texture upload
// would, then clears it. The headless test platform's own Present also decodes
// every pixel into a comparable image, which is test machinery and is measured
// apart (BM_BusyEditorFrameHeadlessPresent).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "display/Display.h"
#include "editor/Editor.h"
#include "input/InputState.h"
#include "input/KeyCodes.h"
#include "platform/HeadlessPlatform.h"
#include "sound/Palette.h"
#include "sound/Sequencer.h"
#include "tests/support/WorkFolder.h"

namespace {

using namespace tessaloop;
namespace fs = std::filesystem;

// A platform whose Present copies the frame into memory and nothing more.
class MemoryPlatform : public HeadlessPlatform {
 public:
  void Present(const FrameView& frame) override {
    const size_t bytes = static_cast<size_t>(frame.pitch) * static_cast<size_t>(frame.height);
    m_Copy.resize(bytes);
    std::memcpy(m_Copy.data(), frame.pixels, bytes);
  }
  const uint8_t* Copy() const { return m_Copy.data(); }

 private:
  std::vector<uint8_t> m_Copy;
};

template <typename PlatformType>
void BusyEditorFrame(benchmark::State& state) {
  const int tracks = static_cast<int>(state.range(0));
  const bool fullScreen = state.range(1) != 0;
  // A working folder of its own, so that the debug log is not written into
  // the source tree.
  testing::WorkFolder folder;
  folder.LinkData();
  PlatformType platform;
  Palette palette;
  Display display(platform, fullScreen, palette);
  display.Setup();
  InputState input(platform, display.m_Width, display.m_Height);
  input.CreateDevices();
  SequencerSetup setup;
  setup.trackCount = tracks;
  setup.palette = &palette;
  setup.startAudio = false;
  Sequencer seq(setup);

  for (int t = 0; t < tracks; ++t) {
    for (int s = 0; s < kStepsPerPattern; ++s) {
      CellSound sound;
      sound.slot = kFirstPaletteSlot + (s + t) % 16;
      sound.octave = (s + t) % 10;
      sound.semitone = (3 * s + t) % 12;
      seq.SetCell(t, s, sound);
    }
    for (int j = 0; j < kArrangementLength; ++j)
      seq.SetArrangement(t, j, 1 + (j + t) % 26);
  }
  Editor editor(seq, display, input);
  editor.Frame();  // lets the pointer move
  platform.MoveMouse(5 * 64 + 32, 24 + 32);
  platform.SetKey(key::kF1, true);

  for (auto _ : state) {
    editor.Frame();
    display.CountFrame();
    display.Present();
  }
  state.counters["frames_per_second"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_BusyEditorFrame(benchmark::State& state) {
  BusyEditorFrame<MemoryPlatform>(state);
}
BENCHMARK(BM_BusyEditorFrame)
    ->ArgNames({"tracks", "full_screen"})
    ->Args({3, 0})
    ->Args({6, 1})
    ->Unit(benchmark::kMicrosecond);

void BM_BusyEditorFrameHeadlessPresent(benchmark::State& state) {
  BusyEditorFrame<HeadlessPlatform>(state);
}
BENCHMARK(BM_BusyEditorFrameHeadlessPresent)
    ->ArgNames({"tracks", "full_screen"})
    ->Args({3, 0})
    ->Args({6, 1})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
