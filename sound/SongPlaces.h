#pragma once

// The song as places: every value an edit can change, one by one. Undo keeps
// the values of the places a gesture changed, not whole songs, and puts back
// only those, so that what the audio thread changed meanwhile (the patterns
// song mode loads into the tracks) is left as it is.

#include <cstddef>
#include <cstdint>

#include "sound/Song.h"

namespace tessaloop {

enum class SongPlaceKind : uint8_t {
  kTrackCell,    // a: track, b: step
  kTrackMute,    // a: track
  kTrackStored,  // a: track; the pattern its Save button last stored
  kTrackLoaded,  // a: track; the pattern its Load button last loaded
  kBankCell,     // a: pattern, b: cell
  kArrangement,  // a: track, b: position 0-100
  kPaletteSlot,  // a: slot 5-21, whose picture path is the value
  kTempo,
  kSongMode,
  kName,
};

struct SongPlace {
  SongPlaceKind kind = SongPlaceKind::kTempo;
  uint8_t a = 0;
  uint8_t b = 0;

  bool operator==(const SongPlace&) const = default;
};

// Places of a song of this many tracks, and their order: every index from 0
// to SongPlaceCount - 1 is one place, each place one index.
int SongPlaceCount(int trackCount);
SongPlace SongPlaceAt(int index, int trackCount);
int SongPlaceIndex(SongPlace place, int trackCount);

// Where a place's value lies in a song, as bytes. Every value is a plain
// number, a cell of plain numbers or a zero-filled name, so two places hold
// the same value exactly when their bytes are the same.
struct PlaceBytes {
  std::byte* data;
  size_t size;
};
PlaceBytes BytesOf(Song& song, SongPlace place);
inline const std::byte* BytesOf(const Song& song, SongPlace place, size_t& size) {
  const PlaceBytes bytes = BytesOf(const_cast<Song&>(song), place);
  size = bytes.size;
  return bytes.data;
}

// The largest value of any place.
constexpr size_t kLargestPlaceValue = sizeof(CellSound) > kSlotNameLength
                                          ? sizeof(CellSound)
                                          : static_cast<size_t>(kSlotNameLength);

// Hears of every change to the song before it is made: the place, or the
// whole song when one is put in place. The edit operations call it on the
// user-interface thread.
class SongEditListener {
 public:
  virtual ~SongEditListener() = default;
  virtual void BeforeEdit(SongPlace place) = 0;
  virtual void BeforeWholeSong() = 0;
};

}  // namespace tessaloop
