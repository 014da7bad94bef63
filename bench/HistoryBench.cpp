// What the undo history costs on tessaloop6 (six tracks): the memory of a
// full history of 500 steps, for the smallest steps (one cell each) and the
// largest (a song load that changes every place of the song), and the time
// of one undo and one redo of each.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "history/UndoHistory.h"
#include "sound/Palette.h"
#include "sound/Sequencer.h"
#include "sound/Song.h"
#include "tests/support/WorkFolder.h"

namespace {

using namespace tessaloop;

constexpr int kTracks = 6;

// A program's song state without its window: the shipped pictures loaded and
// no audio stream, which undo never waits for anyway.
struct Program {
  Program() : work() {
    work.LinkData();
    palette.LoadStartupSounds();
    SequencerSetup setup;
    setup.trackCount = kTracks;
    setup.palette = &palette;
    setup.startAudio = false;
    seq = std::make_unique<Sequencer>(setup);
    history = std::make_unique<UndoHistory>(*seq);
  }
  testing::WorkFolder work;
  Palette palette;
  std::unique_ptr<Sequencer> seq;
  std::unique_ptr<UndoHistory> history;
};

// A song unlike the start-up one in every place but the palette (whose
// pictures a load reloads from the disk: that cost is the disk's, not the
// history's), variant v giving other values.
std::unique_ptr<Song> WholeSong(const Sequencer& seq, int v) {
  auto song = std::make_unique<Song>();
  seq.Capture(*song);
  for (int t = 0; t < kTracks; ++t) {
    for (int s = 0; s < kStepsPerPattern; ++s) {
      CellSound& cell = song->tracks[t].cells[s];
      cell.slot = kFirstPaletteSlot + (s + t + v) % 16;
      cell.octave = 1 + (s + v) % 6;
      cell.semitone = (s * 5 + v) % 12;
      cell.pan = 0.1f * static_cast<float>(1 + (s + v) % 9);
    }
    song->tracks[t].mute = (t + v) % 2 == 0;
    song->tracks[t].storedPattern = 1 + (t + v) % 20;
    song->tracks[t].loadedPattern = 2 + (t + v) % 20;
    for (int p = 0; p < kArrangementLength; ++p)
      song->arrangement[t][p] = 1 + (p + t + v) % 25;
  }
  for (int n = 0; n < kPatternCount; ++n)
    for (int c = 0; c < kStepsPerPattern; ++c) {
      song->bank[n][c] = song->tracks[c % kTracks].cells[(c + n) % kStepsPerPattern];
      song->bank[n][c].attack = 0.01f * static_cast<float>(1 + (n + c + v) % 90);
    }
  song->samplesPerStep = 4000 + 100 * v;
  song->songMode = v % 2 == 1;
  std::snprintf(song->name, sizeof song->name, "song%d", v);
  return song;
}

// 500 steps of one cell each.
void FillWithCellSteps(Program& program) {
  for (int i = 0; i < static_cast<int>(kUndoSteps); ++i) {
    CellSound sound;
    sound.slot = kFirstPaletteSlot + i % 16;
    // Back at a cell every 48 steps, with another octave each time.
    sound.octave = 1 + i / 48 % 6;
    program.seq->SetCell(i % kTracks, i % kStepsPerPattern, sound);
    program.history->EndGesture();
  }
}

// 500 steps of a whole song each: loads of two songs by turns.
void FillWithSongLoads(Program& program) {
  const std::unique_ptr<Song> songs[2] = {WholeSong(*program.seq, 1), WholeSong(*program.seq, 2)};
  for (int i = 0; i < static_cast<int>(kUndoSteps); ++i) {
    program.seq->Apply(*songs[i % 2], SongParts::kAll);
    program.history->EndGesture();
  }
}

void Report(benchmark::State& state, const Program& program) {
  state.counters["steps"] = static_cast<double>(program.history->UndoSteps());
  state.counters["history_KB"] = static_cast<double>(program.history->Bytes()) / 1024.0;
  state.counters["KB_per_step"] = static_cast<double>(program.history->Bytes()) / 1024.0 /
                                  static_cast<double>(program.history->UndoSteps());
}

// One undo and one redo of a step of one cell.
void BM_UndoRedoCellStep(benchmark::State& state) {
  Program program;
  FillWithCellSteps(program);
  std::string what;
  for (auto _ : state) {
    program.history->Undo(what);
    program.history->Redo(what);
    benchmark::DoNotOptimize(what.data());
  }
  state.SetItemsProcessed(2 * state.iterations());  // an undo and a redo each
  Report(state, program);
}
BENCHMARK(BM_UndoRedoCellStep)->Unit(benchmark::kMicrosecond);

// One undo and one redo of a song load that changed every place.
void BM_UndoRedoSongLoad(benchmark::State& state) {
  Program program;
  FillWithSongLoads(program);
  std::string what;
  for (auto _ : state) {
    program.history->Undo(what);
    program.history->Redo(what);
    benchmark::DoNotOptimize(what.data());
  }
  state.SetItemsProcessed(2 * state.iterations());
  Report(state, program);
}
BENCHMARK(BM_UndoRedoSongLoad)->Unit(benchmark::kMicrosecond);

// Closing the gesture of a song load: the step is made from every place.
void BM_EndGestureOfSongLoad(benchmark::State& state) {
  Program program;
  FillWithSongLoads(program);
  const std::unique_ptr<Song> songs[2] = {WholeSong(*program.seq, 3), WholeSong(*program.seq, 4)};
  int i = 0;
  for (auto _ : state) {
    state.PauseTiming();
    program.seq->Apply(*songs[i++ % 2], SongParts::kAll);
    state.ResumeTiming();
    program.history->EndGesture();
  }
  Report(state, program);
}
BENCHMARK(BM_EndGestureOfSongLoad)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
