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

void AppendCell(std::string& out, const CellSound& cell) {
  AppendReal(out, cell.attack);
  AppendReal(out, cell.decay);
  AppendReal(out, cell.slideLength);
  AppendReal(out, cell.slide);
  AppendInteger(out, cell.octave);
  AppendInteger(out, cell.semitone);
  AppendReal(out, cell.pan);
  AppendInteger(out, cell.slot);
}

bool IsAsciiLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The song's text with every comma taken out of the palette paths, since a
// comma would end the path's token early. The recovery copy is written every
// few seconds, so only a save the user asked for says so in the log.
std::string TextWithoutCommas(const Song& captured, bool logDropped) {
  // Large: on the heap rather than the stack.
  auto copy = std::make_unique<Song>(captured);
  Song& song = *copy;
  for (int i = 0; i < kSavedSlotCount; ++i) {
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
    if (dropped && logDropped) {
      WriteDebugLog(("Saving slot " + std::to_string(kFirstSavedSlot + i) + " as " + target +
                     ": a path cannot hold a comma")
                        .c_str());
    }
  }
  return FormatSong(song);
}

// The program's own folder; a fresh copy of the program has none yet.
bool MakeSongFolder(std::string& why) {
  if (::mkdir(kSongFolder, 0777) == 0 || errno == EEXIST) return true;
  why = std::string("cannot create the folder ") + kSongFolder + ": " + std::strerror(errno);
  return false;
}

}  // namespace

std::string FormatSong(const Song& song) {
  std::string out;
  out.reserve(static_cast<size_t>(SongTokenCount(song.trackCount)) * 4 + 256);
  for (int t = 0; t < song.trackCount; ++t)
    for (int p = 0; p < kArrangementLength; ++p)
      AppendInteger(out, song.arrangement[t][p]);
  for (const auto& pattern : song.bank)
    for (const CellSound& cell : pattern)
      AppendCell(out, cell);
  for (const auto& name : song.palette) {
    out.append(name, strnlen(name, kSlotNameLength));
    out.push_back(',');
  }
  AppendInteger(out, song.samplesPerStep);
  return out;
}

std::string SongFileText(const Song& captured) {
  return TextWithoutCommas(captured, true);
}

std::string FormatSession(const Song& song) {
  std::string out;
  const int tracks = song.trackCount < 0            ? 0
                     : song.trackCount > kMaxTracks ? kMaxTracks
                                                    : song.trackCount;
  out.reserve(static_cast<size_t>(SessionTokenCount(tracks)) * 4 + 32);
  out.append(kSessionWord);
  out.push_back(',');
  for (int t = 0; t < tracks; ++t) {
    const SongTrack& track = song.tracks[t];
    for (const CellSound& cell : track.cells)
      AppendCell(out, cell);
    AppendInteger(out, track.mute ? 1 : 0);
    AppendInteger(out, track.storedPattern);
    AppendInteger(out, track.loadedPattern);
  }
  AppendInteger(out, song.songMode ? 1 : 0);
  for (size_t i = 0; i < static_cast<size_t>(kMaxNameLength) && song.name[i] != '\0'; ++i)
    if (IsAsciiLetterOrDigit(song.name[i])) out.push_back(song.name[i]);
  out.push_back(',');
  return out;
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

  std::string why;
  if (!MakeSongFolder(why) || !ReplaceFileContents(path, text, why)) {
    WriteDebugLog(("Song not saved: " + why).c_str());
    return false;
  }
  return true;
}

bool SaveSessionSong(const Song& song, std::string* whyNotSaved) {
  std::string why;
  if (song.trackCount < 1 || song.trackCount > kMaxTracks) {
    why = "a song of " + std::to_string(song.trackCount) + " tracks";
  } else {
    const std::string path = std::string(kSongFolder) + "/" + kSessionSongName + kSongExtension;
    const std::string text = TextWithoutCommas(song, false) + FormatSession(song);
    if (MakeSongFolder(why) && ReplaceFileContents(path, text, why)) return true;
  }
  WriteDebugLog(("Recovery song not saved: " + why).c_str());
  if (whyNotSaved != nullptr) *whyNotSaved = why;
  return false;
}

}  // namespace tessaloop
