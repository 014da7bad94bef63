// Fuzzes the folder listings with odd file names: long, non-ASCII, with
// commas, spaces and control characters, in any mix of extension cases.
//
// The input is split at NUL bytes into file names (each made valid for the
// file system: no '/', not "." or ".."); each becomes a file in userbitmaps/
// and, with the input's second choice of extension, in songs/. The lists must
// then hold at most 40 names, each terminated within its entry, each a file of
// the folder with the right extension, bitmaps short enough for a slot path and
// free of what a song file cannot store; every other entry reads "none".
//
// The folders are kept from one input to the next and only the names that
// differ are made or removed: a mutated input changes a name or two, and
// making every file anew would take nearly all the time.

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "base/DebugLog.h"
#include "songfile/SongFiles.h"
#include "sound/WavetableBank.h"

namespace {

using namespace tessaloop;
namespace fs = std::filesystem;
using Names = std::unordered_set<std::string>;

void Fail(const char* what, const char* name = "") {
  std::fprintf(stderr, "listing fault: %s %s\n", what, name);
  std::abort();
}

bool EndsWithNoCase(std::string_view name, std::string_view extension) {
  if (name.size() < extension.size()) return false;
  for (size_t i = 0; i < extension.size(); ++i) {
    const char c = name[name.size() - extension.size() + i];
    if ((c | 0x20) != extension[i]) return false;
  }
  return true;
}

std::vector<std::string> NamesFrom(const uint8_t* data, size_t size) {
  static const char* const kExtensions[] = {".bmp", ".BMP", ".Bmp", ".tlp", ".TLP", "", ".bmpx"};
  std::vector<std::string> names;
  std::string current;
  auto finish = [&](uint8_t choice) {
    for (char& c : current)
      if (c == '/') c = '_';
    current += kExtensions[choice % 7];
    if (current.size() > 250) current.resize(250);
    if (!current.empty() && current != "." && current != "..") names.push_back(current);
    current.clear();
  };
  for (size_t i = 0; i < size && names.size() < 64; ++i) {
    if (data[i] == 0) {
      finish(i + 1 < size ? data[++i] : 0);
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  if (!current.empty()) finish(0);
  return names;
}

// Makes the folder hold exactly the wanted files, as far as they can be made.
void Sync(const char* folder, Names& present, const Names& wanted) {
  std::erase_if(present, [&](const std::string& name) {
    if (wanted.count(name) != 0) return false;
    ::unlink((fs::path(folder) / name).c_str());
    return true;
  });
  for (const std::string& name : wanted) {
    if (present.count(name) != 0) continue;
    // One system call for an empty file, where opening and closing take two.
    if (::mknod((fs::path(folder) / name).c_str(), S_IFREG | 0644, 0) == 0 || errno == EEXIST)
      present.insert(name);
  }
}

void CheckList(const FolderList& list, const Names& files, std::string_view extension,
               size_t longest, bool forSongFiles) {
  if (list.count < 0 || list.count > kListSize) Fail("count out of range");
  Names seen;
  for (int i = 0; i < kListSize; ++i) {
    const char* entry = list.names[i];
    if (std::memchr(entry, '\0', kListNameLength) == nullptr) Fail("entry not terminated");
    if (i >= list.count) {
      if (std::strcmp(entry, "none") != 0) Fail("filler is not none", entry);
      continue;
    }
    const std::string_view name(entry);
    if (name.size() > longest) Fail("a name too long for its use", entry);
    if (!EndsWithNoCase(name, extension)) Fail("a name with another extension", entry);
    if (forSongFiles && name.find_first_of(", \t\n\v\f\r") != std::string_view::npos)
      Fail("a bitmap name a song file cannot store", entry);
    if (files.count(std::string(name)) == 0) Fail("a name of no file", entry);
    if (!seen.insert(std::string(name)).second) Fail("a name listed twice", entry);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetDebugLogEnabled(false);
  // It empties userbitmaps/ and songs/.
  if (fs::exists("data")) Fail("run in a folder of its own, not in a program folder");
  std::error_code error;
  fs::remove_all("userbitmaps", error);
  fs::remove_all("songs", error);
  fs::create_directory("userbitmaps");
  fs::create_directory("songs");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Names wantedBitmaps, wantedSongs;
  for (const std::string& name : NamesFrom(data, size)) {
    wantedBitmaps.insert(name);
    std::string song = name;
    if (EndsWithNoCase(song, ".bmp")) song.replace(song.size() - 4, 4, ".tlp");
    wantedSongs.insert(song);
  }
  static Names bitmaps, songs;  // what the folders hold
  Sync("userbitmaps", bitmaps, wantedBitmaps);
  Sync("songs", songs, wantedSongs);

  // Kept from one input to the next, as the editor keeps its lists: an entry
  // a listing fails to write still holds the last input's name.
  static FolderList bitmapList, songList;
  ListUserBitmaps(bitmapList);
  ListSongs(songList);
  CheckList(bitmapList, bitmaps, ".bmp", kSlotNameLength - 1 - std::strlen("userbitmaps/"), true);
  CheckList(songList, songs, ".tlp", kListNameLength - 1, false);
  return 0;
}
