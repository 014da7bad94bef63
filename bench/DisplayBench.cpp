// What the display costs: the start-up with all its bitmap loads (target under
// 100 ms), a whole screen of text, 128 x 96 glyphs (target under 1 ms), and a
// frame like the editor's.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/BmpWriter.h"
#include "display/Display.h"
#include "platform/HeadlessPlatform.h"
#include "sound/Palette.h"
#include "tests/support/WorkFolder.h"

namespace {

using namespace tessaloop;
namespace fs = std::filesystem;

// A working folder with every file the start-up loads, at its real size.
class BenchFolder {
 public:
  BenchFolder() {
    fs::create_directory("data");
    int seed = 0;
    for (const char* name :
         {"noise", "notfound", "max", "min", "square", "stepsaw", "stepsine", "cellstar",
          "noise-fade", "pit", "multi-circle", "noise-square", "grid", "impulse", "pattern1",
          "small-square", "corner", "multi-band", "slant"})
      Write(std::string("data/") + name + ".bmp", 210, 210, ++seed);
    Write("data/text.bmp", 256, 256, ++seed);
    Write("data/selected.bmp", 64, 64, ++seed);
    Write("data/tabs.bmp", 512, 24, ++seed);
    Write("data/tempo.bmp", 512, 24, ++seed);
    Write("data/title.bmp", 512, 24, ++seed);
    Write("data/tabon.bmp", 10, 24, ++seed);
  }

 private:
  static void Write(const std::string& path, int width, int height, int seed) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        pixels[static_cast<size_t>(y) * width + x] =
            static_cast<uint32_t>((x * 7 + y * 13 + seed * 41) & 0xFF) |
            static_cast<uint32_t>((x * seed) & 0xFF) << 8 |
            static_cast<uint32_t>((y * 3 + seed) & 0xFF) << 16;
    WriteBmp24(path, width, height, pixels.data());
  }

  testing::WorkFolder m_Folder;
};

void BM_DisplayStartup(benchmark::State& state) {
  BenchFolder folder;
  HeadlessPlatform platform;
  for (auto _ : state) {
    // The palette too, as the program makes it at start: its tables are
    // filled by the very loads that bring the pictures.
    Palette palette;
    Display display(platform, state.range(0) != 0, palette);
    display.Setup();
    benchmark::DoNotOptimize(palette.Tables().Sample(21, 44099));
  }
  state.SetLabel(state.range(0) ? "full screen, 16-bit" : "windowed, 32-bit");
}
BENCHMARK(BM_DisplayStartup)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One line of 128 printable characters for each of the 96 text rows.
std::vector<std::string> ScreenOfText() {
  std::vector<std::string> lines;
  for (int row = 0; row < 96; ++row) {
    std::string line;
    for (int column = 0; column < 128; ++column)
      line.push_back(static_cast<char>(33 + (row * 128 + column) % 95));
    lines.push_back(line);
  }
  return lines;
}

void BM_FullScreenOfText(benchmark::State& state) {
  BenchFolder folder;
  HeadlessPlatform platform;
  Palette palette;
  Display display(platform, state.range(0) != 0, palette);
  display.Setup();
  const bool keyed = state.range(1) != 0;
  const std::vector<std::string> lines = ScreenOfText();
  for (auto _ : state) {
    for (int row = 0; row < 96; ++row) {
      if (keyed)
        display.DrawStringKeyed(0, row * 8, lines[row].c_str());
      else
        display.DrawString(0, row * 8, lines[row].c_str());
    }
    benchmark::ClobberMemory();
  }
  state.counters["glyphs/s"] =
      benchmark::Counter(128.0 * 96.0, benchmark::Counter::kIsIterationInvariantRate);
  state.SetLabel(std::string(state.range(0) ? "16-bit" : "32-bit") +
                 (keyed ? ", keyed" : ", opaque"));
}
BENCHMARK(BM_FullScreenOfText)
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMicrosecond);

// About what the editor draws each frame: the three bars, the palette, six
// tracks of cell pictures with their markers, 1300 glyphs, then the clear to
// white that Present does (the hand-over to the platform is left out: on the
// real platform that is a texture upload).
void BM_EditorLikeFrame(benchmark::State& state) {
  BenchFolder folder;
  HeadlessPlatform platform;
  Palette palette;
  Display display(platform, state.range(0) != 0, palette);
  display.Setup();
  const Rect bar{0, 0, 512, 24};
  const Rect picture{0, 0, 64, 64};
  const std::vector<std::string> lines = ScreenOfText();
  for (auto _ : state) {
    display.BlitSlot(0, 0, kSlotTitle, bar, false);
    display.BlitSlot(512, 0, kSlotTabs, bar, false);
    display.BlitSlot(0, 744, kSlotTempo, bar, false);
    display.BlitSlot(100, 0, kSlotTabOn, {0, 0, 10, 24}, true);
    for (int i = 0; i < 16; ++i)
      display.BlitSlot(i * 64, 640, 6 + i, picture, false);
    for (int track = 0; track < 6; ++track)
      for (int step = 0; step < 16; ++step) {
        display.BlitSlot(step * 64, 30 + track * 96, 6 + (step + track) % 16, picture, false);
        display.BlitSlot(step * 64, 30 + track * 96, kSlotMax, {0, 0, 12, 12}, false);
      }
    display.BlitSlot(128, 30, kSlotSelected, picture, true);
    for (int row = 0; row < 10; ++row)
      display.DrawString(0, 100 + row * 8, lines[row].c_str());
    display.DrawStringKeyed(0, 200, lines[10].c_str() + 108);
    display.FillSurface(-1, kWhite);
    benchmark::ClobberMemory();
  }
  state.SetLabel(state.range(0) ? "16-bit" : "32-bit");
}
BENCHMARK(BM_EditorLikeFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
