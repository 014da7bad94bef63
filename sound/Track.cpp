#include "sound/Track.h"

#include "sound/PatternBank.h"

namespace tessaloop {

Track::Track() = default;

void Track::Init(int trackIndex) {
  m_Voice.m_Phase = 0;
  m_Voice.m_Slot = 0;
  m_Voice.m_Frequency = 440;
  for (int i = 0; i < kStepsPerPattern; ++i) {
    m_Cells[i].m_X = i * kCellSize;
    m_Cells[i].m_Y = trackIndex * kCellSize + 24;
    m_Cells[i].m_Slot = kRestSlot;
  }
}

void Track::StorePattern(PatternBank& bank, int n) {
  if (n < 0 || n >= kPatternCount) return;
  for (int i = 0; i < kStepsPerPattern; ++i) {
    Cell& stored = bank.m_Patterns[n][i];
    stored.CopySoundFrom(m_Cells[i]);
    stored.UpdateFrequency();
  }
  m_StoredPattern = n;
}

void Track::LoadPattern(const PatternBank& bank, int n) {
  if (n < 0 || n >= kPatternCount) return;
  for (int i = 0; i < kStepsPerPattern; ++i) {
    m_Cells[i].CopySoundFrom(bank.m_Patterns[n][i]);
    m_Cells[i].UpdateFrequency();
  }
  m_LoadedPattern = n;
}

}  // namespace tessaloop
