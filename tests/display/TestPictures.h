#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaloop::testing {

// A picture whose every pixel differs from its neighbours and from the same
// pixel of another seed's picture, in all three channels: a slot's surface and
// table show exactly which file and which pixels they came from.
std::vector<uint32_t> TestPicture(int width, int height, int seed);

// A file the Display loads at start-up and the size it is drawn at.
struct StartupFile {
  std::string path;
  int width;
  int height;
};
const std::vector<StartupFile>& StartupFiles();

// Writes every start-up file into data/ of the working folder as a 24-bit
// BMP of TestPicture pixels (each file its own seed), except those named in
// leaveOut.
void WriteStartupFiles(const std::vector<std::string>& leaveOut = {});

// The seed WriteStartupFiles used for a path.
int SeedOf(const std::string& path);

// The lines of the debug log.
std::vector<std::string> DebugLogLines();

}  // namespace tessaloop::testing
