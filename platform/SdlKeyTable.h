#pragma once

#include <cstdint>
#include <span>

namespace tessaloop {

// SDL2 names keys by their USB usage; the keyboard snapshot of the program is
// indexed by PC scan codes (input/KeyCodes.h: set 1, extended keys at 0x80 +
// their code). This is the one table that joins the two.
struct SdlKeyMapping {
  int sdlScancode;  // an SDL_Scancode value
  uint8_t pcCode;   // its index in the keyboard snapshot, never 0
};

// Every key SDL2 knows that has a PC scan code, each SDL key and each code
// once.
std::span<const SdlKeyMapping> SdlKeyTable();

// The snapshot index of an SDL_Scancode; 0 for keys without one.
uint8_t PcScanCodeFromSdl(int sdlScancode);

// The snapshot index of the key SDL2 names so ("Return", "Left Shift",
// "Keypad Enter", ...); 0 for an unknown name or a key without a code.
uint8_t PcScanCodeFromSdlKeyName(const char* name);

}  // namespace tessaloop
