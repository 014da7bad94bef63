#include "sound/SongPlaces.h"

#include <array>

namespace tessaloop {

namespace {

// The places in index order: per kind, how many there are for a track count.
constexpr std::array<SongPlaceKind, 10> kKinds = {
    SongPlaceKind::kTrackCell,   SongPlaceKind::kTrackMute, SongPlaceKind::kTrackStored,
    SongPlaceKind::kTrackLoaded, SongPlaceKind::kBankCell,  SongPlaceKind::kArrangement,
    SongPlaceKind::kPaletteSlot, SongPlaceKind::kTempo,     SongPlaceKind::kSongMode,
    SongPlaceKind::kName,
};

// Rows and columns of a kind: the place (a, b) is row a - first row, column b.
struct KindShape {
  int rows;
  int columns;
  int firstRow;
};

KindShape ShapeOf(SongPlaceKind kind, int tracks) {
  switch (kind) {
    case SongPlaceKind::kTrackCell:
      return {tracks, kStepsPerPattern, 0};
    case SongPlaceKind::kTrackMute:
    case SongPlaceKind::kTrackStored:
    case SongPlaceKind::kTrackLoaded:
      return {tracks, 1, 0};
    case SongPlaceKind::kBankCell:
      return {kPatternCount, kStepsPerPattern, 0};
    case SongPlaceKind::kArrangement:
      return {tracks, kArrangementLength, 0};
    case SongPlaceKind::kPaletteSlot:
      return {kSavedSlotCount, 1, kFirstSavedSlot};
    case SongPlaceKind::kTempo:
    case SongPlaceKind::kSongMode:
    case SongPlaceKind::kName:
      return {1, 1, 0};
  }
  return {0, 0, 0};
}

template <typename T>
PlaceBytes Bytes(T& value) {
  return {reinterpret_cast<std::byte*>(&value), sizeof value};
}

}  // namespace

int SongPlaceCount(int trackCount) {
  int count = 0;
  for (SongPlaceKind kind : kKinds) {
    const KindShape shape = ShapeOf(kind, trackCount);
    count += shape.rows * shape.columns;
  }
  return count;
}

SongPlace SongPlaceAt(int index, int trackCount) {
  for (SongPlaceKind kind : kKinds) {
    const KindShape shape = ShapeOf(kind, trackCount);
    const int size = shape.rows * shape.columns;
    if (index < size) {
      return {kind, static_cast<uint8_t>(shape.firstRow + index / shape.columns),
              static_cast<uint8_t>(index % shape.columns)};
    }
    index -= size;
  }
  return {};
}

int SongPlaceIndex(SongPlace place, int trackCount) {
  int base = 0;
  for (SongPlaceKind kind : kKinds) {
    const KindShape shape = ShapeOf(kind, trackCount);
    if (kind == place.kind) return base + (place.a - shape.firstRow) * shape.columns + place.b;
    base += shape.rows * shape.columns;
  }
  return -1;
}

PlaceBytes BytesOf(Song& song, SongPlace place) {
  switch (place.kind) {
    case SongPlaceKind::kTrackCell:
      return Bytes(song.tracks[place.a].cells[place.b]);
    case SongPlaceKind::kTrackMute:
      return Bytes(song.tracks[place.a].mute);
    case SongPlaceKind::kTrackStored:
      return Bytes(song.tracks[place.a].storedPattern);
    case SongPlaceKind::kTrackLoaded:
      return Bytes(song.tracks[place.a].loadedPattern);
    case SongPlaceKind::kBankCell:
      return Bytes(song.bank[place.a][place.b]);
    case SongPlaceKind::kArrangement:
      return Bytes(song.arrangement[place.a][place.b]);
    case SongPlaceKind::kPaletteSlot:
      return Bytes(song.palette[place.a - kFirstSavedSlot]);
    case SongPlaceKind::kTempo:
      return Bytes(song.samplesPerStep);
    case SongPlaceKind::kSongMode:
      return Bytes(song.songMode);
    case SongPlaceKind::kName:
      return Bytes(song.name);
  }
  return {nullptr, 0};
}

}  // namespace tessaloop
