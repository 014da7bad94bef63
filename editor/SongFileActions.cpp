// What the two song tabs do with files: save the song under its name, load an
// entry of the song list.

#include <cstring>
#include <memory>
#include <string>

#include "base/DebugLog.h"
#include "editor/Editor.h"
#include "input/InputState.h"
#include "songfile/SongFiles.h"
#include "songfile/SongFormat.h"
#include "sound/Sequencer.h"

namespace tessaloop {

namespace {

// Frames during which the editor ignores keys after a save, so that the
// Return that finished the name does not act again.
constexpr int32_t kKeyDelayAfterSave = 20;

}  // namespace

bool Editor::SaveCurrentSong() {
  m_Input.m_KeyDelay = kKeyDelayAfterSave;
  auto song = std::make_unique<Song>();
  m_Seq.Capture(*song);
  return SaveSong(*song);
}

void Editor::LoadListedSong(int index) {
  if (index < 0 || index >= kListSize) {
    WriteDebugLog(
        ("Song not loaded: there is no song list entry " + std::to_string(index)).c_str());
    return;
  }
  const std::string path =
      std::string(kSongFolder) + "/" +
      std::string(m_Songs.names[index], strnlen(m_Songs.names[index], kListNameLength));
  LoadSongFile(m_Seq, path.c_str());
}

}  // namespace tessaloop
