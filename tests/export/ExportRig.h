#pragma once

// What the export tests share: a working folder with the program's art, and
// songs made the way the editor makes them, through the edit operations.

#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "sound/OfflineRender.h"
#include "sound/Song.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop::testing {

// A song of this many tracks, edited step by step: every track its own
// pattern and a second one, an arrangement with gaps (X) over positions
// positions, a user picture in one slot, a tempo and parameters that the
// song file's text rounds (thirds, sevenths). Captured as the editor would
// capture it for a save.
inline std::unique_ptr<Song> EditedSong(int tracks, int positions, int32_t samplesPerStep,
                                        const char* name) {
  OfflineEngine engine(tracks);
  Sequencer& seq = *engine.seq;
  seq.ReplaceSound(kFirstPaletteSlot + 3, "userbitmaps/moon.bmp");
  for (int t = 0; t < tracks; ++t) {
    for (int variant = 0; variant < 2; ++variant) {
      for (int s = 0; s < kStepsPerPattern; ++s) {
        CellSound sound;
        sound.attack = 1.0f / 3;
        sound.decay = 2.0f / 7 + 0.05f * static_cast<float>(s % 4);
        sound.slideLength = 1.0f / 7;
        sound.slide = s % 3 == 0 ? 1.0f / 3 : 0.5f;
        sound.octave = 2 + (s + t + variant) % 5;
        sound.semitone = (5 * s + t) % 12;
        sound.pan = static_cast<float>(1 + (s + t) % 9) / 9.1f;
        // Every fourth step of the second variant is a rest.
        sound.slot = variant == 1 && s % 4 == 3 ? 0 : kFirstPaletteSlot + (s + 3 * t) % 16;
        seq.SetCell(t, s, sound);
      }
      seq.StorePattern(t, 1 + 2 * t + variant);
    }
    for (int p = 0; p < positions; ++p)
      seq.SetArrangement(t, p, (p + t) % 4 == 2 ? kDefaultPattern : 1 + 2 * t + p % 2);
  }
  seq.SetTempo(samplesPerStep);
  seq.SetName(name);
  auto song = std::make_unique<Song>();
  seq.Capture(*song);
  return song;
}

// A working folder with the program's art and user pictures.
class ExportFolder {
 public:
  ExportFolder() {
    m_Folder.LinkData();
    std::filesystem::copy(std::filesystem::path(SourceDir()) / "userbitmaps", "userbitmaps");
  }

 private:
  WorkFolder m_Folder;
};

// Every name in a folder; empty when there is no such folder.
inline std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    names.insert(entry.path().filename().string());
  return names;
}

}  // namespace tessaloop::testing
