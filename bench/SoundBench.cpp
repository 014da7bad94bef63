// How fast the engine makes sound: audio rendered per CPU second as a multiple
// of real time, with every track sounding on every step, and the worst single
// 64-frame callback.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <vector>

#include "sound/Palette.h"
#include "sound/Sequencer.h"

namespace {

using namespace tessaloop;

// Tables made in memory, so that the figures do not depend on the pictures in
// data/.
std::unique_ptr<Sequencer> BusySong(Palette& palette, int tracks) {
  std::vector<float> table(kTableLength);
  for (int s = 0; s < kSlotCount; ++s) {
    for (int i = 0; i < kTableLength; ++i)
      table[i] = static_cast<float>((i * (s + 3)) % 256 - 128) / 128.0f;
    palette.StoreTable(s, table.data());
  }
  SequencerSetup setup;
  setup.trackCount = tracks;
  setup.palette = &palette;
  setup.startAudio = false;
  auto seq = std::make_unique<Sequencer>(setup);
  seq->m_Mix.Reset();
  for (int t = 0; t < tracks; ++t)
    for (int s = 0; s < kStepsPerPattern; ++s) {
      CellSound sound;
      sound.slot = kFirstPaletteSlot + (s + t) % 16;
      sound.octave = 2 + (s % 5);
      sound.slide = 0.3f;
      seq->SetCell(t, s, sound);
    }
  return seq;
}

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void BM_RenderRealTimeMultiple(benchmark::State& state) {
  Palette palette;
  auto seq = BusySong(palette, static_cast<int>(state.range(0)));
  float out[2 * MixBuffer::kFramesPerBuffer];
  int64_t frames = 0;
  const double start = CpuSeconds();
  for (auto _ : state) {
    seq->RenderBlock(out, MixBuffer::kFramesPerBuffer);
    benchmark::DoNotOptimize(out);
    frames += MixBuffer::kFramesPerBuffer;
  }
  const double cpu = CpuSeconds() - start;
  state.counters["x_real_time"] = static_cast<double>(frames) / kSampleRate / cpu;
  state.SetItemsProcessed(frames);
}
BENCHMARK(BM_RenderRealTimeMultiple)->Arg(3)->Arg(6)->MinTime(2.0);

// The worst callback over a minute of audio, as a share of its 1.45 ms period.
// Wall-clock figures include any time the machine took the core away; the CPU
// figure counts only the callback's own work.
void BM_WorstCallback(benchmark::State& state) {
  Palette palette;
  auto seq = BusySong(palette, static_cast<int>(state.range(0)));
  float out[2 * MixBuffer::kFramesPerBuffer];
  const double period = static_cast<double>(MixBuffer::kFramesPerBuffer) / kSampleRate;
  std::vector<double> wall;
  double worstCpu = 0;
  for (auto _ : state) {
    wall.clear();
    for (int i = 0; i < 60 * kSampleRate / MixBuffer::kFramesPerBuffer; ++i) {
      const double cpuBegin = CpuSeconds();
      const auto begin = std::chrono::steady_clock::now();
      seq->RenderBlock(out, MixBuffer::kFramesPerBuffer);
      const auto end = std::chrono::steady_clock::now();
      worstCpu = std::max(worstCpu, CpuSeconds() - cpuBegin);
      wall.push_back(std::chrono::duration<double>(end - begin).count());
    }
  }
  std::sort(wall.begin(), wall.end());
  state.counters["worst_wall_us"] = wall.back() * 1e6;
  state.counters["worst_cpu_us"] = worstCpu * 1e6;
  state.counters["worst_cpu_pct_of_period"] = 100.0 * worstCpu / period;
  state.counters["p999_wall_us"] = wall[wall.size() * 999 / 1000] * 1e6;
  state.counters["median_wall_us"] = wall[wall.size() / 2] * 1e6;
}
BENCHMARK(BM_WorstCallback)->Arg(3)->Arg(6)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
