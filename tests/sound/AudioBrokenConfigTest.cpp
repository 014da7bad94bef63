// ALSA configurations that give no output device. The audio library's device
// scan would end the whole program on an empty or missing ALSA_CONFIG_PATH
// file; the program must run on silently and leave nothing in its folder.
// ALSA reads its configuration once per process: CTest runs each case in a
// process of its own.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/sound/SoundRig.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

struct BrokenConfiguration {
  const char* name;
  const char* contents;  // nullptr: the file is missing
  const char* logged;
};

class AudioWithABrokenAlsaConfiguration : public ::testing::TestWithParam<BrokenConfiguration> {};

TEST_P(AudioWithABrokenAlsaConfiguration, RunsSilentlyAndLeavesNothingBehind) {
  testing::WorkFolder folder;
  const BrokenConfiguration& c = GetParam();
  // A home of its own, so that no user configuration is read either.
  std::filesystem::create_directory("home");
  setenv("HOME", (folder.Path() + "/home").c_str(), 1);
  const std::string path = folder.Path() + "/home/asound.conf";
  if (c.contents != nullptr) testing::WriteFile(path, c.contents);
  setenv("ALSA_CONFIG_PATH", path.c_str(), 1);
  Palette palette;
  Sequencer seq(testing::RigSetup(palette, 3, true));  // the process survives the device scan
  EXPECT_FALSE(seq.AudioRunning());
  seq.StopAudio();
  std::string lines;
  const std::string log = testing::ReadFile("debug.txt");
  for (size_t at = log.find("Audio:"); at != std::string::npos; at = log.find("Audio:", at + 1))
    lines += log.substr(at, log.find('\n', at) - at) + "\n";
  EXPECT_EQ(lines, std::string(c.logged) + "\n");
  for (const auto& entry : std::filesystem::directory_iterator("."))
    EXPECT_TRUE(entry.path().filename() == "debug.txt" || entry.path().filename() == "home")
        << "left behind: " << entry.path();
}

// A configuration with a device but no default: the scan comes back and finds nothing to open.
INSTANTIATE_TEST_SUITE_P(
    Configurations, AudioWithABrokenAlsaConfiguration,
    ::testing::Values(
        BrokenConfiguration{"EmptyFile", "",
                            "Audio: no sound, the ALSA configuration offers no output device"},
        BrokenConfiguration{"MissingFile", nullptr,
                            "Audio: no sound, the ALSA configuration offers no output device"},
        BrokenConfiguration{"ScanThatComesBack", "pcm.mine { type hw card 7 }\n",
                            "Audio: no sound, no output device"}),
    [](const ::testing::TestParamInfo<BrokenConfiguration>& info) { return info.param.name; });

}  // namespace
}  // namespace tessaloop
