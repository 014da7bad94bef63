// The real audio callback on its own thread (PortAudio on a null ALSA device)
// while the interface thread edits everything through Frame; under
// ThreadSanitizer any unsynchronised access between the two is a failure.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "input/KeyCodes.h"
#include "tests/editor/EditorRig.h"

namespace tessaloop {
namespace {

namespace fs = std::filesystem;
using testing::EditorRig;

void PlayOneRound(EditorRig& rig, int round) {
  const auto tab = [&](int t) {
    constexpr int kTabX[8] = {0, 30, 100, 190, 270, 340, 420, 470};
    rig.ClickAt(kTabX[t], 10);
    rig.RunFrame();
  };
  const auto tap = [&](int x, int y, uint8_t k) {
    rig.HoverAt(x, y);
    rig.TapKey(k, 2);
  };
  const auto drag = [&](int x, int y, int dx, int dy, uint8_t modifier) {
    rig.PressAt(x, y);
    rig.Key(modifier, true);
    for (int i = 0; i < 4; ++i) {
      rig.Move(dx / 4, dy / 4);
      rig.RunFrame();
    }
    rig.Key(modifier, false);
    rig.Left(false);
    rig.RunFrame();
  };
  const int tracks = rig.seq->TrackCount();
  // Song mode on in the first round, then track 0 muted and unmuted in turn.
  rig.ClickAt(round == 0 ? 55 : 415, 677);
  rig.RunFrame();
  // A drop on every track; track 1 goes on painting with Ctrl.
  for (int t = 0; t < tracks; ++t) {
    const int step = (round + t) % 4;
    rig.PickUp((round + t * 5) % 16);
    rig.HoverAt(EditorRig::CellX(step), EditorRig::CellY(t));
    rig.Key(key::kLeftControl, t == 1);
    rig.Left(false);
    for (int s = step + 1; s < step + 4; ++s)
      rig.HoverAt(EditorRig::CellX(s), EditorRig::CellY(t));
    rig.Key(key::kLeftControl, false);
  }
  for (int t = 1; t <= 4; ++t) {
    tab(t);
    drag(EditorRig::CellX((round + t) % 4) - 20, EditorRig::CellY(t % 2) - 20, 8 * t, 40 - 8 * t,
         key::kLeftShift);
  }
  tap(EditorRig::CellX(round % 4), EditorRig::CellY(0), key::kUp);
  tap(EditorRig::CellX(round % 4), EditorRig::CellY(0), key::kC);
  tap(EditorRig::CellX(2), EditorRig::CellY(2), key::kF5);
  tap(EditorRig::CellX(9), EditorRig::CellY(2), key::kF6);
  tap(EditorRig::CellX(8), EditorRig::CellY(1), key::kDelete);

  // Patterns stored as A and B, B loaded back into the last track; then the
  // arrangement, which song mode plays.
  tab(5);
  for (int t = 0; t < tracks; ++t) {
    tap(30, t * 64 + 50, key::kA);
    tap(30, t * 64 + 50, key::kB);
    for (int j = 0; j < 3; ++j)
      tap(j * 10 + 15, t * 10 + 705, j % 2 ? key::kA : key::kB);
  }
  tap(100, (tracks - 1) * 64 + 50, key::kB);
  drag(290, 675, 0, -60, key::kLeftControl);  // faster tempo, so patterns change often

  // Save under a typed name, then load the song back from the list.
  tab(7);
  for (int i = 0; i < 12; ++i)
    rig.TapKey(key::kBackspace);
  for (uint8_t k : {key::kS, key::kE, key::kS, key::kDigits[round % 10], key::kReturn})
    rig.TapKey(k);
  rig.RunFrames(21);  // a save holds the keys of the song list for 20 frames
  tab(6);
  rig.TapKey(key::kReturn);
  rig.RunFrames(2);

  // A user bitmap into a palette square whose sound is playing.
  rig.HoverAt(EditorRig::PaletteX(round % 16), EditorRig::kPaletteCentreY);
  rig.Right(true);
  rig.RunFrame();
  rig.HoverAt(EditorRig::PaletteX(round % 16), 595 - 10 * (round % 5));
  rig.Right(false);
  rig.RunFrame();
}

TEST(TwoThreadsSession, AudioPlaysOnWhileTheEditorChangesEverything) {
  EditorRig rig(3, [] {
    for (const auto& entry : fs::directory_iterator(fs::path(testing::SourceDir()) / "userbitmaps"))
      fs::copy_file(entry.path(), fs::path("userbitmaps") / entry.path().filename());
  });
  ASSERT_GE(rig.editor->m_Bitmaps.count, 5);
  rig.platform.SetKeepFrames(false);
  rig.seq->StartAudio();
  ASSERT_TRUE(rig.seq->AudioRunning()) << "the ALSA device should open";

  // Rounds while the callback makes its first 5 s of sound (at least 3, at
  // most 20); then, however slow the machine, until it has made them.
  const uint64_t wanted = 5 * kSampleRate;
  int rounds = 0;
  while (rounds < 3 || (rig.seq->CallbackFrames() < wanted && rounds < 20))
    PlayOneRound(rig, rounds++);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
  while (rig.seq->CallbackFrames() < wanted && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  rig.seq->StopAudio();

  EXPECT_GE(rig.seq->CallbackFrames(), wanted) << rounds << " rounds";
  EXPECT_TRUE(rig.seq->m_SongMode);
  EXPECT_LT(rig.seq->m_SamplesPerStep, kDefaultSamplesPerStep);
  EXPECT_EQ(rig.seq->GetTrack(0).m_Mute, rounds % 2 == 0 ? 1 : 0);
  EXPECT_TRUE(fs::exists("songs/ses0.tlp") && fs::exists("songs/ses2.tlp"));
  EXPECT_EQ(std::string(rig.palette.Name(6 + 2)).rfind("userbitmaps/", 0), 0u)
      << rig.palette.Name(8);
  const std::string log = testing::ReadFile("debug.txt");
  EXPECT_NE(log.find("Saving Patch"), std::string::npos);
  EXPECT_NE(log.find("Loading seq"), std::string::npos);
}

}  // namespace
}  // namespace tessaloop

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  ::testing::InitGoogleTest(&argc, argv);
  // A device that takes every frame and keeps none: the callback runs flat out.
  std::string folder = (fs::temp_directory_path() / "tessaloop-alsa-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) return 1;
  std::ofstream(folder + "/asound.conf") << "pcm.!default {\n"
                                            "    type file\n"
                                            "    slave.pcm { type null }\n"
                                            "    file \"/dev/null\"\n"
                                            "    format \"raw\"\n"
                                            "}\n";
  setenv("ALSA_CONFIG_PATH", (folder + "/asound.conf").c_str(), 1);
  setenv("HOME", folder.c_str(), 1);
  const int result = RUN_ALL_TESTS();
  fs::remove_all(folder);
  return result;
}
