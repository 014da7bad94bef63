#pragma once

#include <cstddef>
#include <cstdint>

namespace tessaloop {

// Reads a bitmap file's pixel bytes as a one-second wavetable: 210 rows of 210
// samples from the pixel-data offset, the first byte of every pixel (blue in a
// 24-bit file), rows 632 bytes apart, each byte b giving (b - 128) / 128.
// Bytes beyond the end of the file give 0. The header is not looked at beyond
// the offset: any file accepted as a bitmap sounds.
void ConvertBitmapBytesToWavetable(const uint8_t* bytes, size_t size, float* table);

}  // namespace tessaloop
