// Copies standard input to a file at a fixed number of bytes a second.
//
// The ALSA file device used by the tests writes as fast as it is fed, hundreds
// of times faster than real time. Given as the device's pipe
// (file "|pacer out.raw 352800"), this program makes the audio stream run at
// its real pace, so a program under test can run for seconds without the
// capture growing by a hundred megabytes each of them.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <output file> <bytes per second>\n", argv[0]);
    return 2;
  }
  const double rate = std::atof(argv[2]);
  if (rate <= 0) {
    std::fprintf(stderr, "%s: the rate must be positive\n", argv[0]);
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  char buffer[4096];
  double total = 0;
  for (;;) {
    const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
    if (got <= 0) break;
    if (std::fwrite(buffer, 1, static_cast<size_t>(got), out) != static_cast<size_t>(got)) break;
    std::fflush(out);
    total += static_cast<double>(got);
    std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(total / rate)));
  }
  std::fclose(out);
  return 0;
}
