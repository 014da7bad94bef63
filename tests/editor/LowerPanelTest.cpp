// The lower panel through whole frames: tempo display and drag, mute buttons,
// and the user-bitmap menu.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "display/BmpWriter.h"
#include "input/KeyCodes.h"
#include "tests/editor/EditorRig.h"

namespace tessaloop {
namespace {

using testing::EditorRig;
using testing::GlyphAt;
using testing::TextAt;

TEST(Tempo, ShowsStepsPerMinuteAndDragsInStepsOf10Or1Or100) {
  EditorRig rig;
  rig.MoveTo(290, 675);
  rig.RunFrame();
  EXPECT_TRUE(TextAt(rig, 267, 674, "240.4362", false));
  rig.Left(true);
  rig.RunFrame();  // the press itself moves nothing
  EXPECT_EQ(rig.seq->m_SamplesPerStep, 11005);
  EXPECT_EQ(rig.seq->m_TempoDrag, 1);

  struct Case {
    uint8_t modifier;  // 0: none
    int motion;
    int expected;
  };
  for (const Case& c : {Case{0, -5, 10955}, Case{key::kLeftShift, -5, 10950},
                        Case{key::kLeftControl, 3, 11250}, Case{key::kLeftShift, 0, 11250}}) {
    if (c.modifier != 0) rig.Key(c.modifier, true);
    rig.Move(0, c.motion);
    rig.RunFrame();
    EXPECT_EQ(rig.seq->m_SamplesPerStep, c.expected);
    EXPECT_EQ(rig.input.m_MouseX, 290) << "the pointer is frozen";
    EXPECT_EQ(rig.input.m_MouseY, 675);
    if (c.modifier != 0) rig.Key(c.modifier, false);
  }
  // Ctrl and Shift together: Ctrl's coarse steps.
  rig.Key(key::kLeftShift, true);
  rig.Key(key::kLeftControl, true);
  rig.Move(0, 1);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_SamplesPerStep, 11350);

  // Clamped to one step a minute and to one sample.
  rig.Move(0, 100000);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_SamplesPerStep, 2646000);
  rig.Move(0, -100000);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_SamplesPerStep, 1);
  rig.Key(key::kLeftShift, false);
  rig.Key(key::kLeftControl, false);

  // Released, the pointer moves again from where it was frozen.
  rig.Left(false);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_TempoDrag, 0);
  rig.Move(0, 40);
  rig.RunFrame();
  EXPECT_EQ(rig.input.m_MouseY, 715);
  EXPECT_TRUE(TextAt(rig, 267, 674, "2646000.0000", false));
}

TEST(Tempo, CarriedSoundBlocksTheDrag) {
  EditorRig rig;
  rig.MoveTo(EditorRig::PaletteX(0), EditorRig::kPaletteCentreY);
  rig.RunFrame();
  rig.Left(true);
  rig.RunFrame();
  rig.MoveTo(290, 675);
  rig.RunFrame();
  rig.Move(0, -10);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_SamplesPerStep, 11005);
  EXPECT_NE(rig.seq->m_TempoDrag, 1);
  EXPECT_EQ(rig.input.m_MouseY, 665) << "the pointer is not frozen";
}

TEST(MuteButtons, ToggleOncePerClickAndTheHoldStartsEvenWhenBlocked) {
  EditorRig rig;
  const int x1 = 410 + 16 + 8;  // track 1
  rig.ClickAt(x1, 676);
  EXPECT_EQ(rig.seq->GetTrack(1).m_Mute, 1);
  EXPECT_EQ(rig.seq->GetTrack(0).m_Mute, 0);
  rig.MoveTo(300, 300);
  rig.RunFrames(50);
  EXPECT_TRUE(GlyphAt(rig, 426, 673, '2', true));
  EXPECT_TRUE(GlyphAt(rig, 410, 673, '3', true));
  rig.ClickAt(x1, 676);
  EXPECT_EQ(rig.seq->GetTrack(1).m_Mute, 0);
  rig.RunFrames(50);

  // With a sound carried the click toggles nothing, but its hold still runs:
  // the carried sound is let go at once, and the held button reads released
  // for 50 frames before the next toggle.
  rig.MoveTo(EditorRig::PaletteX(5), EditorRig::kPaletteCentreY);
  rig.RunFrame();
  rig.Left(true);
  rig.RunFrame();
  ASSERT_EQ(rig.seq->m_PaletteDrag, 11);
  rig.MoveTo(x1, 676);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->GetTrack(1).m_Mute, 0);
  EXPECT_EQ(rig.seq->m_PaletteDrag, -1);
  rig.RunFrames(49);
  EXPECT_EQ(rig.seq->GetTrack(1).m_Mute, 0);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->GetTrack(1).m_Mute, 1);
  rig.Left(false);
}

TEST(MuteButtons, SixTracksHaveSixButtons) {
  EditorRig rig(6);
  rig.ClickAt(410 + 5 * 16 + 8, 676);
  EXPECT_EQ(rig.seq->GetTrack(5).m_Mute, 1);
}

// Two user bitmaps of distinct colours, and one whose name is too long to
// become a slot path ("userbitmaps/" and the name must fit 31 characters).
constexpr const char* kLongName = "a-rather-long-name-x.bmp";

void WriteUserBitmaps() {
  std::vector<uint32_t> pixels(210 * 210, 0x2040C0);
  WriteBmp24("userbitmaps/blue.bmp", 210, 210, pixels.data());
  pixels.assign(pixels.size(), 0xFF0010);
  WriteBmp24("userbitmaps/red.bmp", 210, 210, pixels.data());
  WriteBmp24(std::string("userbitmaps/") + kLongName, 210, 210, pixels.data());
}

// The menu shows whatever the list holds; the listing itself is not under test.
void ListThem(Sequencer& seq) {
  std::strcpy(seq.m_BitmapNames[0], "blue.bmp");
  std::strcpy(seq.m_BitmapNames[1], "red.bmp");
  std::strcpy(seq.m_BitmapNames[2], kLongName);
  seq.m_BitmapCount = 3;
}

TEST(UserBitmapMenu, ReleasingOverANameLoadsItAndElsewhereJustCloses) {
  EditorRig rig(3, WriteUserBitmaps);
  ListThem(*rig.seq);
  const int red = 1, tooLong = 2;
  const float before = rig.display.m_Wavetables.Sample(8, 0);

  // Open on square 2 (slot 8), release over the palette: just closes.
  rig.MoveTo(EditorRig::PaletteX(2), EditorRig::kPaletteCentreY);
  rig.RunFrame();
  rig.Right(true);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_PaletteReplace, 8);
  EXPECT_TRUE(TextAt(rig, 128, 590 - 10 * red, "red.bmp", false));
  rig.Right(false);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_PaletteReplace, -1);
  EXPECT_STREQ(rig.display.m_SlotNames[8], "data/stepsine.bmp");

  // Released over a name: loaded into the square's slot, picture and sound.
  rig.Right(true);
  rig.RunFrame();
  rig.MoveTo(EditorRig::PaletteX(2), 595 - 10 * red);
  rig.RunFrame();
  rig.Right(false);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_PaletteReplace, -1);
  EXPECT_STREQ(rig.display.m_SlotNames[8], "userbitmaps/red.bmp");
  EXPECT_TRUE(TextAt(rig, 692, 730, "userbitmaps/red.bmp", false));
  EXPECT_EQ(rig.display.m_Wavetables.Sample(8, 0), (0x10 - 128) / 128.0f);
  EXPECT_NE(rig.display.m_Wavetables.Sample(8, 0), before);

  // A name too long for a slot is not loaded; the log says why.
  rig.MoveTo(EditorRig::PaletteX(2), EditorRig::kPaletteCentreY);
  rig.RunFrame();
  rig.Right(true);
  rig.RunFrame();
  rig.MoveTo(EditorRig::PaletteX(2), 595 - 10 * tooLong);
  rig.RunFrame();
  rig.Right(false);
  rig.RunFrame();
  EXPECT_STREQ(rig.display.m_SlotNames[8], "userbitmaps/red.bmp");
  EXPECT_NE(testing::ReadFile("debug.txt").find("User bitmap name too long to load"),
            std::string::npos);
}

TEST(UserBitmapMenu, OpeningDropsACarriedSoundAndALeftPressStillPicksOne) {
  EditorRig rig(3, WriteUserBitmaps);
  ListThem(*rig.seq);
  const int blue = 0;
  rig.MoveTo(EditorRig::PaletteX(4), EditorRig::kPaletteCentreY);
  rig.RunFrame();
  rig.Left(true);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_PaletteDrag, 10);
  rig.Right(true);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_PaletteDrag, -1) << "dropped without being written";
  EXPECT_EQ(rig.seq->m_PaletteReplace, 10);
  rig.Left(false);
  rig.RunFrame();
  rig.Left(true);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_PaletteDrag, 10) << "a left press picks up while the menu is open";
  rig.Left(false);
  rig.MoveTo(EditorRig::PaletteX(4), 595 - 10 * blue);
  rig.RunFrame();
  rig.Right(false);
  rig.RunFrame();
  EXPECT_STREQ(rig.display.m_SlotNames[10], "userbitmaps/blue.bmp");
  for (int t = 0; t < 3; ++t)
    for (int s = 0; s < 16; ++s)
      EXPECT_EQ(rig.CellAt(t, s).m_Slot, kRestSlot);
}

}  // namespace
}  // namespace tessaloop
