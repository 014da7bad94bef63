#pragma once

// Drawing and editing one cell. The sound engine's Cell knows nothing of the
// screen, so these are the editor's operations on it.

#include <cstdint>

#include "sound/Cell.h"

namespace tessaloop {

class Display;
class Editor;
class InputState;
class Track;

// Draws the cell for the current tab: its picture, the selection frame when it
// is the current cell, and the parameters of the tab.
void DrawCell(Display& display, const Editor& editor, const Cell& cell);
// The 16 cells of a track, left to right.
void DrawTrack(Display& display, const Editor& editor, const Track& track);

// This frame's step of the octave keys: +1 (Up), -1 (Down) or 0. A key steps
// when it goes down and then about four times a second while it is held, so a
// short press is one octave rather than one a frame. Called once a frame.
int OctaveKeyStep(Editor& editor);

// Sets the current tab's parameters of a cell's sound from where the pointer
// lies in the cell at (cellX, cellY), then applies the held keys. The octave
// is the pointer's plus octaveShift, which this frame's octaveStep changes and
// which lasts as long as the drag.
void DragEditCell(const InputState& input, int tab, int cellX, int cellY, int octaveStep,
                  int32_t& octaveShift, CellSound& sound);
// Applies the keys to a cell's sound: the held Delete, and per tab the held
// note keys, octave and pan digits, and this frame's octave step.
void KeyEditCell(const InputState& input, int tab, int octaveStep, CellSound& sound);

// The current cell of this frame: a drag keeps it (with the pointer confined to
// it) and edits it; otherwise the cell under the pointer becomes current. Then
// copy, paste and the keys act on it.
void CurrentCellStep(Editor& editor);

}  // namespace tessaloop
