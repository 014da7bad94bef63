#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "display/BmpWriter.h"
#include "display/Display.h"
#include "platform/BitmapFile.h"
#include "tests/display/TestPictures.h"
#include "tests/support/NamedPipe.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

using testing::TestPicture;
using testing::WriteBytes;

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// An 8-bit palette file, rows top to bottom in `indices`.
std::vector<uint8_t> Bmp8(int width, int height, const std::vector<uint32_t>& palette,
                          const std::vector<uint8_t>& indices) {
  const size_t rowBytes = (static_cast<size_t>(width) + 3) / 4 * 4;
  const size_t offset = 14 + 40 + 4 * palette.size();
  std::vector<uint8_t> bytes(offset + rowBytes * height, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  Put32(bytes, 2, static_cast<uint32_t>(bytes.size()));
  Put32(bytes, 10, static_cast<uint32_t>(offset));
  Put32(bytes, 14, 40);
  Put32(bytes, 18, static_cast<uint32_t>(width));
  Put32(bytes, 22, static_cast<uint32_t>(height));
  bytes[26] = 1;
  bytes[28] = 8;
  Put32(bytes, 46, static_cast<uint32_t>(palette.size()));
  for (size_t i = 0; i < palette.size(); ++i)
    Put32(bytes, 54 + 4 * i, palette[i]);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      bytes[offset + (height - 1 - y) * rowBytes + x] = indices[y * width + x];
  return bytes;
}

class BitmapFileTest : public ::testing::Test {
 protected:
  // Loads a file; the image must come back whole or untouched.
  bool Load(const std::string& path, int width, int height) {
    image = DecodedImage{};
    image.width = -7;
    const bool loaded = LoadBitmapFile(path.c_str(), width, height, image);
    if (loaded) {
      EXPECT_EQ(image.width, width);
      EXPECT_EQ(image.height, height);
      EXPECT_EQ(image.pixels.size(), static_cast<size_t>(width) * height);
    } else {
      EXPECT_EQ(image.width, -7) << "a refused file leaves the image alone";
      EXPECT_TRUE(image.pixels.empty());
    }
    return loaded;
  }

  testing::WorkFolder folder;
  DecodedImage image;
};

TEST_F(BitmapFileTest, DecodesEveryPixelOf24BitAndPaletteFiles) {
  const std::vector<uint32_t> pixels = TestPicture(37, 23, 1);  // rows need padding
  for (const int infoHeader : {40, 108, 124}) {
    WriteBmp24("picture.bmp", 37, 23, pixels.data(), infoHeader, infoHeader == 124 ? 9 : 0);
    ASSERT_TRUE(Load("picture.bmp", 37, 23)) << infoHeader;
    EXPECT_EQ(image.pixels, pixels) << infoHeader;
  }
  // Rows stored top-down (a negative height) come out the same way up.
  std::vector<uint32_t> flipped(pixels.size());
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x)
      flipped[y * 37 + x] = pixels[(22 - y) * 37 + x];
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

TEST_F(BitmapFileTest, ScalesByNearestNeighbour) {
  const std::vector<uint32_t> quarters = {0x111111, 0x222222, 0x333333, 0x444444};
  WriteBmp24("quarters.bmp", 2, 2, quarters.data());
  ASSERT_TRUE(Load("quarters.bmp", 4, 6));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(image.pixels[y * 4 + x], quarters[(y / 3) * 2 + x / 2]) << x << "," << y;

  // Shrinking samples the middle of each new pixel: three become the middle
  // one, and a 210-pixel row shown at 64 keeps both its far ends.
  const std::vector<uint32_t> three = {0xAA0000, 0x00BB00, 0x0000CC};
  WriteBmp24("three.bmp", 3, 1, three.data());
  ASSERT_TRUE(Load("three.bmp", 1, 1));
  EXPECT_EQ(image.pixels[0], 0x00BB00u);
  const std::vector<uint32_t> row = TestPicture(210, 1, 2);
  WriteBmp24("row.bmp", 210, 1, row.data());
  ASSERT_TRUE(Load("row.bmp", 64, 1));
  EXPECT_EQ(image.pixels[0], row[1]);
  EXPECT_EQ(image.pixels[63], row[208]);
}

TEST_F(BitmapFileTest, RefusesWhatIsNotAWholeBitmap) {
  const std::vector<uint32_t> pixels = TestPicture(16, 16, 3);
  const std::vector<uint8_t> good = EncodeBmp24(16, 16, pixels.data());
  WriteBytes("good.bmp", good);
  ASSERT_TRUE(Load("good.bmp", 16, 16));

  std::vector<std::string> bad = {"missing.bmp", "folder.bmp", "empty.bmp", "text.bmp",
                                  "cut.bmp",     "header.bmp", "pipe.bmp"};
  std::filesystem::create_directory("folder.bmp");
  testing::WriteFile("empty.bmp", "");
  testing::WriteFile("text.bmp", "This is a text file and no picture at all, however named.");
  WriteBytes("cut.bmp", std::vector<uint8_t>(good.begin(), good.begin() + 300));
  WriteBytes("header.bmp", std::vector<uint8_t>(good.begin(), good.begin() + 20));
  testing::NamedPipe pipe("pipe.bmp");  // would keep the program waiting for a writer
  ASSERT_TRUE(pipe.Made());
  const struct {
    const char* name;
    size_t at;
    uint32_t value;
  } fields[] = {
      {"zero-width", 18, 0},         {"zero-height", 22, 0},         {"huge", 18, 100000},
      {"huge-both", 22, 0x7FFFFFFF}, {"min-height", 22, 0x80000000}, {"far-offset", 10, 0xFFFFFFF0},
      {"info-size", 14, 7}};
  for (const auto& field : fields) {
    std::vector<uint8_t> bytes = good;
    Put32(bytes, field.at, field.value);
    WriteBytes(bad.emplace_back(std::string(field.name) + ".bmp"), bytes);
  }
  // Run-length data may be short, but not for a picture of 900 megapixels.
  std::vector<uint8_t> rle = Bmp8(4, 4, {0, 0xFFFFFF}, std::vector<uint8_t>(16, 1));
  Put32(rle, 18, 30000);
  Put32(rle, 22, 30000);
  Put32(rle, 30, 1);  // BI_RLE8
  WriteBytes(bad.emplace_back("rle-huge.bmp"), rle);

  for (const std::string& path : bad)
    EXPECT_FALSE(Load(path, 16, 16)) << path;
  EXPECT_FALSE(pipe.ReaderWaited());
  EXPECT_FALSE(Load("good.bmp", 0, 16));
  EXPECT_FALSE(Load("good.bmp", 16, -1));
  EXPECT_FALSE(Load("good.bmp", 1 << 20, 16));
  EXPECT_FALSE(LoadBitmapFile(nullptr, 16, 16, image));
}

}  // namespace
}  // namespace tessaloop
