// The SDL2 platform on SDL's dummy video driver, with events put into SDL's own
// queue to see how the window's events reach the main loop.

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/SdlPlatform.h"

namespace tessaloop {
namespace {

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
    PlatformEvent event;  // drops what SDL queued by itself
    while (platform.PollEvent(event)) {
    }
  }
  void TearDown() override { unsetenv("SDL_VIDEODRIVER"); }

  SdlPlatform platform;
};

TEST(SdlPlatform, DriverNamedByTheUser) {
  for (const char* yes : {"dummy", "DUMMY", "x11,dummy"})
    EXPECT_TRUE(VideoDriverRequested(yes, "dummy")) << yes;
  EXPECT_TRUE(VideoDriverRequested("offscreen,x11", "offscreen"));
  for (const char* no : {"", "x11", "dummy2", "x11,"})
    EXPECT_FALSE(VideoDriverRequested(no, "dummy")) << no;
  EXPECT_FALSE(VideoDriverRequested(nullptr, "dummy"));
}

TEST_F(DummyVideo, WindowEventsBecomeTheLoopsEvents) {
  EXPECT_EQ(platform.VideoDriver(), "dummy");
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  const struct {
    SDL_Event sdl;
    EventKind kind;
    const char* what;
  } cases[] = {
      {WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST), EventKind::kDeactivated, "focus lost"},
      {WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), EventKind::kActivated, "focus gained"},
      {WindowEvent(SDL_WINDOWEVENT_CLOSE), EventKind::kCloseRequested, "window closed"},
      {quit, EventKind::kCloseRequested, "quit"},
      {KeyDown(SDL_SCANCODE_ESCAPE), EventKind::kEscapePressed, "Esc"},
      {KeyDown(SDL_SCANCODE_ESCAPE, KMOD_NONE, 1), EventKind::kOther, "Esc held (repeating)"},
      {KeyDown(SDL_SCANCODE_F4, KMOD_LALT), EventKind::kCloseRequested, "left Alt+F4"},
      {KeyDown(SDL_SCANCODE_F4, KMOD_RALT), EventKind::kCloseRequested, "right Alt+F4"},
      {KeyDown(SDL_SCANCODE_F4), EventKind::kOther, "F4"},
      {KeyDown(SDL_SCANCODE_A), EventKind::kOther, "A"},
      {WindowEvent(SDL_WINDOWEVENT_MOVED), EventKind::kOther, "window moved"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Deliver(platform, c.sdl).kind, c.kind) << c.what;
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
  EXPECT_TRUE(mouse.x == 0 && mouse.y == 0) << "no motion";
  EXPECT_EQ(std::count(std::begin(mouse.buttons), std::end(mouse.buttons), 0), 4);
  ASSERT_EQ(platform.ReadMouse(mouse), DeviceRead::kOk);
  EXPECT_EQ(mouse.wheel, 0) << "handed over once";

  uint8_t keys[256];
  std::fill(std::begin(keys), std::end(keys), uint8_t{0x55});
  ASSERT_EQ(platform.ReadKeyboard(keys), DeviceRead::kOk);
  EXPECT_EQ(std::count(std::begin(keys), std::end(keys), 0), 256) << "no key is down";
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

}  // namespace
}  // namespace tessaloop
