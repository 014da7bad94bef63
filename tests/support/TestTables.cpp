#include "tests/support/TestTables.h"

#include <vector>

#include "display/WavetableBank.h"

namespace tessaloop::testing {

float TestTableSample(int slot, int index) {
  int byte = (index * 7 + slot * 37 + 1) % 255;  // 0-254, skips 128 at index 0
  if (byte == 128) byte = 129;
  return (static_cast<float>(byte) - 128.0f) / 128.0f;
}

void FillTestTables(WavetableBank& bank) {
  std::vector<float> table(kTableLength);
  for (int s = 0; s < kSlotCount; ++s) {
    for (int i = 0; i < kTableLength; ++i)
      table[i] = TestTableSample(s, i);
    bank.StoreTable(s, table.data());
  }
}

void FillConstantTable(WavetableBank& bank, int slot, float value) {
  std::vector<float> table(kTableLength, value);
  bank.StoreTable(slot, table.data());
}

}  // namespace tessaloop::testing
