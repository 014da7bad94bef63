// Without any output device the program runs on silently.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/sound/SoundRig.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

TEST(AudioWithoutDevice, StreamStaysClosedAndEverythingElseGoesOn) {
  testing::WorkFolder folder;
  WavetableBank bank;
  Sequencer seq(testing::RigSetup(bank, 3, true));
  if (seq.AudioRunning()) GTEST_SKIP() << "this machine has an output device";

  EXPECT_NE(seq.m_AudioResult, 0);
  const std::string log = testing::ReadFile("debug.txt");
  EXPECT_NE(log.find("Audio: no sound"), std::string::npos) << log;

  // The clock still runs when driven.
  testing::SizeMix(seq);
  float out[128];
  seq.RenderBlock(out, 64);
  EXPECT_EQ(seq.m_SampleCount, 64);

  seq.StopAudio();
  seq.StopAudio();
  EXPECT_FALSE(seq.AudioRunning());
}

}  // namespace
}  // namespace tessaloop

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // The system's own ALSA configuration, and no user configuration.
  unsetenv("ALSA_CONFIG_PATH");
  std::string home = (std::filesystem::temp_directory_path() / "tessaloop-home-XXXXXX").string();
  if (mkdtemp(home.data()) == nullptr) return 1;
  setenv("HOME", home.c_str(), 1);
  const int result = RUN_ALL_TESTS();
  std::filesystem::remove_all(home);
  return result;
}
