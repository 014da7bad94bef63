#include "sound/Cell.h"

#include "sound/NoteTable.h"

namespace tessaloop {

Cell::Cell() {
  SetDefaults();
}

void Cell::SetDefaults() {
  m_Attack = 0.5f;
  m_Decay = 0.5f;
  m_SlideLength = 0.5f;
  m_Slide = 0.5f;
  m_Pan = 0.5f;
  m_Octave = 3;
  m_Semitone = 0;
  m_Note = 36;
  UpdateFrequency();
}

void Cell::UpdateFrequency() {
  m_Frequency = static_cast<int32_t>(NoteFrequency(m_Note));
}

void Cell::SetNote() {
  m_Note = m_Octave * 12 + m_Semitone;
  UpdateFrequency();
}

void Cell::CopySoundFrom(const Cell& other) {
  m_Slot = other.m_Slot.Load();
  m_Attack = other.m_Attack.Load();
  m_Decay = other.m_Decay.Load();
  m_SlideLength = other.m_SlideLength.Load();
  m_Slide = other.m_Slide.Load();
  m_Frequency = other.m_Frequency.Load();
  m_Octave = other.m_Octave.Load();
  m_Semitone = other.m_Semitone.Load();
  m_Note = other.m_Note.Load();
  m_Pan = other.m_Pan.Load();
}

CellSound Cell::Sound() const {
  CellSound sound;
  sound.attack = m_Attack;
  sound.decay = m_Decay;
  sound.slideLength = m_SlideLength;
  sound.slide = m_Slide;
  sound.octave = m_Octave;
  sound.semitone = m_Semitone;
  sound.pan = m_Pan;
  sound.slot = m_Slot;
  return sound;
}

void Cell::SetSound(const CellSound& sound) {
  m_Attack = sound.attack;
  m_Decay = sound.decay;
  m_SlideLength = sound.slideLength;
  m_Slide = sound.slide;
  m_Octave = sound.octave;
  m_Semitone = sound.semitone;
  m_Pan = sound.pan;
  m_Slot = sound.slot;
  // Octave 10 with semitone 10 or 11 gives note 130 or 131, which the editor's
  // keys can reach too: the note table lookup takes its top entry for them and
  // the voice sounds them at its highest frequency.
  SetNote();
}

}  // namespace tessaloop
