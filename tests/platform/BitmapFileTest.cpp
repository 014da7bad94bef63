#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/BmpWriter.h"
#include "platform/BitmapFile.h"
#include "tests/display/TestPictures.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

using testing::TestPicture;
using testing::WriteBytes;

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// An 8-bit palette file, rows top to bottom in `indices`: a 24-bit file's
// headers with room for the palette, made 8-bit.
std::vector<uint8_t> Bmp8(int width, int height, const std::vector<uint32_t>& palette,
                          const std::vector<uint8_t>& indices) {
  const std::vector<uint32_t> blank(static_cast<size_t>(width) * height);
  const int paletteBytes = static_cast<int>(4 * palette.size());
  std::vector<uint8_t> bytes = EncodeBmp24(width, height, blank.data(), 40, paletteBytes);
  bytes[28] = 8;
  Put32(bytes, 46, static_cast<uint32_t>(palette.size()));
  for (size_t i = 0; i < palette.size(); ++i)
    Put32(bytes, 54 + 4 * i, palette[i]);
  const size_t rowBytes = (static_cast<size_t>(width) + 3) / 4 * 4;
  bytes.resize(54 + paletteBytes + rowBytes * height);  // no more than the rows take
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      bytes[54 + paletteBytes + (height - 1 - y) * rowBytes + x] = indices[y * width + x];
  return bytes;
}

class BitmapFileTest : public ::testing::Test {
 protected:
  // Loads a file; a refused one leaves the image untouched.
  bool Load(const std::string& path, int width, int height) {
    image = DecodedImage{};
    image.width = -7;
    const bool loaded = LoadBitmapFile(path.c_str(), width, height, image);
    EXPECT_TRUE(loaded || (image.width == -7 && image.pixels.empty())) << path;
    return loaded;
  }

  testing::WorkFolder folder;
  DecodedImage image;
};

TEST_F(BitmapFileTest, DecodesEveryPixelOf24BitAndPaletteFiles) {
  const std::vector<uint32_t> pixels = TestPicture(37, 23, 1);  // rows need padding
  for (const int infoHeader : {40, 124}) {
    WriteBmp24("picture.bmp", 37, 23, pixels.data(), infoHeader, infoHeader == 124 ? 9 : 0);
    ASSERT_TRUE(Load("picture.bmp", 37, 23)) << infoHeader;
    EXPECT_EQ(image.pixels, pixels) << infoHeader;
  }
  // Rows stored top-down (a negative height) come out the same way up.
  std::vector<uint32_t> flipped;
  for (int y = 22; y >= 0; --y)
    flipped.insert(flipped.end(), pixels.begin() + y * 37, pixels.begin() + y * 37 + 37);
  std::vector<uint8_t> bytes = EncodeBmp24(37, 23, flipped.data());
  Put32(bytes, 22, static_cast<uint32_t>(-23));
  WriteBytes("topdown.bmp", bytes);
  ASSERT_TRUE(Load("topdown.bmp", 37, 23));
  EXPECT_EQ(image.pixels, pixels);

  const std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x123456};
  const std::vector<uint8_t> indices = {0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 3, 3};
  WriteBytes("palette.bmp", Bmp8(4, 3, palette, indices));
  ASSERT_TRUE(Load("palette.bmp", 4, 3));
  for (size_t i = 0; i < indices.size(); ++i)
    EXPECT_EQ(image.pixels[i], palette[indices[i]]) << i;
}

// Nearest neighbour, sampled at the centre of each new pixel: when shrinking,
// three pixels become the middle one.
TEST_F(BitmapFileTest, ScalesByNearestNeighbour) {
  const std::vector<uint32_t> quarters = {0x111111, 0x222222, 0x333333, 0x444444};
  WriteBmp24("quarters.bmp", 2, 2, quarters.data());
  ASSERT_TRUE(Load("quarters.bmp", 4, 6));
  ASSERT_EQ(image.pixels.size(), 24u);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(image.pixels[y * 4 + x], quarters[(y / 3) * 2 + x / 2]) << x << "," << y;
  const std::vector<uint32_t> three = {0xAA0000, 0x00BB00, 0x0000CC};
  WriteBmp24("three.bmp", 3, 1, three.data());
  ASSERT_TRUE(Load("three.bmp", 1, 1));
  EXPECT_EQ(image.pixels[0], 0x00BB00u);
}

// Sizes no picture is drawn at are refused. (Damaged files are the fuzzer's,
// and files that are no plain files or no bitmaps are refused as user bitmaps
// end to end.)
TEST_F(BitmapFileTest, RefusesSizesNoPictureIsDrawnAt) {
  const std::vector<uint32_t> pixels = TestPicture(16, 16, 3);
  WriteBmp24("good.bmp", 16, 16, pixels.data());
  ASSERT_TRUE(Load("good.bmp", 16, 16));
  for (const auto& [width, height] : {std::pair{0, 16}, {16, -1}, {1 << 20, 16}})
    EXPECT_FALSE(Load("good.bmp", width, height)) << width << " x " << height;
  EXPECT_FALSE(LoadBitmapFile(nullptr, 16, 16, image));
}

}  // namespace
}  // namespace tessaloop
