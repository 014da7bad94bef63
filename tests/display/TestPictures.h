#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaloop::testing {

// Every pixel differs from its neighbours and from other seeds' pictures in all
// three channels, so a surface or table shows which file and pixels it came from.
std::vector<uint32_t> TestPicture(int width, int height, int seed);

// A file the Display loads at start-up and the size it is drawn at.
struct StartupFile {
  std::string path;
  int width;
  int height;
};
const std::vector<StartupFile>& StartupFiles();

// Writes every start-up file but those in leaveOut into data/ as a 24-bit BMP
// of TestPicture pixels, each file with its own seed (SeedOf).
void WriteStartupFiles(const std::vector<std::string>& leaveOut = {});
int SeedOf(const std::string& path);

std::vector<std::string> DebugLogLines();
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace tessaloop::testing
