#pragma once

#include <cstdint>

#include "sound/Cell.h"
#include "sound/Relaxed.h"

namespace tessaloop {

class WavetableBank;
struct PatternBank;

constexpr int kStepsPerPattern = 16;

// What the step clock tells every voice about the sample being made. Read once
// per Tick so that all tracks see the same step, trigger, tempo and count.
struct SampleClock {
  int32_t step;
  bool stepTrigger;
  int32_t samplesPerStep;
  int32_t sampleCount;
};

struct StereoSample {
  float left;
  float right;
};

// Envelope stages of a voice.
constexpr int32_t kStageAttack = 0;
constexpr int32_t kStageDecay = 1;
constexpr int32_t kStageFinished = 3;

// One row of 16 cells and the monophonic voice that plays it.
class Track {
 public:
  Track();

  // Places the cells on screen for row trackIndex and makes them rests.
  void Init(int trackIndex);
  // Copies the sound of every cell into bank pattern n (0-26).
  void StorePattern(PatternBank& bank, int n);
  // Copies bank pattern n (0-26) into the cells; the voice goes on as it was.
  void LoadPattern(const PatternBank& bank, int n);

  // One output sample of this voice, to be added into the mix by the clock.
  // Audio thread only; allocates nothing and never blocks.
  StereoSample RenderSample(const SampleClock& clock, const WavetableBank& wavetables);

  // Voice state: the audio thread's own, kept in single precision.
  float m_Phase = 0;
  float m_Frequency = 0;
  float m_Level = 0;
  Cell m_Cells[kStepsPerPattern];
  int32_t m_Slot = 0;
  int32_t m_Stage = kStageDecay;
  float m_AttackRate = 0;
  float m_DecayRate = 0;
  float m_SlideRate = 0;
  float m_SlideSamples = 0;

  // Shared with the editor.
  Relaxed<uint8_t> m_Mute{0};
  Relaxed<int32_t> m_StoredPattern{24};
  Relaxed<int32_t> m_LoadedPattern{24};
};

}  // namespace tessaloop
