// audio_pacer FILE BYTES_PER_SECOND [REPORT]
//
// Copies standard input to FILE no faster than BYTES_PER_SECOND. An ALSA file
// device writes through it ("file \"|audio_pacer out.raw 352800\"") so that a
// machine without a sound card plays in real time instead of hundreds of times
// faster, and a whole-program run of a few seconds makes a file of a few
// seconds of sound. Ends when its input ends, after everything is written.
//
// With REPORT it also plays the part of a sound card's clock: its pipe holds
// no more than a card's buffer (2048 stereo float frames, what the program
// asks for), and whenever the program's sound is not there by the time the
// card would have played it, that wait is a gap, as a card would have played
// silence. The card's clock does not catch up after a gap, so the stream's
// wall time is its frames' time plus its gaps. At the end REPORT receives
// these figures as "name value" lines:
//   bytes        bytes written to FILE
//   seconds      wall time from the first byte to the last
//   gaps         the number of gaps
//   gap_ms       their total length
//   worst_gap_ms the longest

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

// A card's buffer: 2048 frames of two 4-byte samples.
constexpr int kCardBufferBytes = 2048 * 8;
// Scheduling noise that is not a gap.
constexpr double kGapThresholdSeconds = 0.001;

Clock::time_point At(Clock::time_point start, double seconds) {
  return start + std::chrono::duration_cast<Clock::duration>(Seconds(seconds));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: audio_pacer FILE BYTES_PER_SECOND [REPORT]\n");
    return 2;
  }
  const double rate = std::strtod(argv[2], nullptr);
  const char* reportPath = argc == 4 ? argv[3] : nullptr;
  const int out = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!(rate > 0) || out < 0) {
    std::fprintf(stderr, "audio_pacer: cannot write %s at %s bytes a second\n", argv[1], argv[2]);
    return 1;
  }
  if (reportPath != nullptr) fcntl(STDIN_FILENO, F_SETPIPE_SZ, kCardBufferBytes);

  // Small reads keep the pace even: about 10 ms of sound each.
  static char buffer[4096];
  const size_t chunk = std::clamp<size_t>(static_cast<size_t>(rate / 100), 1, sizeof buffer);
  Clock::time_point start{};
  bool started = false;
  double total = 0;
  double gapSeconds = 0;
  double worstGap = 0;
  long gaps = 0;
  for (;;) {
    // Whether sound is waiting: if it is, nothing that delays this loop
    // itself (another process taking the processor) counts as a gap.
    pollfd waiting{STDIN_FILENO, POLLIN, 0};
    const bool ready = poll(&waiting, 1, 0) == 1;
    const Clock::time_point asked = Clock::now();
    const ssize_t n = read(STDIN_FILENO, buffer, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    const Clock::time_point arrived = Clock::now();
    if (!started) {
      start = arrived;
      started = true;
    } else if (reportPath != nullptr && !ready) {
      // The card needed these bytes at `due`; they came at `arrived`. Time
      // spent waiting on our own account (asking late) is not the program's.
      const Clock::time_point due = At(start, gapSeconds + total / rate);
      const double late = Seconds(arrived - std::max(asked, due)).count();
      if (late > kGapThresholdSeconds) {
        ++gaps;
        gapSeconds += late;
        worstGap = std::max(worstGap, late);
      }
    }
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = write(out, buffer + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        std::perror("audio_pacer");
        return 1;
      }
      done += w;
    }
    total += static_cast<double>(n);
    std::this_thread::sleep_until(At(start, gapSeconds + total / rate));
  }
  const Clock::time_point end = Clock::now();
  if (close(out) != 0) return 1;
  if (reportPath != nullptr) {
    std::FILE* report = std::fopen(reportPath, "w");
    if (report == nullptr) return 1;
    std::fprintf(report, "bytes %.0f\nseconds %.6f\ngaps %ld\ngap_ms %.3f\nworst_gap_ms %.3f\n",
                 total, started ? Seconds(end - start).count() : 0.0, gaps, gapSeconds * 1000,
                 worstGap * 1000);
    return std::fclose(report) == 0 ? 0 : 1;
  }
  return 0;
}
