// The edit operations: the only way the editor changes the song. Each one
// stores its values with the single-word stores the audio thread expects, and
// each change passes through Edited, the one place that sees them all.

#include <algorithm>
#include <cstring>

#include "sound/Sequencer.h"

namespace tessaloop {

namespace {

bool ValidPattern(int pattern) {
  return pattern >= 0 && pattern < kPatternCount;
}

// A held letter stores or loads again on every frame; only a store or load
// that changes something is an edit.
bool SameSounds(const Cell* a, const Cell* b) {
  for (int i = 0; i < kStepsPerPattern; ++i)
    if (!(a[i].Sound() == b[i].Sound())) return false;
  return true;
}

}  // namespace

void Sequencer::Edited(SongEdit kind) {
  ++m_EditCount;
  m_LastEdit = kind;
}

void Sequencer::SetCell(int track, int step, const CellSound& sound) {
  if (track < 0 || track >= m_TrackCount || step < 0 || step >= kStepsPerPattern) return;
  Cell& cell = m_Tracks[track]->m_Cells[step];
  if (cell.Sound() == sound) return;
  WillEdit(SongPlaceKind::kTrackCell, track, step);
  cell.SetSound(sound);
  Edited(SongEdit::kCell);
}

void Sequencer::StorePattern(int track, int pattern) {
  if (track < 0 || track >= m_TrackCount || !ValidPattern(pattern)) return;
  Track& t = *m_Tracks[track];
  if (t.m_StoredPattern == pattern && SameSounds(t.m_Cells, m_Bank.m_Patterns[pattern])) return;
  WillEdit(SongPlaceKind::kTrackStored, track);
  for (int c = 0; c < kStepsPerPattern; ++c)
    WillEdit(SongPlaceKind::kBankCell, pattern, c);
  t.StorePattern(m_Bank, pattern);
  Edited(SongEdit::kStorePattern);
}

void Sequencer::LoadPattern(int track, int pattern) {
  if (track < 0 || track >= m_TrackCount || !ValidPattern(pattern)) return;
  Track& t = *m_Tracks[track];
  if (t.m_LoadedPattern == pattern && SameSounds(t.m_Cells, m_Bank.m_Patterns[pattern])) return;
  WillEdit(SongPlaceKind::kTrackLoaded, track);
  for (int c = 0; c < kStepsPerPattern; ++c)
    WillEdit(SongPlaceKind::kTrackCell, track, c);
  t.LoadPattern(m_Bank, pattern);
  Edited(SongEdit::kLoadPattern);
}

void Sequencer::SetArrangement(int track, int position, int pattern) {
  if (track < 0 || track >= m_TrackCount || position < 0 || position >= kArrangementLength ||
      !ValidPattern(pattern) || m_Arrangement[track][position] == pattern)
    return;
  WillEdit(SongPlaceKind::kArrangement, track, position);
  m_Arrangement[track][position] = pattern;
  Edited(SongEdit::kArrangement);
}

void Sequencer::SetTempo(int32_t samplesPerStep) {
  samplesPerStep = std::clamp<int32_t>(samplesPerStep, kMinSamplesPerStep, kMaxSamplesPerStep);
  if (m_SamplesPerStep == samplesPerStep) return;
  WillEdit(SongPlaceKind::kTempo, 0);
  m_SamplesPerStep = samplesPerStep;
  Edited(SongEdit::kTempo);
}

void Sequencer::SetMute(int track, bool muted) {
  if (track < 0 || track >= m_TrackCount || (m_Tracks[track]->m_Mute != 0) == muted) return;
  WillEdit(SongPlaceKind::kTrackMute, track);
  m_Tracks[track]->m_Mute = muted ? 1 : 0;
  Edited(SongEdit::kMute);
}

void Sequencer::SetSongMode(bool on) {
  if ((m_SongMode != 0) == on) return;
  WillEdit(SongPlaceKind::kSongMode, 0);
  m_SongMode = on ? 1 : 0;
  Edited(SongEdit::kSongMode);
}

void Sequencer::SetName(const char* name) {
  if (name == nullptr) return;
  const size_t length = strnlen(name, kMaxNameLength);
  if (std::strncmp(m_Name, name, length) == 0 && m_Name[length] == '\0') return;
  WillEdit(SongPlaceKind::kName, 0);
  std::memset(m_Name, 0, sizeof m_Name);
  std::memcpy(m_Name, name, length);
  Edited(SongEdit::kName);
}

bool Sequencer::ReplaceSound(int slot, const char* path) {
  // Only slots 5-21 are part of the song; the others are the program's art.
  if (slot >= kFirstSavedSlot && slot <= kLastSavedSlot)
    WillEdit(SongPlaceKind::kPaletteSlot, slot);
  if (!m_Palette->Load(slot, path)) return false;
  Edited(SongEdit::kSound);
  return true;
}

}  // namespace tessaloop
