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

std::string g_Home;

struct BrokenConfiguration {
  const char* name;
  const char* file;      // under HOME
  const char* contents;  // nullptr: the file is missing
  const char* logged;
};

void PrintTo(const BrokenConfiguration& c, std::ostream* os) {
  *os << c.name;
}

class AudioWithABrokenAlsaConfiguration : public ::testing::TestWithParam<BrokenConfiguration> {};

TEST_P(AudioWithABrokenAlsaConfiguration, RunsSilentlyAndLeavesNothingBehind) {
  testing::WorkFolder folder;
  const BrokenConfiguration& c = GetParam();
  const std::string path = g_Home + "/" + c.file;
  if (c.contents != nullptr) testing::WriteFile(path, c.contents);
  setenv("ALSA_CONFIG_PATH", path.c_str(), 1);
  bool running = true;
  {
    WavetableBank bank;
    Sequencer seq(testing::RigSetup(bank, 3, true));
    running = seq.AudioRunning();
    seq.StopAudio();
  }  // the process survived the device scan
  EXPECT_FALSE(running);
  std::string lines;
  const std::string log = testing::ReadFile("debug.txt");
  for (size_t at = log.find("Audio:"); at != std::string::npos; at = log.find("Audio:", at + 1))
    lines += log.substr(at, log.find('\n', at) - at) + "\n";
  EXPECT_EQ(lines, std::string(c.logged) + "\n");
  for (const auto& entry : std::filesystem::directory_iterator("."))
    EXPECT_EQ(entry.path().filename(), "debug.txt") << "left behind: " << entry.path();
}

// A configuration with a device but no default: the scan comes back and finds nothing to open.
INSTANTIATE_TEST_SUITE_P(
    Configurations, AudioWithABrokenAlsaConfiguration,
    ::testing::Values(
        BrokenConfiguration{"EmptyFile", "empty.conf", "",
                            "Audio: no sound, the ALSA configuration offers no output device"},
        BrokenConfiguration{"MissingFile", "no-such.conf", nullptr,
                            "Audio: no sound, the ALSA configuration offers no output device"},
        BrokenConfiguration{"ScanThatComesBack", "card.conf", "pcm.mine { type hw card 7 }\n",
                            "Audio: no sound, no output device"}),
    [](const ::testing::TestParamInfo<BrokenConfiguration>& info) { return info.param.name; });

}  // namespace
}  // namespace tessaloop

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  tessaloop::g_Home = (std::filesystem::temp_directory_path() / "tessaloop-home-XXXXXX").string();
  if (mkdtemp(tessaloop::g_Home.data()) == nullptr) return 1;
  setenv("HOME", tessaloop::g_Home.c_str(), 1);
  const int result = RUN_ALL_TESTS();
  std::filesystem::remove_all(tessaloop::g_Home);
  return result;
}
