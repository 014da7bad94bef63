#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "display/Display.h"
#include "input/InputState.h"
#include "platform/HeadlessPlatform.h"
#include "sound/Sequencer.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop::testing {

// The editor on a headless display with scripted input, in its own working
// folder (data/ linked, empty songs/ and userbitmaps/). Each RunFrame presents
// the previous frame and runs one Frame, so after it the back buffer holds
// exactly what that frame drew.
class EditorRig {
 public:
  // prepare runs in the working folder before the Sequencer lists it.
  explicit EditorRig(int trackCount = 3, const std::function<void()>& prepare = {});
  ~EditorRig();

  void RunFrame();
  void RunFrames(int count);

  // Moves the pointer by relative motion; it arrives with the next frame.
  void MoveTo(int x, int y);
  void Move(int dx, int dy) { platform.MoveMouse(dx, dy); }
  void Left(bool down) { platform.SetButton(0, down); }
  void Right(bool down) { platform.SetButton(1, down); }
  void Key(uint8_t scanCode, bool down) { platform.SetKey(scanCode, down); }
  // Holds a key for the given frames, then lets it go.
  void TapKey(uint8_t scanCode, int frames = 1);
  // Moves there, then holds the left button for the given frames and lets go.
  void ClickAt(int x, int y, int frames = 1);

  // The centre of cell (track, step) and of palette square i.
  static int CellX(int step) { return step * 64 + 32; }
  static int CellY(int track) { return track * 64 + 24 + 32; }
  static int PaletteX(int square) { return square * 64 + 32; }
  static constexpr int kPaletteCentreY = 632;

  Cell& CellAt(int track, int step) { return seq->GetTrack(track).m_Cells[step]; }

  WorkFolder folder;
  HeadlessPlatform platform;
  Display display;
  InputState input;
  std::unique_ptr<Sequencer> seq;

 private:
  bool m_FramePending = false;
};

// Whether the 8 x 8 glyph of character c (first set opaque, second keyed) is
// what the back buffer shows at (x, y). False for a glyph with nothing to see.
// Pixels under the pointer glyph (drawn over everything) are not compared.
bool GlyphAt(const EditorRig& rig, int x, int y, char c, bool keyed);
// Whether every glyph of text is shown from (x, y) on (spaces are skipped).
bool TextAt(const EditorRig& rig, int x, int y, const char* text, bool keyed);
// Whether the top-left w x h of a slot's picture (keyed: its non-key pixels)
// is shown at (x, y), apart from the pointer glyph.
bool PictureAt(const EditorRig& rig, int x, int y, int slot, bool keyed, int w = 64, int h = 64);
// Whether the pointer glyph is drawn, whole, where the pointer is.
bool PointerDrawn(const EditorRig& rig);

}  // namespace tessaloop::testing
