#pragma once

namespace tessaloop {

// Frequencies in Hz of MIDI notes 0-129: 440 x 2^((n - 69) / 12), rounded to six
// significant figures.
constexpr int kNoteCount = 130;
extern const float kNoteTable[kNoteCount];

// The note table's frequency for a note number. The editor can reach notes 130
// and 131 (octave 10 with semitone 10 or 11), which lie above the table: they
// take the table's top entry (14080 Hz), so the lookup never leaves the table.
// The voice clamps every sounding frequency to 7040 Hz anyway. Negative notes
// never occur (octave and semitone are never negative) but read entry 0.
float NoteFrequency(int note);

}  // namespace tessaloop
