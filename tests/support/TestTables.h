#pragma once

namespace tessaloop {
class WavetableBank;
}

namespace tessaloop::testing {

// Fills every slot of a bank with a distinct, deterministic table whose values
// are multiples of 1/128 (as a converted bitmap's are) and never 0 at index 0.
void FillTestTables(WavetableBank& bank);

// The value FillTestTables stores at sample i of slot s.
float TestTableSample(int slot, int index);

// Fills one slot with a constant value.
void FillConstantTable(WavetableBank& bank, int slot, float value);

}  // namespace tessaloop::testing
