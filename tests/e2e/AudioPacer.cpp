// audio_pacer FILE BYTES_PER_SECOND
//
// Copies standard input to FILE no faster than BYTES_PER_SECOND. An ALSA file
// device writes through it ("file \"|audio_pacer out.raw 352800\"") so that a
// machine without a sound card plays in real time instead of hundreds of times
// faster, and a whole-program run of a few seconds makes a file of a few
// seconds of sound. Ends when its input ends, after everything is written.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: audio_pacer FILE BYTES_PER_SECOND\n");
    return 2;
  }
  const double rate = std::strtod(argv[2], nullptr);
  if (!(rate > 0)) {
    std::fprintf(stderr, "audio_pacer: the rate must be above 0\n");
    return 2;
  }
  const int out = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0) {
    std::perror("audio_pacer");
    return 1;
  }
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  // Small reads keep the pace even: about 10 ms of sound each.
  static char buffer[4096];
  const size_t chunk = std::clamp<size_t>(static_cast<size_t>(rate / 100), 1, sizeof buffer);
  double total = 0;
  for (;;) {
    const ssize_t n = read(STDIN_FILENO, buffer, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
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
    std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(total / rate)));
  }
  return close(out) == 0 ? 0 : 1;
}
