#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "display/Display.h"
#include "editor/Editor.h"
#include "input/InputState.h"
#include "platform/HeadlessPlatform.h"
#include "sound/Palette.h"
#include "sound/Sequencer.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop::testing {

// The editor on a headless display with scripted input, in its own working
// folder. After each RunFrame the back buffer holds exactly what that frame drew.
class EditorRig {
 public:
  // prepare runs in the working folder before the editor lists it.
  explicit EditorRig(int trackCount = 3, const std::function<void()>& prepare = {});

  void RunFrame();
  void RunFrames(int count);

  // Moves the pointer by motion alone (a platform that knows no place); it
  // arrives with the next frame.
  void MoveTo(int x, int y) { Move(x - input.m_MouseX, y - input.m_MouseY); }
  void Move(int dx, int dy) { platform.MoveMouse(dx, dy); }
  void Left(bool down) { platform.SetButton(0, down); }
  void Right(bool down) { platform.SetButton(1, down); }
  void Key(uint8_t scanCode, bool down) { platform.SetKey(scanCode, down); }
  // Holds the keys for the given frames, then lets them go.
  void TapKey(uint8_t scanCode, int frames = 1) { TapKeys({scanCode}, frames); }
  void TapKeys(const std::vector<uint8_t>& scanCodes, int frames = 1);
  // Moves there and runs a frame.
  void HoverAt(int x, int y) {
    MoveTo(x, y);
    RunFrame();
  }
  // Hovers there, then presses the left button for one frame and keeps it held.
  void PressAt(int x, int y) {
    HoverAt(x, y);
    Left(true);
    RunFrame();
  }
  // Presses there, holds the left button for the given frames and lets go.
  void ClickAt(int x, int y, int frames = 1) {
    PressAt(x, y);
    RunFrames(frames - 1);
    Left(false);
  }
  // Presses on palette square i, picking up its sound.
  void PickUp(int square) { PressAt(PaletteX(square), kPaletteCentreY); }

  // The centre of cell (track, step) and of palette square i.
  static int CellX(int step) { return step * 64 + 32; }
  static int CellY(int track) { return track * 64 + 24 + 32; }
  static int PaletteX(int square) { return square * 64 + 32; }
  static constexpr int kPaletteCentreY = 632;

  Cell& CellAt(int track, int step) { return seq->GetTrack(track).m_Cells[step]; }

  WorkFolder folder;
  HeadlessPlatform platform;
  Palette palette;
  Display display;
  InputState input;
  std::unique_ptr<Sequencer> seq;
  std::unique_ptr<Editor> editor;

 private:
  bool m_FramePending = false;
};

// Whether the back buffer shows the text or top-left w x h of a slot's
// picture at (x, y) (keyed: only non-key pixels count; spaces are skipped).
// Pixels under the pointer glyph, drawn over everything, are not compared.
bool TextAt(const EditorRig& rig, int x, int y, const char* text, bool keyed);
bool PictureAt(const EditorRig& rig, int x, int y, int slot, bool keyed, int w = 64, int h = 64);
// Whether the pointer glyph is drawn, whole, where the pointer is.
bool PointerDrawn(const EditorRig& rig);

}  // namespace tessaloop::testing
