#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessaloop {

// The largest bitmap file the program reads: far beyond any picture it shows
// (the largest is 512 wide) and any photograph a user might drop into
// userbitmaps/, yet small enough that reading one never asks for more than a
// few hundred megabytes.
constexpr long kMaxBitmapFileBytes = 160L << 20;

// Reads a whole plain file of at most kMaxBitmapFileBytes (and at least one
// byte) into bytes, whose memory a caller that reads many files keeps from one
// read to the next. False when the file cannot be read or is too large.
bool ReadWholeBitmapFile(const char* path, std::vector<uint8_t>& bytes);

// What a BMP file's header says, checked for sense: the magic, a header size
// and picture size that are possible, a bit depth the decoder knows, and for
// pictures that are not run-length coded every pixel row inside the file. The
// picture decoder is asked to decode only files that pass; a palette without a
// display (the exporter) takes the sound of exactly the files that pass. A
// file that passes and still fails to decode (a broken run-length stream, odd
// colour masks) is refused by the program with a display but sounds in the
// exporter.
bool PlausibleBitmapHeader(const uint8_t* bytes, size_t size);

}  // namespace tessaloop
