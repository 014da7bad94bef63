// Undo through the keys of the real editor, gesture by gesture, and the
// recovery copy that the shell keeps of the whole song.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "editor/RecoveryCopy.h"
#include "export/SongExport.h"
#include "input/KeyCodes.h"
#include "songfile/SongFiles.h"
#include "songfile/SongFormat.h"
#include "tests/editor/EditorRig.h"

namespace tessaloop {
namespace {

namespace fs = std::filesystem;
using testing::EditorRig;
using testing::TextAt;

std::unique_ptr<Song> Now(const Sequencer& seq) {
  auto song = std::make_unique<Song>();
  seq.Capture(*song);
  return song;
}

void CtrlTap(EditorRig& rig, std::initializer_list<uint8_t> keys) {
  rig.Key(key::kLeftControl, true);
  for (uint8_t k : keys)
    rig.Key(k, true);
  rig.RunFrame();
  for (uint8_t k : keys)
    rig.Key(k, false);
  rig.Key(key::kLeftControl, false);
  rig.RunFrame();
}

// Each gesture is one step: a drop, a painting stroke, a drag, a key, an
// arrangement letter, a tempo drag. Ctrl+Z walks back through every state,
// Ctrl+Shift+Z and Ctrl+Y forward again, and letters typed with Ctrl held
// edit nothing.
TEST(UndoKeys, EveryGestureIsOneStepBackAndForth) {
  EditorRig rig;
  Sequencer& seq = *rig.seq;
  std::vector<std::unique_ptr<Song>> states;
  states.push_back(Now(seq));
  auto done = [&] { states.push_back(Now(seq)); };

  rig.PickUp(3);  // a drop on track 1 step 2
  rig.HoverAt(EditorRig::CellX(1), EditorRig::CellY(0));
  rig.Left(false);
  rig.RunFrame();
  done();
  rig.PickUp(5);  // a painting stroke over four steps of track 2
  rig.Key(key::kLeftControl, true);
  rig.HoverAt(EditorRig::CellX(0), EditorRig::CellY(1));
  rig.Left(false);
  for (int s = 1; s < 4; ++s)
    rig.HoverAt(EditorRig::CellX(s), EditorRig::CellY(1));
  rig.Key(key::kLeftControl, false);
  rig.RunFrame();
  done();
  rig.PressAt(EditorRig::CellX(1), EditorRig::CellY(0));  // a drag on the dropped step
  for (int i = 0; i < 5; ++i)
    rig.HoverAt(EditorRig::CellX(1) - 20 + 6 * i, EditorRig::CellY(0) - 20 + 5 * i);
  rig.Left(false);
  rig.RunFrame();
  done();
  rig.HoverAt(EditorRig::CellX(2), EditorRig::CellY(1));  // a note key held for frames
  rig.TapKey(key::kN, 4);
  rig.RunFrame();
  done();
  rig.HoverAt(105, 705);  // an arrangement letter
  rig.TapKey(key::kQ);
  rig.RunFrame();
  done();
  ASSERT_EQ(seq.m_Arrangement[0][9], 17);
  rig.PressAt(290, 675);  // a tempo drag over several frames
  for (int i = 0; i < 4; ++i) {
    rig.Move(0, -3);
    rig.RunFrame();
  }
  rig.Left(false);
  rig.RunFrames(2);
  done();
  for (size_t k = 1; k < states.size(); ++k)
    ASSERT_FALSE(*states[k] == *states[k - 1]) << "gesture " << k << " changed nothing";

  // Ctrl with a letter under the pointer is no letter.
  rig.HoverAt(105, 705);
  CtrlTap(rig, {key::kB});
  rig.HoverAt(EditorRig::CellX(2), EditorRig::CellY(1));
  CtrlTap(rig, {key::kC});
  EXPECT_TRUE(*Now(seq) == *states.back());

  for (size_t k = states.size() - 1; k > 0; --k) {
    CtrlTap(rig, {key::kZ});
    ASSERT_TRUE(*Now(seq) == *states[k - 1]) << "undo to " << k - 1;
    ASSERT_EQ(SongFileText(*Now(seq)), SongFileText(*states[k - 1]));
  }
  CtrlTap(rig, {key::kZ});
  EXPECT_STREQ(rig.editor->m_Status, "Nothing to undo");
  EXPECT_EQ(rig.editor->History().UndoSteps(), 0u);
  EXPECT_TRUE(TextAt(rig, 520, 675, "Nothing to undo", false));
  for (size_t k = 1; k < states.size(); ++k) {
    CtrlTap(rig, k % 2 ? std::initializer_list<uint8_t>{key::kLeftShift, key::kZ}
                       : std::initializer_list<uint8_t>{key::kY});
    ASSERT_TRUE(*Now(seq) == *states[k]) << "redo to " << k;
  }
  EXPECT_STREQ(rig.editor->m_Status, "Redone: tempo");
  EXPECT_NE(testing::ReadFile("debug.txt").find("Redo: tempo"), std::string::npos);
}

// A held Ctrl+Z undoes once, then about four times a second.
TEST(UndoKeys, AHeldShortcutRepeatsFourTimesASecond) {
  EditorRig rig;
  for (int i = 0; i < 10; ++i) {
    rig.HoverAt(105 + 10 * i, 705);
    rig.TapKey(key::kA);
    rig.RunFrame();
  }
  ASSERT_EQ(rig.editor->History().UndoSteps(), 10u);
  rig.Key(key::kLeftControl, true);
  rig.Key(key::kZ, true);
  // The rate is not measured yet: 60 a second is taken, a step every 15.
  rig.RunFrames(31);
  EXPECT_EQ(rig.editor->History().UndoSteps(), 7u);
}

// Ctrl+E exports the song of that moment in the background: the bar shows
// while it runs, the file's name when it is done, and the file is the
// export of that song however it changed meanwhile.
TEST(ExportKey, WritesTheSongOfThePressAndSaysWhereItWent) {
  EditorRig rig;
  Sequencer& seq = *rig.seq;
  CellSound sound;
  sound.slot = 9;
  seq.SetCell(0, 0, sound);
  seq.StorePattern(0, 1);
  seq.SetArrangement(0, 0, 1);
  seq.SetTempo(2000);
  seq.SetName("Take");
  const auto pressed = Now(seq);
  CtrlTap(rig, {key::kE});
  seq.SetTempo(9000);  // after the press: not in the file
  rig.RunFrame();
  for (int i = 0; i < 20000 && rig.editor->Export().Running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    rig.RunFrame();
  }
  rig.RunFrame();
  EXPECT_STREQ(rig.editor->m_Status, "Exported songs/Take.wav");
  EXPECT_TRUE(TextAt(rig, 520, 675, "Exported songs/Take.wav", false));
  std::string error;
  ASSERT_TRUE(ExportSong(*pressed, "expected.wav", nullptr, error)) << error;
  EXPECT_EQ(testing::ReadFile("songs/Take.wav"), testing::ReadFile("expected.wav"));
  EXPECT_NE(testing::ReadFile("debug.txt").find("Exported songs/Take.wav"), std::string::npos);
  // The letter E with Ctrl is no edit: the song is as it was.
  EXPECT_EQ(seq.m_SamplesPerStep, 9000);
}

struct RecoveryRig {
  EditorRig rig;
  RecoveryCopy copy{*rig.seq};
  const char* path = "songs/last-session.tlp";

  // The copy is written on a thread of its own: wait for the count.
  bool WaitForCopies(int count) {
    for (int i = 0; i < 5000 && copy.WrittenCount() < count; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return copy.WrittenCount() == count;
  }
};

// Nothing is written while nothing changed; a change is written after a
// pause of two seconds, or 30 seconds after it however busy the user is;
// the way out writes the rest; the copy holds the tracks' steps and all.
TEST(RecoveryCopy, WrittenAfterAPauseOrWithinThirtySecondsAndOnTheWayOut) {
  RecoveryRig r;
  Sequencer& seq = *r.rig.seq;
  for (uint32_t ms = 0; ms < 100000; ms += 1000)
    r.copy.Frame(ms);
  EXPECT_FALSE(fs::exists(r.path));

  CellSound sound;
  sound.slot = 12;
  seq.SetCell(2, 7, sound);
  r.copy.Frame(100000);
  r.copy.Frame(101900);
  EXPECT_EQ(r.copy.WrittenCount(), 0);
  r.copy.Frame(102000);
  ASSERT_TRUE(r.WaitForCopies(1));
  auto song = std::make_unique<Song>();
  std::string why;
  SongReadNotes notes;
  ASSERT_TRUE(ReadSongFile(r.path, 3, *song, why, &notes)) << why;
  EXPECT_TRUE(notes.session && *song == *Now(seq));

  // Busy: a change every second; the copy is taken 30 seconds after the first.
  uint32_t ms = 200000;
  for (; ms < 229000; ms += 1000) {
    seq.SetTempo(static_cast<int32_t>(ms / 100));
    r.copy.Frame(ms);
  }
  EXPECT_EQ(r.copy.WrittenCount(), 1);
  seq.SetTempo(1);
  r.copy.Frame(230000);
  ASSERT_TRUE(r.WaitForCopies(2));

  seq.SetMute(1, true);
  seq.SetName("Evening");
  EXPECT_TRUE(r.copy.Flush());
  EXPECT_EQ(r.copy.WrittenCount(), 3);
  ASSERT_TRUE(ReadSongFile(r.path, 3, *song, why, &notes)) << why;
  EXPECT_TRUE(*song == *Now(seq));
  EXPECT_TRUE(r.copy.Flush());  // nothing new: nothing written
  EXPECT_EQ(r.copy.WrittenCount(), 3);

  // Listed in SONGS, and loaded from there it brings back the whole song.
  const auto saved = Now(seq);
  seq.SetName("other");
  seq.SetCell(2, 7, CellSound{});
  seq.SetMute(1, false);
  r.rig.ClickAt(420, 10);
  const FolderList& list = r.rig.editor->m_Songs;
  int entry = -1;
  for (int i = 0; i < list.count; ++i)
    if (std::strcmp(list.names[i], "last-session.tlp") == 0) entry = i;
  ASSERT_GE(entry, 0);
  r.rig.editor->m_SelectedSong = entry;
  r.rig.TapKey(key::kReturn);
  EXPECT_TRUE(*Now(seq) == *saved);
  EXPECT_STREQ(seq.m_Name, "Evening");
}

// A copy that cannot be written says so and is tried again, and the song
// goes on untouched.
TEST(RecoveryCopy, AFolderThatCannotBeWrittenIsTriedAgainLater) {
  RecoveryRig r;
  fs::remove_all("songs");
  testing::WriteFile("songs", "not a folder");
  r.rig.seq->SetTempo(4000);
  EXPECT_FALSE(r.copy.Flush());
  EXPECT_TRUE(r.copy.LastFailed());
  EXPECT_NE(testing::ReadFile("debug.txt").find("Recovery song not saved"), std::string::npos);
  fs::remove("songs");
  r.copy.Frame(40000);
  ASSERT_TRUE(r.WaitForCopies(1));
  EXPECT_TRUE(fs::exists(r.path));
  EXPECT_EQ(r.rig.seq->m_SamplesPerStep, 4000);
}

}  // namespace
}  // namespace tessaloop
