#pragma once

#include "platform/Platform.h"

namespace tessaloop {

// Decodes a BMP file and scales it by nearest neighbour to width x height
// (each at least 1). False, with image untouched, when the file is missing,
// unreadable, or not a bitmap that can be decoded. Used by both platform
// backends.
bool LoadBitmapFile(const char* path, int width, int height, DecodedImage& image);

}  // namespace tessaloop
