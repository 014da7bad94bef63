// Placeholder bodies so that everything links while input is built.

#include "input/InputState.h"

namespace tessaloop {

InputState::InputState(Platform& platform, int screenWidth, int screenHeight)
    : m_Platform(platform), m_ScreenWidth(screenWidth), m_ScreenHeight(screenHeight) {}
void InputState::CreateDevices() {}
void InputState::Poll(int32_t) {}
uint8_t InputState::LeftButton(int32_t) { return 0; }
uint8_t InputState::RightButton(int32_t) { return 0; }

}  // namespace tessaloop
