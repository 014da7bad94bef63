// The table that turns SDL2's keys into the PC scan codes the keyboard
// snapshot is indexed by: a wrong or doubled entry makes a key act as another.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "input/KeyCodes.h"
#include "platform/SdlKeyTable.h"

namespace tessaloop {
namespace {

TEST(SdlKeyTable, EveryKeyAndEveryCodeAppearsOnce) {
  std::set<int> sdlKeys;
  std::set<int> codes;
  for (const SdlKeyMapping& m : SdlKeyTable()) {
    EXPECT_NE(m.pcCode, 0) << "SDL key " << m.sdlScancode;
    EXPECT_TRUE(sdlKeys.insert(m.sdlScancode).second) << "SDL key twice: " << m.sdlScancode;
    EXPECT_TRUE(codes.insert(m.pcCode).second) << "code twice: " << int{m.pcCode};
    EXPECT_EQ(PcScanCodeFromSdl(m.sdlScancode), m.pcCode) << "lookup of " << m.sdlScancode;
  }
  EXPECT_GE(sdlKeys.size(), 120u) << "the whole keyboard, keypad and media keys";

  // Every key the editor names can be pressed.
  const std::vector<uint8_t> editorKeys[] = {
      {key::kEscape, key::kMinus, key::kEquals, key::kBackspace, key::kTab, key::kReturn},
      {key::kLeftControl, key::kSemicolon, key::kApostrophe, key::kGrave, key::kLeftShift},
      {key::kBackslash, key::kComma, key::kPeriod, key::kSlash, key::kRightShift, key::kSpace},
      {key::kKeypadMultiply, key::kLeftAlt, key::kCapsLock, key::kRightControl, key::kRightAlt},
      {key::kF1, key::kF2, key::kF3, key::kF4, key::kF5, key::kF6, key::kF7, key::kF8, key::kF9},
      {key::kF10, key::kF11, key::kF12, key::kHome, key::kUp, key::kPageUp, key::kLeft},
      {key::kRight, key::kEnd, key::kDown, key::kPageDown, key::kInsert, key::kDelete},
      {key::kLeftBracket, key::kRightBracket}};
  for (const std::vector<uint8_t>& group : editorKeys)
    for (const uint8_t code : group)
      EXPECT_TRUE(codes.count(code)) << int{code};
}

TEST(SdlKeyTable, NamedKeysHaveTheirScanCodes) {
  const struct {
    const char* name;
    uint8_t code;
  } named[] = {
      {"Escape", 0x01},    {"Return", 0x1C},     {"Backspace", 0x0E},  {"Delete", 0xD3},
      {"Up", 0xC8},        {"Down", 0xD0},       {"Left", 0xCB},       {"Right", 0xCD},
      {"F1", 0x3B},        {"F5", 0x3F},         {"F6", 0x40},         {"F10", 0x44},
      {"F11", 0x57},       {"F12", 0x58},        {"Left Shift", 0x2A}, {"Right Shift", 0x36},
      {"Left Ctrl", 0x1D}, {"Right Ctrl", 0x9D}, {"Left Alt", 0x38},   {"Right Alt", 0xB8},
      {"Space", 0x39},     {"Tab", 0x0F},        {"Home", 0xC7},       {"End", 0xCF},
      {"PageUp", 0xC9},    {"PageDown", 0xD1},   {"Insert", 0xD2},     {"Keypad Enter", 0x9C},
      {"Keypad /", 0xB5},  {"Keypad 7", 0x47},   {"Keypad .", 0x53},   {"-", 0x0C},
      {"=", 0x0D},         {"[", 0x1A},          {"]", 0x1B},          {"`", 0x29},
      {"\\", 0x2B},        {"/", 0x35},          {"Left GUI", 0xDB},   {"PrintScreen", 0xB7},
  };
  for (const auto& key : named)
    EXPECT_EQ(PcScanCodeFromSdlKeyName(key.name), key.code) << key.name;
  EXPECT_EQ(PcScanCodeFromSdl(-1), 0);
  EXPECT_EQ(PcScanCodeFromSdl(0), 0);       // SDL's unknown key
  EXPECT_EQ(PcScanCodeFromSdl(100000), 0);  // beyond SDL's keys
  EXPECT_EQ(PcScanCodeFromSdlKeyName("Keypad 00"), 0);
  EXPECT_EQ(PcScanCodeFromSdlKeyName(nullptr), 0);
}

// Letters and digits run by the rows of the PC keyboard; the editor walks them
// through the alphabetical tables of KeyCodes.h.
TEST(SdlKeyTable, LettersAndDigitsFollowTheKeyboardRows) {
  const struct {
    const char* keys;
    uint8_t first;
  } rows[] = {{"1234567890", 0x02}, {"QWERTYUIOP", 0x10}, {"ASDFGHJKL", 0x1E}, {"ZXCVBNM", 0x2C}};
  for (const auto& row : rows)
    for (size_t i = 0; row.keys[i] != '\0'; ++i) {
      const std::string name(1, row.keys[i]);
      EXPECT_EQ(PcScanCodeFromSdlKeyName(name.c_str()), row.first + i) << name;
    }
  for (int i = 0; i < 36; ++i) {
    const std::string name(1, static_cast<char>(i < 26 ? 'A' + i : '0' + i - 26));
    EXPECT_EQ(PcScanCodeFromSdlKeyName(name.c_str()),
              i < 26 ? key::kLetters[i] : key::kDigits[i - 26])
        << name;
  }
}

}  // namespace
}  // namespace tessaloop
