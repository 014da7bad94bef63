#include "platform/BitmapFile.h"

namespace tessaloop {

// Placeholder until BMP decoding lands.
bool LoadBitmapFile(const char*, int, int, DecodedImage&) {
  return false;
}

}  // namespace tessaloop
