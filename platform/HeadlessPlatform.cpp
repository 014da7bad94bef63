#include "platform/HeadlessPlatform.h"

#include <chrono>
#include <cstring>

#include "platform/BitmapFile.h"

namespace tessaloop {

void HeadlessPlatform::QueueEvent(EventKind kind, int code) {
  m_Events.push_back({kind, code});
}

void HeadlessPlatform::SetKey(uint8_t scanCode, bool down) {
  m_Keys[scanCode] = down ? 0x80 : 0;
}

void HeadlessPlatform::ReleaseAllKeys() {
  std::memset(m_Keys, 0, sizeof m_Keys);
}

void HeadlessPlatform::MoveMouse(int dx, int dy) {
  m_Mouse.x += dx;
  m_Mouse.y += dy;
}

void HeadlessPlatform::PlacePointer(int x, int y) {
  if (m_Mouse.hasPosition) {
    m_Mouse.x += x - m_Mouse.positionX;
    m_Mouse.y += y - m_Mouse.positionY;
  }
  m_Mouse.hasPosition = true;
  m_Mouse.positionX = x;
  m_Mouse.positionY = y;
}

void HeadlessPlatform::HoldPointer(bool held, int32_t x, int32_t y) {
  if (m_PointerHeld && !held) {
    m_ReleasedAtX = x;
    m_ReleasedAtY = y;
    if (m_Mouse.hasPosition) {
      m_Mouse.positionX = x;
      m_Mouse.positionY = y;
    }
  }
  m_PointerHeld = held;
}

void HeadlessPlatform::SetButton(int button, bool down) {
  if (button >= 0 && button < 4) m_Mouse.buttons[button] = down ? 0x80 : 0;
}

void HeadlessPlatform::SetTime(uint32_t milliseconds) {
  m_Time = milliseconds;
}

void HeadlessPlatform::AdvanceTime(uint32_t milliseconds) {
  m_Time = Milliseconds() + milliseconds;
}

bool HeadlessPlatform::CreateMainWindow(const WindowSettings& /*settings*/) {
  m_WindowOpen = m_WindowAvailable;
  return m_WindowOpen;
}

void HeadlessPlatform::CloseMainWindow() {
  if (!m_WindowOpen) return;
  m_WindowOpen = false;
  QueueEvent(EventKind::kQuit, 0);
}

std::string HeadlessPlatform::LastError() const {
  return m_WindowAvailable ? "" : "no window can be made (scripted)";
}

bool HeadlessPlatform::PollEvent(PlatformEvent& event) {
  if (m_Events.empty()) return false;
  event = m_Events.front();
  m_Events.pop_front();
  return true;
}

void HeadlessPlatform::Present(const FrameView& frame) {
  ++m_PresentCount;
  if (!m_KeepFrames) return;
  m_LastFrame.width = frame.width;
  m_LastFrame.height = frame.height;
  m_LastFrame.pixels.resize(static_cast<size_t>(frame.width) * frame.height);
  const auto* bytes = static_cast<const uint8_t*>(frame.pixels);
  for (int y = 0; y < frame.height; ++y) {
    const uint8_t* row = bytes + static_cast<size_t>(y) * frame.pitch;
    uint32_t* out = &m_LastFrame.pixels[static_cast<size_t>(y) * frame.width];
    for (int x = 0; x < frame.width; ++x) {
      if (frame.bitsPerPixel == 16) {
        uint16_t p;
        std::memcpy(&p, row + 2 * x, 2);
        const uint32_t r = (p >> 11) & 0x1F, g = (p >> 5) & 0x3F, b = p & 0x1F;
        out[x] = ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
      } else {
        uint32_t p;
        std::memcpy(&p, row + 4 * x, 4);
        out[x] = p & 0x00FFFFFF;
      }
    }
  }
}

bool HeadlessPlatform::AcquireMouse() {
  ++m_MouseAcquires;
  return m_MouseAvailable;
}

DeviceRead HeadlessPlatform::ReadKeyboard(uint8_t keys[256]) {
  if (m_KeyboardFailure) {
    const DeviceRead result = *m_KeyboardFailure;
    m_KeyboardFailure.reset();
    return result;
  }
  std::memcpy(keys, m_Keys, sizeof m_Keys);
  return DeviceRead::kOk;
}

DeviceRead HeadlessPlatform::ReadMouse(MouseSnapshot& mouse) {
  if (m_MouseFailure) {
    const DeviceRead result = *m_MouseFailure;
    m_MouseFailure.reset();
    return result;
  }
  mouse = m_Mouse;
  if (m_PointerHeld) mouse.hasPosition = false;
  m_Mouse.x = 0;
  m_Mouse.y = 0;
  m_Mouse.wheel = 0;
  return DeviceRead::kOk;
}

uint32_t HeadlessPlatform::Milliseconds() {
  if (m_Time) return *m_Time;
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool HeadlessPlatform::LoadBitmap(const char* path, int width, int height, DecodedImage& image) {
  return LoadBitmapFile(path, width, height, image);
}

}  // namespace tessaloop
