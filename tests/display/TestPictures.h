#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaloop::testing {

// Every pixel differs from its neighbours and from other seeds' pictures in all
// three channels, so a surface or table shows which file and pixels it came from.
std::vector<uint32_t> TestPicture(int width, int height, int seed);

// A font sheet whose pixels tell where they are (red x, green y); in the keyed
// set (rows 56 to 111) every third pixel is black, to be left out.
std::vector<uint32_t> FontSheet();

// A file the Display loads at start-up and the size it is drawn at, in the
// order they first load: the noise, the 18 palette pictures of slots 3 to 20,
// the six pieces of screen art of slots 35 to 40.
struct StartupFile {
  std::string path;
  int width;
  int height;
};
const std::vector<StartupFile>& StartupFiles();

// Writes every start-up file but those in leaveOut into data/ as a 24-bit BMP
// of TestPicture pixels, file i of StartupFiles with seed i + 1; the font
// sheet is FontSheet.
void WriteStartupFiles(const std::vector<std::string>& leaveOut = {});
int SeedOf(const std::string& path);

// The debug log as it stands, line by line.
std::vector<std::string> LogLines();
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace tessaloop::testing
