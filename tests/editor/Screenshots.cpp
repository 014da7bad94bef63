// Pictures of the editor to look at: a small composed song shown in each of
// the seven tabs, and with the help overlay, the user-bitmap menu and a carried
// sound. Writes 24-bit BMP files into the folder given as the argument.
//
//   editor_screenshots <folder> [3|6]

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "display/BmpWriter.h"
#include "input/KeyCodes.h"
#include "tests/editor/EditorRig.h"

namespace {

using namespace tessaloop;
using testing::EditorRig;

void Compose(Sequencer& seq) {
  const int tracks = seq.TrackCount();
  for (int t = 0; t < tracks; ++t) {
    for (int s = 0; s < kStepsPerPattern; ++s) {
      if ((s + t) % 3 == 2) continue;  // some rests
      Cell& cell = seq.GetTrack(t).m_Cells[s];
      cell.m_Slot = kFirstPaletteSlot + (s * 5 + t * 3) % 16;
      cell.m_Octave = (s + 2 * t) % 10;
      cell.m_Semitone = (s * 7 + t) % 12;
      cell.SetNote();
      cell.m_Attack = 0.01f + 0.98f * static_cast<float>(s) / 15.0f;
      cell.m_Decay = 0.99f - 0.98f * static_cast<float>((s + t) % 16) / 15.0f;
      cell.m_SlideLength = 0.25f + 0.05f * static_cast<float>(t);
      cell.m_Slide = 0.1f * static_cast<float>(1 + s % 9);
      cell.m_Pan = 0.1f * static_cast<float>(1 + (s + t) % 9);
    }
    seq.GetTrack(t).StorePattern(seq.m_Bank, 1 + t);
    for (int j = 0; j < kPlayedPositions; ++j)
      seq.m_Arrangement[t][j] = j < 12 ? 1 + (j / 4 + t) % 4 : 24;
  }
  seq.GetTrack(1).m_Mute = 1;
  seq.m_Step = 6;
  seq.m_Position = 3;
  seq.m_SongMode = 1;
  seq.m_SamplesPerStep = 9800;
}

void Shoot(EditorRig& rig, const std::string& folder, const char* name) {
  const std::string path = folder + "/" + name + ".bmp";
  if (!rig.display.WriteBackBufferImage(path.c_str()))
    std::fprintf(stderr, "could not write %s\n", path.c_str());
  else
    std::printf("%s\n", path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder> [3|6]\n", argv[0]);
    return 2;
  }
  const std::string folder = std::filesystem::absolute(argv[1]).string();
  std::filesystem::create_directories(folder);
  const int tracks = argc > 2 ? std::atoi(argv[2]) : 3;

  EditorRig rig(tracks, [] {
    std::vector<uint32_t> pixels(210 * 210);
    for (int i = 0; i < 210 * 210; ++i)
      pixels[i] = static_cast<uint32_t>((i % 210) * 0x010101 ^ (i / 210) * 0x000102);
    WriteBmp24("userbitmaps/gradient.bmp", 210, 210, pixels.data());
    WriteBmp24("userbitmaps/stripes.bmp", 210, 210, pixels.data());
  });
  Sequencer& seq = *rig.seq;
  Compose(seq);
  std::strcpy(seq.m_Name, "demo");
  seq.SaveSong();
  std::strcpy(seq.m_Name, "groove2");
  seq.SaveSong();
  rig.RunFrames(25);

  const std::pair<int, const char*> tabs[] = {
      {30, "tab1-note"},      {100, "tab2-envelope"}, {190, "tab3-slide"}, {270, "tab4-pan"},
      {340, "tab5-patterns"}, {420, "tab6-songs"},    {470, "tab7-name"}};
  for (const auto& [x, name] : tabs) {
    rig.ClickAt(x, 10);
    // The pointer rests on a cell of track 1, so the selection frame shows.
    rig.MoveTo(EditorRig::CellX(5), EditorRig::CellY(0) + 10);
    rig.RunFrames(2);
    Shoot(rig, folder, name);
  }
  rig.TapKey(key::kReturn);  // leaves tab 7, saving

  rig.ClickAt(30, 10);
  rig.MoveTo(EditorRig::CellX(9), EditorRig::CellY(1));
  rig.Key(key::kF1, true);
  rig.RunFrames(2);
  Shoot(rig, folder, "help");
  rig.Key(key::kF1, false);

  rig.MoveTo(EditorRig::PaletteX(6), EditorRig::kPaletteCentreY);
  rig.RunFrame();
  rig.Right(true);
  rig.RunFrame();
  rig.MoveTo(EditorRig::PaletteX(6), 594);
  rig.RunFrame();
  Shoot(rig, folder, "bitmap-menu");
  rig.Right(false);
  rig.MoveTo(EditorRig::PaletteX(6), EditorRig::kPaletteCentreY);
  rig.RunFrames(2);

  rig.Left(true);
  rig.RunFrame();
  rig.MoveTo(EditorRig::CellX(12) + 7, EditorRig::CellY(2) + 5);
  rig.RunFrames(2);
  Shoot(rig, folder, "carried-sound");
  rig.Left(false);
  rig.RunFrame();
  return 0;
}
