#pragma once

#include <cstdint>

#include "base/Relaxed.h"
#include "sound/Cell.h"
#include "sound/Voice.h"

namespace tessaloop {

struct PatternBank;

constexpr int kStepsPerPattern = 16;

// One row of 16 cells and the monophonic voice that plays them.
class Track {
 public:
  Track();

  // Places the cells on screen for row trackIndex and makes them rests.
  void Init(int trackIndex);
  // Copies the sound of every cell into bank pattern n (0-26).
  void StorePattern(PatternBank& bank, int n);
  // Copies bank pattern n (0-26) into the cells; the voice goes on as it was.
  void LoadPattern(const PatternBank& bank, int n);

  // One output sample of this track, to be added into the mix by the clock.
  // Audio thread only.
  StereoSample RenderSample(const SampleClock& clock, const WavetableBank& tables) {
    return m_Voice.Render(m_Cells[clock.step], clock, tables, m_Mute != 0);
  }

  // The same sample whether or not the track is muted: what it sounds like
  // alone. The voice advances exactly as in RenderSample.
  StereoSample RenderAlone(const SampleClock& clock, const WavetableBank& tables) {
    return m_Voice.Render(m_Cells[clock.step], clock, tables, false);
  }

  Voice m_Voice;  // the audio thread's own
  Cell m_Cells[kStepsPerPattern];

  // Shared with the editor.
  Relaxed<uint8_t> m_Mute{0};
  Relaxed<int32_t> m_StoredPattern{24};
  Relaxed<int32_t> m_LoadedPattern{24};
};

}  // namespace tessaloop
