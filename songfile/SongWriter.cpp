// Saving a song: the text format and SaveSong.

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <memory>
#include <string>

#include "base/DebugLog.h"
#include "songfile/ReplaceFile.h"
#include "songfile/SongFiles.h"
#include "songfile/SongFormat.h"

namespace tessaloop {

namespace {

void AppendInteger(std::string& out, int32_t value) {
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, static_cast<size_t>(result.ptr - buffer));
  out.push_back(',');
}

// printf's "%.6g" of the value widened to double, in the C locale whatever
// the process's locale is: 0.5 -> "0.5", 1/64 -> "0.015625", 0.01f -> "0.01".
void AppendReal(std::string& out, float value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                    std::chars_format::general, 6);
  out.append(buffer, static_cast<size_t>(result.ptr - buffer));
  out.push_back(',');
}

// The song's file name is its name as typed (letters and digits); a name that
// could leave the songs folder or is empty is not saved.
bool UsableSongName(const char* name, size_t length) {
  if (length == 0 || length > static_cast<size_t>(kMaxNameLength)) return false;
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c == '/' || c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

}  // namespace

std::string FormatSong(const Song& song) {
  std::string out;
  out.reserve(static_cast<size_t>(SongTokenCount(song.trackCount)) * 4 + 256);
  for (int t = 0; t < song.trackCount; ++t)
    for (int p = 0; p < kArrangementLength; ++p)
      AppendInteger(out, song.arrangement[t][p]);
  for (const auto& pattern : song.bank) {
    for (const CellSound& cell : pattern) {
      AppendReal(out, cell.attack);
      AppendReal(out, cell.decay);
      AppendReal(out, cell.slideLength);
      AppendReal(out, cell.slide);
      AppendInteger(out, cell.octave);
      AppendInteger(out, cell.semitone);
      AppendReal(out, cell.pan);
      AppendInteger(out, cell.slot);
    }
  }
  for (const auto& name : song.palette) {
    out.append(name, strnlen(name, kSlotNameLength));
    out.push_back(',');
  }
  AppendInteger(out, song.samplesPerStep);
  return out;
}

std::string SongFileText(const Song& captured) {
  // Large: on the heap rather than the stack.
  auto copy = std::make_unique<Song>(captured);
  Song& song = *copy;
  for (int i = 0; i < kSavedSlotCount; ++i) {
    // A comma would split the name into two tokens and make the file
    // unreadable; no listed bitmap has one, but a path is kept safe anyway.
    char* target = song.palette[i];
    const char* source = captured.palette[i];
    size_t length = 0;
    bool dropped = false;
    for (size_t k = 0; k < static_cast<size_t>(kNameTokenLimit) && source[k] != '\0'; ++k) {
      if (source[k] == ',') {
        dropped = true;
        continue;
      }
      target[length++] = source[k];
    }
    std::memset(target + length, 0, kSlotNameLength - length);
    if (dropped) {
      WriteDebugLog(("Saving slot " + std::to_string(kFirstSavedSlot + i) + " as " + target +
                     ": a path cannot hold a comma")
                        .c_str());
    }
  }
  return FormatSong(song);
}

bool SaveSong(const Song& captured) {
  const size_t nameLength = strnlen(captured.name, sizeof captured.name);
  const std::string name(captured.name, nameLength);
  const std::string path = std::string(kSongFolder) + "/" + name + kSongExtension;
  WriteDebugLog("Saving Patch");
  WriteDebugLog(path.c_str());
  if (!UsableSongName(captured.name, nameLength)) {
    WriteDebugLog(("Song not saved: \"" + name + "\" cannot be a file name").c_str());
    return false;
  }
  const std::string text = SongFileText(captured);

  // The folder is the program's own; a fresh copy of the program has none yet.
  if (::mkdir(kSongFolder, 0777) != 0 && errno != EEXIST) {
    WriteDebugLog((std::string("Song not saved: cannot create the folder ") + kSongFolder + ": " +
                   std::strerror(errno))
                      .c_str());
    return false;
  }
  std::string why;
  if (!ReplaceFileContents(path, text, why)) {
    WriteDebugLog(("Song not saved: " + why).c_str());
    return false;
  }
  return true;
}

}  // namespace tessaloop
