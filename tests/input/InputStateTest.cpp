#include <gtest/gtest.h>

#include "input/InputState.h"
#include "input/KeyCodes.h"
#include "platform/HeadlessPlatform.h"
#include "tests/input/LogLines.h"

namespace tessaloop {
namespace {

using testing::LogLines;

class InputStateTest : public ::testing::Test {
 protected:
  InputStateTest() : input(platform, 1024, 768) {
    StartDebugLog();
    input.CreateDevices();
  }

  // One poll after the given relative motion.
  void Move(int dx, int dy, int32_t tempoDrag = 0) {
    platform.MoveMouse(dx, dy);
    input.Poll(tempoDrag);
  }

  testing::WorkFolder folder;
  HeadlessPlatform platform;
  InputState input;
};

TEST_F(InputStateTest, PointerStaysInsideTheScreenWithoutStoringOvershoot) {
  Move(2000, 2000);
  EXPECT_EQ(input.m_MouseX, 1014);
  EXPECT_EQ(input.m_MouseY, 758);
  Move(500, 0);
  EXPECT_EQ(input.m_MouseX, 1014);
  Move(-4, -8);  // back at once: nothing was stored beyond the edge
  EXPECT_EQ(input.m_MouseX, 1010);
  EXPECT_EQ(input.m_MouseY, 750);
  Move(-1005, -745);
  Move(-50, -50);
  EXPECT_EQ(input.m_MouseX, 0);
  EXPECT_EQ(input.m_MouseY, 0);
  EXPECT_EQ(input.m_PrevMouseX, 5);
  EXPECT_EQ(input.m_MotionX, 2000 + 500 - 4 - 1005 - 50);
}

TEST_F(InputStateTest, FrozenPointerStillCountsRawMotion) {
  // Before the editor's first frame clears it, the tempo-drag flag is -1.
  Move(30, 40, -1);
  EXPECT_EQ(input.m_MouseX, 0);
  EXPECT_EQ(input.m_MouseY, 0);
  EXPECT_EQ(input.m_MotionX, 30);
  EXPECT_EQ(input.m_MotionY, 40);

  Move(100, 100);
  ASSERT_EQ(input.m_MouseY, 100);
  for (int i = 0; i < 10; ++i) {
    Move(0, -3, 1);
    EXPECT_EQ(input.m_MouseY, 100);
    EXPECT_EQ(input.m_PrevMouseY, 100);
  }
  EXPECT_EQ(input.m_MotionY, 40 + 100 - 30);
}

TEST_F(InputStateTest, HoldZeroReportsEveryFrameAndAClickHoldIsSharedByBothButtons) {
  platform.SetButton(0, true);
  platform.SetButton(1, true);
  for (int frame = 0; frame < 5; ++frame) {
    input.Poll(0);
    EXPECT_NE(input.LeftButton(0), 0);
    EXPECT_NE(input.RightButton(0), 0);
  }
  platform.SetButton(0, false);
  input.Poll(0);
  EXPECT_EQ(input.LeftButton(0), 0) << "released";
  EXPECT_NE(input.RightButton(0), 0);

  platform.SetButton(0, true);
  std::vector<int> leftFrames;
  for (int frame = 1; frame <= 100; ++frame) {
    input.Poll(0);
    if (input.LeftButton(40)) leftFrames.push_back(frame);
    EXPECT_TRUE(frame < 2 || frame > 40 || input.RightButton(0) == 0) << "right at " << frame;
  }
  EXPECT_EQ(leftFrames, (std::vector<int>{1, 41, 81}));
}

TEST_F(InputStateTest, KeysAreHeldLevelsAndTheKeyDelayCountsDown) {
  platform.SetKey(key::kReturn, true);
  platform.SetKey(key::kUp, true);
  input.m_KeyDelay = 20;
  for (int frame = 1; frame <= 25; ++frame) {
    input.Poll(0);
    EXPECT_TRUE(input.KeyDown(key::kReturn) && input.KeyDown(key::kUp)) << frame;
    EXPECT_EQ(input.m_KeyDelay, frame < 20 ? 20 - frame : 0);
  }
  EXPECT_FALSE(input.KeyDown(key::kDown));
  platform.SetKey(key::kReturn, false);
  input.Poll(0);
  EXPECT_FALSE(input.KeyDown(key::kReturn));
}

TEST_F(InputStateTest, DevicesTakenAwayComeBack) {
  platform.SetKey(key::kA, true);
  platform.SetButton(0, true);
  input.Poll(0);
  ASSERT_TRUE(input.KeyDown(key::kA));
  const int acquired = platform.MouseAcquireCount();

  // A lost mouse is acquired again; a failed keyboard read is logged and reports no keys.
  platform.FailNextMouseRead(DeviceRead::kInputLost);
  platform.FailNextKeyboardRead(DeviceRead::kFailed);
  platform.MoveMouse(7, 7);
  input.Poll(0);
  EXPECT_EQ(platform.MouseAcquireCount(), acquired + 1);
  EXPECT_FALSE(input.KeyDown(key::kA));
  EXPECT_EQ(input.LeftButton(0), 0);
  EXPECT_EQ(LogLines().back(), "m_KeyBoardDevice->GetDeviceState, Failed");

  input.Poll(0);
  EXPECT_TRUE(input.KeyDown(key::kA));
  EXPECT_NE(input.LeftButton(0), 0);
  EXPECT_EQ(input.m_MouseX, 7);  // the motion was kept for the next read
}

TEST(InputStateWithoutDevices, LogsTheFailedStepsAndRunsOn) {
  testing::WorkFolder folder;
  HeadlessPlatform platform;
  platform.SetKeyboardAvailable(false);
  platform.SetMouseAvailable(false);
  StartDebugLog();
  InputState input(platform, 1024, 768);
  input.CreateDevices();
  const std::vector<std::string> expected = {
      "DEBUG LOG",
      "DirectInput initialised",
      "m_lpDirectInput->CreateDevice(GUID_SysKeyboard, Failed",
      "g_lpDIDevice->SetDataFormat(&c_dfDIKeyboard), Failed",
      "m_KeyBoardDevice->SetCooperativeLevel, Failed",
      "m_lpDirectInput->CreateDevice(GUID_SysMouse, Failed",
      "m_MouseDevice->SetDataFormat(&c_dfDIMouse), Failed",
      "m_MouseDevice->SetCooperativeLevel Failed",
  };
  EXPECT_EQ(LogLines(), expected);
  EXPECT_EQ(platform.MouseAcquireCount(), 0);

  platform.SetKey(key::kA, true);
  platform.MoveMouse(10, 10);
  for (int i = 0; i < 3; ++i)
    input.Poll(0);
  EXPECT_FALSE(input.KeyDown(key::kA));
  EXPECT_EQ(input.m_MouseX, 0);
  EXPECT_EQ(LogLines().size(), expected.size()) << "nothing to read is not logged every frame";
}

}  // namespace
}  // namespace tessaloop
