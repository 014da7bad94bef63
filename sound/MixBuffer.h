#pragma once

#include <cstdint>

namespace tessaloop {

// Scratch space of the audio callback: each Tick clears one element, every
// track adds its voice into it, and the callback copies it to the output. Only
// the audio thread touches it once the stream runs.
struct MixBuffer {
  static constexpr int kSize = 4096;
  static constexpr int kFramesPerBuffer = 64;
  static constexpr int kNumberOfBlocks = 32;

  // Silence, and the first element of the first block of kFramesPerBuffer:
  // the state every run of the clock starts from, live or offline.
  void Reset() {
    for (int i = 0; i < kSize; ++i)
      m_Left[i] = m_Right[i] = 0.0f;
    m_WriteIndex = 0;
    m_BlockNumber = 0;
    m_FramesPerBuffer = kFramesPerBuffer;
    m_NumberOfBlocks = kNumberOfBlocks;
  }

  float m_Left[kSize];
  float m_Right[kSize];
  int32_t m_WriteIndex;
  int32_t m_BlockNumber;
  int32_t m_FramesPerBuffer;
  int32_t m_NumberOfBlocks;
};

}  // namespace tessaloop
