// The SDL2 platform on SDL's dummy video driver, with events put into SDL's own
// queue to see how the window's events reach the main loop.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/SdlPlatform.h"

namespace tessaloop {
namespace {

TEST(SdlPlatform, DriverNamedByTheUser) {
  for (const char* yes : {"dummy", "DUMMY", "x11,dummy"})
    EXPECT_TRUE(VideoDriverRequested(yes, "dummy")) << yes;
  for (const char* no : {"", "x11", "dummy2", "x11,", "dum"})
    EXPECT_FALSE(VideoDriverRequested(no, "dummy")) << no;
  EXPECT_FALSE(VideoDriverRequested(nullptr, "dummy"));
}

// Focus, the close box, the session's end, Esc and left Alt+F4 are seen end to
// end; here the keys that must not close, and the right Alt.
TEST(SdlPlatform, KeysThatCloseTheWindow) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  SdlPlatform platform;
  ASSERT_TRUE(platform.CreateMainWindow(WindowSettings{})) << platform.LastError();
  PlatformEvent event;
  while (platform.PollEvent(event)) {  // what SDL queued by itself
  }
  const struct {
    SDL_Scancode key;
    Uint16 mod;
    Uint8 repeat;
    EventKind kind;
  } cases[] = {
      {SDL_SCANCODE_ESCAPE, KMOD_NONE, 0, EventKind::kEscapePressed},
      {SDL_SCANCODE_ESCAPE, KMOD_NONE, 1, EventKind::kOther},  // held, repeating
      {SDL_SCANCODE_F4, KMOD_LALT, 0, EventKind::kCloseRequested},
      {SDL_SCANCODE_F4, KMOD_RALT, 0, EventKind::kCloseRequested},
      {SDL_SCANCODE_F4, KMOD_NONE, 0, EventKind::kOther},
      {SDL_SCANCODE_A, KMOD_LALT, 0, EventKind::kOther},
  };
  for (const auto& c : cases) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.repeat = c.repeat;
    e.key.keysym.scancode = c.key;
    e.key.keysym.mod = c.mod;
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
    ASSERT_TRUE(platform.PollEvent(event));
    EXPECT_EQ(event.kind, c.kind) << SDL_GetScancodeName(c.key) << " " << c.mod << " "
                                  << int{c.repeat};
  }
  EXPECT_FALSE(platform.PollEvent(event));
  unsetenv("SDL_VIDEODRIVER");
}

// A key or a button pressed and let go again between two reads (the state
// SDL keeps shows nothing) reads as down once, then as up.
TEST(SdlPlatform, PressesShorterThanAFrameReadAsDownOnce) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  SdlPlatform platform;
  ASSERT_TRUE(platform.CreateMainWindow(WindowSettings{})) << platform.LastError();
  ASSERT_TRUE(platform.OpenKeyboard() && platform.OpenMouse() && platform.AcquireMouse());
  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  key.key.state = SDL_PRESSED;
  key.key.keysym.scancode = SDL_SCANCODE_A;
  SDL_Event button{};
  button.type = SDL_MOUSEBUTTONDOWN;
  button.button.button = SDL_BUTTON_RIGHT;
  button.button.state = SDL_PRESSED;
  ASSERT_EQ(SDL_PushEvent(&key), 1);
  ASSERT_EQ(SDL_PushEvent(&button), 1);
  PlatformEvent event;
  while (platform.PollEvent(event)) {
  }
  uint8_t keys[256];
  MouseSnapshot mouse;
  for (const bool down : {true, false}) {
    ASSERT_EQ(platform.ReadKeyboard(keys), DeviceRead::kOk);
    ASSERT_EQ(platform.ReadMouse(mouse), DeviceRead::kOk);
    EXPECT_EQ(keys[0x1E], down ? 0x80 : 0) << "A";
    EXPECT_EQ(mouse.buttons[1], down ? 0x80 : 0) << "right";
    EXPECT_EQ(mouse.buttons[0], 0) << "left";
  }
  unsetenv("SDL_VIDEODRIVER");
}

}  // namespace
}  // namespace tessaloop
