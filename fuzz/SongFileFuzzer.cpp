// Fuzzes the song loader: any bytes may be a song file.
//
// Every input is read from memory as a song of the program its length suits
// (6 tracks when it holds more tokens than a 3-track song, else 3; unit tests
// show each program refusing the other's songs). A refused file must say why.
// An accepted one must hold only values within their ranges, survive a save
// and a load unchanged, and be safe to put in place and play: it is applied to
// a Sequencer with a display, which loads the palette pictures the song names
// into their slots, and the clock runs over its first pattern change.
//
// The pictures a song can name are made once, at start, in a working folder
// that has no data/ yet (run-fuzzers.sh gives each target its own): small
// bitmaps, links to one and to nothing, a file that is no bitmap, a folder and
// a named pipe. There is no fallback picture data/notfound.bmp, so a slot whose
// picture cannot be loaded keeps the song's name; otherwise every song would
// load seventeen pictures.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "display/BmpWriter.h"
#include "display/DebugLog.h"
#include "display/Display.h"
#include "platform/HeadlessPlatform.h"
#include "songfile/SongFormat.h"
#include "sound/Sequencer.h"

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
  return commas > SongTokenCount(3) ? 6 : 3;
}

void CheckRanges(const SongImage& song) {
  for (int t = 0; t < song.trackCount; ++t)
    for (int p = 0; p < kArrangementLength; ++p)
      if (song.arrangement[t][p] < 0 || song.arrangement[t][p] >= kPatternCount)
        Fail("pattern number out of range");
  for (const auto& pattern : song.bank) {
    for (const SongCell& cell : pattern) {
      for (float value : {cell.attack, cell.decay, cell.slideLength, cell.slide, cell.pan})
        if (!(value >= kMinParameter && value <= kMaxParameter)) Fail("parameter out of range");
      if (cell.octave < 0 || cell.octave > kMaxOctave) Fail("octave out of range");
      if (cell.semitone < 0 || cell.semitone > kMaxSemitone) Fail("semitone out of range");
      if (cell.slot < 0 || cell.slot > kMaxCellSlot) Fail("slot out of range");
    }
  }
  for (const auto& name : song.palette)
    if (name[kSlotNameLength - 1] != '\0') Fail("palette name not terminated");
  if (song.samplesPerStep < kMinSamplesPerStep || song.samplesPerStep > kMaxSamplesPerStep)
    Fail("tempo out of range");
}

bool SameValues(const SongImage& a, const SongImage& b) {
  return std::memcmp(a.arrangement, b.arrangement, sizeof a.arrangement[0] * a.trackCount) == 0 &&
         std::memcmp(a.bank, b.bank, sizeof a.bank) == 0 &&
         std::memcmp(a.palette, b.palette, sizeof a.palette) == 0 &&
         a.samplesPerStep == b.samplesPerStep;
}

Display& TheDisplay() {
  static HeadlessPlatform platform;
  static Display display(platform, false);
  return display;
}

Sequencer& SequencerFor(int tracks) {
  static std::unique_ptr<Sequencer> sequencers[2];
  auto& seq = sequencers[tracks == 3 ? 0 : 1];
  if (!seq) {
    Display& display = TheDisplay();
    seq = std::make_unique<Sequencer>(SequencerSetup{.trackCount = tracks,
                                                     .wavetables = &display.m_Wavetables,
                                                     .display = &display,
                                                     .startAudio = false});
    seq->m_Mix.m_FramesPerBuffer = MixBuffer::kFramesPerBuffer;
    seq->m_Mix.m_NumberOfBlocks = MixBuffer::kNumberOfBlocks;
  }
  return *seq;
}

// Every saved slot holds the name the song gave it (or the fallback's, where
// there is one) and, once it has a picture, a 64 x 64 one.
void CheckPalette(const SongImage& song) {
  const Display& display = TheDisplay();
  for (int i = 0; i < kSavedSlotCount; ++i) {
    const char* name = display.m_SlotNames[kFirstSavedSlot + i];
    if (std::strcmp(name, song.palette[i]) != 0 && std::strcmp(name, kNotFoundBitmap) != 0)
      Fail("a slot holds a name the song did not give");
    const Surface* surface = display.SlotSurface(kFirstSavedSlot + i);
    if (surface != nullptr && (surface->Width() != 64 || surface->Height() != 64))
      Fail("a palette picture is not 64 x 64");
  }
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
  static auto song = std::make_unique<SongImage>();
  static auto reread = std::make_unique<SongImage>();
  const int tracks = TracksFor(data, size);
  std::string why;
  if (!ReadSong(reinterpret_cast<const char*>(data), size, tracks, *song, why)) {
    if (why.empty()) Fail("refused without a reason");
    if (why.find('\n') != std::string::npos) Fail("reason of more than one line");
    return 0;
  }
  CheckRanges(*song);

  // Saved and loaded again, the song is the same to the byte. Where the song
  // read back holds the very values saved, its text is the saved text too
  // and need not be made again.
  const std::string saved = FormatSong(*song);
  if (!ReadSong(saved.data(), saved.size(), tracks, *reread, why)) Fail("a saved song is refused");
  if (reread->clampedCount != 0) Fail("a saved song needed clamping");
  if (!SameValues(*song, *reread) && FormatSong(*reread) != saved)
    Fail("a saved song changed on loading");

  Sequencer& seq = SequencerFor(tracks);
  seq.ApplySong(*song);
  CheckPalette(*song);
  PlayFirstPatternChange(seq);
  return 0;
}
