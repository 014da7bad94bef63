#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

namespace tessaloop {

// The real platform: one SDL2 window that shows the back buffer, SDL2's
// keyboard state and the pointer's place (any pointing device: mouse, tablet,
// touch screen, remote session) read as snapshots, and a steady millisecond
// clock.
//
// The windowed program gets a 1024 x 768 window whose client area shows the
// back buffer pixel for pixel; the full-screen program covers the desktop and
// shows the back buffer scaled to fit, keeping its shape. The system pointer is
// never shown over the window: the program draws its own.
class SdlPlatform : public Platform {
 public:
  SdlPlatform() = default;
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  bool CreateMainWindow(const WindowSettings& settings) override;
  void ShowMainWindow() override;
  void CloseMainWindow() override;
  std::string VideoDriver() const override;
  std::string LastError() const override { return m_Error; }

  bool PollEvent(PlatformEvent& event) override;
  void WaitForEvent() override;

  void Present(const FrameView& frame) override;

  bool OpenKeyboard() override;
  bool OpenMouse() override;
  bool AcquireMouse() override;
  void HoldPointer(bool held, int32_t x, int32_t y) override;
  DeviceRead ReadKeyboard(uint8_t keys[256]) override;
  DeviceRead ReadMouse(MouseSnapshot& mouse) override;

  uint32_t Milliseconds() override;

  bool LoadBitmap(const char* path, int width, int height, DecodedImage& image) override;

 private:
  bool StartVideo();
  bool CreateRenderer();
  bool EnsureTexture(const FrameView& frame);
  void ShowLastFrame();
  void DestroyWindow();
  bool HasInputFocus() const;
  PlatformEvent Translate(const SDL_Event& event);
  void ReadPointer(int windowX, int windowY, MouseSnapshot& mouse);
  void PictureToWindow(int32_t x, int32_t y, int& windowX, int& windowY) const;
  void WindowToPicture(int windowX, int windowY, int32_t& x, int32_t& y) const;
  void WarpPointer(int fromX, int fromY, int toX, int toY);
  // How close to the window's edge a held pointer may come before it is put
  // back: never so close that the hold's own place counts as the edge.
  int HoldMargin() const;
  bool NearWindowEdge(int windowX, int windowY) const;

  bool m_VideoStarted = false;
  // Drivers that draw nowhere: pace frames ourselves, as there is no display
  // refresh to wait for.
  bool m_Headless = false;
  SDL_Window* m_Window = nullptr;
  SDL_Renderer* m_Renderer = nullptr;
  SDL_Texture* m_Texture = nullptr;
  int m_TextureWidth = 0;
  int m_TextureHeight = 0;
  int m_TextureBits = 0;
  uint32_t m_LastPresent = 0;
  bool m_QuitPending = false;
  bool m_KeyboardOpen = false;
  bool m_MouseOpen = false;
  // The mouse was taken away (focus lost) and must be acquired again.
  bool m_MouseLost = true;
  int32_t m_Wheel = 0;
  // Keys (by PC scan code) and buttons pressed since the last read.
  uint8_t m_KeysPressed[256] = {};
  uint32_t m_ButtonsPressed = 0;
  // The pointer's place at the last read, in window pixels, once known.
  bool m_HavePosition = false;
  int m_LastWindowX = 0;
  int m_LastWindowY = 0;
  // While a drag holds the pointer: where it is kept, in window pixels.
  bool m_PointerHeld = false;
  int m_HoldX = 0;
  int m_HoldY = 0;
  // A warp not yet seen by a read: the system pointer went from one place to
  // the other without motion.
  struct Warp {
    bool pending = false;
    int fromX = 0;
    int fromY = 0;
    int toX = 0;
    int toY = 0;
  } m_Warp;
  std::string m_Error;
};

// Whether the user asked for this SDL video driver by name (SDL_VIDEODRIVER,
// one name or a comma-separated list); only then do drivers that draw nowhere
// count as a display.
bool VideoDriverRequested(const char* requested, const char* driver);

}  // namespace tessaloop
