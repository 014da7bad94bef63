// The table that turns SDL2's keys into the PC scan codes the keyboard
// snapshot is indexed by: a wrong or doubled entry makes a key act as another.

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
  EXPECT_EQ(PcScanCodeFromSdl(-1), 0);
  EXPECT_EQ(PcScanCodeFromSdl(0), 0);       // SDL's unknown key
  EXPECT_EQ(PcScanCodeFromSdl(100000), 0);  // beyond SDL's keys
}

// The editor's keys reach it with their codes end to end; the letters and
// digits it walks by KeyCodes.h's tables are each the key SDL2 names so.
TEST(SdlKeyTable, LettersAndDigitsAreTheKeysOfTheirNames) {
  for (int i = 0; i < 36; ++i) {
    const std::string name(1, static_cast<char>(i < 26 ? 'A' + i : '0' + i - 26));
    EXPECT_EQ(PcScanCodeFromSdlKeyName(name.c_str()),
              i < 26 ? key::kLetters[i] : key::kDigits[i - 26])
        << name;
  }
  EXPECT_EQ(PcScanCodeFromSdlKeyName("Keypad 00"), 0);  // a key without a code
  EXPECT_EQ(PcScanCodeFromSdlKeyName(nullptr), 0);
}

}  // namespace
}  // namespace tessaloop
