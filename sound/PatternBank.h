#pragma once

#include "base/Relaxed.h"
#include "sound/Cell.h"
#include "sound/Track.h"

namespace tessaloop {

constexpr int kPatternCount = 27;  // 0-26; 1-26 are the letters A-Z
constexpr int kMaxTracks = 6;
constexpr int kArrangementLength = 101;  // positions 0-99 play; entry 100 is stored only
constexpr int kPlayedPositions = 100;
constexpr int kDefaultPattern = 24;

// The character that shows pattern number n: 1-26 are A-Z, 0 shows as '@'.
inline char PatternLetter(int n) {
  return static_cast<char>(n + 64);
}

// 27 stored patterns of 16 cells. Only the sound of a bank cell means anything;
// its screen position does not. Cells start as rests (slot 0).
struct PatternBank {
  Cell m_Patterns[kPatternCount][kStepsPerPattern];
};

// Per track, the pattern number played at each position; all 24 at start.
struct Arrangement {
  Arrangement() {
    for (auto& row : m_Entries)
      for (auto& entry : row)
        entry = kDefaultPattern;
  }
  Relaxed<int32_t>* operator[](int track) { return m_Entries[track]; }
  const Relaxed<int32_t>* operator[](int track) const { return m_Entries[track]; }

  Relaxed<int32_t> m_Entries[kMaxTracks][kArrangementLength];
};

}  // namespace tessaloop
