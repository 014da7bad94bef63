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

#include "base/BmpWriter.h"
#include "display/Display.h"
#include "platform/HeadlessPlatform.h"
#include "songfile/SongFiles.h"
#include "songfile/SongFormat.h"
#include "sound/OfflineRender.h"
#include "sound/Palette.h"
#include "sound/Sequencer.h"
#include "sound/Song.h"
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
      WriteBmp24(Palette::StartupName(i), 210, 210, pixels.data());
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
  BusySong() : display(platform, false, palette) {
    Folder();
    display.Setup();
    SequencerSetup setup;
    setup.trackCount = 6;
    setup.palette = &palette;
    setup.startAudio = false;
    seq = std::make_unique<Sequencer>(setup);
    for (int n = 0; n < kPatternCount; ++n) {
      for (int c = 0; c < kStepsPerPattern; ++c) {
        Cell& cell = seq->m_Bank.m_Patterns[n][c];
        CellSound sound;
        sound.slot = kFirstPaletteSlot + (n + c) % 16;
        sound.octave = 2 + (n + c) % 6;
        sound.semitone = (n * 5 + c) % 12;
        sound.attack = 0.015625f * static_cast<float>(1 + (c * 7) % 63);
        sound.pan = 0.1f * static_cast<float>(1 + (n + c) % 9);
        cell.SetSound(sound);
      }
    }
    for (int t = 0; t < 6; ++t)
      for (int p = 0; p < kArrangementLength; ++p)
        seq->SetArrangement(t, p, 1 + (p + t * 4) % 26);
    for (int i = 1; i < kSavedSlotCount; ++i) {
      seq->ReplaceSound(kFirstSavedSlot + i,
                        ("userbitmaps/sound" + std::to_string(i) + ".bmp").c_str());
    }
    seq->SetName("Bench");
    Save();
  }

  // What the editor's save does: the song taken as a value, then formatted,
  // written to a temporary, flushed to the disk and renamed.
  bool Save() {
    seq->Capture(*song);
    return SaveSong(*song);
  }

  HeadlessPlatform platform;
  Palette palette;
  Display display;
  std::unique_ptr<Sequencer> seq;
  std::unique_ptr<Song> song = std::make_unique<Song>();
};

BusySong& TheSong() {
  static BusySong song;
  return song;
}

void BM_SaveSong(benchmark::State& state) {
  BusySong& busy = TheSong();
  for (auto _ : state)
    if (!busy.Save()) state.SkipWithError("the song was not saved");
}
BENCHMARK(BM_SaveSong)->Unit(benchmark::kMicrosecond);

void BM_ReadSongFile(benchmark::State& state) {
  TheSong();
  auto song = std::make_unique<Song>();
  std::string why;
  for (auto _ : state) {
    if (!ReadSongFile("songs/Bench.tlp", 6, *song, why)) state.SkipWithError(why.c_str());
  }
}
BENCHMARK(BM_ReadSongFile)->Unit(benchmark::kMicrosecond);

void BM_LoadSong(benchmark::State& state) {
  Sequencer& seq = *TheSong().seq;
  for (auto _ : state) {
    if (!LoadSongFile(seq, "songs/Bench.tlp")) state.SkipWithError("the song was refused");
  }
}
BENCHMARK(BM_LoadSong)->Unit(benchmark::kMillisecond);

// The whole command: start-up, load, render of 100 positions and the file.
void BM_Export(benchmark::State& state) {
  TheSong();
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
    audioSeconds += 100.0 * 16 * TheSong().seq->m_SamplesPerStep / kSampleRate;
    fs::remove(options.out);
  }
  state.counters["x_real_time"] = audioSeconds / wallSeconds;
  state.counters["audio_s"] = audioSeconds / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Export)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

// The clock alone over the same song, without start-up or file: the ceiling
// of the export.
void BM_RenderOnly(benchmark::State& state) {
  Sequencer& seq = *TheSong().seq;
  LoadSongFile(seq, "songs/Bench.tlp");
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
