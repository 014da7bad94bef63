#pragma once

#include <memory>

#include "base/Relaxed.h"

namespace tessaloop {

constexpr int kSlotCount = 50;
constexpr int kTableLength = 44100;  // one second at 44.1 kHz; also 210 x 210 pixels
constexpr int kSlotNameLength = 32;  // bytes per slot name, terminator included

// Fifty one-second wavetables in one slot-major array: sample i of slot s is
// element s * kTableLength + i.
//
// The audio thread reads samples while the user-interface thread reloads a
// slot. Every sample is a relaxed shared word, so a reload never tears a value
// and never makes the audio thread wait; for a moment a table can hold a mix of
// old and new samples, which sounds for at most one pass over the table.
// Slots that were never loaded hold silence.
class WavetableBank {
 public:
  WavetableBank();
  WavetableBank(const WavetableBank&) = delete;
  WavetableBank& operator=(const WavetableBank&) = delete;

  // Caller keeps slot within 0-49 and index within 0-44099.
  float Sample(int slot, int index) const {
    return m_Samples[static_cast<size_t>(slot) * kTableLength + static_cast<size_t>(index)].Load();
  }

  // Asks the cache for a sample that will be read soon. The voices read their
  // tables with strides of up to 7040 samples, so without this nearly every
  // read waits on memory.
  void Prefetch(int slot, int index) const {
    __builtin_prefetch(
        &m_Samples[static_cast<size_t>(slot) * kTableLength + static_cast<size_t>(index)]);
  }

  // Stores a whole table (kTableLength samples) into a slot. Slots outside
  // 0-49 are ignored.
  void StoreTable(int slot, const float* samples);

 private:
  struct Release {
    void operator()(Relaxed<float>* samples) const;
  };
  std::unique_ptr<Relaxed<float>[], Release> m_Samples;
};

}  // namespace tessaloop
