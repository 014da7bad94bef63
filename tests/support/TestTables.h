#pragma once

#include <string>
#include <vector>

namespace tessaloop {
class Palette;
}

namespace tessaloop::testing {

// Fills every slot of a palette with a distinct, deterministic table whose values
// are multiples of 1/128 (as a converted bitmap's are) and never 0 at index 0.
void FillTestTables(Palette& palette);

// The value FillTestTables stores at sample i of slot s.
float TestTableSample(int slot, int index);

// The table the wavetable conversion makes of a file's bytes; silence for a
// file that cannot be read.
std::vector<float> TableOfFile(const std::string& path);

// Fills one slot with a constant value.
void FillConstantTable(Palette& palette, int slot, float value);

}  // namespace tessaloop::testing
