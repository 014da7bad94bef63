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
  // A carried sound blocks the drag: nothing changes and the pointer moves on.
  rig.PickUp(0);
  rig.HoverAt(290, 675);
  rig.Move(0, -10);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_SamplesPerStep, 11005);
  EXPECT_NE(rig.seq->m_TempoDrag, 1);
  EXPECT_EQ(rig.input.m_MouseY, 665) << "the pointer is not frozen";
  rig.Left(false);

  rig.HoverAt(290, 675);
  EXPECT_TRUE(TextAt(rig, 267, 674, "240.4362", false));
  rig.Left(true);
  rig.RunFrame();  // the press itself moves nothing
  EXPECT_EQ(rig.seq->m_SamplesPerStep, 11005);
  EXPECT_EQ(rig.seq->m_TempoDrag, 1);

  struct Case {
    std::vector<uint8_t> modifiers;
    int motion, expected;
  };
  const Case cases[] = {
      {{}, -5, 10955},
      {{key::kLeftShift}, -5, 10950},
      {{key::kLeftControl}, 3, 11250},
      {{key::kLeftShift}, 0, 11250},
      {{key::kLeftShift, key::kLeftControl}, 1, 11350},  // Ctrl's coarse steps win
      {{key::kLeftControl}, 100000, 2646000},            // one step a minute
      {{key::kLeftControl}, -100000, 1},                 // one sample
  };
  for (const Case& c : cases) {
    rig.Move(0, c.motion);
    rig.TapKeys(c.modifiers);
    EXPECT_EQ(rig.seq->m_SamplesPerStep, c.expected) << c.motion;
    EXPECT_EQ(rig.input.m_MouseX, 290) << "the pointer is frozen";
    EXPECT_EQ(rig.input.m_MouseY, 675);
  }

  // Released, the pointer moves again from where it was frozen.
  rig.Left(false);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_TempoDrag, 0);
  rig.Move(0, 40);
  rig.RunFrame();
  EXPECT_EQ(rig.input.m_MouseY, 715);
  EXPECT_TRUE(TextAt(rig, 267, 674, "2646000.0000", false));
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

  // With a sound carried the click toggles nothing and lets the sound go, but
  // its hold still runs: the next toggle comes only 50 frames later.
  rig.PickUp(5);
  ASSERT_EQ(rig.seq->m_PaletteDrag, 11);
  rig.HoverAt(x1, 676);
  EXPECT_EQ(rig.seq->GetTrack(1).m_Mute, 0);
  EXPECT_EQ(rig.seq->m_PaletteDrag, -1);
  rig.RunFrames(49);
  EXPECT_EQ(rig.seq->GetTrack(1).m_Mute, 0);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->GetTrack(1).m_Mute, 1);
}

// Two user bitmaps, and one whose name is too long for a slot path.
constexpr const char* kLongName = "a-rather-long-name-x.bmp";

TEST(UserBitmapMenu, ReleasingOverANameLoadsItAndElsewhereJustCloses) {
  EditorRig rig(3, [] {
    std::vector<uint32_t> pixels(210 * 210, 0x2040C0);
    WriteBmp24("userbitmaps/blue.bmp", 210, 210, pixels.data());
    pixels.assign(pixels.size(), 0xFF0010);
    WriteBmp24("userbitmaps/red.bmp", 210, 210, pixels.data());
    WriteBmp24(std::string("userbitmaps/") + kLongName, 210, 210, pixels.data());
  });
  // The menu shows whatever the list holds; the listing itself is not under test.
  const char* names[] = {"blue.bmp", "red.bmp", kLongName};
  for (int i = 0; i < 3; ++i)
    std::strcpy(rig.seq->m_BitmapNames[i], names[i]);
  rig.seq->m_BitmapCount = 3;
  const int menuY = 595;  // minus 10 per entry
  const float before = rig.display.m_Wavetables.Sample(8, 0);

  // Released over the palette the menu just closes; over a name it loads that
  // bitmap into the square's slot, picture and sound, unless the name is too
  // long for a slot.
  for (const auto& [y, loaded] : {std::pair{EditorRig::kPaletteCentreY, "data/stepsine.bmp"},
                                  std::pair{menuY - 10, "userbitmaps/red.bmp"},
                                  std::pair{menuY - 20, "userbitmaps/red.bmp"}}) {
    rig.HoverAt(EditorRig::PaletteX(2), EditorRig::kPaletteCentreY);  // slot 8
    rig.Right(true);
    rig.RunFrame();
    EXPECT_EQ(rig.seq->m_PaletteReplace, 8);
    EXPECT_TRUE(TextAt(rig, 128, 580, "red.bmp", false));
    rig.HoverAt(EditorRig::PaletteX(2), y);
    rig.Right(false);
    rig.RunFrame();
    EXPECT_EQ(rig.seq->m_PaletteReplace, -1);
    EXPECT_STREQ(rig.display.m_SlotNames[8], loaded) << y;
    EXPECT_EQ(TextAt(rig, 692, 730, "userbitmaps/red.bmp", false), y == menuY - 10);
  }
  EXPECT_EQ(rig.display.m_Wavetables.Sample(8, 0), (0x10 - 128) / 128.0f);
  EXPECT_NE(rig.display.m_Wavetables.Sample(8, 0), before);
  EXPECT_NE(testing::ReadFile("debug.txt").find("User bitmap name too long to load"),
            std::string::npos);

  // Opening drops a carried sound unwritten; a left press still picks one up.
  rig.PickUp(4);
  EXPECT_EQ(rig.seq->m_PaletteDrag, 10);
  rig.Right(true);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_PaletteDrag, -1);
  EXPECT_EQ(rig.seq->m_PaletteReplace, 10);
  rig.Left(false);
  rig.RunFrame();
  rig.Left(true);
  rig.RunFrame();
  EXPECT_EQ(rig.seq->m_PaletteDrag, 10) << "a left press picks up while the menu is open";
  rig.Left(false);
  rig.HoverAt(EditorRig::PaletteX(4), menuY);
  rig.Right(false);
  rig.RunFrame();
  EXPECT_STREQ(rig.display.m_SlotNames[10], "userbitmaps/blue.bmp");
  for (int t = 0; t < 3; ++t)
    for (int s = 0; s < 16; ++s)
      EXPECT_EQ(rig.CellAt(t, s).m_Slot, kRestSlot);
}

}  // namespace
}  // namespace tessaloop
