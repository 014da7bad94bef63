#include "input/InputState.h"

#include <cstring>

#include "base/DebugLog.h"

namespace tessaloop {

InputState::InputState(Platform& platform, int screenWidth, int screenHeight)
    : m_Platform(platform), m_ScreenWidth(screenWidth), m_ScreenHeight(screenHeight) {}

// Nine set-up steps, each writing one line: the first on failure, the second on
// success. The lines name the steps as this program has always logged them, so
// that a debug log reads the same on every platform. Steps that need a device
// that could not be had fail in turn.
void InputState::CreateDevices() {
  auto step = [](bool ok, const char* failure, const char* success) {
    WriteDebugLog(ok ? success : failure);
  };
  // 1. The input system: it comes with the window.
  step(true, "DirectInput not available", "DirectInput initialised");
  // 2-5. The keyboard: device, snapshot format, foreground use, acquisition.
  m_KeyboardOpen = m_Platform.OpenKeyboard();
  step(m_KeyboardOpen, "m_lpDirectInput->CreateDevice(GUID_SysKeyboard, Failed",
       "DirectInput Keyboard established");
  step(m_KeyboardOpen, "g_lpDIDevice->SetDataFormat(&c_dfDIKeyboard), Failed",
       "DirectInput Keyboard Format established");
  step(m_KeyboardOpen, "m_KeyBoardDevice->SetCooperativeLevel, Failed",
       "DirectInput Keyboard behaviour established");
  // 6-9. The mouse: device, snapshot format, exclusive foreground use (relative
  // motion, no system pointer), acquisition.
  m_MouseOpen = m_Platform.OpenMouse();
  step(m_MouseOpen, "m_lpDirectInput->CreateDevice(GUID_SysMouse, Failed",
       "DirectInput Mouse established");
  step(m_MouseOpen, "m_MouseDevice->SetDataFormat(&c_dfDIMouse), Failed",
       "DirectInput Mouse format established");
  step(m_MouseOpen, "m_MouseDevice->SetCooperativeLevel Failed",
       "DirectInput Mouse SetCooperativeLevel established");
  if (m_MouseOpen) m_Platform.AcquireMouse();
}

void InputState::Poll(int32_t tempoDrag) {
  // 1. Keyboard. A failed read reports no key down rather than keys that may
  //    have been released meanwhile; without a keyboard there is nothing to read
  //    (and nothing to log every frame).
  if (m_KeyboardOpen) {
    if (m_Platform.ReadKeyboard(m_Keys) != DeviceRead::kOk) {
      WriteDebugLog("m_KeyBoardDevice->GetDeviceState, Failed");
      std::memset(m_Keys, 0, sizeof m_Keys);
    }
  }
  // 2. Key countdown.
  if (m_KeyDelay > 0) --m_KeyDelay;
  // 3. Mouse. The device is taken away when the window loses the foreground;
  //    the first read that says so acquires it again. A failed read gives no
  //    motion and no buttons down.
  MouseSnapshot mouse;
  // The hold starts with the drag's first poll (-1 is only the start-up
  // state, before any frame) and ends with the first poll after it, which
  // puts the system pointer back under the program's.
  const bool hold = tempoDrag > 0;
  if (m_MouseOpen && hold != m_PointerHeld) {
    m_PointerHeld = hold;
    m_Platform.HoldPointer(hold, m_MouseX, m_MouseY);
  }
  if (m_MouseOpen) {
    const DeviceRead read = m_Platform.ReadMouse(mouse);
    if (read != DeviceRead::kOk) {
      if (read == DeviceRead::kInputLost) m_Platform.AcquireMouse();
      mouse = MouseSnapshot{};
    }
  }
  // 4-6. The pointer goes where the system pointer is, or follows the motion
  //      one to one where the platform knows no position; except while the
  //      tempo is dragged: then only the raw sums move, and the platform holds
  //      the system pointer so that the drag can go on past the screen's edge.
  m_PrevMouseX = m_MouseX;
  m_PrevMouseY = m_MouseY;
  m_MotionX += mouse.x;
  m_MotionY += mouse.y;
  m_FrameMotionX = mouse.x;
  m_FrameMotionY = mouse.y;
  if (tempoDrag == 0) {
    if (mouse.hasPosition) {
      m_MouseX = mouse.positionX;
      m_MouseY = mouse.positionY;
    } else {
      m_MouseX += mouse.x;
      m_MouseY += mouse.y;
    }
  }
  // 7-8. Buttons and the click countdown.
  std::memcpy(m_Buttons, mouse.buttons, sizeof m_Buttons);
  if (m_ClickDelay > 0) --m_ClickDelay;
  // 9. Keep the pointer on the screen; no motion is stored beyond the edge.
  if (m_MouseX > m_ScreenWidth - 10) {
    m_MouseX = m_ScreenWidth - 10;
  } else if (m_MouseX < 0) {
    m_MouseX = 0;
  }
  if (m_MouseY > m_ScreenHeight - 10) {
    m_MouseY = m_ScreenHeight - 10;
  } else if (m_MouseY < 0) {
    m_MouseY = 0;
  }
}

// A click is a level, not an edge: a held button reports again each time the
// shared countdown has run out.
uint8_t InputState::LeftButton(int32_t hold) {
  if (m_ClickDelay == 0 && m_Buttons[0] != 0) {
    m_ClickDelay = hold;
    return m_Buttons[0];
  }
  return 0;
}

uint8_t InputState::RightButton(int32_t hold) {
  if (m_ClickDelay == 0 && m_Buttons[1] != 0) {
    m_ClickDelay = hold;
    return m_Buttons[1];
  }
  return 0;
}

}  // namespace tessaloop
