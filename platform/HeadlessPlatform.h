#pragma once

#include <deque>
#include <optional>
#include <vector>

#include "platform/Platform.h"

namespace tessaloop {

// A platform without a window, for tests and tools. Events and input are
// scripted by the caller; presented frames are kept in memory; the clock runs
// in real time until SetTime is called, and from then on only as the caller
// sets it.
class HeadlessPlatform : public Platform {
 public:
  HeadlessPlatform() = default;

  // ---- Scripting ----
  void QueueEvent(EventKind kind, int code = 0);
  void SetKey(uint8_t scanCode, bool down);
  void ReleaseAllKeys();
  // Motion reported by the next mouse read (added up until then).
  void MoveMouse(int dx, int dy);
  // A system pointer placed at (x, y) of the picture, reported by every read
  // from now on with the motion it made; ClearPointerPosition goes back to
  // motion alone.
  void PlacePointer(int x, int y);
  void ClearPointerPosition() { m_Mouse.hasPosition = false; }
  void SetButton(int button, bool down);
  // The next read of a device answers this instead of the snapshot.
  void FailNextKeyboardRead(DeviceRead result) { m_KeyboardFailure = result; }
  void FailNextMouseRead(DeviceRead result) { m_MouseFailure = result; }
  void SetTime(uint32_t milliseconds);
  void AdvanceTime(uint32_t milliseconds);
  // Makes CreateMainWindow, OpenKeyboard or OpenMouse fail.
  void SetWindowAvailable(bool available) { m_WindowAvailable = available; }
  void SetKeyboardAvailable(bool available) { m_KeyboardAvailable = available; }
  void SetMouseAvailable(bool available) { m_MouseAvailable = available; }
  // Whether Present keeps a copy of each frame (on by default). Long scripted
  // runs that never look at frames save the conversion of every pixel.
  void SetKeepFrames(bool keep) { m_KeepFrames = keep; }

  // ---- What happened ----
  int PresentCount() const { return m_PresentCount; }
  // The last presented frame as 0x00RRGGBB pixels, rows top to bottom.
  const DecodedImage& LastFrame() const { return m_LastFrame; }
  bool WindowOpen() const { return m_WindowOpen; }
  bool WindowShown() const { return m_WindowShown; }
  int MouseAcquireCount() const { return m_MouseAcquires; }
  int WaitCount() const { return m_Waits; }
  bool PointerHeld() const { return m_PointerHeld; }
  // Where the last HoldPointer put the pointer back, as (x, y).
  int32_t ReleasedAtX() const { return m_ReleasedAtX; }
  int32_t ReleasedAtY() const { return m_ReleasedAtY; }

  // ---- Platform ----
  bool CreateMainWindow(const WindowSettings& settings) override;
  void ShowMainWindow() override { m_WindowShown = true; }
  void CloseMainWindow() override;
  std::string VideoDriver() const override { return "headless"; }
  std::string LastError() const override;
  bool PollEvent(PlatformEvent& event) override;
  // Scripted runs never sleep: the caller queues what comes next.
  void WaitForEvent() override { ++m_Waits; }
  void Present(const FrameView& frame) override;
  bool OpenKeyboard() override { return m_KeyboardAvailable; }
  bool OpenMouse() override { return m_MouseAvailable; }
  bool AcquireMouse() override;
  void HoldPointer(bool held, int32_t x, int32_t y) override;
  DeviceRead ReadKeyboard(uint8_t keys[256]) override;
  DeviceRead ReadMouse(MouseSnapshot& mouse) override;
  uint32_t Milliseconds() override;
  bool LoadBitmap(const char* path, int width, int height, DecodedImage& image) override;

 private:
  std::deque<PlatformEvent> m_Events;
  uint8_t m_Keys[256] = {};
  MouseSnapshot m_Mouse;
  std::optional<DeviceRead> m_KeyboardFailure;
  std::optional<DeviceRead> m_MouseFailure;
  std::optional<uint32_t> m_Time;
  bool m_WindowAvailable = true;
  bool m_KeyboardAvailable = true;
  bool m_MouseAvailable = true;
  bool m_KeepFrames = true;
  bool m_WindowOpen = false;
  bool m_WindowShown = false;
  int m_PresentCount = 0;
  int m_MouseAcquires = 0;
  int m_Waits = 0;
  bool m_PointerHeld = false;
  int32_t m_ReleasedAtX = -1;
  int32_t m_ReleasedAtY = -1;
  DecodedImage m_LastFrame;
};

}  // namespace tessaloop
