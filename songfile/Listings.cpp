// Folder listings of user bitmaps and songs.

#include <dirent.h>

#include <cstring>
#include <string_view>

#include "display/DebugLog.h"
#include "display/WavetableBank.h"
#include "songfile/SongFormat.h"
#include "sound/Sequencer.h"

namespace tessaloop {

namespace {

constexpr const char* kBitmapFolder = "userbitmaps";
constexpr const char* kBitmapExtension = ".bmp";
constexpr const char* kFiller = "none";

// The extension is matched without regard to case, as users of the original
// platform expect: "Drum.BMP" is a bitmap and "Intro.TLP" a song.
bool HasExtension(std::string_view name, std::string_view extension) {
  if (name.size() < extension.size()) return false;
  const std::string_view tail = name.substr(name.size() - extension.size());
  for (size_t i = 0; i < extension.size(); ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != extension[i]) return false;
  }
  return true;
}

// Fills a table of kListSize names with the folder's matching files in the
// order the folder yields them, then "none". A name longer than maxLength is
// left out rather than cut: a cut name would name another file or none.
void ListFolder(const char* folder, const char* extension, size_t maxLength, bool refuseCommas,
                char (&names)[kListSize][kListNameLength], int32_t& count) {
  count = 0;
  WriteDebugLog("reading directory");
  for (auto& name : names)
    std::strcpy(name, kFiller);

  DIR* directory = ::opendir(folder);
  if (directory == nullptr) return;  // no folder is an empty list
  int32_t found = 0;
  while (found < kListSize) {
    const dirent* entry = ::readdir(directory);
    if (entry == nullptr) break;
    const std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    if (!HasExtension(name, extension)) continue;
    if (name.size() > maxLength) continue;
    if (refuseCommas && name.find(',') != std::string_view::npos) continue;
    std::memset(names[found], 0, kListNameLength);
    std::memcpy(names[found], name.data(), name.size());
    ++found;
  }
  ::closedir(directory);
  count = found;
}

}  // namespace

void Sequencer::ListUserBitmaps() {
  // A bitmap's path "userbitmaps/" + name becomes a slot name and a token of
  // saved songs, so it must fit 31 characters, and it cannot hold a comma,
  // which would split it into two tokens.
  const size_t maxLength = static_cast<size_t>(kNameTokenLimit) - std::strlen(kBitmapFolder) - 1;
  ListFolder(kBitmapFolder, kBitmapExtension, maxLength, true, m_BitmapNames, m_BitmapCount);
}

void Sequencer::ListSongs() {
  ListFolder(kSongFolder, kSongExtension, kListNameLength - 1, false, m_SongNames, m_SongCount);
}

}  // namespace tessaloop
