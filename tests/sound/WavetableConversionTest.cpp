#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/BmpWriter.h"
#include "sound/WavetableBank.h"
#include "sound/WavetableConversion.h"
#include "tests/display/TestPictures.h"

namespace tessaloop {
namespace {

std::vector<float> Convert(const std::vector<uint8_t>& bytes) {
  std::vector<float> table(kTableLength, 99.0f);
  ConvertBitmapBytesToWavetable(bytes.data(), bytes.size(), table.data());
  return table;
}

// Sample n is byte b = (n / 210) * 632 + (n % 210) * 3 of the pixel data, as
// (b - 128) / 128, whatever the picture's size and header; bytes past the end
// of the file are silent.
void ExpectFixedWalk(const std::vector<uint8_t>& bytes, const std::vector<float>& table) {
  const size_t offset = bytes[10] | bytes[11] << 8 | bytes[12] << 16 | size_t{bytes[13]} << 24;
  for (int n = 0; n < kTableLength; ++n) {
    const size_t p = offset + static_cast<size_t>(n / 210) * 632 + static_cast<size_t>(n % 210) * 3;
    const float expected = p < bytes.size() ? (static_cast<float>(bytes[p]) - 128.0f) / 128.0f : 0;
    ASSERT_EQ(table[n], expected) << "sample " << n;
  }
}

TEST(WavetableConversion, WalksFixedOffsetsFromTheHeadersPixelOffset) {
  struct Case {
    int width, height, infoHeaderSize, extraGap;
    size_t size;  // of the file: a short file ends in silence
  };
  for (const Case c :
       {Case{210, 210, 124, 7, 0}, Case{300, 200, 40, 0, 0}, Case{210, 210, 40, 0, 54 + 1000}}) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + ", " +
                 std::to_string(c.size) + " bytes");
    const std::vector<uint32_t> pixels = testing::TestPicture(c.width, c.height, 4);
    std::vector<uint8_t> bytes =
        EncodeBmp24(c.width, c.height, pixels.data(), c.infoHeaderSize, c.extraGap);
    if (c.size != 0) bytes.resize(c.size);
    ExpectFixedWalk(bytes, Convert(bytes));
  }
}

}  // namespace
}  // namespace tessaloop
