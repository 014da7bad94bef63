// Typing the song name in tab 7 and saving under it.

#include <gtest/gtest.h>

#include <filesystem>

#include "input/KeyCodes.h"
#include "tests/editor/EditorRig.h"

namespace tessaloop {
namespace {

namespace fs = std::filesystem;
using testing::EditorRig;
using testing::TextAt;

// The rig at 40 frames a second: keys repeat every 10 frames, Backspace every 5.
struct NameEntry : ::testing::Test {
  NameEntry() {
    rig.display.m_FramesPerSecond = 40;
    rig.ClickAt(470, 10);  // tab 7
    rig.HoverAt(300, 300);
  }
  // Holds a key for one frame, then waits out its repeat delay.
  void Type(uint8_t scanCode) {
    rig.TapKey(scanCode);
    rig.RunFrames(10);
  }
  void HoldBackspace(int frames) {
    rig.TapKey(key::kBackspace, frames);
    rig.RunFrames(5);
  }
  EditorRig rig;
};

TEST_F(NameEntry, TwelveBackspacesThenMix1AndReturnSavesAsMix1AndEmptySavesAsUntitled) {
  EXPECT_TRUE(TextAt(rig, 514, 8, "UntitledSong", false));
  HoldBackspace(56);  // one at once, then one every 5 frames
  EXPECT_EQ(rig.seq->m_NameLength, 0);
  EXPECT_STREQ(rig.seq->m_Name, "");
  for (uint8_t k : {key::kM, key::kI, key::kX, key::k1})
    Type(k);
  EXPECT_TRUE(TextAt(rig, 514, 8, "mix1", false));
  rig.TapKey(key::kReturn);
  EXPECT_EQ(rig.seq->m_Tab, 1);
  EXPECT_EQ(rig.seq->m_NameLength, 4);
  EXPECT_STREQ(rig.seq->m_Name, "mix1");
  EXPECT_TRUE(fs::exists("songs/mix1.tlp"));

  rig.RunFrames(20);  // the delay after a save
  rig.ClickAt(470, 10);
  HoldBackspace(30);
  ASSERT_EQ(rig.seq->m_NameLength, 0);
  rig.TapKey(key::kReturn);
  EXPECT_EQ(rig.seq->m_Tab, 1);
  EXPECT_STREQ(rig.seq->m_Name, "Untitled");
  EXPECT_EQ(rig.seq->m_NameLength, 8);
  EXPECT_TRUE(fs::exists("songs/Untitled.tlp"));
}

TEST_F(NameEntry, KeysRepeatShiftGivesCapitalsNotDigitsAndOtherTabsKeepTheName) {
  HoldBackspace(21);
  rig.Key(key::kLeftShift, true);
  Type(0x04);  // digit 3
  rig.Key(key::kLeftShift, false);
  EXPECT_STREQ(rig.seq->m_Name, "Untitle");
  rig.TapKey(key::kW, 40);
  EXPECT_STREQ(rig.seq->m_Name, "Untitlewwww") << "four times a second";
  // Two letters in one frame with room for one: the first in the alphabet.
  rig.RunFrames(10);
  rig.Key(key::kLeftShift, true);
  rig.TapKeys({key::kQ, key::kB});
  rig.Key(key::kLeftShift, false);
  EXPECT_STREQ(rig.seq->m_Name, "UntitlewwwwB");

  // Full: letters set no delay, so a Backspace in the very next frame is taken.
  rig.RunFrames(10);
  rig.TapKey(key::kK);
  rig.TapKey(key::kBackspace);
  EXPECT_STREQ(rig.seq->m_Name, "Untitlewwww");

  rig.ClickAt(30, 10);  // tab 1: kept, not saved
  EXPECT_FALSE(fs::exists("songs/Untitlewwww.tlp"));
  rig.ClickAt(470, 10);
  EXPECT_STREQ(rig.seq->m_Name, "Untitlewwww");
  EXPECT_EQ(rig.seq->m_NameLength, 11);
}

// A file where the songs folder belongs: Return stays in the tab, says "not
// saved" and leaves the file alone; once the way is clear it saves and leaves.
TEST_F(NameEntry, AFailedSaveKeepsTheTabOpenAndSaysSo) {
  fs::remove_all("songs");
  testing::WriteFile("songs", "a file of the user's");
  rig.TapKey(key::kReturn);
  EXPECT_EQ(rig.seq->m_Tab, 7);
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

  fs::remove("songs");
  rig.RunFrames(20);
  rig.TapKey(key::kReturn);
  EXPECT_EQ(rig.seq->m_Tab, 1);
  EXPECT_TRUE(fs::exists("songs/UntitledSong.tlp"));
}

}  // namespace
}  // namespace tessaloop
