#pragma once

// The song file: one line of comma-closed text tokens holding the arrangement,
// the whole pattern bank, the paths of the palette bitmaps and the tempo.
//
//   section      tokens                    content
//   arrangement  tracks x 101 integers     track 0 positions 0-100, then track 1, ...
//   bank         27 x 16 x 8               per cell: attack, decay, slide length,
//                                          slide (reals), octave, semitone
//                                          (integers), pan (real), slot (integer)
//   palette      17 names                  the bitmap paths of slots 5-21
//   tempo        1 integer                 samples per step
//   session      (optional) the word       what else the user has, so that a
//                "session", then per       recovery copy brings everything
//                track: 16 x 8 cell        back: each track's 16 steps (cells
//                values, mute (0-1),       as in the bank), its mute, the
//                stored and loaded         patterns its buttons last stored
//                pattern (0-26); then      and loaded; the song mode and the
//                song mode (0-1) and       song's name (letters and digits,
//                the name (0-12 letters    at most 12, may be empty)
//                and digits)
//
// Reals are written as printf's "%g" of the value widened to double; every
// token is followed by exactly one comma and nothing else. The reader skips
// white space anywhere, so hand-edited files may hold line breaks.
//
// Saving and loading go through a Song, the plain value of the whole song: the
// writer formats the parts of a captured one that a file holds, and the reader
// fills those parts completely and checks them before anything of the running
// song changes.

#include <cstdint>
#include <cstdio>
#include <string>

#include "sound/Song.h"

namespace tessaloop {

constexpr int kCellTokenCount = 8;
constexpr int kBankTokenCount = kPatternCount * kStepsPerPattern * kCellTokenCount;

constexpr int kNumberTokenLimit = 9;                  // characters of a number token
constexpr int kNameTokenLimit = kSlotNameLength - 1;  // characters of a name token

constexpr const char* kSongFolder = "songs";
constexpr const char* kSongExtension = ".tlp";

// Tokens in a song file of a program with this many tracks: 3777 for 3 tracks,
// 4080 for 6.
constexpr long SongTokenCount(int trackCount) {
  return static_cast<long>(trackCount) * kArrangementLength + kBankTokenCount + kSavedSlotCount + 1;
}

constexpr const char* kSessionWord = "session";  // the token that opens the section
constexpr int kSessionTrackTokenCount = kStepsPerPattern * kCellTokenCount + 3;

// Tokens of the session section alone, its word included: 396 for 3 tracks,
// 789 for 6.
constexpr long SessionTokenCount(int trackCount) {
  return 1 + static_cast<long>(trackCount) * kSessionTrackTokenCount + 2;
}
// Tokens in a song file that holds a session: 4173 for 3 tracks, 4869 for 6.
constexpr long SessionSongTokenCount(int trackCount) {
  return SongTokenCount(trackCount) + SessionTokenCount(trackCount);
}

// A file's token count alone tells which program wrote it and whether it
// holds a session.
static_assert(SongTokenCount(3) != SongTokenCount(6) &&
                  SongTokenCount(3) != SessionSongTokenCount(3) &&
                  SongTokenCount(3) != SessionSongTokenCount(6) &&
                  SongTokenCount(6) != SessionSongTokenCount(3) &&
                  SongTokenCount(6) != SessionSongTokenCount(6) &&
                  SessionSongTokenCount(3) != SessionSongTokenCount(6),
              "the song files of the two programs, with and without a session, must differ in "
              "their token counts");

// What the reader noticed in a song it accepted: parameters it brought back
// into 0.01-0.99, and whether the file held a session.
struct SongReadNotes {
  int clampedCount = 0;
  std::string firstClamped;  // where the first of them was, in words
  // The file held a session section: the tracks (of the track count read),
  // the song mode and the name were filled too.
  bool session = false;
};

// The file's text for the parts of a song a file holds. Names are written as
// they stand.
std::string FormatSong(const Song& song);
// The text SaveSong writes for a song: FormatSong of it, with every comma
// taken out of the palette paths (the log says so), since a comma would end
// the path's token early.
std::string SongFileText(const Song& song);

// The session section alone, to follow a song file's text: the tracks of the
// song's track count, the song mode and the name. Only letters and digits of
// the name are written (they are all a name can hold; anything else would
// make the file unreadable).
std::string FormatSession(const Song& song);

// ---- Reading ----

enum class TokenStatus {
  kOk,
  kEndOfFile,  // the file ended before the token's comma
  kTooLong,    // more characters than the token may hold; read up to its comma
  kNulByte,    // a name token holding a NUL byte (it could not be a path)
};

// A number token's text (the characters up to its comma, white space
// dropped) as a decimal number: optional sign, digits, point and fraction,
// exponent; the conversion stops at the first character that does not fit,
// an empty token gives 0, and the value is narrowed to single precision.
float ParseNumberToken(const char* text, size_t length);

// Reads a whole song from an open file and checks it: the token count must be
// this track count's, every token within its length, every value within its
// range, every parameter finite. False, with whyRefused naming the first
// reason, when the song cannot be used; song may then be partly filled. Only
// the parts a file holds are filled (and trackCount): the rest of song is left
// as it was. A file with a session section fills the tracks, song mode and
// name too, and says so in notes.session; anything after the tempo that is
// not a whole, valid session section refuses the file. notes, when given,
// hears what was brought into range.
bool ReadSong(std::FILE* file, int trackCount, Song& song, std::string& whyRefused,
              SongReadNotes* notes = nullptr);
// The same from the bytes of a whole file in memory.
bool ReadSong(const char* data, size_t size, int trackCount, Song& song, std::string& whyRefused,
              SongReadNotes* notes = nullptr);

// The same from a path. Only regular files are read.
bool ReadSongFile(const char* path, int trackCount, Song& song, std::string& whyRefused,
                  SongReadNotes* notes = nullptr);

// The number of tokens (closing commas) in a file; -1, with the reason in why
// when given, when it cannot be read.
long CountSongTokens(const char* path, std::string* why = nullptr);

}  // namespace tessaloop
