#pragma once

// tessaloop-render: a song file rendered to an audio file, sample for sample
// as the program plays it in song mode from the first position.

#include <csignal>
#include <cstdint>
#include <functional>
#include <string>

namespace tessaloop {

class Sequencer;

// What the command line asks for.
struct RenderOptions {
  int tracks = 0;      // 3 or 6; 0 tells it from the song file's length
  int positions = 0;   // 1-100; 0 when not given
  double seconds = 0;  // > 0; 0 when not given
  bool pcm16 = false;  // 16-bit samples, clipped
  bool help = false;   // --help: print the usage and do nothing else
  std::string song;    // the song file
  std::string out;     // the audio file to write (.wav or .flac)
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

// The output file's encoding, chosen by its extension.
enum class AudioEncoding {
  kWavFloat,  // 32-bit IEEE float, the exact values of the audio callback
  kWavPcm16,  // 16-bit, clipped
  kFlac24,    // 24-bit FLAC, clipped
  kFlac16,    // 16-bit FLAC, clipped
};
bool EncodingForPath(const std::string& path, bool pcm16, AudioEncoding& encoding,
                     std::string& error);
const char* DescribeEncoding(AudioEncoding encoding);

// The program a song file comes from, by its token count: 3, 6, or 0 for
// neither.
int TrackCountForTokens(long tokens);

// The last arrangement position (0-99) at which any track plays a pattern
// other than the default 24; -1 when there is none.
int LastArrangedPosition(const Sequencer& seq);

// Frames of n whole positions at the song's tempo.
int64_t PositionFrames(const Sequencer& seq, int positions);

// Puts the clock at the very end of position 99 in song mode, so that the next
// sample begins step 0 of position 0: it raises the step trigger, moves to
// position 0, loads each track's pattern of position 0 and starts its notes.
void CueSongStart(Sequencer& seq);

// Runs the clock for frames samples exactly as the audio callback does, in
// blocks of the callback's size, handing interleaved stereo frames to sink in
// chunks. Stops early, returning false, when sink returns false.
bool RenderFrames(Sequencer& seq, int64_t frames,
                  const std::function<bool(const float* interleaved, int64_t frames)>& sink);

// The whole export. Returns 0, with a line for the user in summary, or
// kRenderFailed with a one-line reason in error and no output file written.
int RunRender(const RenderOptions& options, std::string& summary, std::string& error);

}  // namespace tessaloop
