// What an export in the background costs the audio callback: the real stream
// plays a six-track song in real time (PortAudio on an ALSA device paced by a
// pipe, as latency_bench does) first alone, then while BackgroundExport
// exports the same song over and over, as Ctrl+E in the editor does. Prints
// the median, 99.9th percentile and worst callback time of both runs against
// the 1.45 ms period, and how fast the export went.
//
//   export_bench            20 s each (EXPORT_BENCH_SECONDS sets another length)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "export/SongExport.h"
#include "sound/CallbackTimes.h"
#include "sound/Palette.h"
#include "sound/Sequencer.h"
#include "sound/Song.h"
#include "tests/support/WorkFolder.h"

namespace {

using namespace tessaloop;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Every step sounding on every track, all 100 positions arranged.
void ComposeBusySong(Sequencer& seq) {
  for (int t = 0; t < seq.TrackCount(); ++t) {
    for (int s = 0; s < kStepsPerPattern; ++s) {
      CellSound sound;
      sound.slot = kFirstPaletteSlot + (s + 3 * t) % 16;
      sound.octave = 2 + (s + t) % 5;
      sound.semitone = (5 * s + t) % 12;
      sound.slide = s % 3 == 0 ? 0.3f : 0.5f;
      sound.pan = 0.1f * static_cast<float>(1 + (s + t) % 9);
      seq.SetCell(t, s, sound);
    }
    seq.StorePattern(t, 1 + t);
    for (int p = 0; p < kArrangementLength; ++p)
      seq.SetArrangement(t, p, 1 + (p + t) % 6);
  }
  seq.SetTempo(3000);
  seq.SetSongMode(true);
  seq.SetName("Bench");
}

struct ExportFigures {
  int finished = 0;
  int failed = 0;
  int64_t frames = 0;     // of the finished exports
  double seconds = 0;     // that they took
  int64_t fileBytes = 0;  // of one of them
};

// Plays for the given time with or without exports running beside the
// stream; the callback times go into times.
bool Play(Sequencer& seq, double seconds, const Song* exported, CallbackTimes& times,
          ExportFigures& figures) {
  seq.TimeCallbacks(&times);
  seq.StartAudio();
  if (!seq.AudioRunning()) return false;
  auto background = std::make_unique<BackgroundExport>();
  const auto start = Clock::now();
  auto exportStart = start;
  if (exported != nullptr) background->Start(*exported);
  while (Clock::now() - start < std::chrono::duration<double>(seconds)) {
    // As the editor's frames would poll it.
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ExportResult result;
    if (exported == nullptr || !background->TakeResult(result)) continue;
    if (result.ok) {
      ++figures.finished;
      figures.frames += WholeSongFrames(seq);
      figures.seconds += std::chrono::duration<double>(Clock::now() - exportStart).count();
      figures.fileBytes = static_cast<int64_t>(fs::file_size(result.path));
    } else {
      ++figures.failed;
      std::fprintf(stderr, "export_bench: %s\n", result.error.c_str());
    }
    std::error_code ignored;
    fs::remove(result.path, ignored);
    exportStart = Clock::now();
    background->Start(*exported);
  }
  background.reset();  // cancels the export under way
  seq.StopAudio();
  seq.TimeCallbacks(nullptr);
  return true;
}

void Report(const char* what, const CallbackTimes& times, double seconds) {
  const double period = 1e6 * MixBuffer::kFramesPerBuffer / kSampleRate;
  const double expected = seconds * kSampleRate;
  std::printf(
      "%-14s callback median %4d us, 99.9th %4d us, worst %5.0f us (%5.1f%% of the %.0f us "
      "period); %llu callbacks, %.1f%% of the frames the wall time asks for\n",
      what, times.Percentile(0.5), times.Percentile(0.999), times.worstSeconds * 1e6,
      100.0 * times.worstSeconds * 1e6 / period, period,
      static_cast<unsigned long long>(times.count),
      100.0 * static_cast<double>(times.frames) / expected);
}

}  // namespace

int main() {
  const char* secondsText = std::getenv("EXPORT_BENCH_SECONDS");
  const double seconds = secondsText != nullptr ? std::atof(secondsText) : 20.0;

  testing::WorkFolder work;
  const std::string& folder = work.Path();
  work.CopyData();
  fs::copy(fs::path(testing::SourceDir()) / "userbitmaps", fs::path(folder) / "userbitmaps");
  fs::create_directory(fs::path(folder) / "songs");
  std::ofstream(folder + "/asound.conf") << "pcm.!default {\n"
                                            "    type file\n"
                                            "    slave.pcm { type null }\n"
                                            "    file \"|" TESSALOOP_AUDIO_PACER
                                            " /dev/null 352800\"\n"
                                            "    format \"raw\"\n"
                                            "}\n";
  setenv("ALSA_CONFIG_PATH", (folder + "/asound.conf").c_str(), 1);
  setenv("HOME", folder.c_str(), 1);

  Palette palette;
  palette.LoadStartupSounds();
  SequencerSetup setup;
  setup.trackCount = 6;
  setup.palette = &palette;
  setup.startAudio = false;
  auto seq = std::make_unique<Sequencer>(setup);
  ComposeBusySong(*seq);
  auto song = std::make_unique<Song>();
  seq->Capture(*song);

  auto alone = std::make_unique<CallbackTimes>();
  auto exporting = std::make_unique<CallbackTimes>();
  ExportFigures none, figures;
  const auto first = Clock::now();
  if (!Play(*seq, seconds, nullptr, *alone, none)) {
    std::fprintf(stderr, "export_bench: the audio stream did not open\n");
    return 1;
  }
  const double aloneSeconds = std::chrono::duration<double>(Clock::now() - first).count();
  const auto second = Clock::now();
  if (!Play(*seq, seconds, song.get(), *exporting, figures)) {
    std::fprintf(stderr, "export_bench: the audio stream did not open again\n");
    return 1;
  }
  const double exportingSeconds = std::chrono::duration<double>(Clock::now() - second).count();

  std::printf("export beside the audio stream: 6 tracks, %.0f s each run\n", seconds);
  Report("no export:", *alone, aloneSeconds);
  Report("exporting:", *exporting, exportingSeconds);
  if (figures.finished > 0) {
    const double audioSeconds = static_cast<double>(figures.frames) / kSampleRate;
    std::printf(
        "exports: %d finished (%d failed), each %.1f s of audio, %.1f MB, in %.2f s: %.0f times "
        "real time\n",
        figures.finished, figures.failed, audioSeconds / figures.finished,
        static_cast<double>(figures.fileBytes) / 1e6, figures.seconds / figures.finished,
        audioSeconds / figures.seconds);
  } else {
    std::printf("exports: none finished within the run (%d failed)\n", figures.failed);
  }
  std::printf("audio thread: %s\n", seq->AudioThreadRealTime() > 0
                                        ? "real-time priority"
                                        : "ordinary priority (real-time not allowed)");
  return 0;
}
