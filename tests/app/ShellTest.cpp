// The shell on a scripted platform, with the real stream on an ALSA file device.
// Each test starts the shell at most once: a started program lives on in its process.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/Shell.h"
#include "display/Display.h"
#include "input/InputState.h"
#include "platform/HeadlessPlatform.h"
#include "sound/Sequencer.h"
#include "tests/input/LogLines.h"
#include "tests/support/AlsaFileDevice.h"

namespace tessaloop {
namespace {

using testing::LogLines;

// The headless platform journalling window and input calls, each with the objects
// that existed then: D(isplay), I(nput), S(equencer), A(udio stream running).
class ScriptedPlatform : public HeadlessPlatform {
 public:
  std::vector<std::string> calls;
  WindowSettings settings;
  std::function<void()> onWait;

  bool CreateMainWindow(const WindowSettings& s) override {
    settings = s;
    Note("create window");
    return HeadlessPlatform::CreateMainWindow(s);
  }
  void ShowMainWindow() override {
    Note("show window");
    HeadlessPlatform::ShowMainWindow();
  }
  void CloseMainWindow() override {
    Note("close window");
    HeadlessPlatform::CloseMainWindow();
  }
  bool OpenKeyboard() override {
    Note("open keyboard");
    return HeadlessPlatform::OpenKeyboard();
  }
  bool OpenMouse() override {
    Note("open mouse");
    return HeadlessPlatform::OpenMouse();
  }
  void WaitForEvent() override {
    HeadlessPlatform::WaitForEvent();
    if (onWait) onWait();
  }

 private:
  void Note(const std::string& name) {
    std::string made = " ";
    if (g_Display != nullptr) made += 'D';
    if (g_InputState != nullptr) made += 'I';
    if (g_Sequencer != nullptr) made += g_Sequencer->AudioRunning() ? "SA" : "S";
    calls.push_back(name + made);
  }
};

class ShellTest : public ::testing::Test {
 protected:
  ShellTest() { folder.LinkData(); }

  void StartShell(int tracks = 3, bool fullScreen = false) {
    shell = std::make_unique<Shell>(platform, tracks, fullScreen);
    ASSERT_TRUE(shell->Start());
  }
  // Starts a 3-track shell once; returns what it wrote to stderr.
  std::string StartCapturingErrors(bool expectStarted) {
    shell = std::make_unique<Shell>(platform, 3, false);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(shell->Start(), expectStarted);
    return ::testing::internal::GetCapturedStderr();
  }
  // One turn of the loop; false once it has ended.
  bool Turn() { return shell->Turn(exitCode); }

  testing::WorkFolder folder;
  ScriptedPlatform platform;
  std::unique_ptr<Shell> shell;
  int exitCode = -1;
};

// The windowed 3-track program and the full-screen 6-track one.
class ShellStartTest : public ShellTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ShellStartTest, StartsUpInOrder) {
  testing::WriteFile(kDebugLogPath, "a line of an earlier run\n");
  const bool fullScreen = GetParam();
  StartShell(fullScreen ? 6 : 3, fullScreen);

  // The Display before the window, the window shown before the input, the Sequencer last.
  EXPECT_EQ(platform.calls, (std::vector<std::string>{"create window D", "show window D",
                                                      "open keyboard DI", "open mouse DI"}));
  EXPECT_EQ(platform.MouseAcquireCount(), 1);
  EXPECT_EQ(std::string(platform.settings.title), "Tessaloop");
  EXPECT_EQ(platform.settings.width, 1024);
  EXPECT_EQ(platform.settings.height, 768);
  EXPECT_EQ(platform.settings.fullScreen, fullScreen);

  EXPECT_EQ(g_Display, shell->GetDisplay());
  EXPECT_EQ(g_InputState, shell->GetInput());
  ASSERT_EQ(g_Sequencer, shell->GetSequencer());
  ASSERT_NE(g_Sequencer, nullptr);
  EXPECT_EQ(g_Sequencer->TrackCount(), fullScreen ? 6 : 3);
  EXPECT_TRUE(g_Sequencer->AudioRunning());
  EXPECT_TRUE(shell->Active()) << "active from the start";
  EXPECT_EQ(g_Display->m_FullScreen, fullScreen);

  // A fresh log: the Display's set-up, then the video driver, then the input's lines.
  const std::vector<std::string> lines = LogLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "DEBUG LOG");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "a line of an earlier run"), 0);
  const std::vector<std::string> block = {"Video driver: headless",
                                          "DirectInput initialised",
                                          "DirectInput Keyboard established",
                                          "DirectInput Keyboard Format established",
                                          "DirectInput Keyboard behaviour established",
                                          "DirectInput Mouse established",
                                          "DirectInput Mouse format established",
                                          "DirectInput Mouse SetCooperativeLevel established"};
  const auto doneSetup = std::find(lines.begin(), lines.end(), "Done Setup");
  const auto driver = std::find(lines.begin(), lines.end(), block.front());
  ASSERT_LT(doneSetup, driver);
  ASSERT_LE(block.size(), static_cast<size_t>(lines.end() - driver));
  EXPECT_EQ(std::vector<std::string>(driver, driver + block.size()), block);
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, ShellStartTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "FullScreen6" : "Windowed3";
                         });

TEST_F(ShellTest, EventsComeFirstAndFramesRunOnlyWhileActive) {
  StartShell();
  // Turns n more times; the frames run so far.
  auto framesAfter = [this](int turns) {
    for (int i = 0; i < turns; ++i)
      EXPECT_TRUE(Turn());
    return shell->FramesRun();
  };
  EXPECT_EQ(framesAfter(1), 1) << "frames from the first turn";

  // Events that came during a frame each take a turn of their own before the next frame.
  platform.QueueEvent(EventKind::kOther);
  platform.QueueEvent(EventKind::kDeactivated);
  EXPECT_EQ(framesAfter(1), 1);
  EXPECT_TRUE(shell->Active());
  EXPECT_EQ(framesAfter(1), 1);
  EXPECT_FALSE(shell->Active());

  // Inactive: every turn sleeps until an event, no frame runs, the sound goes on.
  const uint64_t heard = g_Sequencer->CallbackFrames();
  EXPECT_EQ(framesAfter(3), 1);
  EXPECT_EQ(platform.WaitCount(), 3);
  for (int i = 0; i < 2000 && g_Sequencer->CallbackFrames() == heard; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_GT(g_Sequencer->CallbackFrames(), heard);

  platform.QueueEvent(EventKind::kActivated);
  EXPECT_EQ(framesAfter(1), 1);
  EXPECT_EQ(framesAfter(2), 3) << "frames again after reactivation";
  EXPECT_EQ(platform.WaitCount(), 3);
}

// Every way of closing stops the sound first; the window's end then ends the loop with 0.
class ShellCloseTest : public ShellTest, public ::testing::WithParamInterface<EventKind> {};

TEST_P(ShellCloseTest, StopsTheSoundThenClosesTheWindowAndEndsWithZero) {
  StartShell();
  ASSERT_TRUE(Turn());
  platform.QueueEvent(GetParam());
  ASSERT_TRUE(Turn());

  EXPECT_EQ(platform.calls.back(), "close window DIS")
      << "the stream stopped before the window closed";
  EXPECT_FALSE(platform.WindowOpen());
  EXPECT_FALSE(g_Sequencer->AudioRunning());
  const uint64_t heard = g_Sequencer->CallbackFrames();

  EXPECT_FALSE(Turn()) << "the window's end ends the loop";
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(shell->FramesRun(), 1);
  EXPECT_EQ(g_Sequencer->CallbackFrames(), heard) << "no callback after the stop";
}

INSTANTIATE_TEST_SUITE_P(Ways, ShellCloseTest,
                         ::testing::Values(EventKind::kEscapePressed, EventKind::kCloseRequested),
                         [](const ::testing::TestParamInfo<EventKind>& info) {
                           return info.param == EventKind::kEscapePressed ? "Esc" : "CloseRequest";
                         });

TEST_F(ShellTest, MainLoopRunsUntilTheWindowIsGone) {
  StartShell();
  // Esc comes while the inactive loop sleeps; a close request after it changes nothing.
  platform.QueueEvent(EventKind::kDeactivated);
  platform.onWait = [this] {
    platform.QueueEvent(EventKind::kEscapePressed);
    platform.QueueEvent(EventKind::kCloseRequested);
    platform.onWait = nullptr;
  };
  EXPECT_EQ(shell->MainLoop(), 0);
  EXPECT_EQ(shell->FramesRun(), 0);
  EXPECT_EQ(platform.WaitCount(), 1);
  EXPECT_FALSE(g_Sequencer->AudioRunning());
}

}  // namespace
}  // namespace tessaloop

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::string folder = (std::filesystem::temp_directory_path() / "tessaloop-alsa-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) return 1;
  tessaloop::testing::UseAlsaFileDevice(folder);
  const int result = RUN_ALL_TESTS();
  std::filesystem::remove_all(folder);
  return result;
}
