#include "editor/CellEditing.h"

#include <algorithm>

#include "display/Display.h"
#include "editor/Editor.h"
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

float ClampHandle(float offset) {
  return std::clamp(offset, kHandleMin, kHandleMax);
}

// A cell parameter from the pointer's offset in the cell, as a fraction of it.
float ParameterFromOffset(int offset) {
  const float value = static_cast<float>(offset) / static_cast<float>(kCellSize);
  if (value > kMaxParameter) return kMaxParameter;
  if (value < kMinParameter) return kMinParameter;
  return value;
}

// The "8" handle at a parameter pair's place in the cell.
void DrawHandle(Display& display, const Cell& cell, float xFraction, float yFraction) {
  const float px = ClampHandle(xFraction * kCellSize);
  const float py = ClampHandle(yFraction * kCellSize);
  display.DrawStringKeyed(static_cast<int>(static_cast<float>(cell.m_X) + px),
                          static_cast<int>(static_cast<float>(cell.m_Y) + py), "8");
}

// An octave one step up or down, within 0 to kMaxOctave.
int StepOctave(int octave, int step) {
  if (step > 0 && octave < kMaxOctave) return octave + 1;
  if (step < 0 && octave > 0) return octave - 1;
  return octave;
}

bool IsCurrentCell(const Editor& editor, const Cell& cell) {
  return editor.m_SelectedStep * kCellSize == cell.m_X && RowY(editor.m_SelectedTrack) == cell.m_Y;
}

}  // namespace

void DrawCell(Display& display, const Editor& editor, const Cell& cell) {
  const int x0 = cell.m_X;
  const int y0 = cell.m_Y;
  const int slot = cell.m_Slot;
  const bool sounding = slot > kRestSlot;
  if (sounding) display.BlitSlot(x0, y0, slot, kCellRect, false);
  // Rests get the frame too, so an empty cell can be seen to be current.
  if (IsCurrentCell(editor, cell) && editor.m_PaletteReplace == -1)
    display.BlitSlot(x0, y0, kSlotSelected, kCellRect, true);
  if (!sounding) return;

  switch (editor.m_Tab) {
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

void DrawTrack(Display& display, const Editor& editor, const Track& track) {
  for (const Cell& cell : track.m_Cells)
    DrawCell(display, editor, cell);
}

int OctaveKeyStep(Editor& editor) {
  const InputState& input = editor.Input();
  const bool up = input.KeyDown(key::kUp);
  const bool down = input.KeyDown(key::kDown);
  const int32_t held = up == down ? 0 : (up ? 1 : -1);
  const int32_t repeat = QuarterSeconds(editor.GetDisplay().m_FramesPerSecond, 1);
  if (held == 0) {
    editor.m_OctaveKeyHeld = 0;
    return 0;
  }
  if (held != editor.m_OctaveKeyHeld) {
    editor.m_OctaveKeyHeld = held;
    editor.m_OctaveRepeatIn = repeat;
    return held;
  }
  editor.m_OctaveRepeatIn = editor.m_OctaveRepeatIn - 1;
  if (editor.m_OctaveRepeatIn > 0) return 0;
  editor.m_OctaveRepeatIn = repeat;
  return held;
}

void DragEditCell(const InputState& input, int tab, int cellX, int cellY, int octaveStep,
                  int32_t& octaveShift, CellSound& sound) {
  const int dx = input.m_MouseX - cellX;
  const int dy = input.m_MouseY - cellY;
  switch (tab) {
    case kTabNote: {
      sound.semitone = std::min(dx / kSemitoneStep, kMaxSemitone);
      // The drag sets the octave every frame, so a key's step is kept as a
      // shift of the pointer's octave; it is taken from the octave shown, so
      // a shift that the range had cut is not paid back by later steps.
      const int pointerOctave = (kCellSize - dy) / 7;  // 9 at the top edge, 0 at the bottom
      sound.octave = std::clamp(pointerOctave + octaveShift, 0, kMaxOctave);
      if (octaveStep != 0) {
        sound.octave = StepOctave(sound.octave, octaveStep);
        octaveShift = sound.octave - pointerOctave;
      }
      break;
    }
    case kTabEnvelope:
      sound.attack = ParameterFromOffset(dx);
      sound.decay = ParameterFromOffset(dy);
      break;
    case kTabSlide:
      sound.slideLength = ParameterFromOffset(dx);
      sound.slide = ParameterFromOffset(dy);
      break;
    case kTabPan:
      sound.pan = ParameterFromOffset(dx);
      break;
    default:
      break;
  }
  KeyEditCell(input, tab, 0, sound);
}

void KeyEditCell(const InputState& input, int tab, int octaveStep, CellSound& sound) {
  // Several held keys are all applied in this order, so the last one wins.
  if (input.KeyDown(key::kDelete)) sound.slot = kRestSlot;
  if (tab == kTabNote) {
    for (int semitone = 0; semitone < 12; ++semitone)
      if (input.KeyDown(kSemitoneKeys[semitone])) sound.semitone = semitone;
    sound.octave = StepOctave(sound.octave, octaveStep);
    for (int digit = 1; digit <= 9; ++digit)
      if (input.KeyDown(kOneToNine[digit - 1])) sound.octave = digit;
    if (input.KeyDown(key::k0)) sound.octave = 0;
  }
  if (tab == kTabPan) {
    for (int digit = 1; digit <= 9; ++digit)
      if (input.KeyDown(kOneToNine[digit - 1])) sound.pan = kPanByDigit[digit - 1];
  }
}

void CurrentCellStep(Editor& editor) {
  Sequencer& seq = editor.Seq();
  InputState& input = editor.Input();
  const bool leftHeld = input.LeftButton(0) != 0;
  int octaveStep = OctaveKeyStep(editor);
  if (editor.m_PaletteDrag == -1 && leftHeld && editor.m_SelectedStep >= 0 &&
      editor.m_SelectedTrack >= 0 && editor.m_SelectedTrack < seq.TrackCount()) {
    // A drag: the pointer cannot leave the cell while the button is held.
    const int left = editor.m_SelectedStep * kCellSize;
    const int top = RowY(editor.m_SelectedTrack);
    input.m_MouseX = std::clamp(input.m_MouseX, left, left + kCellSize);
    input.m_MouseY = std::clamp(input.m_MouseY, top, top + kCellSize);
    const Cell& cell = seq.GetTrack(editor.m_SelectedTrack).m_Cells[editor.m_SelectedStep];
    CellSound sound = cell.Sound();
    DragEditCell(input, editor.m_Tab, cell.m_X, cell.m_Y, octaveStep, editor.m_DragOctaveShift,
                 sound);
    seq.SetCell(editor.m_SelectedTrack, editor.m_SelectedStep, sound);
    octaveStep = 0;  // taken by the drag: the keys below must not step it again
  } else {
    editor.m_DragOctaveShift = 0;
    // Hover: the cell whose inside holds the pointer; pixels on a cell's left
    // or top edge belong to no cell.
    const int x = input.m_MouseX;
    const int y = input.m_MouseY;
    for (int t = 0; t < seq.TrackCount(); ++t) {
      for (int s = 0; s < kStepsPerPattern; ++s) {
        const Cell& cell = seq.GetTrack(t).m_Cells[s];
        if (cell.m_X < x && x < cell.m_X + kCellSize && cell.m_Y < y && y < cell.m_Y + kCellSize) {
          editor.m_SelectedStep = s;
          editor.m_SelectedTrack = t;
        }
      }
    }
  }

  const int track = editor.m_SelectedTrack;
  const int step = editor.m_SelectedStep;
  if (step < 0 || track < 0 || editor.m_PaletteReplace != -1) return;
  CellSound sound = seq.GetTrack(track).m_Cells[step].Sound();
  if (input.KeyDown(key::kF5)) editor.m_Clipboard = sound;
  if (input.KeyDown(key::kF6)) sound = editor.m_Clipboard;
  KeyEditCell(input, editor.m_Tab, octaveStep, sound);
  seq.SetCell(track, step, sound);
}

}  // namespace tessaloop
