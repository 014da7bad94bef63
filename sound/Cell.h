#pragma once

#include <cstdint>

#include "sound/Relaxed.h"

namespace tessaloop {

// Slots 0-5 are rests when a cell holds them; 6-21 are the palette sounds.
constexpr int kRestSlot = 5;
constexpr int kFirstPaletteSlot = 6;
constexpr int kLastPaletteSlot = 21;
constexpr int kCellSize = 64;

// One step of a sequence. Track cells and pattern-bank cells are the same type;
// the audio thread reads them while the editor writes them, so every member the
// voice reads is a relaxed shared word.
class Cell {
 public:
  Cell();

  // The five float parameters to 0.5, octave 3, semitone 0, note 36, and the
  // frequency derived from it. Screen position and slot are the owner's.
  void SetDefaults();
  // m_Frequency = the integer part of the note table entry for m_Note.
  void UpdateFrequency();
  // m_Note from octave and semitone, then UpdateFrequency.
  void SetNote();

  // Copies the sound of a cell (slot, envelope, slide, pan and note) but not its
  // screen position; used for copy and paste between cells.
  void CopySoundFrom(const Cell& other);

  int32_t m_X = 0;  // screen position of the 64 x 64 square; written once by the owner
  int32_t m_Y = 0;
  Relaxed<int32_t> m_Slot{0};  // a rest; a Track sets its own cells to kRestSlot
  Relaxed<float> m_Attack;
  Relaxed<float> m_Decay;
  Relaxed<float> m_SlideLength;
  Relaxed<float> m_Slide;
  Relaxed<int32_t> m_Frequency;
  Relaxed<int32_t> m_Octave;
  Relaxed<int32_t> m_Semitone;
  Relaxed<int32_t> m_Note;
  Relaxed<float> m_Pan;
};

}  // namespace tessaloop
