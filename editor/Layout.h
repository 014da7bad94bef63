#pragma once

// Every place on the editor's fixed 1024 x 768 screen. Positions are the
// top-left corner of what is drawn; regions are hit-test bounds that the
// pointer must lie strictly between unless a name says Min/Max (inclusive).

#include <algorithm>
#include <cstdint>

#include "display/Surface.h"
#include "sound/Cell.h"

namespace tessaloop::layout {

// Whether value lies strictly between low and high: how every region is hit.
constexpr bool Between(int value, int low, int high) {
  return low < value && value < high;
}

// ---- Pictures ----
constexpr Rect kBarRect{0, 0, 512, 24};                // tab, tempo and title bars
constexpr Rect kCellRect{0, 0, kCellSize, kCellSize};  // palette pictures, highlight frame
constexpr Rect kTabMarkerRect{0, 0, 10, 24};
constexpr Rect kButtonFaceRect{0, 0, 54, 24};  // face of the Save and Load buttons
constexpr Rect kNoteMarkerRect{0, 0, 12, 12};  // behind the octave and semitone of a cell

constexpr int kTabBarX = 0, kTabBarY = 0;
constexpr int kTitleX = 501, kTitleY = 0;
constexpr int kTempoBarX = 0, kTempoBarY = 666;

// ---- Tab bar ----
struct TabArea {
  int tab;
  int minX;  // inclusive
  int maxX;  // inclusive
  int markerX;
};
constexpr TabArea kTabAreas[7] = {
    {1, 0, 65, 39},     {2, 66, 148, 127},  {3, 149, 238, 218}, {4, 239, 305, 276},
    {5, 306, 388, 361}, {6, 389, 455, 426}, {7, 456, 484, 495},
};
constexpr int kTabBarBottom = 24;  // the tab bar reacts while y < this
constexpr int kTabBarRight = 485;  // ... and x < this

constexpr int kTabNote = 1;
constexpr int kTabEnvelope = 2;
constexpr int kTabSlide = 3;
constexpr int kTabPan = 4;
constexpr int kTabPatterns = 5;
constexpr int kTabSongList = 6;
constexpr int kTabSongName = 7;

// The pointer is kept this far inside the screen so its glyph is always whole.
constexpr int kPointerMaxX = 1012;
constexpr int kPointerMaxY = 756;

// ---- Track rows ----
constexpr int kRowsTop = 24;  // cell (t, s) is at (s * 64, t * 64 + 24)
constexpr int RowY(int track) {
  return track * kCellSize + kRowsTop;
}
constexpr int kPlayGlyphDX = 26;  // the playing-step glyph, from the cell's corner
constexpr int kPlayGlyphDY = 26;

// Tab 5: Save and Load buttons over cells 0 and 1 of each row; y offsets from RowY.
constexpr int kSaveFaceX = 5, kLoadFaceX = 69, kButtonFaceDY = 8;
constexpr int kSaveTextX = 7, kLoadTextX = 71, kButtonTextDY = 10;
constexpr int kButtonLetterDY = 22;  // letter of the stored / loaded pattern
constexpr int kSaveHoverX = 19, kLoadHoverX = 83;
constexpr int kButtonRegionBottomDY = 60;  // region RowY < y < RowY + 60
constexpr int kSaveRegionRight = 64;       // x < 64
constexpr int kLoadRegionLeft = 64, kLoadRegionRight = 128;

// ---- Inside a cell (offsets from its corner) ----
constexpr int kOctaveMarkerX = 26;  // note marker of the octave; its y is 56 - 6 x octave
constexpr int kOctaveTextX = 28;
constexpr int kOctaveBottom = 56;
constexpr int kOctaveStep = 6;
constexpr int kSemitoneMarkerY = 30;  // note marker of the semitone; its x is 5 x semitone
constexpr int kSemitoneTextY = 32;
constexpr int kSemitoneStep = 5;
constexpr float kHandleMin = 2;  // the "8" handle keeps 2 pixels from every edge
constexpr float kHandleMax = 54;
constexpr int kPanHandleY = 32;

// ---- Title area ----
constexpr int kSongNumberX = 502, kSongNameListX = 524, kTitleTextY = 8;
constexpr int kSongNameEntryX = 514;
// "saved" or "not saved", one glyph clear of a name of 12 characters; both
// end in the title picture's empty field (x 507-731), left of its emblem.
constexpr int kSaveNoteX = 618;

// ---- Help overlay (while F1 is held) ----
constexpr int kHelpX = 500;

// ---- Palette and user-bitmap menu ----
constexpr int kPaletteY = 600;
constexpr int kPaletteTop = 600, kPaletteBottom = 664;  // region 600 < y < 664
constexpr int kPaletteSquares = 16;
constexpr int kMenuRowHeight = 10;  // names stack upwards from y 590
constexpr int kMenuFirstNameY = 590;
constexpr int kGlyphWidth = 8;  // every character of the font, drawn or not
constexpr int kMenuMarkerDX = -13;
constexpr int kBitmapPathX = 692, kBitmapPathY = 730;
constexpr int kCarriedMaxX = 960, kCarriedMaxY = 704;  // the carried picture stays whole

// ---- Bottom bar ----
constexpr int kSongModeX = 54, kSongModeY = 673;
constexpr int kSongModeLeft = 51, kSongModeRight = 60, kSongModeTop = 670, kSongModeBottom = 685;
constexpr int kStepNumberX = 73, kPositionNumberX = 103, kNumbersY = 674;
constexpr int kTempoX = 267, kTempoY = 674;
constexpr int kTempoLeft = 267, kTempoRight = 315, kTempoTop = 668, kTempoBottom = 683;
constexpr int kTempoHoverX = 256;
constexpr int kMuteX = 410, kMuteSpacing = 16, kMuteY = 673, kMuteWidth = 16;
constexpr int kMuteTop = 668, kMuteBottom = 685;
constexpr int kCreditX = 840, kCreditY = 675;
// The status line (what was undone, an export's progress) in the bar's empty
// right half, left of the credit line: 38 glyphs from x 520 end at 824.
constexpr int kStatusX = 520, kStatusY = 675;
constexpr int kStatusLength = 38;

// ---- Position strip and arrangement ----
constexpr int kStripLeft = 10, kStripRight = 1010;  // both strips: 10 < x < 1010
constexpr int kColumnWidth = 10;                    // column j is drawn at x = j * 10 + 10
constexpr int kPositionY = 690;
constexpr int kPositionTop = 690, kPositionBottom = 700;
constexpr int kArrangementY = 700;  // row t is drawn at y = t * 10 + 700
constexpr int kArrangementRowHeight = 10;
// The strip ends below the last row: 730 with three tracks, 760 with six.
constexpr int ArrangementBottom(int trackCount) {
  return kArrangementY + trackCount * kArrangementRowHeight;
}
constexpr int ColumnX(int column) {
  return column * kColumnWidth + kStripLeft;
}

// ---- Repeat and click holds, in frames ----
constexpr int kPositionClickHold = 40;
constexpr int kToggleClickHold = 50;  // song-mode toggle and mute buttons

// The display measures its frame rate over its first second and says 0 until
// then; meanwhile the rate the window's vertical sync usually gives is taken.
constexpr uint32_t kAssumedFramesPerSecond = 60;

// Frames in a number of quarter seconds at the display's frame rate, and never
// fewer than two: what repeats by it never acts on every frame, however slow
// the frames or unmeasured their rate.
constexpr int32_t QuarterSeconds(uint32_t framesPerSecond, int quarters) {
  const int64_t fps = framesPerSecond > 0 ? framesPerSecond : kAssumedFramesPerSecond;
  return static_cast<int32_t>(std::clamp<int64_t>(fps * quarters / 4, 2, INT32_MAX));
}

}  // namespace tessaloop::layout
