#pragma once

// Songs, snapshots and log reading shared by the song file and exporter tests.

#include <memory>
#include <string>
#include <vector>

#include "sound/Sequencer.h"

namespace tessaloop::testing {

// A Sequencer without audio, display or input.
std::unique_ptr<Sequencer> MakeQuietSequencer(WavetableBank& bank, int trackCount);

// Fills the bank, arrangement and tempo with values the editor can make, all
// different from the defaults and from each other where the format allows:
// every parameter clamp and multiple of 1/64, every octave 0-10 and semitone,
// every slot 0-21, every pattern number 0-26 (the 101st entries included).
// seed varies the song.
void ComposeRichSong(Sequencer& seq, int seed);

// Everything of a Sequencer a load could touch or must leave alone, as text:
// arrangement, every bank value with its derived note and frequency, tempo,
// name, song mode, the tracks' cells, mute flags and clock position.
std::string Snapshot(const Sequencer& seq);

// The exact text of the start-up song of a program with this many tracks,
// written out token by token.
std::string StartupSongText(int tracks);

// The tokens of a song text, without their commas.
std::vector<std::string> SplitTokens(const std::string& text);
// Replaces one token (out of line: GCC 12 warns falsely on some inlined
// string assignments).
void SetToken(std::vector<std::string>& tokens, size_t index, const std::string& value);
// Tokens joined back, each followed by a comma.
std::string JoinTokens(const std::vector<std::string>& tokens);

// The lines of debug.txt in the working folder.
std::vector<std::string> DebugLogLines();
// The lines of the log that start with prefix.
std::vector<std::string> LogLinesStartingWith(const std::string& prefix);
// Empties debug.txt.
void ClearDebugLog();

}  // namespace tessaloop::testing
