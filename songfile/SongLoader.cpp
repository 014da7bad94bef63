// Loading a song into the running Sequencer.
//
// The audio thread goes on playing while a song loads. The file is therefore
// read and checked into a staging copy first, and only a whole, valid song is
// put in place, value by value with the same single-word stores the editor
// uses: no value outside its range ever reaches the clock, the voices or the
// note table, and a refused file leaves the song exactly as it was.

#include <cstring>
#include <memory>
#include <string>

#include "display/DebugLog.h"
#include "display/Display.h"
#include "songfile/PicturePath.h"
#include "songfile/SongFormat.h"
#include "sound/Sequencer.h"

namespace tessaloop {

void Sequencer::LoadSong(int index) {
  if (index < 0 || index >= kListSize) {
    WriteDebugLog(
        ("Song not loaded: there is no song list entry " + std::to_string(index)).c_str());
    return;
  }
  const std::string path =
      std::string(kSongFolder) + "/" +
      std::string(m_SongNames[index], strnlen(m_SongNames[index], kListNameLength));
  LoadSongFile(path.c_str());
}

bool Sequencer::LoadSongFile(const char* path, std::string* whyRefused) {
  WriteDebugLog("-----------");
  WriteDebugLog("Loading seq");
  WriteDebugLog(path);
  auto song = std::make_unique<SongImage>();
  std::string why;
  if (!ReadSongFile(path, m_TrackCount, *song, why)) {
    WriteDebugLog(("Song not loaded: " + why).c_str());
    if (whyRefused != nullptr) *whyRefused = why;
    return false;
  }
  ApplySong(*song);
  return true;
}

void Sequencer::ApplySong(const SongImage& song) {
  if (song.trackCount != m_TrackCount) {
    WriteDebugLog("Song not loaded: it was read for another number of tracks");
    return;
  }

  WriteDebugLog("load song pattern");
  for (int t = 0; t < m_TrackCount; ++t)
    for (int p = 0; p < kArrangementLength; ++p)
      m_Arrangement[t][p] = song.arrangement[t][p];

  WriteDebugLog("load wavetables");
  for (int n = 0; n < kPatternCount; ++n) {
    for (int c = 0; c < kStepsPerPattern; ++c) {
      const SongCell& saved = song.bank[n][c];
      Cell& cell = m_Bank.m_Patterns[n][c];
      cell.m_Attack = saved.attack;
      cell.m_Decay = saved.decay;
      cell.m_SlideLength = saved.slideLength;
      cell.m_Slide = saved.slide;
      cell.m_Octave = saved.octave;
      cell.m_Semitone = saved.semitone;
      cell.m_Pan = saved.pan;
      cell.m_Slot = saved.slot;
      // Octave 10 with semitone 10 or 11 gives note 130 or 131, which the
      // editor's keys can reach too: the note table lookup takes its top entry
      // for them and the voice sounds them at its highest frequency.
      cell.SetNote();
    }
  }
  if (song.clampedCount > 0) {
    WriteDebugLog((std::to_string(song.clampedCount) +
                   (song.clampedCount == 1 ? " parameter" : " parameters") +
                   " brought into 0.01-0.99, the first: " + song.firstClamped)
                      .c_str());
  }

  WriteDebugLog("load bmp palette");
  if (m_Display == nullptr) {
    WriteDebugLog("no display: the palette bitmaps are not loaded");
  } else {
    for (int i = 0; i < kSavedSlotCount; ++i) {
      const int slot = kFirstSavedSlot + i;
      const char* name = song.palette[i];
      // A shared song is untrusted: a path outside the picture folders is
      // never opened, and its slot gets the fallback as a missing one does.
      std::string why;
      if (!SongPicturePathAllowed(name, why)) {
        WriteDebugLog(("Picture not opened: " + PrintablePath(name) + " (" + why + ")").c_str());
      } else if (m_Display->LoadPaletteSlot(slot, name)) {
        continue;
      }
      if (m_Display->LoadPaletteSlot(slot, kNotFoundBitmap)) continue;
      // Not even the fallback loads: the slot keeps its sound, but the song
      // keeps naming its own bitmap, so that saving it again loses nothing.
      char* entry = m_Display->m_SlotNames[slot];
      std::memset(entry, 0, kSlotNameLength);
      std::memcpy(entry, name, strnlen(name, kNameTokenLimit));
    }
  }

  WriteDebugLog("load tempo");
  m_SamplesPerStep = song.samplesPerStep;
}

}  // namespace tessaloop
