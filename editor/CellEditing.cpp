#include "editor/CellEditing.h"

#include <algorithm>

#include "display/Display.h"
#include "editor/Layout.h"
#include "input/InputState.h"
#include "input/KeyCodes.h"
#include "sound/Sequencer.h"

namespace tessaloop {

namespace {

using namespace layout;

constexpr const char* kSemitoneNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                            "F#", "G",  "G#", "A",  "A#", "B"};

// Z S X D C V G B H N J M: the lower two rows of the keyboard as a piano, C to B.
constexpr uint8_t kSemitoneKeys[12] = {key::kZ, key::kS, key::kX, key::kD, key::kC, key::kV,
                                       key::kG, key::kB, key::kH, key::kN, key::kJ, key::kM};

// The number keys 1-9 as they read on the keyboard.
constexpr uint8_t kOneToNine[9] = {key::k1, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A};
constexpr float kPanByDigit[9] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f};

constexpr float kParameterMin = 0.01f;
constexpr float kParameterMax = 0.99f;
constexpr int kMaxOctave = 10;  // only the Up key goes this high; the mouse and digits stop at 9

float ClampHandle(float offset) {
  return std::clamp(offset, kHandleMin, kHandleMax);
}

// A cell parameter from the pointer's offset in the cell, as a fraction of it.
float ParameterFromOffset(int offset) {
  const float value = static_cast<float>(offset) / static_cast<float>(kCellSize);
  if (value > kParameterMax) return kParameterMax;
  if (value < kParameterMin) return kParameterMin;
  return value;
}

// The "8" handle at a parameter pair's place in the cell.
void DrawHandle(Display& display, const Cell& cell, float xFraction, float yFraction) {
  const float px = ClampHandle(xFraction * kCellSize);
  const float py = ClampHandle(yFraction * kCellSize);
  display.DrawStringKeyed(static_cast<int>(static_cast<float>(cell.m_X) + px),
                          static_cast<int>(static_cast<float>(cell.m_Y) + py), "8");
}

bool IsCurrentCell(const Sequencer& seq, const Cell& cell) {
  return seq.m_SelectedStep * kCellSize == cell.m_X && RowY(seq.m_SelectedTrack) == cell.m_Y;
}

}  // namespace

void DrawCell(Display& display, const Sequencer& seq, const Cell& cell) {
  const int x0 = cell.m_X;
  const int y0 = cell.m_Y;
  const int slot = cell.m_Slot;
  const bool sounding = slot > kRestSlot;
  if (sounding) display.BlitSlot(x0, y0, slot, kCellRect, false);
  // Rests get the frame too, so an empty cell can be seen to be current.
  if (IsCurrentCell(seq, cell) && seq.m_PaletteReplace == -1)
    display.BlitSlot(x0, y0, kSlotSelected, kCellRect, true);
  if (!sounding) return;

  switch (seq.m_Tab) {
    case kTabNote: {
      // The octave reads upwards (0 at the bottom), the semitone rightwards.
      const int octave = cell.m_Octave;
      const int semitone = cell.m_Semitone;
      const int oy = kOctaveBottom - kOctaveStep * octave;
      const int ox = std::clamp(kSemitoneStep * semitone, static_cast<int>(kHandleMin),
                                static_cast<int>(kHandleMax));
      display.BlitSlot(x0 + kOctaveMarkerX, y0 + oy - 2, kSlotMax, kNoteMarkerRect, false);
      display.DrawInt(x0 + kOctaveTextX, y0 + oy, octave);
      display.BlitSlot(x0 + ox - 2, y0 + kSemitoneMarkerY, kSlotMax, kNoteMarkerRect, false);
      // A semitone from outside 0-11 never indexes past the names.
      display.DrawString(x0 + ox, y0 + kSemitoneTextY, kSemitoneNames[std::clamp(semitone, 0, 11)]);
      break;
    }
    case kTabEnvelope:
      DrawHandle(display, cell, cell.m_Attack, cell.m_Decay);
      break;
    case kTabSlide:
      DrawHandle(display, cell, cell.m_SlideLength, cell.m_Slide);
      break;
    case kTabPan: {
      const float px = ClampHandle(cell.m_Pan * kCellSize);
      display.DrawStringKeyed(static_cast<int>(static_cast<float>(x0) + px), y0 + kPanHandleY, "8");
      break;
    }
    default:
      break;  // tabs 5-7 show the picture and the frame only
  }
}

void DrawTrack(Display& display, const Sequencer& seq, const Track& track) {
  for (const Cell& cell : track.m_Cells)
    DrawCell(display, seq, cell);
}

void DragEditCell(const InputState& input, int tab, Cell& cell) {
  const int dx = input.m_MouseX - cell.m_X;
  const int dy = input.m_MouseY - cell.m_Y;
  switch (tab) {
    case kTabNote:
      cell.m_Semitone = std::min(dx / kSemitoneStep, 11);
      cell.m_Octave = (kCellSize - dy) / 7;  // 9 at the top edge, 0 at the bottom
      cell.SetNote();
      break;
    case kTabEnvelope:
      cell.m_Attack = ParameterFromOffset(dx);
      cell.m_Decay = ParameterFromOffset(dy);
      break;
    case kTabSlide:
      cell.m_SlideLength = ParameterFromOffset(dx);
      cell.m_Slide = ParameterFromOffset(dy);
      break;
    case kTabPan:
      cell.m_Pan = ParameterFromOffset(dx);
      break;
    default:
      break;
  }
  KeyEditCell(input, tab, cell);
}

void KeyEditCell(const InputState& input, int tab, Cell& cell) {
  // Several held keys are all applied in this order, so the last one wins.
  if (input.KeyDown(key::kDelete)) cell.m_Slot = kRestSlot;
  if (tab == kTabNote) {
    for (int semitone = 0; semitone < 12; ++semitone) {
      if (!input.KeyDown(kSemitoneKeys[semitone])) continue;
      cell.m_Semitone = semitone;
      cell.SetNote();
    }
    if (input.KeyDown(key::kUp) && cell.m_Octave < kMaxOctave) {
      cell.m_Octave = cell.m_Octave + 1;
      cell.SetNote();
    }
    if (input.KeyDown(key::kDown) && cell.m_Octave > 0) {
      cell.m_Octave = cell.m_Octave - 1;
      cell.SetNote();
    }
    for (int digit = 1; digit <= 9; ++digit) {
      if (!input.KeyDown(kOneToNine[digit - 1])) continue;
      cell.m_Octave = digit;
      cell.SetNote();
    }
    if (input.KeyDown(key::k0)) {
      cell.m_Octave = 0;
      cell.SetNote();
    }
  }
  if (tab == kTabPan) {
    for (int digit = 1; digit <= 9; ++digit)
      if (input.KeyDown(kOneToNine[digit - 1])) cell.m_Pan = kPanByDigit[digit - 1];
  }
}

void CurrentCellStep(Sequencer& seq, InputState& input) {
  const bool leftHeld = input.LeftButton(0) != 0;
  if (seq.m_PaletteDrag == -1 && leftHeld && seq.m_SelectedStep >= 0 && seq.m_SelectedTrack >= 0 &&
      seq.m_SelectedTrack < seq.TrackCount()) {
    // A drag: the pointer cannot leave the cell while the button is held.
    const int left = seq.m_SelectedStep * kCellSize;
    const int top = RowY(seq.m_SelectedTrack);
    input.m_MouseX = std::clamp(input.m_MouseX, left, left + kCellSize);
    input.m_MouseY = std::clamp(input.m_MouseY, top, top + kCellSize);
    DragEditCell(input, seq.m_Tab, seq.GetTrack(seq.m_SelectedTrack).m_Cells[seq.m_SelectedStep]);
  } else {
    // Hover: the cell whose inside holds the pointer; pixels on a cell's left
    // or top edge belong to no cell.
    const int x = input.m_MouseX;
    const int y = input.m_MouseY;
    for (int t = 0; t < seq.TrackCount(); ++t) {
      for (int s = 0; s < kStepsPerPattern; ++s) {
        const Cell& cell = seq.GetTrack(t).m_Cells[s];
        if (cell.m_X < x && x < cell.m_X + kCellSize && cell.m_Y < y && y < cell.m_Y + kCellSize) {
          seq.m_SelectedStep = s;
          seq.m_SelectedTrack = t;
        }
      }
    }
  }

  if (seq.m_SelectedStep < 0 || seq.m_SelectedTrack < 0 || seq.m_PaletteReplace != -1) return;
  Cell& cell = seq.GetTrack(seq.m_SelectedTrack).m_Cells[seq.m_SelectedStep];
  if (input.KeyDown(key::kF5)) {
    seq.m_Clipboard.CopySoundFrom(cell);
    seq.m_Clipboard.UpdateFrequency();
  }
  if (input.KeyDown(key::kF6)) {
    cell.CopySoundFrom(seq.m_Clipboard);
    cell.UpdateFrequency();
  }
  KeyEditCell(input, seq.m_Tab, cell);
}

}  // namespace tessaloop
