// Typing the song name in tab 7 and saving under it.

#include <gtest/gtest.h>

#include <filesystem>

#include "input/KeyCodes.h"
#include "tests/editor/EditorRig.h"

namespace tessaloop {
namespace {

using testing::EditorRig;
using testing::TextAt;

// The rig at 40 frames a second: keys repeat every 10 frames, Backspace every 5.
struct NameEntry : ::testing::Test {
  NameEntry() {
    rig.display.m_FramesPerSecond = 40;
    rig.ClickAt(470, 10);  // tab 7
    rig.MoveTo(300, 300);
    rig.RunFrame();
  }
  // Holds a key for one frame, then waits out its repeat delay.
  void Type(uint8_t scanCode) {
    rig.TapKey(scanCode);
    rig.RunFrames(10);
  }
  EditorRig rig;
};

TEST_F(NameEntry, TwelveBackspacesThenMix1AndReturnSavesAsMix1) {
  EXPECT_EQ(rig.seq->m_Tab, 7);
  EXPECT_EQ(rig.seq->m_NameLength, 12);
  EXPECT_TRUE(TextAt(rig, 514, 8, "UntitledSong", false));

  rig.Key(key::kBackspace, true);
  rig.RunFrames(56);  // one at once, then one every 5 frames
  rig.Key(key::kBackspace, false);
  EXPECT_EQ(rig.seq->m_NameLength, 0);
  EXPECT_STREQ(rig.seq->m_Name, "");
  rig.RunFrames(5);
  for (uint8_t k : {key::kM, key::kI, key::kX, key::k1})
    Type(k);
  EXPECT_STREQ(rig.seq->m_Name, "mix1");
  EXPECT_TRUE(TextAt(rig, 514, 8, "mix1", false));
  rig.TapKey(key::kReturn);
  EXPECT_EQ(rig.seq->m_Tab, 1);
  EXPECT_EQ(rig.seq->m_NameLength, 4);
  EXPECT_STREQ(rig.seq->m_Name, "mix1");
  EXPECT_TRUE(std::filesystem::exists("songs/mix1.tlp"));
}

TEST_F(NameEntry, ReturnOnAnEmptyNameSavesAsUntitled) {
  rig.Key(key::kBackspace, true);
  rig.RunFrames(60);
  rig.Key(key::kBackspace, false);
  rig.RunFrames(5);
  rig.TapKey(key::kReturn);
  EXPECT_EQ(rig.seq->m_Tab, 1);
  EXPECT_STREQ(rig.seq->m_Name, "Untitled");
  EXPECT_EQ(rig.seq->m_NameLength, 8);
  EXPECT_TRUE(std::filesystem::exists("songs/Untitled.tlp"));
}

TEST_F(NameEntry, ShiftGivesCapitalsAndNoDigitsAndTheNameStopsAtTwelve) {
  Type(key::kBackspace);
  EXPECT_STREQ(rig.seq->m_Name, "UntitledSon");
  rig.Key(key::kLeftShift, true);
  Type(0x04);  // digit 3
  EXPECT_STREQ(rig.seq->m_Name, "UntitledSon");
  // Two letters in one frame with room for one: the first in the alphabet.
  rig.Key(key::kQ, true);
  rig.Key(key::kB, true);
  rig.RunFrame();
  rig.Key(key::kQ, false);
  rig.Key(key::kB, false);
  rig.Key(key::kLeftShift, false);
  EXPECT_STREQ(rig.seq->m_Name, "UntitledSonB");

  // Full: letters and digits do nothing and set no delay, so a Backspace in
  // the very next frame is taken.
  rig.RunFrames(10);
  rig.TapKey(key::kK);
  rig.TapKey(key::kBackspace);
  EXPECT_STREQ(rig.seq->m_Name, "UntitledSon");
  rig.RunFrames(5);
  rig.TapKey(key::kQ);
  EXPECT_STREQ(rig.seq->m_Name, "UntitledSonq");
}

TEST_F(NameEntry, AHeldKeyRepeatsFourTimesASecondAndOtherTabsKeepTheName) {
  for (int i = 0; i < 4; ++i)
    Type(key::kBackspace);
  rig.Key(key::kW, true);
  rig.RunFrames(40);
  rig.Key(key::kW, false);
  EXPECT_STREQ(rig.seq->m_Name, "Untitledwwww");

  rig.ClickAt(30, 10);  // tab 1: kept, not saved
  EXPECT_STREQ(rig.seq->m_Name, "Untitledwwww");
  EXPECT_FALSE(std::filesystem::exists("songs/Untitledwwww.tlp"));
  rig.ClickAt(470, 10);
  EXPECT_EQ(rig.seq->m_NameLength, 12);
}

// Where the song cannot be written (here a file stands where the songs
// folder belongs), Return does not leave as if it had been saved: the tab
// stays open with the name and says "not saved", the file in the way is left
// alone, and once the way is clear Return saves and leaves.
TEST_F(NameEntry, AFailedSaveKeepsTheTabOpenAndSaysSo) {
  std::filesystem::remove_all("songs");
  testing::WriteFile("songs", "a file of the user's");
  rig.TapKey(key::kReturn);
  EXPECT_EQ(rig.seq->m_Tab, 7);
  EXPECT_STREQ(rig.seq->m_Name, "UntitledSong");
  EXPECT_EQ(rig.seq->m_NameLength, 12);
  EXPECT_TRUE(TextAt(rig, 514, 8, "UntitledSong", false));
  EXPECT_TRUE(TextAt(rig, 618, 8, "not saved", false));
  EXPECT_EQ(testing::ReadFile("songs"), "a file of the user's");
  rig.RunFrames(30);
  EXPECT_TRUE(TextAt(rig, 618, 8, "not saved", false)) << "it stays said";

  // Another tab and back: a fresh start, without the note.
  rig.ClickAt(30, 10);
  rig.ClickAt(470, 10);
  rig.RunFrame();
  EXPECT_FALSE(TextAt(rig, 618, 8, "not saved", false));
  rig.TapKey(key::kReturn);
  rig.RunFrame();
  EXPECT_TRUE(TextAt(rig, 618, 8, "not saved", false));

  std::filesystem::remove("songs");
  rig.RunFrames(20);  // the delay after a save
  rig.TapKey(key::kReturn);
  EXPECT_EQ(rig.seq->m_Tab, 1);
  EXPECT_TRUE(std::filesystem::exists("songs/UntitledSong.tlp"));
  rig.ClickAt(470, 10);
  rig.RunFrame();
  EXPECT_FALSE(TextAt(rig, 618, 8, "not saved", false));
}

}  // namespace
}  // namespace tessaloop
