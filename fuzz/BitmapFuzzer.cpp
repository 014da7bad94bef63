// Fuzzes everything that reads a bitmap file: the wavetable conversion of its
// bytes, and the decoding and scaling that makes its picture (through the
// platform's BMP decoder), together as a palette load with a display does them.
//
// Every input is written to a file and loaded into a palette slot. A load is
// all or nothing: when it fails the slot keeps its picture, name and sound;
// when it succeeds the slot holds a 64 x 64 picture, the path, and exactly the
// samples the conversion makes of the bytes in memory. The first two bytes also
// pick a size for a second decode of a loaded file, so odd target sizes are
// scaled too (up to 191 x 127: the allocator maps a larger picture's memory
// afresh every time).

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/DebugLog.h"
#include "display/Display.h"
#include "platform/BitmapFile.h"
#include "platform/HeadlessPlatform.h"
#include "sound/Palette.h"
#include "sound/WavetableBank.h"
#include "sound/WavetableConversion.h"

namespace {

using namespace tessaloop;

constexpr const char* kPath = "fuzz-input.bmp";
constexpr int kSlot = 10;

void Fail(const char* what) {
  std::fprintf(stderr, "bitmap fault: %s\n", what);
  std::abort();
}

Palette& ThePalette() {
  static Palette palette;
  return palette;
}

// Takes part in every load of the palette from the first on.
Display& TheDisplay() {
  static HeadlessPlatform platform;
  static Display display(platform, false, ThePalette());
  return display;
}

// One of the loops coverage-ignore.txt keeps out of the instrumentation, so it
// must not be inlined into the caller.
[[gnu::noinline]] bool SlotHoldsTable(const Palette& palette, const float* table) {
  for (int i = 0; i < kTableLength; ++i)
    if (palette.Tables().Sample(kSlot, i) != table[i]) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetDebugLogEnabled(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(kPath, "wb");
  if (file == nullptr) return 0;
  const bool written = std::fwrite(data, 1, size, file) == size;
  if (std::fclose(file) != 0 || !written) return 0;

  Palette& palette = ThePalette();
  const Display& display = TheDisplay();
  // The slot's table as the last load that worked left it: silence until then.
  // Every successful load below checks the slot against it, so a failed one
  // can be checked against the whole table without copying it first.
  static std::vector<float> table(kTableLength, 0.0f);
  char nameBefore[kSlotNameLength];
  std::memcpy(nameBefore, palette.Name(kSlot), sizeof nameBefore);
  const Surface* surfaceBefore = display.SlotSurface(kSlot);

  const bool loaded = palette.Load(kSlot, kPath);
  const Surface* surface = display.SlotSurface(kSlot);
  if (loaded) {
    if (std::strcmp(palette.Name(kSlot), kPath) != 0) Fail("the name is not the path");
    if (surface == nullptr || surface->Width() != 64 || surface->Height() != 64)
      Fail("a palette picture is not 64 x 64");
    ConvertBitmapBytesToWavetable(data, size, table.data());
    if (!SlotHoldsTable(palette, table.data()))
      Fail("the slot's table is not the conversion of the file");
  } else {
    if (std::memcmp(nameBefore, palette.Name(kSlot), sizeof nameBefore) != 0)
      Fail("a failed load changed the name");
    if (surface != surfaceBefore) Fail("a failed load changed the picture");
    if (!SlotHoldsTable(palette, table.data())) Fail("a failed load changed the sound");
  }

  // The same file decoded to a size picked by the input, as screen art is. (A
  // file the slot refused fails whatever the size: the size is only checked
  // against limits far above these.)
  if (!loaded) return 0;
  const int width = size > 0 ? 1 + data[0] % 191 : 1;
  const int height = size > 1 ? 1 + data[1] % 127 : 1;
  DecodedImage image;
  if (!LoadBitmapFile(kPath, width, height, image))
    Fail("a file loads into a slot, not at this size");
  if (image.width != width || image.height != height ||
      image.pixels.size() != static_cast<size_t>(width) * height)
    Fail("a decoded image of the wrong size");
  return 0;
}
