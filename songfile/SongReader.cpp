// Reading a song file: the token readers and the checked read of a whole song.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "songfile/SongFormat.h"
#include "sound/PicturePath.h"
#include "sound/Sequencer.h"

namespace tessaloop {

namespace {

bool IsSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Where a song's characters come from: an open file, a character at a time,
// or the bytes of a whole file already in memory.
class CharSource {
 public:
  explicit CharSource(std::FILE* file) : m_File(file) {}
  CharSource(const char* data, size_t size) : m_Next(data), m_End(data + size) {}

  int Get() {
    if (m_File != nullptr) return std::getc(m_File);
    return m_Next != m_End ? static_cast<unsigned char>(*m_Next++) : EOF;
  }
  bool Failed() const { return m_File != nullptr && std::ferror(m_File) != 0; }

  // From memory, a token up to its comma with no white space or NUL byte in
  // it (every token the program writes) is handed over where it stands and
  // taken; with no data, and nothing taken, for any other.
  struct Span {
    const char* data = nullptr;
    size_t size = 0;
  };
  Span TakePlainToken() {
    if (m_File != nullptr) return {};
    for (const char* p = m_Next; p != m_End; ++p) {
      const auto c = static_cast<unsigned char>(*p);
      if (c > ',') continue;  // digits, points, signs but +, letters: most of a song
      if (c == ',') {
        const Span token{m_Next, static_cast<size_t>(p - m_Next)};
        m_Next = p + 1;
        return token;
      }
      if (IsSpace(c) || c == '\0') return {};
    }
    return {};
  }

  // Takes the characters of one token up to and including its comma,
  // skipping white space wherever it stands. At most capacity characters are
  // stored; the rest of a longer token is read and dropped so that the next
  // read starts at the next token.
  TokenStatus ReadToken(char* buffer, size_t capacity, size_t& length, bool& sawNul) {
    if (m_File != nullptr)
      return TakeToken([this] { return std::getc(m_File); }, buffer, capacity, length, sawNul);
    // From memory, the position is kept in a local while the token is read.
    const char* next = m_Next;
    const char* const end = m_End;
    const TokenStatus status =
        TakeToken([&] { return next != end ? static_cast<unsigned char>(*next++) : EOF; }, buffer,
                  capacity, length, sawNul);
    m_Next = next;
    return status;
  }

 private:
  template <typename NextChar>
  static TokenStatus TakeToken(NextChar nextChar, char* buffer, size_t capacity, size_t& length,
                               bool& sawNul) {
    length = 0;
    sawNul = false;
    bool tooLong = false;
    for (;;) {
      const int c = nextChar();
      if (c == EOF) return TokenStatus::kEndOfFile;
      if (IsSpace(c)) continue;
      if (c == ',') break;
      if (c == 0) sawNul = true;
      if (length < capacity) {
        buffer[length++] = static_cast<char>(c);
      } else {
        tooLong = true;
      }
    }
    return tooLong ? TokenStatus::kTooLong : TokenStatus::kOk;
  }

  std::FILE* m_File = nullptr;
  const char* m_Next = nullptr;
  const char* m_End = nullptr;
};

// A token with white space or a NUL byte in it, or read from a file.
TokenStatus ReadNumberCharByChar(CharSource& source, float& value) {
  char buffer[kNumberTokenLimit + 1] = {};
  size_t length = 0;
  bool sawNul = false;
  const TokenStatus status = source.ReadToken(buffer, kNumberTokenLimit, length, sawNul);
  value = status == TokenStatus::kOk ? ParseNumberToken(buffer, length) : 0.0f;
  return status;
}

TokenStatus ReadNumber(CharSource& source, float& value) {
  const CharSource::Span token = source.TakePlainToken();
  if (token.data == nullptr) return ReadNumberCharByChar(source, value);
  const bool fits = token.size <= static_cast<size_t>(kNumberTokenLimit);
  value = fits ? ParseNumberToken(token.data, token.size) : 0.0f;
  return fits ? TokenStatus::kOk : TokenStatus::kTooLong;
}

TokenStatus ReadName(CharSource& source, char (&field)[kSlotNameLength]) {
  std::memset(field, 0, sizeof field);
  const CharSource::Span token = source.TakePlainToken();
  if (token.data != nullptr) {
    const bool fits = token.size <= static_cast<size_t>(kNameTokenLimit);
    std::memcpy(field, token.data, fits ? token.size : static_cast<size_t>(kNameTokenLimit));
    return fits ? TokenStatus::kOk : TokenStatus::kTooLong;
  }
  size_t length = 0;
  bool sawNul = false;
  const TokenStatus status = source.ReadToken(field, kNameTokenLimit, length, sawNul);
  if (status == TokenStatus::kOk && sawNul) return TokenStatus::kNulByte;
  return status;
}

std::string Text(float value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                    std::chars_format::general, 6);
  return std::string(buffer, result.ptr);
}

// The track counts of the two programs, whose songs tell each other apart by
// their token counts alone.
constexpr int kProgramTrackCounts[] = {3, 6};

const char* const kCellValueNames[kCellTokenCount] = {
    "attack", "decay", "slide length", "slide", "octave", "semitone", "pan", "slot",
};

const char* const kTrackValueNames[3] = {"mute", "stored pattern", "loaded pattern"};

// Where in the song a token belongs, for the messages.
struct TokenPlace {
  enum Section {
    kArrangement,
    kBank,
    kPalette,
    kTempo,
    kTrackCell,     // a track's step in the session section
    kTrackPattern,  // a track's mute and patterns (value 0-2)
    kSongMode,
    kSongName,
  } section = kArrangement;
  int first = 0;   // track, pattern or slot
  int second = 0;  // position or cell
  int value = 0;   // which of a cell's eight values, or of a track's three

  std::string Describe() const {
    switch (section) {
      case kArrangement:
        return "track " + std::to_string(first) + " position " + std::to_string(second);
      case kBank:
        return "pattern " + std::to_string(first) + " cell " + std::to_string(second) + " " +
               kCellValueNames[value];
      case kPalette:
        return "palette slot " + std::to_string(first);
      case kTempo:
        return "tempo";
      case kTrackCell:
        return "track " + std::to_string(first) + " cell " + std::to_string(second) + " " +
               kCellValueNames[value];
      case kTrackPattern:
        return "track " + std::to_string(first) + " " + kTrackValueNames[value];
      case kSongMode:
        return "song mode";
      case kSongName:
        return "song name";
    }
    return "";
  }
};

class SongParser {
 public:
  SongParser(CharSource& source, int trackCount, SongReadNotes& notes)
      : m_Source(source), m_TrackCount(trackCount), m_Notes(notes) {}

  bool Read(Song& song, std::string& why);

 private:
  // Each reads one token; false when the file ended before it was complete.
  bool Number(float& value);
  bool Integer(int32_t low, int32_t high, const char* what, int32_t& out);
  bool Parameter(float& out);
  bool Name(char (&field)[kSlotNameLength]);
  bool Cell(CellSound& cell);
  bool SongName(char (&name)[kMaxNameLength + 1]);

  // After the tempo: a session section, nothing, or a reason to refuse.
  bool ReadAfterTempo(Song& song, std::string& why);
  bool ReadSession(Song& song, std::string& why);
  // What follows the last token the reader takes: nothing but white space
  // may. The count of the commas found is added to extra.
  bool TextAfterEnd(long& extra);

  // Keeps the first problem found; reading goes on so that the token count
  // is known, which tells a file of another program from a damaged one. The
  // words are only put together for the first: a damaged file may have a
  // problem in every token.
  template <typename Words>
  void Problem(Words what) {
    if (m_Problem.empty())
      m_Problem = "token " + std::to_string(m_Tokens) + " (" + m_Place.Describe() + ") " + what();
  }
  std::string CountProblem(long total, bool textAfterLast) const;
  std::string OtherProgram(long total) const;

  CharSource& m_Source;
  const int m_TrackCount;
  SongReadNotes& m_Notes;
  long m_Tokens = 0;  // tokens read so far, the current one included
  TokenPlace m_Place;
  std::string m_Problem;
};

bool SongParser::Number(float& value) {
  const TokenStatus status = ReadNumber(m_Source, value);
  if (status == TokenStatus::kEndOfFile) return false;
  ++m_Tokens;
  if (status == TokenStatus::kTooLong) {
    Problem([] { return "is longer than " + std::to_string(kNumberTokenLimit) + " characters"; });
  }
  return true;
}

bool SongParser::Integer(int32_t low, int32_t high, const char* what, int32_t& out) {
  float value = 0;
  if (!Number(value)) return false;
  // Integers are read through single precision and truncated toward zero.
  // (A float of 2^23 or more is whole already; below it the cast truncates.)
  const double whole = !std::isfinite(value) ? 0.0
                       : std::fabs(value) < 8388608.0f
                           ? static_cast<double>(static_cast<int32_t>(value))
                           : static_cast<double>(value);
  if (!std::isfinite(value) || whole < low || whole > high) {
    Problem([&] {
      return "holds " + std::string(what) + " " + Text(value) + ", outside " + std::to_string(low) +
             "-" + std::to_string(high);
    });
    out = low;
    return true;
  }
  out = static_cast<int32_t>(whole);
  return true;
}

bool SongParser::Parameter(float& out) {
  float value = 0;
  if (!Number(value)) return false;
  if (!std::isfinite(value)) {
    Problem([&] { return "is not a finite number: " + Text(value); });
    out = 0.5f;
    return true;
  }
  // The editor keeps every parameter within 0.01-0.99 and the voice relies on
  // it; a hand-edited 0 or 1 is brought to the nearest value it allows.
  if (value < kMinParameter || value > kMaxParameter) {
    if (m_Notes.clampedCount++ == 0) m_Notes.firstClamped = m_Place.Describe() + " " + Text(value);
    value = value < kMinParameter ? kMinParameter : kMaxParameter;
  }
  out = value;
  return true;
}

bool SongParser::Name(char (&field)[kSlotNameLength]) {
  const TokenStatus status = ReadName(m_Source, field);
  if (status == TokenStatus::kEndOfFile) return false;
  ++m_Tokens;
  if (status == TokenStatus::kTooLong) {
    Problem([] { return "is longer than " + std::to_string(kNameTokenLimit) + " characters"; });
  } else if (status == TokenStatus::kNulByte) {
    Problem([] { return std::string("holds a NUL byte, which no path can hold"); });
  }
  return true;
}

bool SongParser::Cell(CellSound& cell) {
  m_Place.value = 0;
  if (!Parameter(cell.attack)) return false;
  m_Place.value = 1;
  if (!Parameter(cell.decay)) return false;
  m_Place.value = 2;
  if (!Parameter(cell.slideLength)) return false;
  m_Place.value = 3;
  if (!Parameter(cell.slide)) return false;
  m_Place.value = 4;
  if (!Integer(0, kMaxOctave, "octave", cell.octave)) return false;
  m_Place.value = 5;
  if (!Integer(0, kMaxSemitone, "semitone", cell.semitone)) return false;
  m_Place.value = 6;
  if (!Parameter(cell.pan)) return false;
  m_Place.value = 7;
  return Integer(0, kMaxCellSlot, "slot", cell.slot);
}

// The name as the name tab types it: letters and digits, at most twelve, or
// none. It becomes a file name when saved, so nothing else may pass.
bool SongParser::SongName(char (&name)[kMaxNameLength + 1]) {
  char field[kSlotNameLength];
  const TokenStatus status = ReadName(m_Source, field);
  if (status == TokenStatus::kEndOfFile) return false;
  ++m_Tokens;
  const size_t length = strnlen(field, sizeof field);
  if (status == TokenStatus::kNulByte) {
    Problem([] { return std::string("holds a NUL byte, not a letter or digit"); });
    return true;
  }
  if (status == TokenStatus::kTooLong || length > static_cast<size_t>(kMaxNameLength)) {
    Problem([] { return "is longer than " + std::to_string(kMaxNameLength) + " characters"; });
    return true;
  }
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(field[i]);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) continue;
    Problem([c] {
      char shown[8];
      if (c > 0x20 && c < 0x7F) {
        std::snprintf(shown, sizeof shown, "'%c'", c);
      } else {
        std::snprintf(shown, sizeof shown, "\\x%02x", c);
      }
      return "holds " + std::string(shown) + ", not a letter or digit";
    });
    return true;
  }
  std::memset(name, 0, sizeof name);
  std::memcpy(name, field, length);
  return true;
}

// A song of the other program, with or without a session.
std::string SongParser::OtherProgram(long total) const {
  for (int tracks : kProgramTrackCounts) {
    if (tracks == m_TrackCount) continue;
    if (total == SongTokenCount(tracks)) {
      return "it is a song of a " + std::to_string(tracks) + "-track program (" +
             std::to_string(total) + " tokens; this program's songs have " +
             std::to_string(SongTokenCount(m_TrackCount)) + ")";
    }
    if (total == SessionSongTokenCount(tracks)) {
      return "it is a song with a session of a " + std::to_string(tracks) + "-track program (" +
             std::to_string(total) + " tokens; this program's have " +
             std::to_string(SessionSongTokenCount(m_TrackCount)) + ")";
    }
  }
  return "";
}

std::string SongParser::CountProblem(long total, bool textAfterLast) const {
  const long expected = SongTokenCount(m_TrackCount);
  if (!textAfterLast) {
    std::string other = OtherProgram(total);
    if (!other.empty()) return other;
  }
  if (total < expected) {
    return "the file ends after " + std::to_string(total) + " of " + std::to_string(expected) +
           " tokens";
  }
  if (total == expected) return "the file has text after its last token";
  return "the file has " + std::to_string(total) + " tokens; this program's songs have " +
         std::to_string(expected);
}

bool SongParser::Read(Song& song, std::string& why) {
  song.trackCount = m_TrackCount;
  m_Notes = SongReadNotes{};
  bool complete = false;

  // One pass in file order; a false return means the file ended early.
  [&] {
    m_Place.section = TokenPlace::kArrangement;
    for (int t = 0; t < m_TrackCount; ++t) {
      for (int p = 0; p < kArrangementLength; ++p) {
        m_Place.first = t;
        m_Place.second = p;
        if (!Integer(0, kPatternCount - 1, "pattern number", song.arrangement[t][p])) return;
      }
    }
    m_Place.section = TokenPlace::kBank;
    for (int n = 0; n < kPatternCount; ++n) {
      for (int c = 0; c < kStepsPerPattern; ++c) {
        m_Place.first = n;
        m_Place.second = c;
        if (!Cell(song.bank[n][c])) return;
      }
    }
    m_Place.section = TokenPlace::kPalette;
    for (int i = 0; i < kSavedSlotCount; ++i) {
      m_Place.first = kFirstSavedSlot + i;
      if (!Name(song.palette[i])) return;
    }
    m_Place.section = TokenPlace::kTempo;
    if (!Integer(kMinSamplesPerStep, kMaxSamplesPerStep, "samples per step", song.samplesPerStep))
      return;
    complete = true;
  }();

  if (m_Source.Failed()) {
    why = "the file cannot be read";
    return false;
  }
  if (!complete) {
    why = CountProblem(m_Tokens, false);
    return false;
  }

  return ReadAfterTempo(song, why);
}

bool SongParser::TextAfterEnd(long& extra) {
  bool textAfterLast = false;
  for (int c = m_Source.Get(); c != EOF; c = m_Source.Get()) {
    if (c == ',') {
      ++extra;
      textAfterLast = false;
    } else if (!IsSpace(c)) {
      textAfterLast = true;
    }
  }
  return textAfterLast;
}

bool SongParser::ReadAfterTempo(Song& song, std::string& why) {
  // The token after the tempo, if any, read whole (as a name is) to tell the
  // session's word from anything else.
  char word[kSlotNameLength] = {};
  size_t length = 0;
  bool sawNul = false;
  const TokenStatus status = m_Source.ReadToken(word, kNameTokenLimit, length, sawNul);
  if (m_Source.Failed()) {
    why = "the file cannot be read";
    return false;
  }
  if (status == TokenStatus::kEndOfFile) {
    // Nothing but white space may follow the last token.
    if (length > 0) {
      why = CountProblem(m_Tokens, true);
      return false;
    }
    if (!m_Problem.empty()) {
      why = m_Problem;
      return false;
    }
    return true;
  }
  ++m_Tokens;
  const bool isSessionWord = status == TokenStatus::kOk && !sawNul &&
                             length == std::strlen(kSessionWord) &&
                             std::memcmp(word, kSessionWord, length) == 0;
  if (isSessionWord) return ReadSession(song, why);

  long extra = 0;
  const bool textAfterLast = TextAfterEnd(extra);
  const long total = m_Tokens + extra;
  if (!textAfterLast && total == SessionSongTokenCount(m_TrackCount) &&
      OtherProgram(total).empty()) {
    // As long as a song with a session: the word is what is wrong.
    word[length] = '\0';
    const std::string shown = status != TokenStatus::kOk ? "a token longer than the word"
                              : sawNul                   ? "a token holding a NUL byte"
                                                         : PrintablePath(word);
    why = "token " + std::to_string(m_Tokens) + " is " + shown + ", not the word " + kSessionWord;
    return false;
  }
  why = CountProblem(total, textAfterLast);
  return false;
}

bool SongParser::ReadSession(Song& song, std::string& why) {
  const long start = m_Tokens - 1;  // tokens before the word
  const long expected = SessionTokenCount(m_TrackCount);
  bool complete = false;
  [&] {
    for (int t = 0; t < m_TrackCount; ++t) {
      SongTrack& track = song.tracks[t];
      m_Place.section = TokenPlace::kTrackCell;
      m_Place.first = t;
      for (int c = 0; c < kStepsPerPattern; ++c) {
        m_Place.second = c;
        if (!Cell(track.cells[c])) return;
      }
      m_Place.section = TokenPlace::kTrackPattern;
      int32_t mute = 0;
      m_Place.value = 0;
      if (!Integer(0, 1, "mute", mute)) return;
      track.mute = mute != 0;
      m_Place.value = 1;
      if (!Integer(0, kPatternCount - 1, "pattern number", track.storedPattern)) return;
      m_Place.value = 2;
      if (!Integer(0, kPatternCount - 1, "pattern number", track.loadedPattern)) return;
    }
    m_Place.section = TokenPlace::kSongMode;
    int32_t songMode = 0;
    if (!Integer(0, 1, "song mode", songMode)) return;
    song.songMode = songMode != 0;
    m_Place.section = TokenPlace::kSongName;
    if (!SongName(song.name)) return;
    complete = true;
  }();

  if (m_Source.Failed()) {
    why = "the file cannot be read";
    return false;
  }
  if (!complete) {
    why = "the session section ends after " + std::to_string(m_Tokens - start) + " of " +
          std::to_string(expected) + " tokens";
    return false;
  }
  long extra = 0;
  const bool textAfterLast = TextAfterEnd(extra);
  if (m_Source.Failed()) {
    why = "the file cannot be read";
    return false;
  }
  if (extra > 0) {
    why = "the file has " + std::to_string(m_Tokens + extra) +
          " tokens; this program's songs with a session have " +
          std::to_string(SessionSongTokenCount(m_TrackCount));
    return false;
  }
  if (textAfterLast) {
    why = "the file has text after its last token";
    return false;
  }
  if (!m_Problem.empty()) {
    why = m_Problem;
    return false;
  }
  m_Notes.session = true;
  return true;
}

bool ReadSongFrom(CharSource& source, int trackCount, Song& song, std::string& whyRefused,
                  SongReadNotes* notes) {
  if (trackCount < 1 || trackCount > kMaxTracks) {
    whyRefused = "no program has " + std::to_string(trackCount) + " tracks";
    return false;
  }
  SongReadNotes unused;
  SongParser parser(source, trackCount, notes != nullptr ? *notes : unused);
  return parser.Read(song, whyRefused);
}

// Opens a path for reading only when it is a regular file: a folder or a
// device listed under a song's name must not be read, nor a pipe wait forever.
std::FILE* OpenRegularFile(const char* path, std::string& why) {
  const int descriptor = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    why = std::string("cannot open ") + path + ": " + std::strerror(errno);
    return nullptr;
  }
  struct stat status {};
  if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(descriptor);
    why = std::string(path) + " is not a file";
    return nullptr;
  }
  ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(descriptor, "r");
  if (file == nullptr) {
    why = std::string("cannot open ") + path + ": " + std::strerror(errno);
    ::close(descriptor);
  }
  return file;
}

// The tokens the program writes itself (integers, and reals of a few plain
// decimal digits) without the general conversion. Their digits fit a double
// exactly, and so does the power of ten, so the one division is rounded once,
// to the same double the general conversion gives. False for anything else.
bool ParsePlainDecimal(const char* begin, const char* end, float& value) {
  const bool negative = begin != end && *begin == '-';
  if (negative) ++begin;
  uint64_t digits = 0;  // at most nine digits: never near overflow
  uint64_t scale = 1;
  bool point = false;
  bool any = false;
  for (const char* p = begin; p != end; ++p) {
    const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit <= 9) {
      digits = digits * 10 + digit;
      if (point) scale *= 10;
      any = true;
    } else if (*p == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (!any) return false;
  const double magnitude = static_cast<double>(digits) / static_cast<double>(scale);
  value = static_cast<float>(negative ? -magnitude : magnitude);
  return true;
}

}  // namespace

float ParseNumberToken(const char* text, size_t length) {
  const char* begin = text;
  const char* end = text + length;
  float plain = 0.0f;
  if (length <= static_cast<size_t>(kNumberTokenLimit) && ParsePlainDecimal(begin, end, plain))
    return plain;
  // The conversion takes an optional sign; from_chars knows only the minus.
  if (begin != end && *begin == '+') {
    ++begin;
    if (begin != end && (*begin == '+' || *begin == '-')) return 0.0f;
  }
  double value = 0.0;
  const auto result = std::from_chars(begin, end, value, std::chars_format::general);
  if (result.ec == std::errc::invalid_argument) return 0.0f;
  const bool negative = begin != end && *begin == '-';
  if (result.ec == std::errc::result_out_of_range) {
    // Only an exponent takes a token of nine characters out of range: a
    // negative one makes the value vanish, a positive one makes it infinite.
    bool tiny = false;
    for (const char* p = begin; p != result.ptr; ++p) {
      if ((*p == 'e' || *p == 'E') && p + 1 != result.ptr && p[1] == '-') tiny = true;
    }
    if (tiny) return negative ? -0.0f : 0.0f;
    return negative ? -HUGE_VALF : HUGE_VALF;
  }
  if (value > FLT_MAX) return HUGE_VALF;
  if (value < -FLT_MAX) return -HUGE_VALF;
  return static_cast<float>(value);
}

bool ReadSong(std::FILE* file, int trackCount, Song& song, std::string& whyRefused,
              SongReadNotes* notes) {
  CharSource source(file);
  return ReadSongFrom(source, trackCount, song, whyRefused, notes);
}

bool ReadSong(const char* data, size_t size, int trackCount, Song& song, std::string& whyRefused,
              SongReadNotes* notes) {
  CharSource source(data, size);
  return ReadSongFrom(source, trackCount, song, whyRefused, notes);
}

bool ReadSongFile(const char* path, int trackCount, Song& song, std::string& whyRefused,
                  SongReadNotes* notes) {
  std::FILE* file = OpenRegularFile(path, whyRefused);
  if (file == nullptr) return false;
  const bool read = ReadSong(file, trackCount, song, whyRefused, notes);
  std::fclose(file);
  return read;
}

long CountSongTokens(const char* path, std::string* why) {
  std::string reason;
  std::FILE* file = OpenRegularFile(path, reason);
  long commas = -1;
  if (file != nullptr) {
    commas = 0;
    for (int c = std::getc(file); c != EOF; c = std::getc(file))
      if (c == ',') ++commas;
    if (std::ferror(file)) {
      reason = std::string("cannot read ") + path;
      commas = -1;
    }
    std::fclose(file);
  }
  if (commas < 0 && why != nullptr) *why = reason;
  return commas;
}

}  // namespace tessaloop
