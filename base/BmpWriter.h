#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaloop {

// Encodes an image as an uncompressed 24-bit bottom-up BMP file. pixels are
// 0x00RRGGBB, rows top to bottom. infoHeaderSize is 40 for the common
// BITMAPINFOHEADER; 108 or 124 write the larger V4/V5 headers (the pixel data
// then starts further into the file), and extraGap puts that many unused bytes
// between the headers and the pixel data.
std::vector<uint8_t> EncodeBmp24(int width, int height, const uint32_t* pixels,
                                 int infoHeaderSize = 40, int extraGap = 0);

// Writes EncodeBmp24's bytes to a file; false when the file cannot be written.
bool WriteBmp24(const std::string& path, int width, int height, const uint32_t* pixels,
                int infoHeaderSize = 40, int extraGap = 0);

}  // namespace tessaloop
