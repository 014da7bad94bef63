// Undo as a property: any sequence of gestures, undone step by step, passes
// back through every state it went through, and redone gives them again.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "history/UndoHistory.h"
#include "songfile/SongFormat.h"
#include "sound/Palette.h"
#include "sound/Sequencer.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

using testing::WorkFolder;

struct Engine {
  explicit Engine(int tracks) {
    folder.LinkData();
    palette.LoadStartupSounds();
    SequencerSetup setup;
    setup.trackCount = tracks;
    setup.palette = &palette;
    setup.startAudio = false;
    seq = std::make_unique<Sequencer>(setup);
  }
  std::unique_ptr<Song> Now() const {
    auto song = std::make_unique<Song>();
    seq->Capture(*song);
    return song;
  }
  WorkFolder folder;
  Palette palette;
  std::unique_ptr<Sequencer> seq;
};

constexpr const char* kPictures[] = {"data/max.bmp", "data/min.bmp", "data/square.bmp",
                                     "data/grid.bmp", "data/slant.bmp"};

CellSound RandomSound(std::mt19937& random) {
  auto real = [&] { return 0.01f + static_cast<float>(random() % 99) / 100.0f; };
  CellSound sound;
  sound.attack = real();
  sound.decay = real();
  sound.slideLength = real();
  sound.slide = real();
  sound.octave = static_cast<int32_t>(random() % 10);
  sound.semitone = static_cast<int32_t>(random() % 12);
  sound.pan = real();
  sound.slot = static_cast<int32_t>(kRestSlot + random() % 17);
  return sound;
}

// One gesture: one to several edits of one kind or of several, as a drag,
// a painting stroke, a key or a song load makes them.
void RandomGesture(Sequencer& seq, std::mt19937& random) {
  const int tracks = seq.TrackCount();
  const int edits = 1 + static_cast<int>(random() % 4);
  for (int e = 0; e < edits; ++e) {
    const int track = static_cast<int>(random() % static_cast<unsigned>(tracks));
    const int pattern = static_cast<int>(random() % kPatternCount);
    switch (random() % 10) {
      case 0:
      case 1:
      case 2:
        seq.SetCell(track, static_cast<int>(random() % kStepsPerPattern), RandomSound(random));
        break;
      case 3:
        seq.StorePattern(track, pattern);
        break;
      case 4:
        seq.LoadPattern(track, pattern);
        break;
      case 5:
        seq.SetArrangement(track, static_cast<int>(random() % kArrangementLength), pattern);
        break;
      case 6:
        seq.SetTempo(static_cast<int32_t>(1000 + random() % 20000));
        break;
      case 7:
        seq.SetMute(track, random() % 2 == 0);
        seq.SetSongMode(random() % 2 == 0);
        break;
      case 8:
        seq.SetName(random() % 2 == 0 ? "Take" : "Other2");
        seq.ReplaceSound(kFirstPaletteSlot + static_cast<int>(random() % 16),
                         kPictures[random() % 5]);
        break;
      case 9: {
        // A song put in place whole, as loading a song file does.
        auto song = std::make_unique<Song>();
        seq.Capture(*song);
        for (auto& row : song->arrangement)
          row[random() % kArrangementLength] = static_cast<int32_t>(random() % kPatternCount);
        song->bank[pattern][random() % kStepsPerPattern] = RandomSound(random);
        song->samplesPerStep = static_cast<int32_t>(500 + random() % 5000);
        std::snprintf(song->palette[random() % kSavedSlotCount], kSlotNameLength, "%s",
                      kPictures[random() % 5]);
        seq.Apply(*song, random() % 2 == 0 ? SongParts::kAll : SongParts::kFile);
        break;
      }
    }
  }
}

void ExpectSameSong(const Song& expected, const Song& actual, const std::string& where) {
  EXPECT_EQ(SongFileText(expected), SongFileText(actual)) << where;
  EXPECT_TRUE(expected == actual) << where;
}

TEST(UndoHistory, EveryStateComesBackUndoneAndRedoneStepByStep) {
  for (int tracks : {3, 6}) {
    Engine engine(tracks);
    Sequencer& seq = *engine.seq;
    UndoHistory history(seq);
    std::mt19937 random(static_cast<unsigned>(7 + tracks));
    std::vector<std::unique_ptr<Song>> states;
    states.push_back(engine.Now());
    for (int g = 0; g < 150; ++g) {
      RandomGesture(seq, random);
      history.EndGesture();
      // A gesture that changed nothing leaves no step.
      auto now = engine.Now();
      if (!(*now == *states.back())) states.push_back(std::move(now));
      ASSERT_EQ(history.UndoSteps(), states.size() - 1);
    }
    std::string what;
    for (size_t k = states.size() - 1; k > 0; --k) {
      ASSERT_TRUE(history.Undo(what));
      EXPECT_FALSE(what.empty());
      ExpectSameSong(*states[k - 1], *engine.Now(), "undone to state " + std::to_string(k - 1));
    }
    EXPECT_FALSE(history.Undo(what));
    for (size_t k = 1; k < states.size(); ++k) {
      ASSERT_TRUE(history.Redo(what));
      ExpectSameSong(*states[k], *engine.Now(), "redone to state " + std::to_string(k));
    }
    EXPECT_FALSE(history.Redo(what));

    // A new edit after an undo drops what could have been redone.
    ASSERT_TRUE(history.Undo(what));
    seq.SetTempo(seq.m_SamplesPerStep + 1);
    history.EndGesture();
    EXPECT_EQ(history.RedoSteps(), 0u);
    EXPECT_FALSE(history.Redo(what));
  }
}

TEST(UndoHistory, KeepsTheLastFiveHundredStepsInBoundedMemory) {
  Engine engine(6);
  Sequencer& seq = *engine.seq;
  UndoHistory history(seq);
  std::unique_ptr<Song> after100;
  for (int g = 1; g <= 700; ++g) {
    seq.SetTempo(1000 + g);
    seq.SetCell(g % 6, g % 16, CellSound{0.5f, 0.5f, 0.5f, 0.5f, g % 10, g % 12, 0.5f, 6 + g % 16});
    history.EndGesture();
    if (g == 200) after100 = engine.Now();
  }
  EXPECT_EQ(history.UndoSteps(), kUndoSteps);
  std::string what;
  for (size_t k = 0; k < kUndoSteps; ++k)
    ASSERT_TRUE(history.Undo(what));
  EXPECT_FALSE(history.Undo(what));
  ExpectSameSong(*after100, *engine.Now(), "the oldest step kept");
  // Two places a step: tempo and one cell, with their values twice.
  EXPECT_LT(history.Bytes(), kUndoSteps * 400);
}

TEST(UndoHistory, PutsBackOnlyWhatTheGestureChanged) {
  Engine engine(3);
  Sequencer& seq = *engine.seq;
  UndoHistory history(seq);
  CellSound drop;
  drop.slot = 9;
  const CellSound rest = seq.GetTrack(0).m_Cells[4].Sound();
  const CellSound empty = seq.m_Bank.m_Patterns[3][0].Sound();
  for (int s = 0; s < kStepsPerPattern; ++s)
    seq.SetCell(1, s, drop);
  seq.StorePattern(1, 3);
  history.EndGesture();
  seq.SetCell(0, 4, drop);
  history.EndGesture();
  // The clock loads a pattern into track 1 in song mode: no edit, no step.
  seq.GetTrack(1).LoadPattern(seq.m_Bank, 0);
  std::string what;
  ASSERT_TRUE(history.Undo(what));
  EXPECT_EQ(what, "step 5 of track 1");
  EXPECT_EQ(seq.GetTrack(0).m_Cells[4].Sound(), rest);
  // What the clock loaded is left as it is.
  EXPECT_EQ(seq.GetTrack(1).m_Cells[0].Sound(), seq.m_Bank.m_Patterns[0][0].Sound());
  ASSERT_TRUE(history.Undo(what));
  EXPECT_EQ(what, "store C from track 2");
  EXPECT_EQ(seq.m_Bank.m_Patterns[3][0].Sound(), empty);
}

TEST(UndoHistory, AReplacedPictureComesBackWithItsSound) {
  Engine engine(3);
  Sequencer& seq = *engine.seq;
  UndoHistory history(seq);
  const int slot = kFirstPaletteSlot + 2;
  const std::string before = engine.palette.Name(slot);
  auto table = [&] {
    std::vector<float> samples(kTableLength);
    for (int i = 0; i < kTableLength; ++i)
      samples[static_cast<size_t>(i)] = engine.palette.Tables().Sample(slot, i);
    return samples;
  };
  const std::vector<float> sound = table();
  ASSERT_TRUE(seq.ReplaceSound(slot, "data/grid.bmp"));
  history.EndGesture();
  std::string what;
  ASSERT_TRUE(history.Undo(what));
  EXPECT_EQ(what, "palette picture 3");
  EXPECT_EQ(engine.palette.Name(slot), before);
  EXPECT_TRUE(table() == sound);
  ASSERT_TRUE(history.Redo(what));
  EXPECT_STREQ(engine.palette.Name(slot), "data/grid.bmp");
}

}  // namespace
}  // namespace tessaloop
