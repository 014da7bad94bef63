#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace tessaloop {

// The program's only source of keyboard and mouse input, read once a frame
// into plain state: 256 key states, a pointer kept inside the screen (where
// the system pointer is, or moved by the mouse's motion), and two frame
// countdowns with which the editor turns held keys and buttons into single
// actions.
class InputState {
 public:
  // screenWidth and screenHeight bound the pointer (the Display's size).
  InputState(Platform& platform, int screenWidth, int screenHeight);

  // Sets up keyboard and mouse, writing one debug-log line per step.
  void CreateDevices();
  // Reads both devices; tempoDrag is the Sequencer's m_TempoDrag: while it is
  // not 0 the pointer stays where it is and only the raw motion is summed.
  void Poll(int32_t tempoDrag);
  // The button's byte when it is down and no click hold runs; then the hold
  // (in frames, shared by both buttons) starts. 0 otherwise.
  uint8_t LeftButton(int32_t hold);
  uint8_t RightButton(int32_t hold);
  bool KeyDown(uint8_t scanCode) const { return (m_Keys[scanCode] & 0x80) != 0; }

  uint8_t m_Keys[256] = {};
  int32_t m_KeyDelay = 0;
  int32_t m_MouseX = 0;
  int32_t m_MouseY = 0;
  int32_t m_PrevMouseX = 0;
  int32_t m_PrevMouseY = 0;
  int32_t m_MotionX = 0;
  int32_t m_MotionY = 0;
  // The motion of the last poll alone. Unlike the sums above it never holds
  // motion the pointer could not follow (beyond the screen's edge, or while the
  // editor confined it), so a drag that starts now moves by its own motion.
  int32_t m_FrameMotionX = 0;
  int32_t m_FrameMotionY = 0;
  uint8_t m_Buttons[4] = {};
  int32_t m_ClickDelay = 0;

 private:
  Platform& m_Platform;
  int m_ScreenWidth;
  int m_ScreenHeight;
  bool m_KeyboardOpen = false;
  bool m_MouseOpen = false;
  bool m_PointerHeld = false;
};

}  // namespace tessaloop
