// Fuzzes the song loader: any bytes may be a song file.
//
// Every input is read from memory as a song of the program its length suits
// (3 tracks up to a 3-track song with its session section and below a 6-track
// song, else 6; unit tests show each program refusing the other's songs). A
// refused file must say why. An accepted one must hold only values within
// their ranges, survive a save and a load unchanged (its session section too,
// when it has one), and be safe to put in place and play: it is applied to
// a Sequencer whose palette has a display, so that the pictures the song names
// are loaded into their slots with their sounds, the running song must then
// hold the song's values, and the clock runs over its first pattern change.
//
// The pictures a song can name are made once, at start, in a working folder
// that has no data/ yet (run-fuzzers.sh gives each target its own): small
// bitmaps, links to one and to nothing, a file that is no bitmap, a folder and
// a named pipe. There is no fallback picture data/notfound.bmp, so a slot whose
// picture cannot be loaded keeps the song's name; otherwise every song would
// load seventeen pictures.

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "base/BmpWriter.h"
#include "base/DebugLog.h"
#include "display/Display.h"
#include "platform/HeadlessPlatform.h"
#include "songfile/SongFormat.h"
#include "sound/Cell.h"
#include "sound/Palette.h"
#include "sound/Sequencer.h"
#include "sound/Song.h"

namespace {

using namespace tessaloop;

void Fail(const char* what) {
  std::fprintf(stderr, "song loader fault: %s\n", what);
  std::abort();
}

void MakePictures() {
  if (mkdir("data", 0755) != 0) return;  // a folder with pictures of its own
  mkdir("data/sub", 0755);
  mkdir("data/folder.bmp", 0755);
  mkdir("userbitmaps", 0755);
  mkfifo("userbitmaps/pipe.bmp", 0644);
  const uint32_t pixels[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x808080, 0};
  for (const char* path : {"data/pit.bmp", "data/sub/deep.bmp", "userbitmaps/a.bmp"})
    WriteBmp24(path, 3, 2, pixels);
  symlink("../data/pit.bmp", "userbitmaps/link.bmp");
  symlink("nowhere.bmp", "userbitmaps/gone.bmp");
  if (std::FILE* text = std::fopen("userbitmaps/text.bmp", "w")) {
    std::fputs("not a bitmap", text);
    std::fclose(text);
  }
}

// Counts the commas of the whole input, eight bytes at a time: one of the
// loops coverage-ignore.txt keeps out of the instrumentation, so it must not
// be inlined into the caller.
[[gnu::noinline]] int TracksFor(const uint8_t* data, size_t size) {
  constexpr uint64_t kLow = 0x7F7F7F7F7F7F7F7Full;
  long commas = 0;
  size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t word;
    std::memcpy(&word, data + i, 8);
    const uint64_t x = word ^ (0x0101010101010101ull * ',');  // a comma's byte is now 0
    commas += __builtin_popcountll(~(((x & kLow) + kLow) | x | kLow));
  }
  for (; i < size; ++i)
    commas += data[i] == ',';
  // A 3-track song with its session has more tokens than a 6-track song
  // without one; the seeds hold both, the first with exactly its count.
  const bool three = commas < SongTokenCount(6) || commas == SessionSongTokenCount(3);
  return three ? 3 : 6;
}

void CheckCell(const CellSound& cell) {
  for (float value : {cell.attack, cell.decay, cell.slideLength, cell.slide, cell.pan})
    if (!(value >= kMinParameter && value <= kMaxParameter)) Fail("parameter out of range");
  if (cell.octave < 0 || cell.octave > kMaxOctave) Fail("octave out of range");
  if (cell.semitone < 0 || cell.semitone > kMaxSemitone) Fail("semitone out of range");
  if (cell.slot < 0 || cell.slot > kMaxCellSlot) Fail("slot out of range");
}

// The tracks, song mode and name of a song read with its session.
void CheckSessionRanges(const Song& song) {
  for (int t = 0; t < song.trackCount; ++t) {
    const SongTrack& track = song.tracks[t];
    for (const CellSound& cell : track.cells)
      CheckCell(cell);
    for (int32_t pattern : {track.storedPattern, track.loadedPattern})
      if (pattern < 0 || pattern >= kPatternCount) Fail("track pattern out of range");
  }
  if (song.name[kMaxNameLength] != '\0') Fail("song name not terminated");
  for (const char* c = song.name; *c != '\0'; ++c)
    if (!std::isalnum(static_cast<unsigned char>(*c)))
      Fail("song name holds other than letters and digits");
}

void CheckRanges(const Song& song) {
  for (int t = 0; t < song.trackCount; ++t)
    for (int p = 0; p < kArrangementLength; ++p)
      if (song.arrangement[t][p] < 0 || song.arrangement[t][p] >= kPatternCount)
        Fail("pattern number out of range");
  for (const auto& pattern : song.bank)
    for (const CellSound& cell : pattern)
      CheckCell(cell);
  for (const auto& name : song.palette)
    if (name[kSlotNameLength - 1] != '\0') Fail("palette name not terminated");
  if (song.samplesPerStep < kMinSamplesPerStep || song.samplesPerStep > kMaxSamplesPerStep)
    Fail("tempo out of range");
}

// Compared as bytes, so that the same is the same to the bit (-0 is not 0);
// the values of a cell's sound fill it without padding.
static_assert(sizeof(CellSound) == 8 * 4, "a cell's sound has padding that memcmp would read");

bool SameValues(const Song& a, const Song& b) {
  return std::memcmp(a.arrangement, b.arrangement, sizeof a.arrangement[0] * a.trackCount) == 0 &&
         std::memcmp(a.bank, b.bank, sizeof a.bank) == 0 &&
         std::memcmp(a.palette, b.palette, sizeof a.palette) == 0 &&
         a.samplesPerStep == b.samplesPerStep;
}

// The session parts, value by value: a track has padding after its mute.
bool SameSession(const Song& a, const Song& b) {
  for (int t = 0; t < a.trackCount; ++t) {
    const SongTrack& x = a.tracks[t];
    const SongTrack& y = b.tracks[t];
    if (std::memcmp(x.cells, y.cells, sizeof x.cells) != 0 || x.mute != y.mute ||
        x.storedPattern != y.storedPattern || x.loadedPattern != y.loadedPattern)
      return false;
  }
  return a.songMode == b.songMode && std::memcmp(a.name, b.name, sizeof a.name) == 0;
}

Palette& ThePalette() {
  static Palette palette;
  return palette;
}

// Shows the palette's pictures from its first load on.
Display& TheDisplay() {
  static HeadlessPlatform platform;
  static Display display(platform, false, ThePalette());
  return display;
}

Sequencer& SequencerFor(int tracks) {
  static std::unique_ptr<Sequencer> sequencers[2];
  auto& seq = sequencers[tracks == 3 ? 0 : 1];
  if (!seq) {
    TheDisplay();  // before the first load, so that every load brings its picture
    seq = std::make_unique<Sequencer>(
        SequencerSetup{.trackCount = tracks, .palette = &ThePalette(), .startAudio = false});
    seq->m_Mix.Reset();
  }
  return *seq;
}

// Every saved slot holds the name the song gave it (or the fallback's, where
// there is one) and, once it has a picture, a 64 x 64 one.
void CheckPalette(const Song& song) {
  const Palette& palette = ThePalette();
  const Display& display = TheDisplay();
  for (int i = 0; i < kSavedSlotCount; ++i) {
    const char* name = palette.Name(kFirstSavedSlot + i);
    if (std::strcmp(name, song.palette[i]) != 0 && std::strcmp(name, kNotFoundBitmap) != 0)
      Fail("a slot holds a name the song did not give");
    const Surface* surface = display.SlotSurface(kFirstSavedSlot + i);
    if (surface != nullptr && (surface->Width() != 64 || surface->Height() != 64))
      Fail("a palette picture is not 64 x 64");
  }
}

// What was put in place is what a capture of the running song gives back, value
// for value: the arrangement, the bank and the tempo, and with a session the
// tracks, song mode and name. (The palette, which may hold the fallback, is
// CheckPalette's.)
void CheckApplied(const Sequencer& seq, const Song& song, bool session) {
  static auto captured = std::make_unique<Song>();
  seq.Capture(*captured);
  if (std::memcmp(captured->arrangement, song.arrangement,
                  sizeof song.arrangement[0] * song.trackCount) != 0)
    Fail("the arrangement in place is not the song's");
  if (std::memcmp(captured->bank, song.bank, sizeof song.bank) != 0)
    Fail("the bank in place is not the song's");
  if (captured->samplesPerStep != song.samplesPerStep) Fail("the tempo in place is not the song's");
  if (session && !SameSession(*captured, song)) Fail("the session in place is not the song's");
}

void PlayFirstPatternChange(Sequencer& seq) {
  seq.m_SongMode = 1;
  seq.m_Position = kPlayedPositions - 1;
  seq.m_Step = kStepsPerPattern - 1;
  seq.m_SampleCount = seq.m_SamplesPerStep.Load();
  float out[2 * MixBuffer::kFramesPerBuffer];
  seq.RenderBlock(out, 1);
  if (seq.m_Position != 0) Fail("the first sample did not begin position 0");
  for (int t = 0; t < seq.TrackCount(); ++t) {
    const Track& track = seq.GetTrack(t);
    if (track.m_LoadedPattern != seq.m_Arrangement[t][0]) Fail("position 0 was not loaded");
    for (const Cell& cell : track.m_Cells)
      if (cell.m_Note < 0 || cell.m_Note > kMaxOctave * 12 + kMaxSemitone) Fail("note");
  }
  // A slow song plays on; a fast one (down to a step a sample) changes
  // patterns several times within the block.
  seq.RenderBlock(out, MixBuffer::kFramesPerBuffer);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetDebugLogEnabled(false);
  MakePictures();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto song = std::make_unique<Song>();
  static auto reread = std::make_unique<Song>();
  const int tracks = TracksFor(data, size);
  std::string why;
  SongReadNotes read;
  if (!ReadSong(reinterpret_cast<const char*>(data), size, tracks, *song, why, &read)) {
    if (why.empty()) Fail("refused without a reason");
    if (why.find('\n') != std::string::npos) Fail("reason of more than one line");
    return 0;
  }
  CheckRanges(*song);
  if (read.session) CheckSessionRanges(*song);

  // Saved and loaded again, the song is the same to the byte. Where the song
  // read back holds the very values saved, its text is the saved text too
  // and need not be made again.
  std::string saved = FormatSong(*song);
  if (read.session) saved += FormatSession(*song);
  SongReadNotes notes;
  if (!ReadSong(saved.data(), saved.size(), tracks, *reread, why, &notes))
    Fail("a saved song is refused");
  if (notes.clampedCount != 0) Fail("a saved song needed clamping");
  if (notes.session != read.session) Fail("a saved song's session came and went");
  if (read.session) {
    if (!SameSession(*song, *reread) && FormatSession(*reread) != FormatSession(*song))
      Fail("a saved session changed on loading");
  }
  if (!SameValues(*song, *reread) && FormatSong(*reread) != FormatSong(*song))
    Fail("a saved song changed on loading");

  Sequencer& seq = SequencerFor(tracks);
  seq.Apply(*song, read.session ? SongParts::kAll : SongParts::kFile);
  CheckPalette(*song);
  CheckApplied(seq, *song, read.session);
  PlayFirstPatternChange(seq);
  return 0;
}
