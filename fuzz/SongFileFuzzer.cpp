// Fuzzes the song loader: any bytes may be a song file.
//
// Every input is read as a song of each program (3 and 6 tracks). A refused
// file must say why. An accepted one must hold only values within their
// ranges, survive a save and a load unchanged, and be safe to put in place and
// play: it is applied to a Sequencer and the clock runs over its first
// pattern change.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "display/WavetableBank.h"
#include "songfile/SongFormat.h"
#include "sound/Sequencer.h"

namespace {

using namespace tessaloop;

void Fail(const char* what) {
  std::fprintf(stderr, "song loader fault: %s\n", what);
  std::abort();
}

std::FILE* OpenBytes(const uint8_t* data, size_t size) {
  if (size == 0) return std::fopen("/dev/null", "r");
  return fmemopen(const_cast<uint8_t*>(data), size, "r");
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

Sequencer& SequencerFor(int tracks) {
  static WavetableBank bank;
  static std::unique_ptr<Sequencer> sequencers[2];
  auto& seq = sequencers[tracks == 3 ? 0 : 1];
  if (!seq) {
    SequencerSetup setup;
    setup.trackCount = tracks;
    setup.wavetables = &bank;
    setup.startAudio = false;
    seq = std::make_unique<Sequencer>(setup);
    seq->m_Mix.m_FramesPerBuffer = MixBuffer::kFramesPerBuffer;
    seq->m_Mix.m_NumberOfBlocks = MixBuffer::kNumberOfBlocks;
  }
  return *seq;
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
  // The loader writes every load to debug.txt in the working folder; with
  // millions of loads that goes nowhere unless a log is already there.
  struct stat status {};
  if (lstat("debug.txt", &status) != 0 && symlink("/dev/null", "debug.txt") != 0) {
    std::fprintf(stderr, "note: debug.txt in the working folder will grow\n");
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (int tracks : {3, 6}) {
    std::FILE* file = OpenBytes(data, size);
    if (file == nullptr) return 0;
    auto song = std::make_unique<SongImage>();
    std::string why;
    const bool read = ReadSong(file, tracks, *song, why);
    std::fclose(file);
    if (!read) {
      if (why.empty()) Fail("refused without a reason");
      if (why.find('\n') != std::string::npos) Fail("reason of more than one line");
      continue;
    }
    CheckRanges(*song);

    // Saved and loaded again, the song is the same to the byte.
    std::string text = FormatSong(*song);
    std::FILE* again = fmemopen(text.data(), text.size(), "r");
    auto reread = std::make_unique<SongImage>();
    if (!ReadSong(again, tracks, *reread, why)) Fail("a saved song is refused");
    std::fclose(again);
    if (reread->clampedCount != 0) Fail("a saved song needed clamping");
    if (FormatSong(*reread) != text) Fail("a saved song changed on loading");

    Sequencer& seq = SequencerFor(tracks);
    seq.ApplySong(*song);
    PlayFirstPatternChange(seq);
  }
  return 0;
}
