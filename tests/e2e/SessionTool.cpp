// session_tool: the whole-session test's own helper.
//
//   session_tool expect TRACKS ACTIONS
//       Builds every song the session saved from the session's own list of
//       actions, through the Sequencer's edit operations on an offline engine, and
//       saves each with the program's song writer into songs/ of the working
//       folder (which needs data/ and userbitmaps/ like the program's).
//   session_tool compare CAPTURE RENDER FROM_FRAME
//       Finds the render (a float WAV of the exporter) in the capture (raw
//       stereo float frames) at or after FROM_FRAME and checks that every
//       frame of it is there, bit for bit. Exit 0 when it is, 3 when the
//       capture is a match so far but too short yet, 1 when it is not there.
//   session_tool peaks CAPTURE FROM_BYTE TO_BYTE CHUNK_BYTES
//       The largest magnitude of the samples of each chunk of a byte range.
//
// The action list has one edit per line, as the user made it:
//   slot T S SLOT            a sound dropped, painted or deleted (5)
//   note T S OCTAVE SEMITONE a note dragged
//   semitone T S N           a semitone key (Z S X D C V G B H N J M)
//   octave T S N             an octave set with a digit or held Up / Down
//   envelope T S DX DY       attack DX/64, decay DY/64 (tab 2 drag)
//   slide T S DX DY          slide length DX/64, slide DY/64 (tab 3 drag)
//   pan T S DX               pan DX/64 (tab 4 drag)
//   pankey T S DIGIT         pan DIGIT/10 (tab 4 key)
//   copy T S / paste T S     F5 / F6
//   store T N / load T N     a track stored to / loaded from pattern N
//   arrange T POSITION N     a letter typed on the arrangement strip
//   bitmap SLOT PATH         a user bitmap loaded into a palette slot
//   tempo SAMPLES_PER_STEP   the tempo after a drag
//   save NAME                the song saved under NAME
//   loadsong PATH NAME       the song file PATH loaded from the song list,
//                            which names the song NAME
//   session                  the recovery copy written: songs/last-session.tlp

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "songfile/SongFiles.h"
#include "sound/OfflineRender.h"
#include "sound/Sequencer.h"

namespace tessaloop {
namespace {

float Sixty4ths(int n) {
  return static_cast<float>(n) / 64.0f;
}

int BuildExpectedSongs(int tracks, const char* actionsPath) {
  std::ifstream actions(actionsPath);
  if (!actions) {
    std::fprintf(stderr, "session_tool: cannot read %s\n", actionsPath);
    return 1;
  }
  OfflineEngine program(tracks);
  Sequencer* seq = program.seq.get();
  CellSound clipboard;

  std::string line;
  for (int lineNumber = 1; std::getline(actions, line); ++lineNumber) {
    std::istringstream in(line);
    const std::vector<std::string> t{std::istream_iterator<std::string>(in), {}};
    if (t.empty()) continue;
    const std::string& what = t[0];
    const size_t args = t.size() - 1;
    const auto n = [&](size_t i) { return i < t.size() ? std::atoi(t[i].c_str()) : -1; };
    const bool onTrack = n(1) >= 0 && n(1) < tracks;
    const bool onCell = onTrack && n(2) >= 0 && n(2) < kStepsPerPattern;
    CellSound sound = onCell ? seq->GetTrack(n(1)).m_Cells[n(2)].Sound() : CellSound{};
    const auto edit = [&] { seq->SetCell(n(1), n(2), sound); };
    if (what == "slot" && onCell && args == 3) {
      sound.slot = n(3);
      edit();
    } else if ((what == "note" && onCell && args == 4) ||
               ((what == "semitone" || what == "octave") && onCell && args == 3)) {
      if (what != "semitone") sound.octave = n(3);
      if (what != "octave") sound.semitone = n(what == "note" ? 4 : 3);
      edit();
    } else if ((what == "envelope" || what == "slide") && onCell && args == 4) {
      (what == "envelope" ? sound.attack : sound.slideLength) = Sixty4ths(n(3));
      (what == "envelope" ? sound.decay : sound.slide) = Sixty4ths(n(4));
      edit();
    } else if ((what == "pan" || what == "pankey") && onCell && args == 3) {
      sound.pan = what == "pan" ? Sixty4ths(n(3)) : static_cast<float>(n(3) / 10.0);
      edit();
    } else if (what == "copy" && onCell && args == 2) {
      clipboard = sound;
    } else if (what == "paste" && onCell && args == 2) {
      sound = clipboard;
      edit();
    } else if ((what == "store" || what == "load") && onTrack && args == 2) {
      what == "store" ? seq->StorePattern(n(1), n(2)) : seq->LoadPattern(n(1), n(2));
    } else if (what == "arrange" && onTrack && args == 3) {
      seq->SetArrangement(n(1), n(2), n(3));
    } else if (what == "bitmap" && args == 2 && seq->ReplaceSound(n(1), t[2].c_str())) {
    } else if (what == "tempo" && args == 1) {
      seq->SetTempo(n(1));
    } else if (what == "save" && args == 1 && t[1].size() <= static_cast<size_t>(kMaxNameLength)) {
      seq->SetName(t[1].c_str());
      auto song = std::make_unique<Song>();
      seq->Capture(*song);
      SaveSong(*song);
    } else if (what == "loadsong" && args == 2 &&
               t[2].size() <= static_cast<size_t>(kMaxNameLength) &&
               LoadSongFile(*seq, t[1].c_str())) {
      seq->SetName(t[2].c_str());
    } else if (what == "session" && args == 0) {
      auto song = std::make_unique<Song>();
      seq->Capture(*song);
      if (!SaveSessionSong(*song)) return 1;
    } else {
      std::fprintf(stderr, "session_tool: %s:%d: cannot use \"%s\"\n", actionsPath, lineNumber,
                   line.c_str());
      return 1;
    }
  }
  return 0;
}

std::vector<float> ReadRaw(const char* path) {
  std::vector<float> samples;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return samples;
  std::fseek(file, 0, SEEK_END);
  const long bytes = std::ftell(file);
  std::fseek(file, 0, SEEK_SET);
  samples.resize(static_cast<size_t>(bytes > 0 ? bytes : 0) / sizeof(float) / 2 * 2);
  samples.resize(std::fread(samples.data(), sizeof(float), samples.size(), file) / 2 * 2);
  std::fclose(file);
  return samples;
}

bool ReadFloatWav(const char* path, std::vector<float>& samples) {
  SF_INFO info{};
  SNDFILE* sound = sf_open(path, SFM_READ, &info);
  if (sound == nullptr) return false;
  bool ok = info.channels == 2 && info.samplerate == kSampleRate &&
            (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT;
  if (ok) {
    samples.resize(static_cast<size_t>(info.frames) * 2);
    ok = sf_readf_float(sound, samples.data(), info.frames) == info.frames;
  }
  sf_close(sound);
  return ok;
}

// Bit for bit: the mix of every frame starts from +0 and a sum that comes back
// to zero is +0, so even the zeros agree.
bool SameFrame(const float* a, const float* b) {
  return std::memcmp(a, b, 2 * sizeof(float)) == 0;
}

int Compare(const char* capturePath, const char* renderPath, long fromFrame) {
  const std::vector<float> capture = ReadRaw(capturePath);
  std::vector<float> render;
  if (!ReadFloatWav(renderPath, render)) {
    std::fprintf(stderr, "session_tool: %s is not a stereo float WAV at 44100 Hz\n", renderPath);
    return 1;
  }
  const long captureFrames = static_cast<long>(capture.size() / 2);
  const long renderFrames = static_cast<long>(render.size() / 2);
  long first = 0;  // the render's first sounding frame anchors the search
  while (first < renderFrames && render[2 * first] == 0.0f && render[2 * first + 1] == 0.0f)
    ++first;
  if (first == renderFrames) {
    std::fprintf(stderr, "session_tool: the render is silent\n");
    return 1;
  }
  long best = -1, bestLength = -1;
  for (long at = std::max(0L, fromFrame); at + first < captureFrames; ++at) {
    if (!SameFrame(&capture[2 * (at + first)], &render[2 * first])) continue;
    long n = 0;
    while (n < renderFrames && at + n < captureFrames &&
           SameFrame(&capture[2 * (at + n)], &render[2 * n]))
      ++n;
    if (n == renderFrames) {
      std::printf("equal: all %ld frames of the render at capture frame %ld\n", renderFrames, at);
      return 0;
    }
    if (n > bestLength) {
      best = at;
      bestLength = n;
    }
    if (at + n == captureFrames) {
      std::printf("so far: %ld of %ld frames equal at capture frame %ld\n", n, renderFrames, at);
      return 3;
    }
  }
  if (best < 0) {
    std::printf("not found: no frame equals the render's first sounding frame %ld\n", first);
  } else {
    const long f = best + bestLength;
    std::printf(
        "different: best match at capture frame %ld holds %ld of %ld frames; render frame %ld "
        "is %.9g %.9g, the capture has %.9g %.9g\n",
        best, bestLength, renderFrames, bestLength, render[2 * bestLength],
        render[2 * bestLength + 1], capture[2 * f], capture[2 * f + 1]);
  }
  return 1;
}

int Peaks(const char* capturePath, long from, long to, long chunk) {
  const std::vector<float> capture = ReadRaw(capturePath);
  const long size = static_cast<long>(capture.size() * sizeof(float));
  if (chunk <= 0 || from < 0 || to > size || from > to) {
    std::fprintf(stderr, "session_tool: bytes %ld-%ld are not in a capture of %ld\n", from, to,
                 size);
    return 1;
  }
  for (long start = from; start < to; start += chunk) {
    const long end = std::min(to, start + chunk);
    float peak = 0.0f;
    for (long i = start / 4; i < end / 4; ++i)
      peak = std::max(peak, std::fabs(capture[static_cast<size_t>(i)]));
    std::printf("%ld %.6g\n", start, peak);
  }
  return 0;
}

}  // namespace
}  // namespace tessaloop

int main(int argc, char** argv) {
  using namespace tessaloop;
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "expect" && argc == 4) return BuildExpectedSongs(std::atoi(argv[2]), argv[3]);
  if (command == "compare" && argc == 5) return Compare(argv[2], argv[3], std::atol(argv[4]));
  if (command == "peaks" && argc == 6)
    return Peaks(argv[2], std::atol(argv[3]), std::atol(argv[4]), std::atol(argv[5]));
  std::fprintf(stderr,
               "usage: session_tool expect TRACKS ACTIONS | compare CAPTURE RENDER FROM_FRAME | "
               "peaks CAPTURE FROM TO CHUNK\n");
  return 2;
}
