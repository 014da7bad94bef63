// Loading a song file into the running Sequencer.
//
// The audio thread goes on playing while a song loads. The file is therefore
// read and checked into a Song first, and only a whole, valid song is put in
// place by Sequencer::Apply: no value outside its range ever reaches the
// clock, the voices or the note table, and a refused file leaves the song
// exactly as it was.

#include <memory>
#include <string>

#include "base/DebugLog.h"
#include "songfile/SongFiles.h"
#include "songfile/SongFormat.h"

namespace tessaloop {

bool LoadSongFile(Sequencer& seq, const char* path, std::string* whyRefused, bool* restored) {
  if (restored != nullptr) *restored = false;
  WriteDebugLog("-----------");
  WriteDebugLog("Loading seq");
  WriteDebugLog(path);
  // Large: on the heap rather than the stack.
  auto song = std::make_unique<Song>();
  SongReadNotes notes;
  std::string why;
  if (!ReadSongFile(path, seq.TrackCount(), *song, why, &notes)) {
    WriteDebugLog(("Song not loaded: " + why).c_str());
    if (whyRefused != nullptr) *whyRefused = why;
    return false;
  }
  if (notes.clampedCount > 0) {
    WriteDebugLog((std::to_string(notes.clampedCount) +
                   (notes.clampedCount == 1 ? " parameter" : " parameters") +
                   " brought into 0.01-0.99, the first: " + notes.firstClamped)
                      .c_str());
  }
  // A file with a session is the recovery copy of everything the user had:
  // it brings back the tracks, mutes, song mode and name too.
  if (notes.session) WriteDebugLog("The song holds a session: restoring its tracks too");
  seq.Apply(*song, notes.session ? SongParts::kAll : SongParts::kFile);
  if (restored != nullptr) *restored = notes.session;
  return true;
}

}  // namespace tessaloop
