#pragma once

// Drawing and editing one cell. The sound engine's Cell knows nothing of the
// screen, so these are the editor's operations on it.

#include "sound/Cell.h"

namespace tessaloop {

class Display;
class InputState;
class Sequencer;
class Track;

// Draws the cell for the current tab: its picture, the selection frame when it
// is the current cell, and the parameters of the tab.
void DrawCell(Display& display, const Sequencer& seq, const Cell& cell);
// The 16 cells of a track, left to right.
void DrawTrack(Display& display, const Sequencer& seq, const Track& track);

// Sets the current tab's parameters from where the pointer lies in the cell,
// then applies the held keys.
void DragEditCell(const InputState& input, int tab, Cell& cell);
// Applies the held keys to the cell: Delete, and per tab the note keys,
// octave and pan digits.
void KeyEditCell(const InputState& input, int tab, Cell& cell);

// The current cell of this frame: a drag keeps it (with the pointer confined to
// it) and edits it; otherwise the cell under the pointer becomes current. Then
// copy, paste and the keys act on it.
void CurrentCellStep(Sequencer& seq, InputState& input);

}  // namespace tessaloop
