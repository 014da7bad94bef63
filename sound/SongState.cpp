// The song as one value: Capture and Apply.

#include <cstring>
#include <string>

#include "base/DebugLog.h"
#include "sound/PicturePath.h"
#include "sound/Sequencer.h"

namespace tessaloop {

void Sequencer::Capture(Song& song) const {
  song.trackCount = m_TrackCount;
  for (int t = 0; t < m_TrackCount; ++t) {
    const Track& track = *m_Tracks[t];
    SongTrack& saved = song.tracks[t];
    for (int s = 0; s < kStepsPerPattern; ++s)
      saved.cells[s] = track.m_Cells[s].Sound();
    saved.mute = track.m_Mute != 0;
    saved.storedPattern = track.m_StoredPattern;
    saved.loadedPattern = track.m_LoadedPattern;
    for (int p = 0; p < kArrangementLength; ++p)
      song.arrangement[t][p] = m_Arrangement[t][p];
  }
  // The rows of tracks this program has not: as a fresh Song has them, so that
  // a capture is the same value whatever the Song held before.
  for (int t = m_TrackCount; t < kMaxTracks; ++t) {
    song.tracks[t] = SongTrack{};
    for (int32_t& entry : song.arrangement[t])
      entry = 0;
  }
  for (int n = 0; n < kPatternCount; ++n)
    for (int c = 0; c < kStepsPerPattern; ++c)
      song.bank[n][c] = m_Bank.m_Patterns[n][c].Sound();
  for (int i = 0; i < kSavedSlotCount; ++i) {
    std::memset(song.palette[i], 0, kSlotNameLength);
    const char* name = m_Palette->Name(kFirstSavedSlot + i);
    std::memcpy(song.palette[i], name, strnlen(name, kSlotNameLength - 1));
  }
  song.samplesPerStep = m_SamplesPerStep;
  song.songMode = m_SongMode != 0;
  std::memset(song.name, 0, sizeof song.name);
  std::memcpy(song.name, m_Name, strnlen(m_Name, kMaxNameLength));
}

void Sequencer::LoadSongSlot(int slot, const char* name) {
  // A shared song is untrusted: a path outside the picture folders is never
  // opened, and its slot gets the fallback as a missing one does.
  std::string why;
  if (!SongPicturePathAllowed(name, why)) {
    WriteDebugLog(("Picture not opened: " + PrintablePath(name) + " (" + why + ")").c_str());
  } else if (m_Palette->Load(slot, name)) {
    return;
  }
  if (m_Palette->Load(slot, kNotFoundBitmap)) return;
  // Not even the fallback loads: the slot keeps its sound, but the song
  // keeps naming its own bitmap, so that saving it again loses nothing.
  m_Palette->KeepName(slot, name);
}

void Sequencer::Apply(const Song& song, SongParts parts) {
  if (song.trackCount != m_TrackCount) {
    WriteDebugLog("Song not loaded: it was read for another number of tracks");
    return;
  }
  if (m_Listener != nullptr) m_Listener->BeforeWholeSong();

  WriteDebugLog("load song pattern");
  for (int t = 0; t < m_TrackCount; ++t)
    for (int p = 0; p < kArrangementLength; ++p)
      m_Arrangement[t][p] = song.arrangement[t][p];

  WriteDebugLog("load wavetables");
  for (int n = 0; n < kPatternCount; ++n)
    for (int c = 0; c < kStepsPerPattern; ++c)
      m_Bank.m_Patterns[n][c].SetSound(song.bank[n][c]);

  WriteDebugLog("load bmp palette");
  for (int i = 0; i < kSavedSlotCount; ++i)
    LoadSongSlot(kFirstSavedSlot + i, song.palette[i]);

  WriteDebugLog("load tempo");
  m_SamplesPerStep = song.samplesPerStep;

  if (parts == SongParts::kAll) {
    for (int t = 0; t < m_TrackCount; ++t) {
      Track& track = *m_Tracks[t];
      const SongTrack& saved = song.tracks[t];
      for (int s = 0; s < kStepsPerPattern; ++s)
        track.m_Cells[s].SetSound(saved.cells[s]);
      track.m_Mute = saved.mute ? 1 : 0;
      track.m_StoredPattern = saved.storedPattern;
      track.m_LoadedPattern = saved.loadedPattern;
    }
    m_SongMode = song.songMode ? 1 : 0;
    std::memset(m_Name, 0, sizeof m_Name);
    std::memcpy(m_Name, song.name, strnlen(song.name, kMaxNameLength));
  }
  Edited(SongEdit::kSong);
}

void Sequencer::CapturePlace(SongPlace place, Song& into) const {
  const int a = place.a;
  const int b = place.b;
  const bool track = a < m_TrackCount;
  switch (place.kind) {
    case SongPlaceKind::kTrackCell:
      if (track) into.tracks[a].cells[b] = m_Tracks[a]->m_Cells[b].Sound();
      break;
    case SongPlaceKind::kTrackMute:
      if (track) into.tracks[a].mute = m_Tracks[a]->m_Mute != 0;
      break;
    case SongPlaceKind::kTrackStored:
      if (track) into.tracks[a].storedPattern = m_Tracks[a]->m_StoredPattern;
      break;
    case SongPlaceKind::kTrackLoaded:
      if (track) into.tracks[a].loadedPattern = m_Tracks[a]->m_LoadedPattern;
      break;
    case SongPlaceKind::kBankCell:
      into.bank[a][b] = m_Bank.m_Patterns[a][b].Sound();
      break;
    case SongPlaceKind::kArrangement:
      if (track) into.arrangement[a][b] = m_Arrangement[a][b];
      break;
    case SongPlaceKind::kPaletteSlot: {
      char* name = into.palette[a - kFirstSavedSlot];
      std::memset(name, 0, kSlotNameLength);
      const char* current = m_Palette->Name(a);
      std::memcpy(name, current, strnlen(current, kSlotNameLength - 1));
      break;
    }
    case SongPlaceKind::kTempo:
      into.samplesPerStep = m_SamplesPerStep;
      break;
    case SongPlaceKind::kSongMode:
      into.songMode = m_SongMode != 0;
      break;
    case SongPlaceKind::kName:
      std::memset(into.name, 0, sizeof into.name);
      std::memcpy(into.name, m_Name, strnlen(m_Name, kMaxNameLength));
      break;
  }
}

void Sequencer::ApplyPlace(SongPlace place, const Song& from) {
  const int a = place.a;
  const int b = place.b;
  const bool track = a < m_TrackCount;
  switch (place.kind) {
    case SongPlaceKind::kTrackCell:
      if (!track) return;
      m_Tracks[a]->m_Cells[b].SetSound(from.tracks[a].cells[b]);
      break;
    case SongPlaceKind::kTrackMute:
      if (!track) return;
      m_Tracks[a]->m_Mute = from.tracks[a].mute ? 1 : 0;
      break;
    case SongPlaceKind::kTrackStored:
      if (!track) return;
      m_Tracks[a]->m_StoredPattern = from.tracks[a].storedPattern;
      break;
    case SongPlaceKind::kTrackLoaded:
      if (!track) return;
      m_Tracks[a]->m_LoadedPattern = from.tracks[a].loadedPattern;
      break;
    case SongPlaceKind::kBankCell:
      m_Bank.m_Patterns[a][b].SetSound(from.bank[a][b]);
      break;
    case SongPlaceKind::kArrangement:
      if (!track) return;
      m_Arrangement[a][b] = from.arrangement[a][b];
      break;
    case SongPlaceKind::kPaletteSlot: {
      char name[kSlotNameLength] = {};
      std::memcpy(name, from.palette[a - kFirstSavedSlot],
                  strnlen(from.palette[a - kFirstSavedSlot], kSlotNameLength - 1));
      if (std::strcmp(name, m_Palette->Name(a)) == 0) return;
      LoadSongSlot(a, name);
      break;
    }
    case SongPlaceKind::kTempo:
      m_SamplesPerStep = from.samplesPerStep;
      break;
    case SongPlaceKind::kSongMode:
      m_SongMode = from.songMode ? 1 : 0;
      break;
    case SongPlaceKind::kName:
      std::memset(m_Name, 0, sizeof m_Name);
      std::memcpy(m_Name, from.name, strnlen(from.name, kMaxNameLength));
      break;
  }
  Edited(SongEdit::kPlace);
}

}  // namespace tessaloop
