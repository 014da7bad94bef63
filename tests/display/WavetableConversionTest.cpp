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

using testing::WriteBytes;

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

float SampleOf(uint8_t byte) {
  return (static_cast<float>(byte) - 128.0f) / 128.0f;
}

// Sample n comes from byte (n / 210) * 632 + (n % 210) * 3 of the pixel data,
// whatever the picture's size; bytes past the end of the file are silent.
void ExpectFixedWalk(const std::vector<uint8_t>& bytes, const std::vector<float>& table) {
  const size_t offset = bytes[10] | bytes[11] << 8;
  for (int n = 0; n < kTableLength; ++n) {
    const size_t p = offset + static_cast<size_t>(n / 210) * 632 + static_cast<size_t>(n % 210) * 3;
    ASSERT_EQ(table[n], p < bytes.size() ? SampleOf(bytes[p]) : 0.0f) << "sample " << n;
  }
}

TEST(WavetableConversion, OnlyTheBlueByteSounds) {
  for (const auto& [blue, sample] : {std::pair{0u, -1.0f}, {128u, 0.0f}, {255u, 0.9921875f}}) {
    // Green and red differ from pixel to pixel and must not matter.
    std::vector<uint32_t> pixels = testing::TestPicture(210, 210, 5);
    for (uint32_t& p : pixels)
      p = (p & 0xFFFF00) | blue;
    const std::vector<float> table = Convert(EncodeBmp24(210, 210, pixels.data()));
    EXPECT_EQ(table, std::vector<float>(kTableLength, sample)) << "blue " << blue;
  }
}

TEST(WavetableConversion, WalksFixedOffsetsFromTheHeadersPixelOffset) {
  struct Case {
    int width, height, infoHeaderSize, extraGap;
  };
  for (const Case c : {Case{210, 210, 40, 0}, Case{210, 210, 124, 7}, Case{210, 210, 40, 1024},
                       Case{300, 200, 108, 0}}) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + ", header " +
                 std::to_string(c.infoHeaderSize) + ", gap " + std::to_string(c.extraGap));
    const std::vector<uint32_t> pixels = testing::TestPicture(c.width, c.height, 4);
    const std::vector<uint8_t> bytes =
        EncodeBmp24(c.width, c.height, pixels.data(), c.infoHeaderSize, c.extraGap);
    if (c.infoHeaderSize + c.extraGap > 40) {
      ASSERT_GT(bytes[10] | bytes[11] << 8, 54);
    }
    ExpectFixedWalk(bytes, Convert(bytes));
  }

  // Sample 210 is byte 632: the walk steps over the row's padding.
  std::vector<uint8_t> bytes(54 + 133000, 0);
  bytes[10] = 54;
  bytes[54 + 627] = 1;
  bytes[54 + 630] = 50;
  bytes[54 + 631] = 60;
  bytes[54 + 632] = 255;
  const std::vector<float> table = Convert(bytes);
  EXPECT_EQ(table[209], SampleOf(1));
  EXPECT_EQ(table[210], 0.9921875f);
}

TEST(WavetableConversion, AShortFileEndsInSilence) {
  testing::WorkFolder folder;
  const std::vector<uint32_t> pixels = testing::TestPicture(210, 210, 6);
  std::vector<uint8_t> bytes = EncodeBmp24(210, 210, pixels.data());
  bytes.resize(54 + 1000);  // the first row and a part of the second
  WriteBytes("short.bmp", bytes);
  bool ok = false;
  const std::vector<float> table = ConvertFile("short.bmp", &ok);
  EXPECT_TRUE(ok);
  ExpectFixedWalk(bytes, table);

  // No pixel data at all: an offset past the end, only a header, not even one.
  const std::vector<float> silence(kTableLength, 0.0f);
  std::vector<uint8_t> farOffset = EncodeBmp24(210, 210, pixels.data());
  farOffset[13] = 0x7F;
  EXPECT_EQ(Convert(farOffset), silence);
  bytes.resize(54);
  EXPECT_EQ(Convert(bytes), silence);
  bytes.resize(9);
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
    EXPECT_EQ(ConvertFile(path, &ok), std::vector<float>(kTableLength, 99.0f)) << path;
    EXPECT_FALSE(ok) << path;
  }
  EXPECT_FALSE(pipe.ReaderWaited()) << "a named pipe is not waited on";
}

}  // namespace
}  // namespace tessaloop
