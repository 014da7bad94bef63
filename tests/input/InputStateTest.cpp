#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "input/InputState.h"
#include "input/KeyCodes.h"
#include "platform/HeadlessPlatform.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

class InputStateTest : public ::testing::Test {
 protected:
  InputStateTest() : input(platform, 1024, 768) { input.CreateDevices(); }

  // One poll after the given motion, with no place known.
  void Move(int dx, int dy, int32_t tempoDrag = 0) {
    platform.MoveMouse(dx, dy);
    input.Poll(tempoDrag);
  }

  testing::WorkFolder folder;
  HeadlessPlatform platform;
  InputState input;
};

// The pointer stops 10 pixels short of the right and bottom edges and at 0;
// motion beyond an edge is not stored, but the raw sums keep all of it.
TEST_F(InputStateTest, PointerStaysInsideTheScreenWithoutStoringOvershoot) {
  Move(2000, 2000);
  EXPECT_EQ(input.m_MouseX, 1014);
  EXPECT_EQ(input.m_MouseY, 758);
  Move(-4, -8);
  EXPECT_EQ(input.m_MouseX, 1010);
  EXPECT_EQ(input.m_MouseY, 750);
  Move(-1005, -745);
  Move(-50, -50);
  EXPECT_EQ(input.m_MouseX, 0);
  EXPECT_EQ(input.m_MouseY, 0);
  EXPECT_EQ(input.m_PrevMouseX, 5);
  // While the tempo is dragged (and, before the editor's first frame, while
  // its flag is -1) the pointer stays where it is.
  Move(30, 40, -1);
  Move(5, 5, 1);
  EXPECT_EQ(input.m_MouseX, 0);
  EXPECT_EQ(input.m_MouseY, 0);
  EXPECT_EQ(input.m_MotionX, 2000 - 4 - 1005 - 50 + 30 + 5);
  EXPECT_EQ(input.m_MotionY, 2000 - 8 - 745 - 50 + 40 + 5);
}

// Where the platform knows the system pointer's place (a tablet, a remote
// session, any pointer over the window) the program's pointer goes there, kept
// inside the screen. A tempo drag holds it: the platform is told where, the
// motion goes on counting, and letting go puts the system pointer back under
// the program's. Without a place again, motion moves the pointer on from
// wherever it is.
TEST_F(InputStateTest, PointerGoesWhereThePlatformPlacesItAndHoldsForATempoDrag) {
  platform.PlacePointer(300, 200);
  input.Poll(-1);  // before the first frame nothing moves, nor is held
  EXPECT_EQ(input.m_MouseX, 0);
  EXPECT_FALSE(platform.PointerHeld());
  input.Poll(0);
  EXPECT_TRUE(input.m_MouseX == 300 && input.m_MouseY == 200);
  platform.PlacePointer(1023, 5);
  input.Poll(0);
  EXPECT_TRUE(input.m_MouseX == 1014 && input.m_MouseY == 5);
  platform.PlacePointer(290, 675);
  input.Poll(0);
  EXPECT_EQ(input.m_FrameMotionY, 670);

  platform.PlacePointer(290, 600);
  input.Poll(1);
  EXPECT_TRUE(platform.PointerHeld());
  EXPECT_TRUE(input.m_MouseX == 290 && input.m_MouseY == 675) << "frozen where the drag began";
  EXPECT_EQ(input.m_FrameMotionY, -75);
  platform.MoveMouse(0, 4000);  // past the screen's edge, as a held pointer may go
  input.Poll(1);
  EXPECT_EQ(input.m_FrameMotionY, 4000);
  EXPECT_EQ(input.m_MouseY, 675);

  input.Poll(0);
  EXPECT_FALSE(platform.PointerHeld());
  EXPECT_TRUE(platform.ReleasedAtX() == 290 && platform.ReleasedAtY() == 675);
  EXPECT_TRUE(input.m_MouseX == 290 && input.m_MouseY == 675);

  platform.ClearPointerPosition();
  Move(-40, 10);
  EXPECT_TRUE(input.m_MouseX == 250 && input.m_MouseY == 685);
}

// A held button reports each time the click hold, shared by both buttons, has
// run out; held keys are levels, and the key delay counts down once a poll.
TEST_F(InputStateTest, ClickHoldAndKeyDelayCountPolls) {
  platform.SetButton(0, true);
  platform.SetButton(1, true);
  platform.SetKey(key::kReturn, true);
  input.m_KeyDelay = 20;
  std::vector<int> left, right;
  for (int poll = 1; poll <= 90; ++poll) {
    input.Poll(0);
    if (input.LeftButton(poll <= 3 ? 0 : 40) != 0) left.push_back(poll);
    if (input.RightButton(0) != 0) right.push_back(poll);
    EXPECT_TRUE(input.KeyDown(key::kReturn));
    EXPECT_EQ(input.m_KeyDelay, std::max(20 - poll, 0));
  }
  EXPECT_EQ(left, (std::vector<int>{1, 2, 3, 4, 44, 84}));
  EXPECT_EQ(right, (std::vector<int>{1, 2, 3}));
  EXPECT_FALSE(input.KeyDown(key::kDown));
  platform.SetKey(key::kReturn, false);
  input.Poll(0);
  EXPECT_FALSE(input.KeyDown(key::kReturn));
}

}  // namespace
}  // namespace tessaloop
