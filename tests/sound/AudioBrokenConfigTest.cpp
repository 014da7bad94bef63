// ALSA configurations that give no output device. The audio library's device
// scan would end the whole program on some of them (an empty or missing
// ALSA_CONFIG_PATH file: no sound card and no default device); the program
// must run on silently instead, and leave nothing behind in its folder.
//
// ALSA reads its configuration once per process: CTest runs each test in a
// process of its own.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "display/WavetableBank.h"
#include "sound/Sequencer.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

std::string g_Home;

// Starts a Sequencer (and its stream) with the given ALSA configuration file;
// returns the log's audio lines. The test gets this far only if the process
// survived.
std::string StartWithConfiguration(const std::string& path, bool& running) {
  setenv("ALSA_CONFIG_PATH", path.c_str(), 1);
  WavetableBank bank;
  SequencerSetup setup;
  setup.trackCount = 3;
  setup.wavetables = &bank;
  Sequencer seq(setup);
  running = seq.AudioRunning();
  seq.StopAudio();
  std::string lines;
  const std::string log = testing::ReadFile("debug.txt");
  for (size_t at = log.find("Audio:"); at != std::string::npos; at = log.find("Audio:", at + 1))
    lines += log.substr(at, log.find('\n', at) - at) + "\n";
  return lines;
}

void ExpectNothingLeftBehind() {
  for (const auto& entry : std::filesystem::directory_iterator("."))
    EXPECT_EQ(entry.path().filename(), "debug.txt") << "left behind: " << entry.path();
}

TEST(AudioWithABrokenAlsaConfiguration, EmptyFileRunsSilently) {
  testing::WorkFolder folder;
  testing::WriteFile(g_Home + "/empty.conf", "");
  bool running = true;
  EXPECT_EQ(StartWithConfiguration(g_Home + "/empty.conf", running),
            "Audio: no sound, the ALSA configuration offers no output device\n");
  EXPECT_FALSE(running);
  ExpectNothingLeftBehind();
}

TEST(AudioWithABrokenAlsaConfiguration, MissingFileRunsSilently) {
  testing::WorkFolder folder;
  bool running = true;
  EXPECT_EQ(StartWithConfiguration(g_Home + "/no-such.conf", running),
            "Audio: no sound, the ALSA configuration offers no output device\n");
  EXPECT_FALSE(running);
  ExpectNothingLeftBehind();
}

// Without a default device, but with one the scan takes: the scan is tried,
// comes back, and the library itself then finds no device to open.
TEST(AudioWithABrokenAlsaConfiguration, ScanThatComesBackIsUsed) {
  testing::WorkFolder folder;
  testing::WriteFile(g_Home + "/card.conf", "pcm.mine { type hw card 7 }\n");
  bool running = true;
  EXPECT_EQ(StartWithConfiguration(g_Home + "/card.conf", running),
            "Audio: no sound, no output device\n");
  EXPECT_FALSE(running);
  ExpectNothingLeftBehind();
}

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
