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
// keyboard state and relative mouse motion read as snapshots, and a steady
// millisecond clock.
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
  std::string m_Error;
};

// Whether the user asked for this SDL video driver by name (SDL_VIDEODRIVER,
// one name or a comma-separated list); only then do drivers that draw nowhere
// count as a display.
bool VideoDriverRequested(const char* requested, const char* driver);

}  // namespace tessaloop
