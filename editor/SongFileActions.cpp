// What the two song tabs do with files: save the song under its name, load an
// entry of the song list and take its name.

#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "base/DebugLog.h"
#include "editor/Editor.h"
#include "input/InputState.h"
#include "songfile/SongFiles.h"
#include "songfile/SongFormat.h"
#include "sound/PicturePath.h"
#include "sound/Sequencer.h"

namespace tessaloop {

namespace {

// Frames during which the editor ignores keys after a save, so that the
// Return that finished the name does not act again.
constexpr int32_t kKeyDelayAfterSave = 20;

bool IsNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The song name a listed file name gives: the name without its extension,
// as the name tab could have typed it. A name is at most kMaxNameLength
// letters and digits, so that it always makes a safe file name; of a file
// name that is not one (longer, or with other characters) the first
// kMaxNameLength letters and digits are kept, in their order. Empty when it
// has none.
std::string SongNameOfFile(std::string_view fileName) {
  const size_t extension = std::strlen(kSongExtension);
  if (fileName.size() >= extension) fileName.remove_suffix(extension);
  std::string name;
  for (char c : fileName)
    if (IsNameCharacter(c) && name.size() < static_cast<size_t>(kMaxNameLength)) name.push_back(c);
  return name;
}

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
  const std::string fileName(m_Songs.names[index], strnlen(m_Songs.names[index], kListNameLength));
  const std::string path = std::string(kSongFolder) + "/" + fileName;
  bool restored = false;
  if (!LoadSongFile(m_Seq, path.c_str(), nullptr, &restored)) return;
  m_SavedNoteFrames = 0;
  // A recovery copy holds the song's own name, and a file name the name tab
  // could never type.
  if (restored) {
    m_NameLength = static_cast<int32_t>(std::strlen(m_Seq.m_Name));
    return;
  }

  // The loaded song is the one to save again: its file's name becomes the
  // name, so Return in the name tab writes it back where it came from. A
  // file name that is no song name gives the nearest that is, and the log
  // says so, since that save goes to another file.
  const std::string name = SongNameOfFile(fileName);
  const std::string printable = PrintablePath(fileName.c_str());
  if (name.empty()) {
    WriteDebugLog(("Song name kept as \"" + std::string(m_Seq.m_Name) + "\": the file name " +
                   printable + " holds no letter or digit")
                      .c_str());
  } else {
    if (name + kSongExtension != fileName) {
      WriteDebugLog(("Song name \"" + name + "\" taken from the file name " + printable +
                     ": a name holds up to " + std::to_string(kMaxNameLength) +
                     " letters and digits")
                        .c_str());
    }
    m_Seq.SetName(name.c_str());
  }
  m_NameLength = static_cast<int32_t>(std::strlen(m_Seq.m_Name));
  m_SavedNoteFrames = 0;
}

}  // namespace tessaloop
