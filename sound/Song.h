#pragma once

// The song: everything a user makes, as one plain value. The running program
// keeps it spread over the Sequencer (tracks, bank, arrangement, tempo, song
// mode, name) and the Palette (the pictures' paths), where the audio thread
// reads it; a Song is a copy that no thread shares. Sequencer::Capture takes
// one, Sequencer::Apply puts one back; song files, and anything that keeps or
// restores the song, go through it.

#include <cstdint>

#include "sound/Cell.h"
#include "sound/Palette.h"
#include "sound/PatternBank.h"
#include "sound/Track.h"

namespace tessaloop {

constexpr int kMaxNameLength = 12;  // song name characters, terminator not counted

// A track as the user made it: its steps, its mute and the patterns its
// buttons last stored and loaded.
struct SongTrack {
  CellSound cells[kStepsPerPattern];
  bool mute = false;
  int32_t storedPattern = kDefaultPattern;
  int32_t loadedPattern = kDefaultPattern;

  bool operator==(const SongTrack&) const = default;
};

struct Song {
  int trackCount = 0;
  SongTrack tracks[kMaxTracks];
  int32_t arrangement[kMaxTracks][kArrangementLength] = {};
  CellSound bank[kPatternCount][kStepsPerPattern];
  char palette[kSavedSlotCount][kSlotNameLength] = {};  // the paths of slots 5-21
  int32_t samplesPerStep = 0;
  bool songMode = false;
  char name[kMaxNameLength + 1] = {};

  bool operator==(const Song&) const = default;
};

// The parts of a song that Apply puts in place.
enum class SongParts {
  // What a song file holds: arrangement, bank, palette and tempo. Loading a
  // file leaves the tracks' steps, mutes, song mode and name as they are.
  kFile,
  // Everything.
  kAll,
};

}  // namespace tessaloop
