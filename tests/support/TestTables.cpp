#include "tests/support/TestTables.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "sound/Palette.h"
#include "sound/WavetableConversion.h"

namespace tessaloop::testing {

float TestTableSample(int slot, int index) {
  int byte = (index * 7 + slot * 37 + 1) % 255;  // 0-254, skips 128 at index 0
  if (byte == 128) byte = 129;
  return (static_cast<float>(byte) - 128.0f) / 128.0f;
}

void FillTestTables(Palette& palette) {
  std::vector<float> table(kTableLength);
  for (int s = 0; s < kSlotCount; ++s) {
    for (int i = 0; i < kTableLength; ++i)
      table[i] = TestTableSample(s, i);
    palette.StoreTable(s, table.data());
  }
}

std::vector<float> TableOfFile(const std::string& path) {
  std::vector<float> table(kTableLength, 0.0f);
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
  if (in.is_open() && !bytes.empty())
    ConvertBitmapBytesToWavetable(bytes.data(), bytes.size(), table.data());
  return table;
}

void FillConstantTable(Palette& palette, int slot, float value) {
  std::vector<float> table(kTableLength, value);
  palette.StoreTable(slot, table.data());
}

}  // namespace tessaloop::testing
