#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "display/BmpWriter.h"
#include "display/Display.h"
#include "platform/BitmapFile.h"
#include "tests/support/NamedPipe.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

std::vector<uint32_t> Picture(int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[static_cast<size_t>(y) * width + x] =
          static_cast<uint32_t>((x * 37 + y * 11) & 0xFF) << 16 |
          static_cast<uint32_t>((x * 5 + y * 71) & 0xFF) << 8 |
          static_cast<uint32_t>((x * 13 + y * 3 + 7) & 0xFF);
  return pixels;
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  testing::WriteFile(path, std::string(bytes.begin(), bytes.end()));
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

TEST_F(BitmapFileTest, DecodesEveryPixelOfA24BitFile) {
  const std::vector<uint32_t> pixels = Picture(37, 23);  // rows need padding
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
}

TEST_F(BitmapFileTest, DecodesPaletteFiles) {
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

  // Shrinking samples the middle of each new pixel: three become one, the
  // middle one; and a 210-pixel row shown at 64 keeps both its far ends.
  const std::vector<uint32_t> three = {0xAA0000, 0x00BB00, 0x0000CC};
  WriteBmp24("three.bmp", 3, 1, three.data());
  ASSERT_TRUE(Load("three.bmp", 1, 1));
  EXPECT_EQ(image.pixels[0], 0x00BB00u);
  const std::vector<uint32_t> row = Picture(210, 1);
  WriteBmp24("row.bmp", 210, 1, row.data());
  ASSERT_TRUE(Load("row.bmp", 64, 1));
  EXPECT_EQ(image.pixels[0], row[1]);
  EXPECT_EQ(image.pixels[63], row[208]);
}

TEST_F(BitmapFileTest, RefusesWhatIsNotAWholeBitmap) {
  const std::vector<uint32_t> pixels = Picture(16, 16);
  const std::vector<uint8_t> good = EncodeBmp24(16, 16, pixels.data());
  WriteBytes("good.bmp", good);
  ASSERT_TRUE(Load("good.bmp", 16, 16));

  std::filesystem::create_directory("folder.bmp");
  testing::WriteFile("empty.bmp", "");
  testing::WriteFile("text.bmp", "This is a text file and no picture at all, however named.");
  WriteBytes("cut.bmp", std::vector<uint8_t>(good.begin(), good.begin() + 300));
  WriteBytes("header.bmp", std::vector<uint8_t>(good.begin(), good.begin() + 20));

  auto withField = [&](const char* name, size_t at, uint32_t value) {
    std::vector<uint8_t> bytes = good;
    Put32(bytes, at, value);
    WriteBytes(name, bytes);
  };
  withField("zero-width.bmp", 18, 0);
  withField("zero-height.bmp", 22, 0);
  withField("huge.bmp", 18, 100000);
  withField("huge-both.bmp", 22, 0x7FFFFFFF);
  withField("min-height.bmp", 22, 0x80000000);
  withField("far-offset.bmp", 10, 0xFFFFFFF0);
  withField("info-size.bmp", 14, 7);
  {
    // Run-length data may be short, but not for a picture of 900 megapixels.
    std::vector<uint8_t> bytes = Bmp8(4, 4, {0, 0xFFFFFF}, std::vector<uint8_t>(16, 1));
    Put32(bytes, 18, 30000);
    Put32(bytes, 22, 30000);
    Put32(bytes, 30, 1);  // BI_RLE8
    WriteBytes("rle-huge.bmp", bytes);
  }

  // A named pipe would keep the program waiting for a writer.
  testing::NamedPipe pipe("pipe.bmp");
  ASSERT_TRUE(pipe.Made());

  for (const char* path :
       {"missing.bmp", "folder.bmp", "empty.bmp", "text.bmp", "cut.bmp", "header.bmp",
        "zero-width.bmp", "zero-height.bmp", "huge.bmp", "huge-both.bmp", "min-height.bmp",
        "far-offset.bmp", "info-size.bmp", "rle-huge.bmp", "pipe.bmp"})
    EXPECT_FALSE(Load(path, 16, 16)) << path;
  EXPECT_FALSE(pipe.ReaderWaited());

  EXPECT_FALSE(Load("good.bmp", 0, 16));
  EXPECT_FALSE(Load("good.bmp", 16, -1));
  EXPECT_FALSE(Load("good.bmp", 1 << 20, 16));
  EXPECT_FALSE(LoadBitmapFile(nullptr, 16, 16, image));
}

// Damaged files, made by changing and cutting valid ones, are decoded or
// refused, never anything worse; the wavetable walk takes them all.
TEST_F(BitmapFileTest, DamagedFilesNeverBreakTheLoader) {
  const std::vector<uint32_t> pixels = Picture(24, 20);
  std::vector<uint8_t> palette8 =
      Bmp8(24, 20, {0x000000, 0xFFFFFF, 0x808080}, std::vector<uint8_t>(24 * 20, 2));
  const std::vector<std::vector<uint8_t>> originals = {
      EncodeBmp24(24, 20, pixels.data()), EncodeBmp24(24, 20, pixels.data(), 124), palette8};
  std::mt19937 random(20240601);
  std::vector<float> table(kTableLength);
  int loaded = 0;
  for (int round = 0; round < 1500; ++round) {
    std::vector<uint8_t> bytes = originals[round % originals.size()];
    const int changes = 1 + static_cast<int>(random() % 6);
    for (int c = 0; c < changes; ++c) {
      // Header bytes are changed most, since they steer the decoder.
      const size_t at = random() % 2 ? random() % 70 : random() % bytes.size();
      bytes[at] = random() % 3 ? static_cast<uint8_t>(random()) : 0xFF;
    }
    if (random() % 4 == 0) bytes.resize(random() % bytes.size());
    WriteBytes("damaged.bmp", bytes);
    DecodedImage decoded;
    if (LoadBitmapFile("damaged.bmp", 20, 16, decoded)) {
      ++loaded;
      ASSERT_EQ(decoded.pixels.size(), 20u * 16u);
      for (uint32_t p : decoded.pixels)
        ASSERT_EQ(p & 0xFF000000, 0u);
    }
    ConvertBitmapBytesToWavetable(bytes.data(), bytes.size(), table.data());
  }
  EXPECT_GT(loaded, 0);
}

}  // namespace
}  // namespace tessaloop
