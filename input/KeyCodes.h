#pragma once

#include <cstdint>

// The key codes of the keyboard snapshot: PC keyboard scan codes, with the
// extended keys (arrows, Delete, right-hand modifiers) at 0x80 + their code.
namespace tessaloop::key {

constexpr uint8_t kEscape = 0x01;
constexpr uint8_t k1 = 0x02;  // 1-9 are 0x02-0x0A, 0 is 0x0B
constexpr uint8_t k0 = 0x0B;
constexpr uint8_t kMinus = 0x0C;
constexpr uint8_t kEquals = 0x0D;
constexpr uint8_t kBackspace = 0x0E;
constexpr uint8_t kTab = 0x0F;
constexpr uint8_t kQ = 0x10, kW = 0x11, kE = 0x12, kR = 0x13, kT = 0x14, kY = 0x15, kU = 0x16,
                  kI = 0x17, kO = 0x18, kP = 0x19;
constexpr uint8_t kLeftBracket = 0x1A;
constexpr uint8_t kRightBracket = 0x1B;
constexpr uint8_t kReturn = 0x1C;
constexpr uint8_t kLeftControl = 0x1D;
constexpr uint8_t kA = 0x1E, kS = 0x1F, kD = 0x20, kF = 0x21, kG = 0x22, kH = 0x23, kJ = 0x24,
                  kK = 0x25, kL = 0x26;
constexpr uint8_t kSemicolon = 0x27;
constexpr uint8_t kApostrophe = 0x28;
constexpr uint8_t kGrave = 0x29;
constexpr uint8_t kLeftShift = 0x2A;
constexpr uint8_t kBackslash = 0x2B;
constexpr uint8_t kZ = 0x2C, kX = 0x2D, kC = 0x2E, kV = 0x2F, kB = 0x30, kN = 0x31, kM = 0x32;
constexpr uint8_t kComma = 0x33;
constexpr uint8_t kPeriod = 0x34;
constexpr uint8_t kSlash = 0x35;
constexpr uint8_t kRightShift = 0x36;
constexpr uint8_t kKeypadMultiply = 0x37;
constexpr uint8_t kLeftAlt = 0x38;
constexpr uint8_t kSpace = 0x39;
constexpr uint8_t kCapsLock = 0x3A;
constexpr uint8_t kF1 = 0x3B, kF2 = 0x3C, kF3 = 0x3D, kF4 = 0x3E, kF5 = 0x3F, kF6 = 0x40,
                  kF7 = 0x41, kF8 = 0x42, kF9 = 0x43, kF10 = 0x44;
constexpr uint8_t kF11 = 0x57, kF12 = 0x58;
constexpr uint8_t kRightControl = 0x9D;
constexpr uint8_t kRightAlt = 0xB8;
constexpr uint8_t kHome = 0xC7;
constexpr uint8_t kUp = 0xC8;
constexpr uint8_t kPageUp = 0xC9;
constexpr uint8_t kLeft = 0xCB;
constexpr uint8_t kRight = 0xCD;
constexpr uint8_t kEnd = 0xCF;
constexpr uint8_t kDown = 0xD0;
constexpr uint8_t kPageDown = 0xD1;
constexpr uint8_t kInsert = 0xD2;
constexpr uint8_t kDelete = 0xD3;

// The letter keys A-Z in alphabetical order, as the editor walks them.
constexpr uint8_t kLetters[26] = {kA, kB, kC, kD, kE, kF, kG, kH, kI, kJ, kK, kL, kM,
                                  kN, kO, kP, kQ, kR, kS, kT, kU, kV, kW, kX, kY, kZ};
// The digit keys 0-9 in numeric order.
constexpr uint8_t kDigits[10] = {k0, k1, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A};

}  // namespace tessaloop::key
