// Folder listings of user bitmaps and songs.

#include <dirent.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "base/DebugLog.h"
#include "songfile/SongFiles.h"
#include "songfile/SongFormat.h"

namespace tessaloop {

namespace {

constexpr const char* kBitmapFolder = "userbitmaps";
constexpr const char* kBitmapExtension = ".bmp";
constexpr const char* kFiller = "none";

// The extension is matched without regard to case: "Drum.BMP" is a bitmap and
// "Intro.TLP" a song.
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

void LogLeftOut(const char* folder, std::string_view name, const char* why) {
  std::string line = "Left out of the list: ";
  line.append(folder).append("/").append(name).append(" (").append(why).append(")");
  WriteDebugLog(line.c_str());
}

// A user bitmap's path is stored in saved songs as one token closed by a comma,
// and the reader skips white space: a name holding either would come back as
// another name, so such a bitmap could never be found again from a song.
bool HoldsTokenBreak(std::string_view name) {
  for (char c : name)
    if (c == ',' || c == ' ' || (c >= '\t' && c <= '\r')) return true;
  return false;
}

// Fills a table of kListSize names with the folder's matching files in the
// order the folder yields them, then "none". A name longer than maxLength is
// left out rather than cut: a cut name would name another file or none. Each
// name left out is named in the debug log, so a user looking for a file can
// find out why it is not offered, and counted, so the editor can say that
// some are and where to look.
void ListFolder(const char* folder, const char* extension, size_t maxLength, bool forSongFiles,
                FolderList& list) {
  list.count = 0;
  list.leftOut = 0;
  list.overflowed = false;
  WriteDebugLog("reading directory");
  for (auto& name : list.names)
    std::strcpy(name, kFiller);

  DIR* directory = ::opendir(folder);
  if (directory == nullptr) {
    // No folder is an empty list; anything else (a file in its place, a
    // folder that may not be read) is worth a line.
    if (errno != ENOENT) {
      WriteDebugLog(
          (std::string("Cannot read the folder ") + folder + ": " + std::strerror(errno)).c_str());
    }
    return;
  }
  int32_t found = 0;
  int32_t leftOut = 0;
  bool more = false;
  for (;;) {
    const dirent* entry = ::readdir(directory);
    if (entry == nullptr) break;
    const std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    if (!HasExtension(name, extension)) continue;
    if (found == kListSize) {
      // The table is full; one more match is only looked for to say so.
      more = true;
      break;
    }
    if (name.size() > maxLength) {
      LogLeftOut(folder, name, "the name is too long");
      ++leftOut;
      continue;
    }
    if (forSongFiles && HoldsTokenBreak(name)) {
      LogLeftOut(folder, name, "a song file cannot store a name with a comma or a space");
      ++leftOut;
      continue;
    }
    std::memset(list.names[found], 0, kListNameLength);
    std::memcpy(list.names[found], name.data(), name.size());
    ++found;
  }
  if (more) {
    WriteDebugLog((std::string("Only the first ") + std::to_string(kListSize) + " files of " +
                   folder + " are listed")
                      .c_str());
  }
  ::closedir(directory);
  list.count = found;
  list.leftOut = leftOut;
  list.overflowed = more;
}

}  // namespace

void ListUserBitmaps(FolderList& list) {
  // A bitmap's path "userbitmaps/" + name becomes a slot name and a token of
  // saved songs, so it must fit 31 characters and hold no comma or space.
  const size_t maxLength = static_cast<size_t>(kNameTokenLimit) - std::strlen(kBitmapFolder) - 1;
  ListFolder(kBitmapFolder, kBitmapExtension, maxLength, true, list);
}

void ListSongs(FolderList& list) {
  ListFolder(kSongFolder, kSongExtension, kListNameLength - 1, false, list);
}

}  // namespace tessaloop
