// The lower part of the screen and what is carried over it: the help overlay,
// tempo, mute buttons, the palette with its drag and drop, the user-bitmap
// menu and the carried picture.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/DebugLog.h"
#include "display/Display.h"
#include "editor/Editor.h"
#include "editor/Layout.h"
#include "input/InputState.h"
#include "input/KeyCodes.h"
#include "sound/Sequencer.h"

namespace tessaloop {

namespace {

using namespace layout;

struct HelpLine {
  int y;
  bool heading;  // headings use the keyed glyphs
  const char* text;
};

// The line about user bitmaps names the size the wavetable conversion reads
// (210 x 210 pixels, one sample per pixel). Drawn from x 500 it is cut at the
// screen edge after "24bit".
constexpr HelpLine kHelpLines[] = {
    {420, true, "Help"},
    {440, false, "Left click and drag from palette below to create a sequence"},
    {450, false, "Hold control when dragging to paint"},
    {460, false, "Right click on the palette to load a new bitmap"},
    {470, false, "Left click and drag on a cell to change its frequency"},
    {480, false, "Left click and drag tempo number to change playback speed"},
    {500, true, "User Bitmaps"},
    {520, false, "User created bitmaps must be 210 by 210 pixels and saved in 24bit BMP format"},
    {530, false, "Place your bitmaps in the userbitmaps folder"},
    {540, false, "See bitmaps in this folder for examples"},
};

constexpr const char* kUserBitmapFolder = "userbitmaps/";

}  // namespace

void Editor::LowerPanel() {
  Display& display = m_Display;
  InputState& input = m_Input;
  Sequencer& seq = m_Seq;
  const int x = input.m_MouseX;
  const int y = input.m_MouseY;
  const bool shift = input.KeyDown(key::kLeftShift);
  const bool ctrl = input.KeyDown(key::kLeftControl);

  // 1. Help, while F1 is held.
  if (input.KeyDown(key::kF1)) {
    for (const HelpLine& line : kHelpLines) {
      if (line.heading)
        display.DrawStringKeyed(kHelpX, line.y, line.text);
      else
        display.DrawString(kHelpX, line.y, line.text);
    }
  }

  // 2. Tempo steps: fine with Shift, coarse with Ctrl (Ctrl wins).
  m_TempoDragScale = 10;
  if (shift) m_TempoDragScale = 1;
  if (ctrl) m_TempoDragScale = 100;

  // 3. The tempo in steps per minute.
  const int32_t samplesPerStep = std::max<int32_t>(seq.m_SamplesPerStep, kMinSamplesPerStep);
  const float stepsPerMinute =
      static_cast<float>(kSampleRate) / static_cast<float>(samplesPerStep) * 60.0f;
  display.DrawFloat(kTempoX, kTempoY, stepsPerMinute);

  // 4. Tempo drag. The input poll holds the pointer still while m_TempoDrag is
  // set, and the raw motion of this frame is what moves the tempo: down
  // lengthens the step (slower), up shortens it. Only this frame's: the raw
  // sums also hold whatever the pointer could not follow since the last drag
  // (pushed past the screen's edge, confined to a cell), and a first frame
  // that applied all of that could throw the tempo to either end at once.
  if (Between(x, kTempoLeft, kTempoRight) && Between(y, kTempoTop, kTempoBottom)) {
    display.DrawStringKeyed(kTempoHoverX, kTempoY, "1");
    if (input.LeftButton(0) && m_PaletteDrag == -1 && m_PaletteReplace == -1) {
      m_TempoDrag = 1;
      // In double precision and clamped before it becomes an integer again, so
      // no amount of motion can overflow the conversion.
      const double moved = -static_cast<double>(input.m_FrameMotionY);
      const double next = std::trunc(static_cast<double>(samplesPerStep) -
                                     moved * static_cast<double>(m_TempoDragScale));
      seq.SetTempo(static_cast<int32_t>(std::clamp(next, static_cast<double>(kMinSamplesPerStep),
                                                   static_cast<double>(kMaxSamplesPerStep))));
      input.m_MotionY = input.m_PrevMouseY;
      input.m_MotionX = input.m_PrevMouseX;
    }
  }

  // 5. Mute buttons.
  for (int t = 0; t < seq.TrackCount(); ++t) {
    const int bx = kMuteX + t * kMuteSpacing;
    const Track& track = seq.GetTrack(t);
    display.DrawStringKeyed(bx, kMuteY, track.m_Mute ? "2" : "3");
    if (Between(x, bx, bx + kMuteWidth) && Between(y, kMuteTop, kMuteBottom)) {
      display.DrawStringKeyed(bx, kMuteY, "4");
      // The click is taken (and its hold started) before the carried sound or
      // the open menu is looked at, so a blocked click still holds.
      if (input.LeftButton(kToggleClickHold) && m_PaletteDrag == -1 && m_PaletteReplace == -1)
        seq.SetMute(t, track.m_Mute == 0);
    }
  }

  // 6. The palette: one row of 16 sounds.
  for (int i = 0; i < kPaletteSquares; ++i)
    display.BlitSlot(i * kCellSize, kPaletteY, kFirstPaletteSlot + i, kCellRect, false);

  // 7. Drop the carried sound where the button is released. With Ctrl held it
  // stays on the pointer and paints every cell it passes over.
  if (!input.LeftButton(0) && m_PaletteDrag > 0) {
    const int row = (y - kRowsTop) / kCellSize;  // above the rows counts as row 0
    const int column = x / kCellSize;
    if (row >= 0 && row < seq.TrackCount() && column >= 0 && column < kStepsPerPattern) {
      CellSound sound = seq.GetTrack(row).m_Cells[column].Sound();
      sound.slot = m_PaletteDrag;
      seq.SetCell(row, column, sound);
    }
    if (!ctrl) m_PaletteDrag = -1;
  }

  // 8. Over the palette: the hover frame, pick up with the left button, open
  // the user-bitmap menu with the right.
  if (Between(y, kPaletteTop, kPaletteBottom)) {
    const int square = std::clamp(x / kCellSize, 0, kPaletteSquares - 1);
    if (m_PaletteReplace == -1)
      display.BlitSlot(square * kCellSize, kPaletteY, kSlotSelected, kCellRect, true);
    if (input.LeftButton(0) && m_PaletteDrag == -1) m_PaletteDrag = kFirstPaletteSlot + square;
    if (input.RightButton(0) && m_PaletteReplace == -1) {
      m_PaletteReplace = kFirstPaletteSlot + square;
      m_PaletteDrag = -1;
    }
  }

  // 9. The user-bitmap menu, open while the right button is held. Releasing
  // over a name loads that file into the square's slot.
  if (m_PaletteReplace >= 0) {
    const int cx = (m_PaletteReplace - kFirstPaletteSlot) * kCellSize;
    const int count = std::clamp<int32_t>(m_Bitmaps.count, 0, kListSize);
    // The names stand above the square, moved left as far as the longest
    // must be to be read whole at the screen's right edge.
    int widest = 0;
    for (int v = 0; v < count; ++v)
      widest = std::max(widest, static_cast<int>(std::strlen(m_Bitmaps.names[v])) * kGlyphWidth);
    const int namesX = std::clamp(cx, 0, std::max(0, kScreenWidth - widest));
    const bool rightHeld = input.RightButton(0) != 0;
    if (y < kPaletteY && y > kPaletteY - count * kMenuRowHeight) {
      display.DrawStringKeyed(namesX + kMenuMarkerDX, (y / kMenuRowHeight) * kMenuRowHeight, "1");
      if (!rightHeld) {
        const char* name = m_Bitmaps.names[(kPaletteY - y) / kMenuRowHeight];
        char path[kSlotNameLength];
        const int length = std::snprintf(path, sizeof path, "%s%s", kUserBitmapFolder, name);
        if (length < 0 || length >= kSlotNameLength) {
          // A slot name holds 31 characters: such a path could not be kept
          // with the slot (nor saved with the song), so it is not loaded.
          char message[96];
          std::snprintf(message, sizeof message, "User bitmap name too long to load: %.60s", name);
          WriteDebugLog(message);
        } else {
          display.DrawString(kBitmapPathX, kBitmapPathY, path);
          seq.ReplaceSound(m_PaletteReplace, path);
        }
      }
    }
    display.BlitSlot(cx, kPaletteY, kSlotSelected, kCellRect, true);
    for (int v = 0; v < count; ++v)
      display.DrawString(namesX, kMenuFirstNameY - v * kMenuRowHeight, m_Bitmaps.names[v]);
    // Pictures the list could not take are named only in the log; the menu
    // says so where the user looks for them, on a row above the names, out of
    // the region that chooses one. Even above a full list it is well below the
    // tab bar, and it is moved left as far as it must to end on the screen.
    char notice[64] = {};
    if (m_Bitmaps.overflowed) {
      std::snprintf(notice, sizeof notice, "Not every picture is listed: see debug.txt");
    } else if (m_Bitmaps.leftOut > 0) {
      std::snprintf(notice, sizeof notice, "%d %s not listed: see debug.txt",
                    static_cast<int>(m_Bitmaps.leftOut),
                    m_Bitmaps.leftOut == 1 ? "picture" : "pictures");
    }
    if (notice[0] != '\0') {
      const int width = static_cast<int>(std::strlen(notice)) * kGlyphWidth;
      display.DrawString(std::clamp(cx, 0, kScreenWidth - width),
                         kMenuFirstNameY - count * kMenuRowHeight, notice);
    }
    if (!rightHeld) m_PaletteReplace = -1;
  }

  // 10. The carried sound follows the pointer, always whole on the screen.
  if (m_PaletteDrag >= 1)
    display.BlitSlot(std::clamp(x - kCellSize / 2, 0, kCarriedMaxX),
                     std::clamp(y - kCellSize / 2, 0, kCarriedMaxY), m_PaletteDrag, kCellRect,
                     false);
}

}  // namespace tessaloop
