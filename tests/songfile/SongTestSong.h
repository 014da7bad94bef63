#pragma once

// Songs, snapshots and log reading shared by the song file tests.

#include <memory>
#include <string>
#include <vector>

#include "sound/Sequencer.h"

namespace tessaloop::testing {

// A Sequencer without audio, display or input.
std::unique_ptr<Sequencer> MakeQuietSequencer(WavetableBank& bank, int trackCount);

// Fills bank, arrangement and tempo with editor-reachable values unlike the
// defaults (every clamp, multiple of 1/64, octave, semitone, slot and pattern).
void ComposeRichSong(Sequencer& seq, int seed);

// Everything of a Sequencer a load could touch or must leave alone, as text;
// the song itself comes before "track 0 mute".
std::string Snapshot(const Sequencer& seq);
// The song part of a snapshot: arrangement, bank and tempo.
std::string SongPart(const std::string& snapshot);

// The exact text of the start-up song of a program with this many tracks.
std::string StartupSongText(int tracks);

// The tokens of a song text, without their commas, and joined back.
std::vector<std::string> SplitTokens(const std::string& text);
// Out of line: GCC 12 warns falsely on some inlined string assignments.
void SetToken(std::vector<std::string>& tokens, size_t index, const std::string& value);
std::string JoinTokens(const std::vector<std::string>& tokens);

// The lines of debug.txt that start with prefix; and emptying it.
std::vector<std::string> LogLines(const std::string& prefix = "");
void ClearDebugLog();

}  // namespace tessaloop::testing
