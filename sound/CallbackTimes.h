#pragma once

#include <cstdint>

namespace tessaloop {

// How long the audio callback took, gathered on the audio thread for the
// latency measurement: a histogram in whole microseconds and the worst time.
// Filled only while a Sequencer points at it; read once the stream has stopped.
struct CallbackTimes {
  static constexpr int kBuckets = 20000;  // 0 to 19999 us; the last holds anything longer

  uint32_t histogram[kBuckets] = {};
  uint64_t count = 0;
  double worstSeconds = 0;
  uint64_t frames = 0;

  void Add(double seconds, unsigned long callbackFrames) {
    int bucket = static_cast<int>(seconds * 1e6);
    if (bucket >= kBuckets) bucket = kBuckets - 1;
    if (bucket < 0) bucket = 0;
    ++histogram[bucket];
    ++count;
    frames += callbackFrames;
    if (seconds > worstSeconds) worstSeconds = seconds;
  }

  // The time, in microseconds, that the given share (0-1) of callbacks stayed
  // within.
  int Percentile(double share) const {
    const double wanted = share * static_cast<double>(count);
    uint64_t seen = 0;
    for (int b = 0; b < kBuckets; ++b) {
      seen += histogram[b];
      if (static_cast<double>(seen) >= wanted) return b + 1;
    }
    return kBuckets;
  }
};

}  // namespace tessaloop
