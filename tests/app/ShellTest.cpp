// The shell on a scripted platform, with the real stream on an ALSA file device.
// A started program lives on in its process: the test starts the shell once.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/Shell.h"
#include "display/Display.h"
#include "input/InputState.h"
#include "platform/HeadlessPlatform.h"
#include "sound/Sequencer.h"
#include "tests/support/AlsaFileDevice.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

// The headless platform journalling window and keyboard calls, each with the objects
// that existed then: D(isplay), I(nput), S(equencer), A(udio stream running).
class ScriptedPlatform : public HeadlessPlatform {
 public:
  std::vector<std::string> calls;
  WindowSettings settings;
  const Shell* shell = nullptr;  // whose objects the journal names

  bool CreateMainWindow(const WindowSettings& s) override {
    settings = s;
    Note("create window");
    return HeadlessPlatform::CreateMainWindow(s);
  }
  void CloseMainWindow() override {
    Note("close window");
    HeadlessPlatform::CloseMainWindow();
  }
  bool OpenKeyboard() override {
    Note("open keyboard");
    return HeadlessPlatform::OpenKeyboard();
  }

 private:
  void Note(const std::string& name) {
    std::string made = " ";
    if (shell->GetDisplay() != nullptr) made += 'D';
    if (shell->GetInput() != nullptr) made += 'I';
    if (const Sequencer* seq = shell->GetSequencer()) made += seq->AudioRunning() ? "SA" : "S";
    calls.push_back(name + made);
  }
};

class ShellTest : public ::testing::Test {
 protected:
  ShellTest() { folder.LinkData(); }

  void StartShell(int tracks, bool fullScreen) {
    shell = std::make_unique<Shell>(platform, tracks, fullScreen);
    platform.shell = shell.get();
    ASSERT_TRUE(shell->Start());
  }
  // Turns n more times; the frames run so far.
  int64_t FramesAfter(int turns) {
    for (int i = 0; i < turns; ++i)
      EXPECT_TRUE(shell->Turn(exitCode));
    return shell->FramesRun();
  }

  testing::WorkFolder folder;
  ScriptedPlatform platform;
  std::unique_ptr<Shell> shell;
  int exitCode = -1;
};

// The program's life, as the full-screen 6-track program lives it. (Its title,
// size and input are seen end to end; the full-screen flag and the tracks are not.)
TEST_F(ShellTest, StartsInOrderRunsFramesWhileActiveAndEndsWithEsc) {
  StartShell(6, true);
  // The Display before the window, the window before the input, the Sequencer last.
  EXPECT_EQ(platform.calls, (std::vector<std::string>{"create window D", "open keyboard DI"}));
  EXPECT_TRUE(platform.WindowShown());
  EXPECT_TRUE(platform.settings.fullScreen);
  Sequencer* const seq = shell->GetSequencer();
  ASSERT_NE(seq, nullptr);
  ASSERT_NE(shell->GetEditor(), nullptr);
  EXPECT_EQ(seq->TrackCount(), 6);
  EXPECT_TRUE(seq->AudioRunning());

  EXPECT_EQ(FramesAfter(1), 1) << "active from the start";
  // Events that came during a frame each take a turn before the next frame.
  platform.QueueEvent(EventKind::kOther);
  platform.QueueEvent(EventKind::kDeactivated);
  EXPECT_EQ(FramesAfter(2), 1);
  EXPECT_FALSE(shell->Active());

  // Inactive: every turn sleeps until an event, no frame runs, the sound goes on.
  const uint64_t heard = seq->CallbackFrames();
  EXPECT_EQ(FramesAfter(3), 1);
  EXPECT_EQ(platform.WaitCount(), 3);
  for (int i = 0; i < 2000 && seq->CallbackFrames() == heard; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_GT(seq->CallbackFrames(), heard);
  platform.QueueEvent(EventKind::kActivated);
  EXPECT_EQ(FramesAfter(3), 3) << "frames again after reactivation";

  // Esc stops the sound, then closes the window, whose end ends the loop with 0.
  platform.QueueEvent(EventKind::kEscapePressed);
  EXPECT_EQ(shell->MainLoop(), 0);
  EXPECT_EQ(platform.calls.back(), "close window DIS");
  EXPECT_FALSE(seq->AudioRunning());
  EXPECT_EQ(shell->FramesRun(), 3);
  EXPECT_EQ(platform.WaitCount(), 3);
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
