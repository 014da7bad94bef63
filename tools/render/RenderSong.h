#pragma once

// tessaloop-render: a song file rendered to an audio file, sample for sample
// as the program plays it in song mode from the first position. The files are
// written by export/ (AudioFileWriter, RenderMixToFile), which the program's
// own export uses too.

#include <csignal>
#include <cstdint>
#include <string>

#include "export/AudioFileWriter.h"

namespace tessaloop {

// What the command line asks for.
struct RenderOptions {
  int tracks = 0;      // 3 or 6; 0 tells it from the song file's length
  int positions = 0;   // 1-100; 0 when not given
  double seconds = 0;  // > 0; 0 when not given
  bool pcm16 = false;  // 16-bit samples, clipped
  bool flac = false;   // stems as FLAC rather than WAV
  bool help = false;   // --help: print the usage and do nothing else
  std::string song;    // the song file
  std::string out;     // the audio file to write (.wav or .flac)
  // --stems: the folder for one file per track, written instead of out.
  std::string stems;
  // Audio of more bytes than this is written as RF64, since a RIFF file cannot
  // hold 4 GB. Only tests lower it, to see RF64 files without writing 4 GB.
  int64_t largeFileBytes = kLargestRiffAudio;
  // Set from a signal handler to stop the render; the output is then removed.
  const volatile std::sig_atomic_t* interrupted = nullptr;
};

constexpr int kRenderFailed = 2;  // exit status of every failure
// The longest song: 100 positions of 16 steps of a minute each.
constexpr double kMaxRenderSeconds = 96000.0;

// The usage text printed by --help.
std::string RenderUsage();

// Reads the arguments (without the program name). False with a one-line
// reason when they are not usable.
bool ParseRenderArguments(int argc, const char* const* argv, RenderOptions& options,
                          std::string& error);

// The program a song file comes from, by its token count: 3, 6, or 0 for
// neither.
int TrackCountForTokens(long tokens);

// The whole export, of the mix or of the stems. Returns 0, with a line for the
// user in summary, or kRenderFailed with a one-line reason in error and no
// output file written.
int RunRender(const RenderOptions& options, std::string& summary, std::string& error);

}  // namespace tessaloop
