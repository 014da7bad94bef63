#pragma once

// Drawing and editing one cell. The sound engine's Cell knows nothing of the
// screen, so these are the editor's operations on it.

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

// Sets the current tab's parameters of a cell's sound from where the pointer
// lies in the cell at (cellX, cellY), then applies the held keys.
void DragEditCell(const InputState& input, int tab, int cellX, int cellY, CellSound& sound);
// Applies the held keys to a cell's sound: Delete, and per tab the note keys,
// octave and pan digits.
void KeyEditCell(const InputState& input, int tab, CellSound& sound);

// The current cell of this frame: a drag keeps it (with the pointer confined to
// it) and edits it; otherwise the cell under the pointer becomes current. Then
// copy, paste and the keys act on it.
void CurrentCellStep(Editor& editor);

}  // namespace tessaloop
