#pragma once

// The voice: the state of the one note a track plays, and the per-sample
// work on it (note start, pitch slide, envelope, wavetable read and pan). It
// is apart from the cells it plays: a Track holds sixteen cells and a Voice,
// and the step clock hands the voice the current cell on every sample.
//
// Render is inline: the step clock calls it for every track on every sample,
// and the compiler can then keep the clock's values in registers across the
// tracks.
//
// Every voice member is stored in single precision. A single addition or
// multiplication of two floats gives the same value whether it is done in
// single precision or in double and rounded once, so those are written as
// float arithmetic; expressions of more than one operation are done in double
// and rounded once when stored.

#include <cstdint>
#include <limits>

#include "sound/Cell.h"
#include "sound/WavetableBank.h"

namespace tessaloop {

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

namespace voice {

constexpr float kLowestFrequency = 1.0f;
constexpr float kHighestFrequency = 7040.0f;

// Level change per sample for an envelope parameter over d samples. Below five
// samples per step d is 0 and the rate is infinite: the stage completes in one
// sample.
inline float EnvelopeRate(float parameter, int d) {
  if (d == 0) return std::numeric_limits<float>::infinity();
  return static_cast<float>((1.0 - static_cast<double>(parameter)) / d);
}

// The table index for a read position of 0 to 44100: the integer part, taken
// modulo the table length (a position of exactly 44100 reads index 0).
inline int TableIndex(float phase) {
  int index = static_cast<int>(phase);
  if (index >= kTableLength) index %= kTableLength;
  return index;
}

}  // namespace voice

// The audio thread's own: only the clock's Tick reads and writes a voice once
// the stream runs.
struct Voice {
  float m_Phase = 0;        // read position in the table, 0 to 44100
  float m_Frequency = 440;  // table positions advanced per sample, 1 to 7040
  float m_Level = 0;        // envelope level, 0 to 1
  int32_t m_Slot = 0;       // the table sounding: the last sounding cell's slot
  int32_t m_Stage = kStageDecay;
  float m_AttackRate = 0;    // level added per sample while attacking
  float m_DecayRate = 0;     // level taken per sample while decaying
  float m_SlideRate = 0;     // frequency added per sample while sliding
  float m_SlideSamples = 0;  // samples into the step that the slide lasts

  // One output sample for the cell of the current step. A muted voice still
  // advances, so that unmuting brings it back in time. Allocates nothing and
  // never blocks.
  StereoSample Render(const Cell& cell, const SampleClock& clock, const WavetableBank& tables,
                      bool muted);
};

inline StereoSample Voice::Render(const Cell& cell, const SampleClock& clock,
                                  const WavetableBank& tables, bool muted) {
  const int32_t cellSlot = cell.m_Slot;
  // A cell's slot must also name a table; anything else (never written by the
  // editor or the song loader) is treated as a rest.
  const bool sounding = cellSlot > kRestSlot && cellSlot < kSlotCount;

  // 1. The sounding slot follows the current cell on every sample, so changing
  //    the picture of a playing step changes its timbre at once.
  if (sounding) m_Slot = cellSlot;

  // 2. Note start. Level and read position carry on from the previous note.
  if (clock.stepTrigger && sounding) {
    const int d = clock.samplesPerStep / 5;
    m_AttackRate = voice::EnvelopeRate(cell.m_Attack, d);
    m_DecayRate = voice::EnvelopeRate(cell.m_Decay, d);
    m_Stage = kStageAttack;
    m_SlideRate = static_cast<float>(1.0 - static_cast<double>(cell.m_Slide) - 0.5);
    m_SlideSamples =
        static_cast<float>(static_cast<double>(cell.m_SlideLength) * clock.samplesPerStep);
    m_Frequency = static_cast<float>(cell.m_Frequency);
  }

  // 3. Slide, measured against the step's count whether or not a note started
  //    in this step: a note held through rest steps slides again in each.
  if (static_cast<float>(clock.sampleCount) < m_SlideSamples) m_Frequency += m_SlideRate;

  // 4. Clamp.
  if (m_Frequency < voice::kLowestFrequency) {
    m_Frequency = voice::kLowestFrequency;
  } else if (m_Frequency > voice::kHighestFrequency) {
    m_Frequency = voice::kHighestFrequency;
  }

  // 5. Envelope: attack rises to 1, then decay falls to 0 and stays there.
  if (m_Stage == kStageAttack) {
    m_Level += m_AttackRate;
    if (m_Level > 1.0f) {
      m_Level = 1.0f;
      m_Stage = kStageDecay;
    }
  } else {
    m_Level -= m_DecayRate;
    if (m_Level < 0.0f) {
      m_Level = 0.0f;
      m_Stage = kStageFinished;
    }
  }

  // 6. Read position: one whole table per cycle, so the frequency is the pitch.
  m_Phase += m_Frequency;
  if (m_Phase > static_cast<float>(kTableLength)) m_Phase -= static_cast<float>(kTableLength);

  // 7. Sample and pan; a muted track has still advanced its voice.
  if (muted) return {0.0f, 0.0f};
  const int index = voice::TableIndex(m_Phase);
  const float s = tables.Sample(m_Slot, index) * m_Level;
  const float pan = cell.m_Pan;
  // The voices read their tables with strides of up to 7040 samples; asking
  // for the next read now keeps it from waiting on memory.
  int next = index + static_cast<int>(m_Frequency);
  if (next >= kTableLength) next -= kTableLength;
  tables.Prefetch(m_Slot, next);
  return {static_cast<float>((1.0 - static_cast<double>(pan)) * s), s * pan};
}

}  // namespace tessaloop
