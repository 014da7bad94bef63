// The table that turns SDL2's keys into the PC scan codes the keyboard
// snapshot is indexed by. A wrong or doubled entry would make a key act as
// another, so every entry is checked against the PC layout itself.

#include <gtest/gtest.h>

#include <set>
#include <string>

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
}

TEST(SdlKeyTable, NamedKeysHaveTheirScanCodes) {
  const struct {
    const char* name;
    uint8_t code;
  } named[] = {
      {"Escape", 0x01},    {"Return", 0x1C},      {"Backspace", 0x0E},   {"Delete", 0xD3},
      {"Up", 0xC8},        {"Down", 0xD0},        {"Left", 0xCB},        {"Right", 0xCD},
      {"F1", 0x3B},        {"F5", 0x3F},          {"F6", 0x40},          {"F10", 0x44},
      {"F11", 0x57},       {"F12", 0x58},         {"Left Shift", 0x2A},  {"Right Shift", 0x36},
      {"Left Ctrl", 0x1D}, {"Left Alt", 0x38},    {"Space", 0x39},       {"Tab", 0x0F},
      {"CapsLock", 0x3A},  {"Keypad *", 0x37},    {"Keypad -", 0x4A},    {"Keypad +", 0x4E},
      {"Keypad 7", 0x47},  {"Keypad 0", 0x52},    {"Keypad .", 0x53},    {"Numlock", 0x45},
      {"-", 0x0C},         {"=", 0x0D},           {"[", 0x1A},           {"]", 0x1B},
      {";", 0x27},         {"'", 0x28},           {"`", 0x29},           {"\\", 0x2B},
      {",", 0x33},         {".", 0x34},           {"/", 0x35},           {"Left GUI", 0xDB},
      {"Right GUI", 0xDC}, {"Application", 0xDD}, {"PrintScreen", 0xB7},
  };
  for (const auto& key : named)
    EXPECT_EQ(PcScanCodeFromSdlKeyName(key.name), key.code) << key.name;
}

// Letters and digits by the rows of the PC keyboard, which is how their codes
// run; the editor walks them through the alphabetical tables of KeyCodes.h.
TEST(SdlKeyTable, LettersAndDigitsFollowTheKeyboardRows) {
  const struct {
    const char* keys;
    uint8_t first;
  } rows[] = {{"1234567890", 0x02}, {"QWERTYUIOP", 0x10}, {"ASDFGHJKL", 0x1E}, {"ZXCVBNM", 0x2C}};
  for (const auto& row : rows) {
    for (size_t i = 0; row.keys[i] != '\0'; ++i) {
      const std::string name(1, row.keys[i]);
      EXPECT_EQ(PcScanCodeFromSdlKeyName(name.c_str()), row.first + i) << name;
    }
  }
  for (int i = 0; i < 26; ++i) {
    const std::string name(1, static_cast<char>('A' + i));
    EXPECT_EQ(PcScanCodeFromSdlKeyName(name.c_str()), key::kLetters[i]) << name;
  }
  for (int i = 0; i < 10; ++i) {
    const std::string name(1, static_cast<char>('0' + i));
    EXPECT_EQ(PcScanCodeFromSdlKeyName(name.c_str()), key::kDigits[i]) << name;
  }
}

// Keys that send an extra prefix byte share their code with a key of the main
// block or keypad and sit 0x80 above it.
TEST(SdlKeyTable, ExtendedKeysSitAboveTheirTwins) {
  const struct {
    const char* extended;
    const char* twin;
  } pairs[] = {
      {"Up", "Keypad 8"},          {"Down", "Keypad 2"},       {"Left", "Keypad 4"},
      {"Right", "Keypad 6"},       {"Home", "Keypad 7"},       {"End", "Keypad 1"},
      {"PageUp", "Keypad 9"},      {"PageDown", "Keypad 3"},   {"Insert", "Keypad 0"},
      {"Delete", "Keypad ."},      {"Keypad Enter", "Return"}, {"Keypad /", "/"},
      {"Right Ctrl", "Left Ctrl"}, {"Right Alt", "Left Alt"},
  };
  for (const auto& pair : pairs) {
    const uint8_t twin = PcScanCodeFromSdlKeyName(pair.twin);
    ASSERT_NE(twin, 0) << pair.twin;
    EXPECT_EQ(PcScanCodeFromSdlKeyName(pair.extended), twin + 0x80) << pair.extended;
  }
}

TEST(SdlKeyTable, EveryKeyTheEditorNamesCanBePressed) {
  const uint8_t editorKeys[] = {key::kEscape,
                                key::kMinus,
                                key::kEquals,
                                key::kBackspace,
                                key::kTab,
                                key::kReturn,
                                key::kLeftControl,
                                key::kSemicolon,
                                key::kApostrophe,
                                key::kGrave,
                                key::kLeftShift,
                                key::kBackslash,
                                key::kComma,
                                key::kPeriod,
                                key::kSlash,
                                key::kRightShift,
                                key::kKeypadMultiply,
                                key::kLeftAlt,
                                key::kSpace,
                                key::kCapsLock,
                                key::kF1,
                                key::kF2,
                                key::kF3,
                                key::kF4,
                                key::kF5,
                                key::kF6,
                                key::kF7,
                                key::kF8,
                                key::kF9,
                                key::kF10,
                                key::kF11,
                                key::kF12,
                                key::kRightControl,
                                key::kRightAlt,
                                key::kHome,
                                key::kUp,
                                key::kPageUp,
                                key::kLeft,
                                key::kRight,
                                key::kEnd,
                                key::kDown,
                                key::kPageDown,
                                key::kInsert,
                                key::kDelete,
                                key::kLeftBracket,
                                key::kRightBracket};
  std::set<uint8_t> reachable;
  for (const SdlKeyMapping& m : SdlKeyTable())
    reachable.insert(m.pcCode);
  for (const uint8_t code : editorKeys)
    EXPECT_TRUE(reachable.count(code)) << int{code};
  for (const uint8_t code : key::kLetters)
    EXPECT_TRUE(reachable.count(code)) << int{code};
  for (const uint8_t code : key::kDigits)
    EXPECT_TRUE(reachable.count(code)) << int{code};
}

TEST(SdlKeyTable, KeysWithoutACodeAndOutOfRangeValuesGiveZero) {
  EXPECT_EQ(PcScanCodeFromSdl(-1), 0);
  EXPECT_EQ(PcScanCodeFromSdl(0), 0);       // SDL's unknown key
  EXPECT_EQ(PcScanCodeFromSdl(100000), 0);  // beyond SDL's keys
  EXPECT_EQ(PcScanCodeFromSdlKeyName("Keypad 00"), 0);
  EXPECT_EQ(PcScanCodeFromSdlKeyName("no such key"), 0);
  EXPECT_EQ(PcScanCodeFromSdlKeyName(nullptr), 0);
}

}  // namespace
}  // namespace tessaloop
