#include "tests/display/TestPictures.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "base/BmpWriter.h"
#include "base/DebugLog.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop::testing {

std::vector<uint32_t> TestPicture(int width, int height, int seed) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t r = (x * 3 + y * 5 + seed * 17) & 0xFF;
      const uint32_t g = (x * 11 + y * 2 + seed * 29) & 0xFF;
      const uint32_t b = (x * 7 + y * 13 + seed * 41 + 1) & 0xFF;
      pixels[static_cast<size_t>(y) * width + x] = r << 16 | g << 8 | b;
    }
  return pixels;
}

std::vector<uint32_t> FontSheet() {
  std::vector<uint32_t> sheet(256 * 256);
  for (uint32_t y = 0; y < 256; ++y)
    for (uint32_t x = 0; x < 256; ++x) {
      const bool keyedSet = y >= 56 && y < 112;
      const bool hole = keyedSet && (x + y) % 3 == 0;
      sheet[y * 256 + x] = hole ? 0 : x << 16 | y << 8 | (keyedSet ? 0x40 : 0x80);
    }
  return sheet;
}

const std::vector<StartupFile>& StartupFiles() {
  static const std::vector<StartupFile> files = [] {
    std::vector<StartupFile> list;
    for (const char* name :
         {"noise", "notfound", "max", "min", "square", "stepsaw", "stepsine", "cellstar",
          "noise-fade", "pit", "multi-circle", "noise-square", "grid", "impulse", "pattern1",
          "small-square", "corner", "multi-band", "slant"})
      list.push_back({std::string("data/") + name + ".bmp", 210, 210});
    list.insert(list.end(), {{"data/text.bmp", 256, 256},
                             {"data/selected.bmp", 64, 64},
                             {"data/tabs.bmp", 512, 24},
                             {"data/tempo.bmp", 512, 24},
                             {"data/title.bmp", 512, 24},
                             {"data/tabon.bmp", 10, 24}});
    return list;
  }();
  return files;
}

int SeedOf(const std::string& path) {
  const auto& files = StartupFiles();
  for (size_t i = 0; i < files.size(); ++i)
    if (files[i].path == path) return static_cast<int>(i) + 1;
  return 0;
}

void WriteStartupFiles(const std::vector<std::string>& leaveOut) {
  std::filesystem::create_directories("data");
  for (const StartupFile& file : StartupFiles()) {
    if (std::find(leaveOut.begin(), leaveOut.end(), file.path) != leaveOut.end()) continue;
    std::vector<uint32_t> pixels = TestPicture(file.width, file.height, SeedOf(file.path));
    if (file.path == "data/text.bmp") pixels = FontSheet();
    WriteBmp24(file.path, file.width, file.height, pixels.data());
  }
}

std::vector<std::string> LogLines() {
  std::istringstream in(ReadFile(kDebugLogPath));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

}  // namespace tessaloop::testing
