#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "display/BmpWriter.h"
#include "display/Display.h"
#include "tests/display/TestPictures.h"
#include "tests/support/NamedPipe.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

std::vector<float> Convert(const std::vector<uint8_t>& bytes) {
  std::vector<float> table(kTableLength, 99.0f);
  ConvertBitmapBytesToWavetable(bytes.data(), bytes.size(), table.data());
  return table;
}

std::vector<float> ConvertFile(const std::string& path, bool* ok = nullptr) {
  std::vector<float> table(kTableLength, 99.0f);
  const bool converted = ConvertBitmapToWavetable(path.c_str(), table.data());
  if (ok != nullptr) *ok = converted;
  return table;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  testing::WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

// The sample the walk takes from a byte of the pixel data.
float SampleOf(uint8_t byte) {
  return (static_cast<float>(byte) - 128.0f) / 128.0f;
}

TEST(WavetableConversion, OnlyTheBlueByteSounds) {
  struct Case {
    uint32_t blue;
    float sample;
  };
  for (const Case c : {Case{0, -1.0f}, Case{128, 0.0f}, Case{255, 0.9921875f}}) {
    // Green and red differ from pixel to pixel and must not matter.
    std::vector<uint32_t> pixels = testing::TestPicture(210, 210, 5);
    for (uint32_t& p : pixels)
      p = (p & 0xFFFF00) | c.blue;
    const std::vector<float> table = Convert(EncodeBmp24(210, 210, pixels.data()));
    for (int i = 0; i < kTableLength; ++i)
      ASSERT_EQ(table[i], c.sample) << "blue " << c.blue << " sample " << i;
  }
}

TEST(WavetableConversion, SamplesRunRowByRowFromTheBottom) {
  const std::vector<uint32_t> pixels = testing::TestPicture(210, 210, 3);
  const std::vector<float> table = Convert(EncodeBmp24(210, 210, pixels.data()));
  for (int row = 0; row < 210; ++row)
    for (int column = 0; column < 210; ++column) {
      // Row 0 of the samples is the bottom row of the picture.
      const uint32_t pixel = pixels[static_cast<size_t>(209 - row) * 210 + column];
      ASSERT_EQ(table[row * 210 + column], SampleOf(static_cast<uint8_t>(pixel)))
          << "row " << row << " column " << column;
    }
}

TEST(WavetableConversion, PixelDataIsReadFromTheHeadersOffset) {
  const std::vector<uint32_t> pixels = testing::TestPicture(210, 210, 9);
  const std::vector<float> expected = Convert(EncodeBmp24(210, 210, pixels.data()));
  struct Layout {
    int infoHeaderSize;
    int extraGap;
  };
  for (const Layout layout : {Layout{108, 0}, Layout{124, 0}, Layout{40, 1024}, Layout{124, 7}}) {
    const std::vector<uint8_t> bytes =
        EncodeBmp24(210, 210, pixels.data(), layout.infoHeaderSize, layout.extraGap);
    ASSERT_GT(bytes[10] | bytes[11] << 8, 54);
    EXPECT_EQ(Convert(bytes), expected)
        << "info header " << layout.infoHeaderSize << ", gap " << layout.extraGap;
  }
}

TEST(WavetableConversion, RowsAre632BytesApart) {
  // Hand-made pixel data: every byte is its offset's low 8 bits, except the
  // bytes that bound the first row's padding.
  std::vector<uint8_t> bytes(54 + 133000, 0);
  bytes[10] = 54;
  for (size_t p = 0; p < 133000; ++p)
    bytes[54 + p] = static_cast<uint8_t>(p * 7 / 3);
  bytes[54 + 627] = 1;    // the last sample of the first row
  bytes[54 + 630] = 50;   // padding
  bytes[54 + 631] = 60;   // padding
  bytes[54 + 632] = 255;  // the first sample of the second row
  const std::vector<float> table = Convert(bytes);
  EXPECT_EQ(table[209], SampleOf(1));
  EXPECT_EQ(table[210], 0.9921875f);
  EXPECT_EQ(table[211], SampleOf(bytes[54 + 635]));
  // The very last sample comes from byte 209 * 632 + 209 * 3.
  EXPECT_EQ(table[kTableLength - 1], SampleOf(bytes[54 + 132715]));
}

TEST(WavetableConversion, OtherSizesAreWalkedWithTheSameOffsets) {
  // A 300 x 200 picture has 900-byte rows, yet the walk keeps to 632.
  const std::vector<uint32_t> pixels = testing::TestPicture(300, 200, 4);
  const std::vector<uint8_t> bytes = EncodeBmp24(300, 200, pixels.data());
  const std::vector<float> table = Convert(bytes);
  for (int n = 0; n < kTableLength; ++n) {
    const size_t p = 54 + static_cast<size_t>(n / 210) * 632 + static_cast<size_t>(n % 210) * 3;
    ASSERT_EQ(table[n], SampleOf(bytes[p])) << "sample " << n;
  }
  testing::WorkFolder folder;
  WriteBytes("wide.bmp", bytes);
  EXPECT_EQ(ConvertFile("wide.bmp"), table);
}

TEST(WavetableConversion, BytesBeyondTheEndOfAShortFileAreSilent) {
  testing::WorkFolder folder;
  const std::vector<uint32_t> pixels = testing::TestPicture(210, 210, 6);
  std::vector<uint8_t> bytes = EncodeBmp24(210, 210, pixels.data());
  bytes.resize(54 + 1000);  // the first row and a part of the second
  WriteBytes("short.bmp", bytes);
  bool ok = false;
  const std::vector<float> table = ConvertFile("short.bmp", &ok);
  EXPECT_TRUE(ok);
  for (int n = 0; n < kTableLength; ++n) {
    const size_t p = static_cast<size_t>(n / 210) * 632 + static_cast<size_t>(n % 210) * 3;
    const float expected = p < 1000 ? SampleOf(bytes[54 + p]) : 0.0f;
    ASSERT_EQ(table[n], expected) << "sample " << n;
  }
  EXPECT_EQ(Convert(bytes), table);

  // No pixel data at all: an offset past the end, only a header, not even one.
  std::vector<uint8_t> farOffset = EncodeBmp24(210, 210, pixels.data());
  farOffset[13] = 0x7F;
  const std::vector<float> silence(kTableLength, 0.0f);
  EXPECT_EQ(Convert(farOffset), silence);
  WriteBytes("far.bmp", farOffset);
  EXPECT_EQ(ConvertFile("far.bmp"), silence);
  bytes.resize(54);
  EXPECT_EQ(Convert(bytes), silence);
  bytes.resize(9);
  EXPECT_EQ(Convert(bytes), silence);
  WriteBytes("tiny.bmp", bytes);
  EXPECT_EQ(ConvertFile("tiny.bmp", &ok), silence);
  EXPECT_TRUE(ok);
}

TEST(WavetableConversion, AFileThatCannotBeReadLeavesTheTableAlone) {
  testing::WorkFolder folder;
  std::filesystem::create_directory("folder.bmp");
  testing::NamedPipe pipe("pipe.bmp");
  ASSERT_TRUE(pipe.Made());
  for (const char* path : {"missing.bmp", "folder.bmp", "pipe.bmp"}) {
    bool ok = true;
    const std::vector<float> table = ConvertFile(path, &ok);
    EXPECT_FALSE(ok) << path;
    EXPECT_EQ(table, std::vector<float>(kTableLength, 99.0f)) << path;
  }
  EXPECT_FALSE(pipe.ReaderWaited()) << "a named pipe is not waited on";
}

}  // namespace
}  // namespace tessaloop
