#pragma once

// The song files and folders of the running program: saving the song under
// its name, loading a song file into the Sequencer, and the listings of the
// user-bitmap and song folders that the editor offers.

#include <cstdint>
#include <string>

#include "sound/Sequencer.h"
#include "sound/Song.h"

namespace tessaloop {

constexpr int kListSize = 40;  // entries of each folder listing
constexpr int kListNameLength = 32;

// Writes the parts of song a file holds to "songs/" + its name + ".tlp". False,
// with the reason in the debug log and any older file of that name as it was,
// when it cannot.
bool SaveSong(const Song& song);

// The recovery copy of everything the user has: "songs/" + this + ".tlp". The
// name holds '-', which the name tab cannot type, so no song saved by name
// ever overwrites it.
constexpr const char* kSessionSongName = "last-session";

// Writes the whole song, its session section included, to the recovery copy,
// replacing the old copy whole or not at all. Meant to run often (after
// changes, on exit) and from any thread, given a Song of its own: it shares
// nothing but the file, and writes the debug log only when it fails (one line
// with the reason, also in why when given). False when the copy was not
// written.
bool SaveSessionSong(const Song& song, std::string* why = nullptr);

// Loads a song file from any path into the running song: the whole file is
// read and checked first, and only a whole, valid song is put in place
// (Sequencer::Apply): its arrangement, bank, palette and tempo, and when the
// file holds a session, everything (the tracks' steps, mutes and patterns,
// the song mode and the name), with restored (when given) set to say so. A
// refused file changes nothing, and whyRefused (when given) says why. True
// when the song was loaded.
bool LoadSongFile(Sequencer& seq, const char* path, std::string* whyRefused = nullptr,
                  bool* restored = nullptr);

// A folder's matching file names in the order the folder yields them, then
// "none" in every entry left.
struct FolderList {
  char names[kListSize][kListNameLength] = {};
  int32_t count = 0;
  // Matching names read but not listed because the name cannot be used (too
  // long, or a comma or space in a bitmap's name); the log names each one.
  int32_t leftOut = 0;
  // The folder held more matching names than the list takes; those beyond
  // were not read.
  bool overflowed = false;
};

// The bitmaps of userbitmaps/ whose path fits a slot name and a song file.
void ListUserBitmaps(FolderList& list);
// The song files of songs/.
void ListSongs(FolderList& list);

}  // namespace tessaloop
