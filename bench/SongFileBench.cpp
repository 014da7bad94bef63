// How long the song files take: saving, loading (with its 17 bitmap loads),
// and exporting a 6-track song of 100 positions, in multiples of real time.
//
// Runs in a temporary folder of its own with generated bitmaps in data/ and
// userbitmaps/, as the program's folder would hold them.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "display/BmpWriter.h"
#include "display/Display.h"
#include "platform/HeadlessPlatform.h"
#include "songfile/SongFormat.h"
#include "sound/Sequencer.h"
#include "tests/support/WorkFolder.h"
#include "tools/render/RenderSong.h"

namespace {

using namespace tessaloop;
namespace fs = std::filesystem;

// The benchmark's working folder, removed at exit.
class BenchFolder {
 public:
  BenchFolder() {
    fs::create_directories("data");
    fs::create_directories("userbitmaps");
    fs::create_directories("songs");
    std::vector<uint32_t> pixels(210 * 210);
    for (int i = 0; i < kSavedSlotCount; ++i) {
      for (size_t p = 0; p < pixels.size(); ++p)
        pixels[p] = static_cast<uint32_t>((p * static_cast<size_t>(i + 3)) % 256) | 0x102030u;
      WriteBmp24(kStartupPalette[i], 210, 210, pixels.data());
      WriteBmp24("userbitmaps/sound" + std::to_string(i) + ".bmp", 210, 210, pixels.data());
    }
    WriteBmp24(kNotFoundBitmap, 210, 210, pixels.data());
  }

 private:
  testing::WorkFolder m_Folder;
};

BenchFolder& Folder() {
  static BenchFolder folder;
  return folder;
}

// A busy 6-track song: every position of every track arranged, every bank
// cell sounding, user bitmaps in the palette.
struct BusySong {
  BusySong() : display(platform, false) {
    Folder();
    display.Setup();
    SequencerSetup setup;
    setup.trackCount = 6;
    setup.wavetables = &display.m_Wavetables;
    setup.display = &display;
    setup.startAudio = false;
    seq = std::make_unique<Sequencer>(setup);
    for (int n = 0; n < kPatternCount; ++n) {
      for (int c = 0; c < kStepsPerPattern; ++c) {
        Cell& cell = seq->m_Bank.m_Patterns[n][c];
        cell.m_Slot = kFirstPaletteSlot + (n + c) % 16;
        cell.m_Octave = 2 + (n + c) % 6;
        cell.m_Semitone = (n * 5 + c) % 12;
        cell.m_Attack = 0.015625f * static_cast<float>(1 + (c * 7) % 63);
        cell.m_Pan = 0.1f * static_cast<float>(1 + (n + c) % 9);
        cell.SetNote();
      }
    }
    for (int t = 0; t < 6; ++t)
      for (int p = 0; p < kArrangementLength; ++p)
        seq->m_Arrangement[t][p] = 1 + (p + t * 4) % 26;
    for (int i = 1; i < kSavedSlotCount; ++i) {
      display.LoadPaletteSlot(kFirstSavedSlot + i,
                              ("userbitmaps/sound" + std::to_string(i) + ".bmp").c_str());
    }
    std::strcpy(seq->m_Name, "Bench");
    seq->SaveSong();
  }

  HeadlessPlatform platform;
  Display display;
  std::unique_ptr<Sequencer> seq;
};

BusySong& Song() {
  static BusySong song;
  return song;
}

void BM_SaveSong(benchmark::State& state) {
  Sequencer& seq = *Song().seq;
  for (auto _ : state)
    seq.SaveSong();  // formats, writes a temporary, flushes it to the disk, renames
}
BENCHMARK(BM_SaveSong)->Unit(benchmark::kMicrosecond);

void BM_ReadSongFile(benchmark::State& state) {
  Song();
  auto song = std::make_unique<SongImage>();
  std::string why;
  for (auto _ : state) {
    if (!ReadSongFile("songs/Bench.tlp", 6, *song, why)) state.SkipWithError(why.c_str());
  }
}
BENCHMARK(BM_ReadSongFile)->Unit(benchmark::kMicrosecond);

void BM_LoadSong(benchmark::State& state) {
  Sequencer& seq = *Song().seq;
  for (auto _ : state) {
    if (!seq.LoadSongFile("songs/Bench.tlp")) state.SkipWithError("the song was refused");
  }
}
BENCHMARK(BM_LoadSong)->Unit(benchmark::kMillisecond);

// The whole command: start-up, load, render of 100 positions and the file.
void BM_Export(benchmark::State& state) {
  Song();
  RenderOptions options;
  options.song = "songs/Bench.tlp";
  options.out = state.range(0) == 0 ? "bench.wav" : "bench.flac";
  options.positions = 100;
  double audioSeconds = 0;
  double wallSeconds = 0;
  for (auto _ : state) {
    std::string summary;
    std::string error;
    const auto begin = std::chrono::steady_clock::now();
    if (RunRender(options, summary, error) != 0) state.SkipWithError(error.c_str());
    wallSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    audioSeconds += 100.0 * 16 * Song().seq->m_SamplesPerStep / kSampleRate;
    fs::remove(options.out);
  }
  state.counters["x_real_time"] = audioSeconds / wallSeconds;
  state.counters["audio_s"] = audioSeconds / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Export)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

// The clock alone over the same song, without start-up or file: the ceiling
// of the export.
void BM_RenderOnly(benchmark::State& state) {
  Sequencer& seq = *Song().seq;
  seq.LoadSongFile("songs/Bench.tlp");
  const int64_t frames = 100 * int64_t{16} * seq.m_SamplesPerStep;
  double wallSeconds = 0;
  for (auto _ : state) {
    CueSongStart(seq);
    const auto begin = std::chrono::steady_clock::now();
    RenderFrames(seq, frames, [](const float* data, int64_t) {
      benchmark::DoNotOptimize(data);
      return true;
    });
    wallSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  }
  state.counters["x_real_time"] = static_cast<double>(frames) *
                                  static_cast<double>(state.iterations()) / kSampleRate /
                                  wallSeconds;
}
BENCHMARK(BM_RenderOnly)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
