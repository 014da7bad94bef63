#pragma once

// The contract between Tessaloop and the system it runs on.
//
// The program needs little of a platform: a window that shows a 1024 x 768
// picture, one event at a time, keyboard and mouse read as snapshots, a
// millisecond clock and BMP files decoded into pixels. Two backends fulfil it:
// platform/SdlPlatform (a real window on SDL2) and platform/HeadlessPlatform
// (no window; events and input are scripted; frames stay in memory), used by
// tests and tools. Nothing outside platform/ includes SDL2.

#include <cstdint>
#include <string>
#include <vector>

namespace tessaloop {

// An image in memory, 0x00RRGGBB per pixel, rows top to bottom.
struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

// What the main loop hears from the window, one at a time.
enum class EventKind {
  kActivated,       // the program became the active one (focus gained)
  kDeactivated,     // another program became active (focus lost)
  kEscapePressed,   // the Esc key went down while the window had the keyboard
  kCloseRequested,  // the close box, Alt+F4 or the window manager asked to close
  kQuit,            // the window is gone: the loop ends with the event's code
  kOther,           // anything else; handled by doing nothing
};

struct PlatformEvent {
  EventKind kind = EventKind::kOther;
  int code = 0;  // exit code of kQuit
};

struct WindowSettings {
  const char* title = "Tessaloop";
  int width = 1024;  // the back buffer's size; also the window's client size
  int height = 768;
  bool fullScreen = false;  // a desktop-sized window with a width x height logical size
};

// The pixels presented: a back buffer of 16-bit RGB565 or 32-bit XRGB8888.
struct FrameView {
  const void* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;  // bytes per row
  int bitsPerPixel = 32;
};

// A read of the mouse: motion since the previous read, where the system
// pointer is, and the four buttons. Motion and position are in pixels of the
// picture (width x height of WindowSettings), whatever size the window has.
struct MouseSnapshot {
  int32_t x = 0;
  int32_t y = 0;
  int32_t wheel = 0;
  uint8_t buttons[4] = {0, 0, 0, 0};  // non-zero while down: 0 left, 1 right
  // Where the system pointer is on the picture, when the platform knows it: a
  // mouse, a tablet, a touch screen or a remote session all place the pointer,
  // and the program's pointer goes there. Without it (the pointer is away from
  // the window, or a platform that only counts motion) the program's pointer
  // follows the motion.
  bool hasPosition = false;
  int32_t positionX = 0;
  int32_t positionY = 0;
};

enum class DeviceRead {
  kOk,
  kInputLost,  // the device was taken away (focus lost); acquire it again
  kFailed,
};

class Platform {
 public:
  virtual ~Platform() = default;

  // ---- Window ----
  // Makes the main window (not yet shown). False when no window can be made,
  // including when the only video driver available draws nowhere.
  virtual bool CreateMainWindow(const WindowSettings& settings) = 0;
  virtual void ShowMainWindow() = 0;
  // Destroys the window; a kQuit event with code 0 follows.
  virtual void CloseMainWindow() = 0;
  // The name of the video driver in use ("x11", "wayland", "dummy", ...).
  virtual std::string VideoDriver() const = 0;
  // Why CreateMainWindow failed, in words for the user.
  virtual std::string LastError() const = 0;

  // ---- Events ----
  // Takes one pending event; false when none is pending.
  virtual bool PollEvent(PlatformEvent& event) = 0;
  // Sleeps until an event is pending (it is left pending).
  virtual void WaitForEvent() = 0;

  // ---- Presenting ----
  // Shows a whole frame (scaled to the window when they differ), waiting for
  // the display's refresh where it offers one.
  virtual void Present(const FrameView& frame) = 0;

  // ---- Input devices ----
  // Sets up each device; false when it cannot be had.
  virtual bool OpenKeyboard() = 0;
  virtual bool OpenMouse() = 0;
  // Takes the mouse for the window: no system pointer is shown over it, and
  // motion from before is dropped.
  virtual bool AcquireMouse() = 0;
  // While held, the system pointer is kept near (x, y) of the picture and reads
  // report the motion made however far it goes, without a position (a drag
  // that measures motion, not places). Letting go puts the system pointer back
  // at (x, y), where the program's own pointer stayed.
  virtual void HoldPointer(bool held, int32_t x, int32_t y) = 0;
  // 256 key states indexed by PC scan code (input/KeyCodes.h); 0x80 while down.
  virtual DeviceRead ReadKeyboard(uint8_t keys[256]) = 0;
  virtual DeviceRead ReadMouse(MouseSnapshot& mouse) = 0;

  // ---- Clock ----
  // Milliseconds since some fixed moment, wrapping at 2^32.
  virtual uint32_t Milliseconds() = 0;

  // ---- Files ----
  // Decodes a BMP file scaled (nearest neighbour) to width x height; false when
  // the file is missing or is not a bitmap that can be decoded.
  virtual bool LoadBitmap(const char* path, int width, int height, DecodedImage& image) = 0;
};

}  // namespace tessaloop
