// The SDL2 platform without a display: SDL's dummy video driver, asked for by
// name, stands in for a screen, and events are put into SDL's own queue to
// see how the window's events reach the main loop.

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/SdlPlatform.h"

namespace tessaloop {
namespace {

// Drops what SDL queued by itself (the window being shown, and so on).
void Drain(SdlPlatform& platform) {
  PlatformEvent event;
  while (platform.PollEvent(event)) {
  }
}

PlatformEvent Deliver(SdlPlatform& platform, SDL_Event sdlEvent) {
  EXPECT_EQ(SDL_PushEvent(&sdlEvent), 1) << SDL_GetError();
  PlatformEvent event;
  EXPECT_TRUE(platform.PollEvent(event));
  return event;
}

SDL_Event WindowEvent(Uint8 which) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = which;
  return e;
}

SDL_Event KeyDown(SDL_Scancode scancode, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.state = SDL_PRESSED;
  e.key.repeat = repeat;
  e.key.keysym.scancode = scancode;
  e.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
  e.key.keysym.mod = mod;
  return e;
}

class DummyVideo : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_TRUE(platform.CreateMainWindow(WindowSettings{})) << platform.LastError();
    platform.ShowMainWindow();
    Drain(platform);
  }
  void TearDown() override { unsetenv("SDL_VIDEODRIVER"); }

  SdlPlatform platform;
};

TEST(SdlPlatform, DriverNamedByTheUser) {
  EXPECT_TRUE(VideoDriverRequested("dummy", "dummy"));
  EXPECT_TRUE(VideoDriverRequested("DUMMY", "dummy"));
  EXPECT_TRUE(VideoDriverRequested("x11,dummy", "dummy"));
  EXPECT_TRUE(VideoDriverRequested("offscreen,x11", "offscreen"));
  EXPECT_FALSE(VideoDriverRequested(nullptr, "dummy"));
  EXPECT_FALSE(VideoDriverRequested("", "dummy"));
  EXPECT_FALSE(VideoDriverRequested("x11", "dummy"));
  EXPECT_FALSE(VideoDriverRequested("dummy2", "dummy"));
  EXPECT_FALSE(VideoDriverRequested("x11,", "dummy"));
}

TEST(SdlPlatform, NoDisplayMeansNoWindow) {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"})
    unsetenv(name);
  SdlPlatform platform;
  if (platform.CreateMainWindow(WindowSettings{})) {
    // Only a real display (a console with KMS) may still open a window.
    const std::string driver = platform.VideoDriver();
    ASSERT_NE(driver, "offscreen");
    ASSERT_NE(driver, "dummy");
    GTEST_SKIP() << "this machine has a display without X11 or Wayland: " << driver;
  }
  EXPECT_NE(platform.LastError().find("no display"), std::string::npos) << platform.LastError();
  EXPECT_NE(platform.LastError().find("DISPLAY"), std::string::npos) << "says what to check";
  EXPECT_EQ(platform.VideoDriver(), "none");
  // Nothing works without the window, and nothing hangs.
  EXPECT_FALSE(platform.OpenKeyboard());
  EXPECT_FALSE(platform.OpenMouse());
  uint8_t keys[256];
  EXPECT_EQ(platform.ReadKeyboard(keys), DeviceRead::kFailed);
  MouseSnapshot mouse;
  EXPECT_EQ(platform.ReadMouse(mouse), DeviceRead::kFailed);
  PlatformEvent event;
  EXPECT_FALSE(platform.PollEvent(event));
  platform.WaitForEvent();
  platform.CloseMainWindow();
  EXPECT_FALSE(platform.PollEvent(event)) << "no window was closed";
}

TEST_F(DummyVideo, WindowEventsBecomeTheLoopsEvents) {
  EXPECT_EQ(platform.VideoDriver(), "dummy");
  EXPECT_EQ(Deliver(platform, WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST)).kind,
            EventKind::kDeactivated);
  EXPECT_EQ(Deliver(platform, WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED)).kind,
            EventKind::kActivated);
  EXPECT_EQ(Deliver(platform, WindowEvent(SDL_WINDOWEVENT_CLOSE)).kind, EventKind::kCloseRequested);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  EXPECT_EQ(Deliver(platform, quit).kind, EventKind::kCloseRequested);
  EXPECT_EQ(Deliver(platform, KeyDown(SDL_SCANCODE_ESCAPE)).kind, EventKind::kEscapePressed);
  EXPECT_EQ(Deliver(platform, KeyDown(SDL_SCANCODE_ESCAPE, KMOD_NONE, 1)).kind, EventKind::kOther)
      << "a held Esc repeating is not a second press";
  EXPECT_EQ(Deliver(platform, KeyDown(SDL_SCANCODE_F4, KMOD_LALT)).kind,
            EventKind::kCloseRequested);
  EXPECT_EQ(Deliver(platform, KeyDown(SDL_SCANCODE_F4, KMOD_RALT)).kind,
            EventKind::kCloseRequested);
  EXPECT_EQ(Deliver(platform, KeyDown(SDL_SCANCODE_F4)).kind, EventKind::kOther);
  EXPECT_EQ(Deliver(platform, KeyDown(SDL_SCANCODE_A)).kind, EventKind::kOther);
  EXPECT_EQ(Deliver(platform, WindowEvent(SDL_WINDOWEVENT_MOVED)).kind, EventKind::kOther);
  PlatformEvent event;
  EXPECT_FALSE(platform.PollEvent(event));
}

TEST_F(DummyVideo, MouseIsLostWithTheFocusUntilAcquiredAgain) {
  ASSERT_TRUE(platform.OpenKeyboard());
  ASSERT_TRUE(platform.OpenMouse());
  MouseSnapshot mouse;
  EXPECT_EQ(platform.ReadMouse(mouse), DeviceRead::kInputLost) << "not yet acquired";
  ASSERT_TRUE(platform.AcquireMouse());
  EXPECT_EQ(platform.ReadMouse(mouse), DeviceRead::kOk);

  Deliver(platform, WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
  EXPECT_EQ(platform.ReadMouse(mouse), DeviceRead::kInputLost);
  Deliver(platform, WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
  EXPECT_EQ(platform.ReadMouse(mouse), DeviceRead::kInputLost)
      << "the read after a focus loss asks for the mouse to be acquired again";
  ASSERT_TRUE(platform.AcquireMouse());

  // Wheel notches come as events and are handed over with the next read.
  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.y = 2;
  wheel.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
  EXPECT_EQ(Deliver(platform, wheel).kind, EventKind::kOther);
  ASSERT_EQ(platform.ReadMouse(mouse), DeviceRead::kOk);
  EXPECT_EQ(mouse.wheel, 240);
  EXPECT_EQ(mouse.x, 0);
  EXPECT_EQ(mouse.y, 0);
  for (const uint8_t button : mouse.buttons)
    EXPECT_EQ(button, 0);
  ASSERT_EQ(platform.ReadMouse(mouse), DeviceRead::kOk);
  EXPECT_EQ(mouse.wheel, 0) << "handed over once";

  uint8_t keys[256];
  std::fill(std::begin(keys), std::end(keys), uint8_t{0x55});
  ASSERT_EQ(platform.ReadKeyboard(keys), DeviceRead::kOk);
  for (const uint8_t k : keys)
    EXPECT_EQ(k, 0) << "no key is down";
}

TEST_F(DummyVideo, ClosingTheWindowEndsTheLoopOnce) {
  ASSERT_TRUE(platform.OpenKeyboard());
  platform.CloseMainWindow();
  PlatformEvent event;
  ASSERT_TRUE(platform.PollEvent(event));
  EXPECT_EQ(event.kind, EventKind::kQuit);
  EXPECT_EQ(event.code, 0);
  platform.WaitForEvent();  // returns: there is nothing left to wait for
  platform.CloseMainWindow();
  while (platform.PollEvent(event))
    EXPECT_NE(event.kind, EventKind::kQuit);
  uint8_t keys[256];
  EXPECT_EQ(platform.ReadKeyboard(keys), DeviceRead::kFailed)
      << "the keyboard went with the window";
}

// Frames of both pixel formats are shown; with no display to wait for, the
// platform paces them itself instead of spinning through frames.
TEST_F(DummyVideo, PresentsBothFormatsAtADisplaysPace) {
  std::vector<uint32_t> wide(1024 * 768, 0x00FFFFFF);
  std::vector<uint16_t> narrow(1024 * 768, 0xFFFF);
  const FrameView frames[] = {{wide.data(), 1024, 768, 1024 * 4, 32},
                              {narrow.data(), 1024, 768, 1024 * 2, 16}};
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 10; ++i)
    platform.Present(frames[i % 2]);
  const auto spent = std::chrono::steady_clock::now() - start;
  EXPECT_GE(spent, std::chrono::milliseconds(130));
  EXPECT_LT(spent, std::chrono::seconds(5));
  // Frames it cannot show are left out.
  platform.Present(FrameView{});
  platform.Present(FrameView{wide.data(), 1024, 768, 1024 * 3, 24});
}

}  // namespace
}  // namespace tessaloop
