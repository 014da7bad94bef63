// The editor through whole frames with scripted input: the cells (palette
// drops, drags, keys, the current cell), the controls around them, the song
// list, name entry, help, tempo and the user-bitmap menu. What the whole-session
// test does as a user would (drops, painting with Ctrl, every tab's drags and
// keys, copy and paste, patterns, arrangement, saves and loads) is checked
// there against the songs it saves; these are the limits and edges.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/BmpWriter.h"
#include "input/KeyCodes.h"
#include "songfile/SongFormat.h"
#include "tests/editor/EditorRig.h"

namespace tessaloop {
namespace {

namespace fs = std::filesystem;
using testing::EditorRig;
using testing::PictureAt;
using testing::TextAt;

// Nothing is written while the button is held; carried off the screen's
// corner, pointer and picture stay whole on it, and a release there, below the
// rows, writes nothing.
TEST(PaletteDrop, TheCarriedSoundStaysOnScreenAndIsLetGoBelowTheRowsUnwritten) {
  EditorRig rig;
  rig.PickUp(15);
  rig.HoverAt(EditorRig::CellX(4), EditorRig::CellY(1));
  EXPECT_TRUE(PictureAt(rig, 4 * 64, 64 + 24, 21, false)) << "the carried picture follows";
  rig.Move(3000, 3000);
  rig.RunFrame();
  EXPECT_TRUE(rig.input.m_MouseX == 1012 && rig.input.m_MouseY == 756);
  EXPECT_TRUE(PictureAt(rig, 960, 704, 21, false));
  EXPECT_TRUE(testing::PointerDrawn(rig)) << "drawn over the carried picture";
  rig.Left(false);
  rig.RunFrame();
  EXPECT_EQ(rig.editor->m_PaletteDrag, -1);
  for (int t = 0; t < 3; ++t)
    for (int s = 0; s < 16; ++s)
      EXPECT_EQ(rig.CellAt(t, s).m_Slot, kRestSlot) << t << "," << s;
}

// Pressed just inside the top-left corner, then pushed far past the
// bottom-left and the top-right corners: the pointer stays in the cell, the
// note spans C0 to B9 and every other parameter 0.01 to 0.99, never 0 or 1.
TEST(CellDrag, CornersReachTheEndsOfEachRangeWithThePointerConfinedToTheCell) {
  // Per tab, the two values the bottom-left and the top-right corner give.
  const float ends[5][2][2] = {{},
                               {{0, 8}, {119, 7902}},
                               {{0.01f, 0.99f}, {0.99f, 0.01f}},
                               {{0.01f, 0.99f}, {0.99f, 0.01f}},
                               {{0.01f, 0}, {0.99f, 0}}};
  for (int tab = 1; tab <= 4; ++tab) {
    EditorRig rig;
    rig.editor->m_Tab = tab;
    Cell& cell = rig.CellAt(1, 2);
    cell.m_Slot = tab == 1 ? kRestSlot : 7;  // a rest is edited too
    const auto values = [&]() -> std::pair<float, float> {
      if (tab == 1) return {cell.m_Note, cell.m_Frequency};
      if (tab == 2) return {cell.m_Attack, cell.m_Decay};
      if (tab == 3) return {cell.m_SlideLength, cell.m_Slide};
      return {cell.m_Pan, 0.0f};
    };
    const int x0 = 2 * 64, y0 = 64 + 24;
    rig.PressAt(x0 + 1, y0 + 1);
    for (int corner = 0; corner < 2; ++corner) {
      rig.Move(corner ? 300 : -300, corner ? -300 : 300);
      rig.RunFrame();
      EXPECT_TRUE(rig.input.m_MouseX == x0 + 64 * corner &&
                  rig.input.m_MouseY == y0 + 64 - 64 * corner);
      EXPECT_EQ(values(), std::pair(ends[tab][corner][0], ends[tab][corner][1])) << tab;
    }
    rig.RunFrame();
    if (tab > 1) {
      EXPECT_TRUE(TextAt(rig, x0 + 54, y0 + (tab == 4 ? 32 : 2), "8", true)) << "handle at 2-54";
    }
    rig.Left(false);
    rig.Move(300, 0);
    rig.RunFrame();
    EXPECT_EQ(rig.input.m_MouseX, x0 + 364) << "released, the pointer is free again";
  }
}

TEST(CellKeys, NotesOctavesAndPanApplyToTheCellUnderThePointer) {
  EditorRig rig;
  const Cell& cell = rig.CellAt(2, 9);
  rig.HoverAt(EditorRig::CellX(9), EditorRig::CellY(2));
  struct Case {
    int tab;
    std::vector<uint8_t> keys;
    int frames, octave, semitone;
    float pan;
  };
  const Case cases[] = {
      {1, {key::kZ, key::kN}, 1, 3, 9, 0.5f},  // the last in Z S X D C V G B H N J M order wins
      {1, {key::k0}, 1, 0, 9, 0.5f},
      {4, {0x04}, 1, 0, 9, 0.3f},  // in the pan tab the digits are tenths of the pan
  };
  for (const Case& c : cases) {
    rig.editor->m_Tab = c.tab;
    rig.TapKeys(c.keys, c.frames);
    EXPECT_TRUE(cell.m_Octave == c.octave && cell.m_Semitone == c.semitone && cell.m_Pan == c.pan &&
                cell.m_Note == c.octave * 12 + c.semitone)
        << "keys " << static_cast<int>(c.keys[0]);
  }
}

// Up and Down step the octave once when they go down, then every quarter of
// a second while held: every 10 frames at 40 a second, every 15 while the
// rate is not yet measured (taken as 60), and never on every frame.
TEST(OctaveKeys, EachPressStepsOnceAndAHeldKeyRepeatsFourTimesASecond) {
  EditorRig rig;
  const Cell& cell = rig.CellAt(1, 5);
  rig.HoverAt(EditorRig::CellX(5), EditorRig::CellY(1));
  // The frames of a hold at which the octave changed; then a frame released.
  const auto steppedFrames = [&](uint8_t scanCode, int frames) {
    std::vector<int> stepped;
    rig.Key(scanCode, true);
    for (int frame = 1; frame <= frames; ++frame) {
      const int before = cell.m_Octave;
      rig.RunFrame();
      if (cell.m_Octave != before) stepped.push_back(frame);
    }
    rig.Key(scanCode, false);
    rig.RunFrame();
    return stepped;
  };
  using Frames = std::vector<int>;
  rig.display.m_FramesPerSecond = 40;
  ASSERT_EQ(cell.m_Octave, 3);
  EXPECT_EQ(steppedFrames(key::kUp, 9), Frames{1});
  EXPECT_EQ(cell.m_Octave, 4) << "a press held for 9 frames";
  EXPECT_EQ(steppedFrames(key::kUp, 1), Frames{1}) << "let go and pressed again";
  EXPECT_EQ(steppedFrames(key::kDown, 35), (Frames{1, 11, 21, 31}));
  EXPECT_EQ(cell.m_Octave, 1);
  EXPECT_EQ(steppedFrames(key::kUp, 200), (Frames{1, 11, 21, 31, 41, 51, 61, 71, 81}));
  EXPECT_EQ(cell.m_Octave, 10) << "Up stops at 10";
  EXPECT_EQ(cell.m_Note, 120) << "the note follows the octave";
  EXPECT_EQ(steppedFrames(key::kDown, 200).size(), 10u);
  EXPECT_EQ(cell.m_Octave, 0) << "Down stops at 0";

  rig.display.m_FramesPerSecond = 0;
  EXPECT_EQ(steppedFrames(key::kUp, 40), (Frames{1, 16, 31}));
  rig.display.m_FramesPerSecond = 3;  // a quarter second is less than a frame
  EXPECT_EQ(steppedFrames(key::kUp, 6), (Frames{1, 3, 5}));
  EXPECT_EQ(cell.m_Octave, 6);
}

// A drag sets the octave from the pointer on every frame; each step of Up or
// Down shifts it for the rest of that drag (taken once a frame, not once for
// the drag and again for the keys), within 0 to 10, and a new drag starts
// without it.
TEST(OctaveKeys, ADragKeepsEachStepUntilTheButtonIsLetGo) {
  EditorRig rig;
  rig.display.m_FramesPerSecond = 40;
  const Cell& cell = rig.CellAt(0, 2);
  const int x0 = 2 * 64, y0 = 24;
  const auto hold = [&](uint8_t scanCode, int frames) {
    rig.TapKey(scanCode, frames);
    rig.RunFrame();
  };
  rig.PressAt(x0 + 10, y0 + 29);  // (64 - 29) / 7: octave 5
  ASSERT_EQ(cell.m_Octave, 5);
  rig.Key(key::kUp, true);
  rig.RunFrame();
  EXPECT_EQ(cell.m_Octave, 6) << "one step in the frame of the press";
  rig.RunFrames(8);
  rig.Key(key::kUp, false);
  rig.RunFrame();
  EXPECT_EQ(cell.m_Octave, 6);
  rig.RunFrames(5);
  EXPECT_EQ(cell.m_Octave, 6) << "the step stays while the drag goes on";
  rig.Move(0, -7);  // the pointer one octave higher
  rig.RunFrame();
  EXPECT_EQ(cell.m_Octave, 7);
  hold(key::kDown, 25);  // frames 1, 11 and 21
  EXPECT_EQ(cell.m_Octave, 4);
  rig.Move(0, -300);  // the top edge: octave 9, two lower
  rig.RunFrame();
  EXPECT_EQ(cell.m_Octave, 7);
  hold(key::kUp, 40);  // four steps, the last one beyond 10
  EXPECT_EQ(cell.m_Octave, 10);
  hold(key::kDown, 1);
  EXPECT_EQ(cell.m_Octave, 9) << "a step beyond the range is not owed back";
  hold(key::kDown, 1);
  EXPECT_EQ(cell.m_Octave, 8);

  rig.Left(false);
  rig.Move(0, 29);
  rig.RunFrame();
  hold(key::kUp, 1);
  EXPECT_EQ(cell.m_Octave, 9) << "hovering, a step goes from the cell's octave";
  rig.Left(true);
  rig.RunFrame();
  EXPECT_EQ(cell.m_Octave, 5) << "a new drag, without the last one's steps";
}

// The cell under the pointer is framed; pixels on a cell's left or top edge
// belong to no cell.
TEST(CurrentCell, TheCellUnderThePointerIsFramedAndEdgesBelongToNoCell) {
  EditorRig rig;
  rig.MoveTo(EditorRig::CellX(7), EditorRig::CellY(2));
  rig.RunFrames(2);
  EXPECT_TRUE(PictureAt(rig, 7 * 64, 2 * 64 + 24, kSlotSelected, true));
  for (const auto& [x, y, step] :
       {std::tuple{64, 50, -1}, {100, 88, -1}, {0, 50, -1}, {65, 89, 1}}) {
    rig.HoverAt(x, y);
    EXPECT_EQ(rig.editor->m_SelectedStep, step) << x << "," << y;
  }
}

TEST(TabBar, SelectsTabsOnlyWhileNoCellIsCurrent) {
  EditorRig rig;
  rig.ClickAt(300, 10);
  rig.ClickAt(485, 10);
  EXPECT_EQ(rig.editor->m_Tab, 4) << "the last tab ends at x 484";
  // From a cell straight onto the tab bar, the first frame still has the cell.
  rig.HoverAt(EditorRig::CellX(3), EditorRig::CellY(0));
  rig.HoverAt(30, 10);
  EXPECT_FALSE(PictureAt(rig, 39, 0, kSlotTabOn, true, 10, 24));
  rig.RunFrame();
  EXPECT_TRUE(PictureAt(rig, 39, 0, kSlotTabOn, true, 10, 24));
}

TEST(PatternButtons, HeldLettersStoreAndLoadAndTheLastLetterShows) {
  EditorRig rig;
  rig.editor->m_Tab = 5;
  rig.CellAt(1, 6).m_Slot = 14;
  rig.MoveTo(30, 64 + 24 + 30);  // Save button of track 1
  rig.TapKeys({key::kA, key::kD});
  for (int n = 0; n < kPatternCount; ++n)
    EXPECT_EQ(rig.seq->m_Bank.m_Patterns[n][6].m_Slot, n == 1 || n == 4 ? 14 : 0) << n;
  rig.HoverAt(300, 300);
  EXPECT_TRUE(TextAt(rig, 7, 64 + 46, "D", false) && TextAt(rig, 71, 64 + 46, "X", false));
  // Loading into another track: x = 64 exactly is neither button.
  for (int x : {64, 90}) {
    rig.MoveTo(x, 2 * 64 + 24 + 30);
    rig.TapKey(key::kD);
    EXPECT_EQ(rig.CellAt(2, 6).m_Slot, x == 64 ? kRestSlot : 14);
  }
  rig.editor->m_Tab = 1;  // outside tab 5 the same keys store nothing
  rig.MoveTo(30, 64 + 24 + 30);
  rig.TapKey(key::kF);
  EXPECT_EQ(rig.seq->m_Bank.m_Patterns[6][6].m_Slot, 0);
}

TEST(Arrangement, LettersWriteThePositionUnderThePointerOnEveryRowInEveryTab) {
  for (int tracks : {3, 6}) {
    EditorRig rig(tracks);
    const int last = tracks - 1;
    rig.HoverAt(15, 700 + 10 * last + 5);
    for (int tab = 1; tab <= 7; ++tab) {
      rig.editor->m_Tab = tab;
      rig.seq->m_Arrangement[last][0] = 24;
      rig.TapKey(key::kZ);
      EXPECT_EQ(rig.seq->m_Arrangement[last][0], 26) << "tab " << tab;
    }
    rig.editor->m_Tab = 1;
    rig.TapKeys({key::kA, key::kC});  // the last letter wins
    if (tracks == 3) {  // below the last row (the six rows reach the pointer's lowest place)
      rig.MoveTo(15, 735);
      rig.TapKey(key::kZ);
    }
    rig.MoveTo(1005, 705);
    rig.TapKey(key::kB);
    int changed = 0;
    for (int t = 0; t < tracks; ++t)
      for (int j = 0; j < kArrangementLength; ++j)
        changed += rig.seq->m_Arrangement[t][j] != 24;
    EXPECT_TRUE(changed == 2 && rig.seq->m_Arrangement[last][0] == 3 &&
                rig.seq->m_Arrangement[0][99] == 2);  // and never entry 100
    rig.HoverAt(300, 300);
    EXPECT_TRUE(TextAt(rig, 1000, 700, "B", false) && TextAt(rig, 10, 700 + 10 * last, "C", false));
  }
}

// The song-mode dot, the mute dots and the position strip act once when
// pressed and then again only every 50 (40) frames while held. A press on a
// dot while a sound is carried lets the sound go and toggles nothing, but its
// hold still runs.
TEST(ClickHolds, AHeldClickActsAgainOnlyWhenItsHoldIsOver) {
  struct Case {
    int x, y;
    bool carrying;
    std::vector<int> acted;
  };
  const Case cases[] = {{55, 677, false, {1, 51, 101}},
                        {498, 676, false, {1, 51, 101}},  // track 5's
                        {498, 676, true, {51, 101}},
                        {505, 695, false, {1, 41, 81}}};
  for (const Case& c : cases) {
    EditorRig rig(6);
    const auto value = [&]() -> int {
      return c.y == 695  ? rig.seq->m_Position
             : c.x == 55 ? rig.seq->m_SongMode
                         : rig.seq->GetTrack(5).m_Mute;
    };
    if (c.carrying) rig.PickUp(5);
    rig.MoveTo(c.x, c.y);
    rig.Left(true);
    std::vector<int> acted;
    for (int frame = 1; frame <= 120; ++frame) {
      const int before = value();
      rig.RunFrame();
      if (value() != before) acted.push_back(frame);
      rig.seq->m_Position = 0;
    }
    EXPECT_EQ(acted, c.acted) << c.x << "," << c.y;
    EXPECT_EQ(rig.editor->m_PaletteDrag, -1);
  }
}

// At 40 frames a second the arrows step through the songs every 10 frames
// and stop at the last. (Choosing and loading is the whole-session test's.)
TEST(SongList, ArrowsRepeatFourTimesASecondAndStopAtTheLastSong) {
  EditorRig rig;
  rig.display.m_FramesPerSecond = 40;
  for (const char* name : {"a", "b", "c"}) {
    std::strcpy(rig.seq->m_Name, name);
    auto song = std::make_unique<Song>();
    rig.seq->Capture(*song);
    SaveSong(*song);
  }
  rig.ClickAt(420, 10);
  std::vector<int> moved;
  rig.Key(key::kRight, true);
  for (int frame = 1; frame <= 40; ++frame) {
    const int before = rig.editor->m_SelectedSong;
    rig.RunFrame();
    if (rig.editor->m_SelectedSong != before) moved.push_back(frame);
  }
  EXPECT_EQ(moved, (std::vector<int>{1, 11}));
}

// At 40 frames a second a taken key holds the next for 10 frames, Backspace
// for 5; a name holds up to 12 letters and digits, Shift makes capitals.
TEST(NameEntry, TypingRepeatsFourTimesASecondAndReturnSavesUnderTheName) {
  EditorRig rig;
  rig.display.m_FramesPerSecond = 40;
  rig.ClickAt(470, 10);
  rig.HoverAt(300, 300);
  EXPECT_TRUE(TextAt(rig, 514, 8, "UntitledSong", false));
  rig.TapKey(key::kBackspace, 21);  // frames 1, 6, 11, 16 and 21
  rig.RunFrames(5);
  rig.TapKey(key::kW, 40);  // frames 1, 11, 21 and 31
  rig.RunFrames(10);
  EXPECT_STREQ(rig.seq->m_Name, "Untitlewwww");
  rig.Key(key::kLeftShift, true);
  rig.TapKey(0x04);                 // no digits with Shift
  rig.TapKeys({key::kQ, key::kB});  // room for one: the first in the alphabet
  rig.Key(key::kLeftShift, false);
  EXPECT_STREQ(rig.seq->m_Name, "UntitlewwwwB");
  rig.RunFrames(10);
  rig.TapKey(key::kK);  // no room: taken as nothing, with no delay
  rig.TapKey(key::kBackspace);
  rig.RunFrames(5);
  rig.TapKey(key::k1);
  EXPECT_TRUE(TextAt(rig, 514, 8, "Untitlewwww1", false));
  rig.RunFrames(10);
  rig.TapKey(key::kReturn);
  EXPECT_EQ(rig.editor->m_Tab, 1);
  EXPECT_TRUE(fs::exists("songs/Untitlewwww1.tlp"));

  rig.RunFrames(20);  // the delay after a save
  rig.ClickAt(470, 10);
  rig.TapKey(key::kBackspace, 65);
  rig.TapKey(key::kReturn);
  EXPECT_TRUE(rig.editor->m_Tab == 1 && rig.editor->m_NameLength == 8);
  EXPECT_TRUE(fs::exists("songs/Untitled.tlp")) << "an empty name saves as Untitled";
}

// Return in the song list loads the entry and gives the song its file's name,
// or, where the file's is not one the name tab could type, its first 12
// letters and digits (the log says so); a file name without any keeps the
// name. Return in the name tab then saves under it without any typing.
TEST(SongList, ALoadedSongTakesItsFilesNameAndSavesUnderItWithoutTyping) {
  EditorRig rig;
  std::strcpy(rig.seq->m_Name, "beat1");
  rig.seq->SetTempo(20000);  // the loaded song's, so a load can be seen
  auto song = std::make_unique<Song>();
  rig.seq->Capture(*song);
  ASSERT_TRUE(SaveSong(*song));
  struct Case {
    const char* file;
    const char* name;
    const char* logged;  // the line the load adds to the log, if any
  };
  const Case cases[] = {
      {"beat1.tlp", "beat1", nullptr},
      {"Intro.TLP", "Intro", "Song name \"Intro\" taken from the file name \"Intro.TLP\""},
      {"my song-2.tlp", "mysong2", "Song name \"mysong2\" taken from the file name"},
      {"TheLongestSong9.tlp", "TheLongestSo", "Song name \"TheLongestSo\" taken from"},
      {"__ --.tlp", "typed",
       "Song name kept as \"typed\": the file name \"__ --.tlp\" holds no letter or digit"},
  };
  for (const Case& c : cases)
    if (std::strcmp(c.file, "beat1.tlp") != 0)
      fs::copy_file("songs/beat1.tlp", fs::path("songs") / c.file);
  for (const Case& c : cases) {
    rig.seq->SetName("typed");
    rig.seq->SetTempo(kDefaultSamplesPerStep);
    testing::WriteFile("debug.txt", "");
    rig.ClickAt(420, 10);
    const FolderList& list = rig.editor->m_Songs;
    const auto entry = std::find_if(list.names, list.names + list.count, [&](const char* name) {
      return std::strcmp(name, c.file) == 0;
    });
    ASSERT_NE(entry, list.names + list.count) << c.file;
    rig.editor->m_SelectedSong = static_cast<int32_t>(entry - list.names);
    rig.TapKey(key::kReturn);
    EXPECT_TRUE(rig.editor->m_Tab == 1 && rig.seq->m_SamplesPerStep == 20000) << c.file;
    EXPECT_STREQ(rig.seq->m_Name, c.name) << c.file;
    EXPECT_EQ(rig.editor->m_NameLength, static_cast<int32_t>(std::strlen(c.name)));
    const std::string log = testing::ReadFile("debug.txt");
    if (c.logged != nullptr)
      EXPECT_NE(log.find(c.logged), std::string::npos) << log;
    else
      EXPECT_EQ(log.find("Song name"), std::string::npos) << log;
  }

  // The last load kept "typed"; the one before named the song "TheLongestSo".
  for (const char* file : {"TheLongestSong9.tlp", "beat1.tlp"}) {
    rig.ClickAt(420, 10);
    const FolderList& list = rig.editor->m_Songs;
    const auto entry = std::find_if(list.names, list.names + list.count,
                                    [&](const char* name) { return std::strcmp(name, file) == 0; });
    ASSERT_NE(entry, list.names + list.count) << file;
    rig.editor->m_SelectedSong = static_cast<int32_t>(entry - list.names);
    rig.TapKey(key::kReturn);
    const std::string saved = std::string("songs/") + rig.seq->m_Name + ".tlp";
    fs::remove(saved);  // beat1.tlp, just loaded: the save must write it anew
    rig.ClickAt(470, 10);
    rig.HoverAt(300, 300);
    rig.TapKey(key::kReturn);
    rig.RunFrames(20);  // the delay after a save
    EXPECT_TRUE(rig.editor->m_Tab == 1 && fs::exists(saved)) << saved;
    std::string why;
    EXPECT_TRUE(ReadSongFile(saved.c_str(), 3, *song, why) && song->samplesPerStep == 20000) << why;
  }
  EXPECT_TRUE(fs::exists("songs/TheLongestSo.tlp") && fs::exists("songs/beat1.tlp"));
}

// A save that succeeds says "saved" beside the name for two seconds (80
// frames at 40 a second, 120 while the rate is unmeasured) in the title area
// of tab 1, where it returns, and of every tab but the song list, which has
// its entry there; opening the name tab ends it. A failed save says "not
// saved" and keeps the tab open.
TEST(NameEntry, ASaveSaysSavedBesideTheNameForTwoSeconds) {
  EditorRig rig;
  const auto shown = [&] {
    return TextAt(rig, 514, 8, "UntitledSong", false) && TextAt(rig, 618, 8, "saved", false);
  };
  const auto save = [&] {
    rig.ClickAt(470, 10);
    rig.HoverAt(300, 300);
    rig.TapKey(key::kReturn);
  };
  rig.display.m_FramesPerSecond = 40;
  save();
  ASSERT_EQ(rig.editor->m_Tab, 1);
  EXPECT_TRUE(shown());
  int frames = 1;
  for (int i = 0; i < 200; ++i) {
    rig.RunFrame();
    frames += shown();
  }
  EXPECT_EQ(frames, 80);
  EXPECT_FALSE(TextAt(rig, 514, 8, "U", false)) << "tab 1's title area is empty again";

  rig.display.m_FramesPerSecond = 0;
  save();
  rig.RunFrames(100);
  EXPECT_TRUE(shown());
  rig.ClickAt(420, 10);
  EXPECT_TRUE(TextAt(rig, 524, 8, "UntitledSong.tlp", false) && !TextAt(rig, 618, 8, "s", false))
      << "the song list keeps its place";
  rig.ClickAt(150, 10);  // tab 3, within the two seconds
  EXPECT_TRUE(shown());
  rig.RunFrames(20);
  EXPECT_FALSE(TextAt(rig, 618, 8, "s", false)) << "gone after 120 frames";
  save();
  rig.RunFrames(10);
  rig.ClickAt(470, 10);
  EXPECT_FALSE(TextAt(rig, 618, 8, "s", false)) << "the name tab opened anew";

  fs::remove_all("songs");
  testing::WriteFile("songs", "");  // a file where the folder belongs
  rig.RunFrames(20);                // the delay after a save
  rig.HoverAt(300, 300);
  rig.TapKey(key::kReturn);
  rig.RunFrame();
  EXPECT_TRUE(rig.editor->m_Tab == 7 && TextAt(rig, 618, 8, "not saved", false));
}

TEST(HelpOverlay, ShownWhileF1IsHeldAndCutAtTheScreenEdge) {
  EditorRig rig;
  rig.MoveTo(100, 300);
  rig.TapKey(key::kF1);
  EXPECT_TRUE(TextAt(rig, 500, 420, "Help", true));
  EXPECT_TRUE(TextAt(rig, 500, 520, "User created bitmaps must be 210 by 210 pixels", false));
  EXPECT_TRUE(TextAt(rig, 500 + 60 * 8, 520, "24bit", false)) << "the last glyph ends at 1020";
  rig.RunFrame();
  EXPECT_FALSE(TextAt(rig, 500, 420, "Help", true));
}

// Dragged by the raw motion with the pointer frozen: each pixel down adds 10
// samples a step, 1 with Shift, 100 with Ctrl (which wins), from 1 to 2646000.
TEST(Tempo, ShowsStepsPerMinuteAndDragsTenSamplesAPixelAHundredWithCtrl) {
  EditorRig rig;
  rig.PressAt(290, 675);
  EXPECT_TRUE(TextAt(rig, 267, 674, "240.4362", false));
  struct Case {
    std::vector<uint8_t> modifiers;
    int motion, expected;
  };
  for (const Case& c :
       {Case{{}, -5, 10955}, Case{{key::kLeftShift, key::kLeftControl}, 1, 11055},
        Case{{key::kLeftControl}, 100000, 2646000}, Case{{key::kLeftControl}, -100000, 1}}) {
    rig.Move(0, c.motion);
    rig.TapKeys(c.modifiers);
    EXPECT_EQ(rig.seq->m_SamplesPerStep, c.expected) << c.motion;
    EXPECT_TRUE(rig.input.m_MouseX == 290 && rig.input.m_MouseY == 675) << "frozen";
  }
}

// Motion the pointer could not follow (pushed far past the screen's edge, or
// held in a cell by a drag) never reaches the tempo: a drag moves it by the
// motion made during the drag alone, from its first frame on.
TEST(Tempo, ADragMovesOnlyByItsOwnMotionWhateverCameBefore) {
  EditorRig rig;
  rig.Move(0, 5000);  // far below the screen: the pointer stops at the edge
  rig.RunFrame();
  rig.Move(-5000, -5000);
  rig.RunFrame();
  rig.ClickAt(EditorRig::CellX(3) - 20, EditorRig::CellY(0) - 20);  // a drag on a cell,
  rig.Move(0, -3000);                                               // pushed beyond it
  rig.Left(true);
  rig.RunFrame();
  rig.Left(false);
  rig.RunFrame();
  ASSERT_NE(rig.input.m_MotionY, rig.input.m_MouseY) << "the raw sum and the pointer parted";
  rig.MoveTo(290, 675);
  rig.RunFrame();
  rig.Left(true);
  rig.Move(0, 2);  // the press frame's own motion counts, nothing older
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_SamplesPerStep, 11005 + 20);
  rig.Move(0, -3);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_SamplesPerStep, 11005 - 10);
}

// Released over a name, the menu loads that bitmap into the square's slot;
// released anywhere else it just closes. Opening it lets a carried sound go.
TEST(UserBitmapMenu, ReleasingOverANameLoadsItAndElsewhereJustCloses) {
  EditorRig rig(3, [] {
    std::vector<uint32_t> pixels(210 * 210, 0xFF0010);
    WriteBmp24("userbitmaps/red.bmp", 210, 210, pixels.data());
  });
  ASSERT_EQ(rig.editor->m_Bitmaps.count, 1);
  for (const auto& [y, loaded] :
       {std::pair{EditorRig::kPaletteCentreY, "data/stepsine.bmp"},
        std::pair{585, "data/stepsine.bmp"}, std::pair{595, "userbitmaps/red.bmp"}}) {
    rig.PickUp(2);  // slot 8
    rig.Right(true);
    rig.RunFrame();
    EXPECT_TRUE(rig.editor->m_PaletteReplace == 8 && rig.editor->m_PaletteDrag == -1);
    rig.Left(false);
    rig.HoverAt(EditorRig::PaletteX(2), y);
    EXPECT_TRUE(TextAt(rig, 128, 590, "red.bmp", false));
    rig.Right(false);
    rig.RunFrame();
    EXPECT_STREQ(rig.palette.Name(8), loaded) << y;
  }
  EXPECT_EQ(rig.palette.Tables().Sample(8, 0), (0x10 - 128) / 128.0f);
}

// Pictures the list leaves out are counted on a row of their own above the
// names (y 570 over two names), drawn wholly on the screen from any square;
// releasing over it loads nothing, while the names still load.
TEST(UserBitmapMenu, PicturesLeftOutAreCountedAboveTheNamesAndThatRowLoadsNothing) {
  EditorRig rig(3, [] {
    std::vector<uint32_t> pixels(210 * 210, 0x0000F0);
    WriteBmp24("userbitmaps/red.bmp", 210, 210, pixels.data());
    WriteBmp24("userbitmaps/blue.bmp", 210, 210, pixels.data());
    WriteBmp24("userbitmaps/my pic.bmp", 210, 210, pixels.data());
    WriteBmp24("userbitmaps/" + std::string(16, 'b') + ".bmp", 210, 210, pixels.data());
    testing::WriteFile("userbitmaps/notes.txt", "");  // not a picture: not counted
  });
  const FolderList& list = rig.editor->m_Bitmaps;
  ASSERT_TRUE(list.count == 2 && list.leftOut == 2);
  const char* notice = "2 pictures not listed: see debug.txt";
  const std::string second = std::string("userbitmaps/") + list.names[1];
  // Opens the menu of a square, moves to y and lets go; the slot's name then,
  // or "tried" where a load was tried (its path is shown at the release).
  const auto releaseAt = [&](int square, int y, int noticeX) -> std::string {
    rig.HoverAt(EditorRig::PaletteX(square), EditorRig::kPaletteCentreY);
    rig.Right(true);
    rig.RunFrame();
    rig.HoverAt(EditorRig::PaletteX(square), y);
    EXPECT_TRUE(TextAt(rig, noticeX, 570, notice, false)) << square;
    EXPECT_TRUE(TextAt(rig, square * 64, 590, list.names[0], false));
    rig.Right(false);
    rig.RunFrame();
    EXPECT_EQ(rig.editor->m_PaletteReplace, -1);
    const std::string name = rig.palette.Name(kFirstPaletteSlot + square);
    return TextAt(rig, 692, 730, "userbitmaps/", false) && name != second ? "tried" : name;
  };
  EXPECT_EQ(releaseAt(2, 575, 128), "data/stepsine.bmp") << "over the notice";
  EXPECT_EQ(releaseAt(2, 571, 128), "data/stepsine.bmp") << "its lowest pixel";
  EXPECT_EQ(releaseAt(2, 585, 128), second) << "the name below it";
  EXPECT_EQ(releaseAt(15, 575, 1024 - 36 * 8), "data/noise.bmp") << "moved left to fit";
}

// The menu of a square at the right edge stands far enough left for its
// longest name to be read whole, and choosing by row is unchanged by it.
TEST(UserBitmapMenu, NamesAtTheRightEdgeAreMovedLeftToBeReadWhole) {
  const std::string longest = "abcdefghijklmno.bmp";  // 19 characters, the most a name has
  EditorRig rig(3, [&] {
    std::vector<uint32_t> pixels(210 * 210, 0x0000F0);
    WriteBmp24("userbitmaps/" + longest, 210, 210, pixels.data());
  });
  ASSERT_EQ(rig.editor->m_Bitmaps.count, 1);
  for (const auto& [square, x] : {std::pair{3, 3 * 64}, std::pair{15, 1024 - 19 * 8}}) {
    rig.HoverAt(EditorRig::PaletteX(square), EditorRig::kPaletteCentreY);
    rig.Right(true);
    rig.RunFrame();
    rig.HoverAt(EditorRig::PaletteX(square), 595);
    EXPECT_TRUE(TextAt(rig, x, 590, longest.c_str(), false)) << square;
    rig.Right(false);
    rig.RunFrame();
    EXPECT_EQ(rig.palette.Name(kFirstPaletteSlot + square), "userbitmaps/" + longest) << square;
  }
}

// One picture left out reads in the singular; none, and the menu shows the
// names alone; a full list that leaves more out says so above its 40th name,
// and releasing over that row loads nothing.
TEST(UserBitmapMenu, TheNoticeSaysHowManyAreLeftOutAndIsAbsentWhenNoneAre) {
  const auto openMenu = [](EditorRig& rig) {
    rig.HoverAt(EditorRig::PaletteX(4), EditorRig::kPaletteCentreY);
    rig.Right(true);
    rig.RunFrame();
  };
  const auto pixelRow = [](const EditorRig& rig, int y) {
    std::vector<uint32_t> pixels;
    for (int x = 0; x < 1024; ++x)
      for (int dy = 0; dy < 8; ++dy)
        pixels.push_back(rig.display.BackBuffer().PixelRgb(x, y + dy));
    return pixels;
  };
  EditorRig one(3, [] {
    testing::WriteFile("userbitmaps/kept.bmp", "");
    testing::WriteFile("userbitmaps/a,b.bmp", "");
  });
  openMenu(one);
  EXPECT_TRUE(TextAt(one, 256, 580, "1 picture not listed: see debug.txt", false));

  EditorRig none(3, [] { testing::WriteFile("userbitmaps/kept.bmp", ""); });
  ASSERT_TRUE(none.editor->m_Bitmaps.count == 1 && none.editor->m_Bitmaps.leftOut == 0);
  none.HoverAt(EditorRig::PaletteX(4), EditorRig::kPaletteCentreY);
  const std::vector<uint32_t> closed = pixelRow(none, 580);
  openMenu(none);
  EXPECT_TRUE(TextAt(none, 256, 590, "kept.bmp", false));
  EXPECT_TRUE(pixelRow(none, 580) == closed) << "nothing above the one name";

  EditorRig full(3, [] {
    for (int i = 0; i < 41; ++i)
      testing::WriteFile("userbitmaps/p" + std::to_string(i) + ".bmp", "");
  });
  ASSERT_TRUE(full.editor->m_Bitmaps.count == 40 && full.editor->m_Bitmaps.overflowed);
  openMenu(full);
  EXPECT_TRUE(TextAt(full, 256, 190, "Not every picture is listed: see debug.txt", false));
  full.HoverAt(EditorRig::PaletteX(4), 195);
  full.Right(false);
  full.RunFrame();
  EXPECT_FALSE(TextAt(full, 692, 730, "u", false)) << "no load is tried";
  EXPECT_STREQ(full.palette.Name(kFirstPaletteSlot + 4), "data/noise-fade.bmp");
}

}  // namespace
}  // namespace tessaloop
