// The song as one value: what Capture takes, what Apply puts back, and the
// edit operations through which every change passes.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "sound/OfflineRender.h"
#include "sound/Song.h"
#include "tests/sound/SoundRig.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

// A song made through the edit operations, with every part away from its
// start-up value.
void Compose(Sequencer& seq) {
  for (int t = 0; t < seq.TrackCount(); ++t) {
    for (int s = 0; s < kStepsPerPattern; ++s) {
      CellSound sound;
      sound.slot = (s + t) % 4 == 0 ? kRestSlot : kFirstPaletteSlot + (s * 3 + t) % 16;
      sound.attack = 0.01f + 0.06f * static_cast<float>(s);
      sound.decay = 0.99f - 0.05f * static_cast<float>(t + s);
      sound.slideLength = 0.25f;
      sound.slide = s % 2 ? 0.3f : 0.7f;
      sound.octave = (s + t) % (kMaxOctave + 1);
      sound.semitone = (s * 5 + t) % (kMaxSemitone + 1);
      sound.pan = 0.1f * static_cast<float>(1 + (s + t) % 9);
      seq.SetCell(t, s, sound);
    }
    seq.StorePattern(t, 1 + t);
    for (int p = 0; p < kArrangementLength; ++p)
      seq.SetArrangement(t, p, (p * 7 + t) % kPatternCount);
  }
  seq.LoadPattern(0, 2);
  seq.SetMute(1, true);
  seq.SetTempo(777);
  seq.SetSongMode(true);
  seq.SetName("Captured");
  ASSERT_TRUE(seq.ReplaceSound(9, "data/grid.bmp"));
  ASSERT_TRUE(seq.ReplaceSound(21, "data/corner.bmp"));
}

std::vector<float> Play(Sequencer& seq, int64_t frames) {
  std::vector<float> out;
  CueSongStart(seq);
  RenderFrames(seq, frames, [&](const float* data, int64_t count) {
    out.insert(out.end(), data, data + 2 * count);
    return true;
  });
  return out;
}

// Everything the user made goes from one program into another through a Song
// and comes back equal; both then play the same samples.
TEST(SongState, ACapturedSongAppliedElsewhereIsTheSameSongAndSoundsTheSame) {
  testing::WorkFolder folder;
  folder.LinkData();
  for (int tracks : {3, 6}) {
    SCOPED_TRACE(tracks);
    OfflineEngine made(tracks);
    Compose(*made.seq);
    auto song = std::make_unique<Song>();
    made.seq->Capture(*song);
    EXPECT_EQ(song->tracks[1].mute, true);
    EXPECT_EQ(song->tracks[0].loadedPattern, 2);
    EXPECT_STREQ(song->palette[9 - kFirstSavedSlot], "data/grid.bmp");
    EXPECT_STREQ(song->name, "Captured");

    OfflineEngine other(tracks);
    other.seq->Apply(*song, SongParts::kAll);
    auto back = std::make_unique<Song>();
    other.seq->Capture(*back);
    EXPECT_TRUE(*back == *song);
    EXPECT_EQ(Play(*other.seq, 40000), Play(*made.seq, 40000));

    // Another track count changes nothing.
    OfflineEngine wrong(tracks == 3 ? 6 : 3);
    auto before = std::make_unique<Song>();
    wrong.seq->Capture(*before);
    wrong.seq->Apply(*song, SongParts::kAll);
    wrong.seq->Capture(*back);
    EXPECT_TRUE(*back == *before);
  }
}

// A song file's parts leave the tracks' steps, mutes, song mode and name as
// they are; a picture that does not load gives its slot the fallback.
TEST(SongState, TheFilePartsLeaveWhatAFileDoesNotHold) {
  testing::WorkFolder folder;
  folder.LinkData();
  OfflineEngine source(3);
  Compose(*source.seq);
  auto song = std::make_unique<Song>();
  source.seq->Capture(*song);
  std::strcpy(song->palette[2], "userbitmaps/gone.bmp");

  OfflineEngine target(3);
  auto untouched = std::make_unique<Song>();
  target.seq->Capture(*untouched);
  target.seq->Apply(*song, SongParts::kFile);
  auto now = std::make_unique<Song>();
  target.seq->Capture(*now);
  EXPECT_TRUE(
      std::equal(std::begin(now->tracks), std::end(now->tracks), std::begin(untouched->tracks)));
  EXPECT_EQ(now->songMode, untouched->songMode);
  EXPECT_STREQ(now->name, untouched->name);
  EXPECT_EQ(now->samplesPerStep, 777);
  EXPECT_TRUE(std::memcmp(now->arrangement, song->arrangement, sizeof now->arrangement) == 0);
  EXPECT_TRUE(now->bank[2][3] == song->bank[2][3]);
  EXPECT_STREQ(now->palette[2], kNotFoundBitmap);
  EXPECT_STREQ(now->palette[9 - kFirstSavedSlot], "data/grid.bmp");
}

// Every edit operation that changes the song counts once, with its kind; one
// that changes nothing (the same value, a place outside the song) does not.
TEST(SongState, EveryChangePassesThroughTheEditsAndOnlyAChange) {
  testing::WorkFolder folder;
  folder.LinkData();
  testing::FilledPalette palette;
  Sequencer seq(testing::RigSetup(palette));
  CellSound sound = seq.GetTrack(1).m_Cells[4].Sound();
  sound.slot = 9;
  const struct {
    SongEdit kind;
    void (*edit)(Sequencer&, const CellSound&);
  } edits[] = {
      {SongEdit::kCell, [](Sequencer& s, const CellSound& c) { s.SetCell(1, 4, c); }},
      {SongEdit::kStorePattern, [](Sequencer& s, const CellSound&) { s.StorePattern(1, 3); }},
      {SongEdit::kLoadPattern, [](Sequencer& s, const CellSound&) { s.LoadPattern(0, 3); }},
      {SongEdit::kArrangement, [](Sequencer& s, const CellSound&) { s.SetArrangement(2, 50, 1); }},
      {SongEdit::kTempo, [](Sequencer& s, const CellSound&) { s.SetTempo(5000); }},
      {SongEdit::kMute, [](Sequencer& s, const CellSound&) { s.SetMute(2, true); }},
      {SongEdit::kSongMode, [](Sequencer& s, const CellSound&) { s.SetSongMode(true); }},
      {SongEdit::kName, [](Sequencer& s, const CellSound&) { s.SetName("Other"); }},
      {SongEdit::kSound,
       [](Sequencer& s, const CellSound&) { s.ReplaceSound(8, "data/slant.bmp"); }},
  };
  for (const auto& e : edits) {
    const uint64_t count = seq.EditCount();
    e.edit(seq, sound);
    EXPECT_EQ(seq.EditCount(), count + 1) << static_cast<int>(e.kind);
    EXPECT_EQ(seq.LastEdit(), e.kind);
    e.edit(seq, sound);  // again: nothing changes (the sound reloads from its file)
    EXPECT_EQ(seq.EditCount(), count + (e.kind == SongEdit::kSound ? 2 : 1))
        << static_cast<int>(e.kind);
  }
  EXPECT_EQ(seq.m_Tracks[0]->m_Cells[4].m_Slot, 9) << "the stored pattern was loaded";
  const uint64_t count = seq.EditCount();
  seq.SetCell(3, 0, sound);  // no fourth track
  seq.SetCell(0, 16, sound);
  seq.StorePattern(0, 27);
  seq.SetArrangement(0, 101, 1);
  seq.SetArrangement(0, 0, -1);
  seq.SetTempo(0);  // clamped to 1: a change
  seq.SetTempo(-5);
  EXPECT_FALSE(seq.ReplaceSound(8, "data/missing.bmp"));
  EXPECT_EQ(seq.EditCount(), count + 1);
  EXPECT_EQ(seq.m_SamplesPerStep, kMinSamplesPerStep);
  seq.SetName("ALongerNameThanFits");
  EXPECT_STREQ(seq.m_Name, "ALongerNameT");
}

}  // namespace
}  // namespace tessaloop
