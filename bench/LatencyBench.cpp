// How long the audio callback takes while everything else is busy: the real
// stream plays a six-track song in real time (PortAudio on an ALSA device
// paced by a pipe) while the interface thread runs editor frames back to back
// with random input and loads a song every second. Prints the median, 99.9th
// percentile and worst callback time against the 1.45 ms period, and whether
// the callback was called for every period.
//
//   latency_bench            a minute (LATENCY_SECONDS sets another length)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "display/Display.h"
#include "editor/Editor.h"
#include "input/InputState.h"
#include "platform/HeadlessPlatform.h"
#include "songfile/SongFiles.h"
#include "songfile/SongFormat.h"
#include "sound/CallbackTimes.h"
#include "sound/Palette.h"
#include "sound/Sequencer.h"
#include "sound/Song.h"
#include "tests/support/WorkFolder.h"

namespace {

using namespace tessaloop;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

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
}

// What Return on the first entry of the song tab does.
void LoadFirstListedSong(Sequencer& seq, const FolderList& songs) {
  const std::string path = std::string(kSongFolder) + "/" +
                           std::string(songs.names[0], strnlen(songs.names[0], kListNameLength));
  LoadSongFile(seq, path.c_str());
}

}  // namespace

int main() {
  const char* secondsText = std::getenv("LATENCY_SECONDS");
  const double seconds = secondsText != nullptr ? std::atof(secondsText) : 60.0;

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

  HeadlessPlatform platform;
  platform.SetKeepFrames(false);
  Palette palette;
  Display display(platform, false, palette);
  display.Setup();
  InputState input(platform, kScreenWidth, kScreenHeight);
  input.CreateDevices();
  SequencerSetup setup;
  setup.trackCount = 6;
  setup.palette = &palette;
  setup.startAudio = false;
  auto seq = std::make_unique<Sequencer>(setup);
  ComposeBusySong(*seq);
  // Saved under the name every new song has, and loaded back every second.
  auto song = std::make_unique<Song>();
  seq->Capture(*song);
  if (!SaveSong(*song)) {
    std::fprintf(stderr, "latency_bench: the song could not be saved\n");
    return 1;
  }
  Editor editor(*seq, display, input);
  FolderList songs;
  ListSongs(songs);

  auto times = std::make_unique<CallbackTimes>();
  seq->TimeCallbacks(times.get());
  seq->StartAudio();
  if (!seq->AudioRunning()) {
    std::fprintf(stderr, "latency_bench: the audio stream did not open\n");
    return 1;
  }

  std::mt19937 random(1234);
  const auto start = Clock::now();
  auto nextLoad = start + std::chrono::seconds(1);
  long frames = 0;
  int loads = 0;
  while (Clock::now() - start < std::chrono::duration<double>(seconds)) {
    // Random but valid input: wander over cells, tabs 1-5 and the palette,
    // pressing and letting go now and then.
    platform.MoveMouse(static_cast<int>(random() % 41) - 20, static_cast<int>(random() % 41) - 20);
    if (random() % 30 == 0) platform.SetButton(0, random() % 2 == 0);
    if (input.m_MouseY > 700 || (input.m_MouseY < 24 && input.m_MouseX > 380))
      platform.MoveMouse(0, 100);
    editor.Frame();
    display.CountFrame();
    display.Present();
    ++frames;
    if (Clock::now() >= nextLoad) {
      LoadFirstListedSong(*seq, songs);
      ++loads;
      nextLoad += std::chrono::seconds(1);
    }
  }
  const double ran = std::chrono::duration<double>(Clock::now() - start).count();
  seq->StopAudio();

  const double period = 1e6 * MixBuffer::kFramesPerBuffer / kSampleRate;
  const double expected = ran * kSampleRate;
  std::printf(
      "latency under load: %.1f s, 6 tracks, %ld editor frames (%.0f a second), "
      "%d song loads\n",
      ran, frames, static_cast<double>(frames) / ran, loads);
  std::printf("callbacks: %llu, %llu frames (%.1f%% of the %.0f the wall time asks for)\n",
              static_cast<unsigned long long>(times->count),
              static_cast<unsigned long long>(times->frames),
              100.0 * static_cast<double>(times->frames) / expected, expected);
  std::printf(
      "callback time: median %d us, 99th %d us, 99.9th %d us, worst %.0f us "
      "(%.1f%% of the %.0f us period)\n",
      times->Percentile(0.5), times->Percentile(0.99), times->Percentile(0.999),
      times->worstSeconds * 1e6, 100.0 * times->worstSeconds * 1e6 / period, period);
  std::printf("audio thread: %s\n", seq->AudioThreadRealTime() > 0
                                        ? "real-time priority"
                                        : "ordinary priority (real-time not allowed)");
  return 0;
}
