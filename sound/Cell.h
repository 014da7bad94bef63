#pragma once

#include <cstdint>

#include "base/Relaxed.h"

namespace tessaloop {

// Slots 0-5 are rests when a cell holds them; 6-21 are the palette sounds.
constexpr int kRestSlot = 5;
constexpr int kFirstPaletteSlot = 6;
constexpr int kLastPaletteSlot = 21;
constexpr int kCellSize = 64;

// The ranges a cell's values keep, whether set by the editor or read from a
// song file: the five float parameters, octave and semitone, and the slot.
constexpr float kMinParameter = 0.01f;
constexpr float kMaxParameter = 0.99f;
constexpr int kMaxOctave = 10;  // only the Up key goes this high; the mouse and digits stop at 9
constexpr int kMaxSemitone = 11;
constexpr int kMaxCellSlot = kLastPaletteSlot;

// The sound of a step as plain values: what the editor edits, what a song
// stores for every bank and track cell, and what a clipboard holds. The note
// and its frequency are not part of it: they follow from octave and semitone.
struct CellSound {
  float attack = 0.5f;
  float decay = 0.5f;
  float slideLength = 0.5f;
  float slide = 0.5f;
  int32_t octave = 3;
  int32_t semitone = 0;
  float pan = 0.5f;
  int32_t slot = 0;

  bool operator==(const CellSound&) const = default;
};

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
  // screen position; used to store and load patterns.
  void CopySoundFrom(const Cell& other);

  // The cell's sound as plain values.
  CellSound Sound() const;
  // Puts a sound in place, value by value, then the note and frequency that
  // follow from it.
  void SetSound(const CellSound& sound);

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
