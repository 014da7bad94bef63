// The screen art: font sheet with its icons, the three bars, the tab marker,
// the selection frame, the button face and the two fallback pictures.

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "tools/artgen/Art.h"
#include "tools/artgen/Font.h"

namespace tessaloop::art {

namespace {

using namespace colour;

constexpr Rgb kKey = 0;  // black: transparent in the keyed pictures

// ---------------------------------------------------------------------------
// Font sheet

constexpr int kGlyphsPerRow = 15;
constexpr int kKeyedTop = 56;

void GlyphCell(int c, int& x, int& y) {
  const int g = c - 33;
  x = (g % kGlyphsPerRow) * 8;
  y = (g / kGlyphsPerRow) * 8;
}

// An icon of the keyed set: eight rows of eight, one letter per pixel.
struct Icon {
  char c;
  std::array<const char*, 8> rows;
};

Rgb IconColour(char p) {
  switch (p) {
    case 'K':
      return kInk;
    case 'W':
      return kWhite;
    case 'O':
      return kOn;
    case 'o':
      return kOnEdge;
    case 'h':
      return kOnGlow;
    case 'B':
      return kHover;
    case 'G':
      return kOff;
    case 'g':
      return kOffEdge;
    default:
      return kKey;
  }
}

// The lamp look of the toggles: lit, unlit, and the hover ring that is drawn
// around either (the lamp keeps to the inner 6 x 6, the ring to the edge).
constexpr std::array<const char*, 8> kLampLit = {"........", "..oooo..", ".oOhOOo.", ".ohOOOo.",
                                                 ".oOOOOo.", ".oOOOOo.", "..oooo..", "........"};
constexpr std::array<const char*, 8> kLampOff = {"........", "..gggg..", ".gGGGGg.", ".gGGGGg.",
                                                 ".gGGGGg.", ".gGGGGg.", "..gggg..", "........"};
constexpr std::array<const char*, 8> kHoverRing = {"..BBBB..", ".B....B.", "B......B", "B......B",
                                                   "B......B", "B......B", ".B....B.", "..BBBB.."};
// Position strip: a marker pointing down at the arrangement column.
constexpr std::array<const char*, 8> kPositionMark = {
    "........", "........", "........", "ooooooo.", ".oOOOo..", "..oOo...", "...o....", "........"};
constexpr std::array<const char*, 8> kPositionHover = {
    "........", "........", "........", "BBBBBBB.", ".BBBBB..", "..BBB...", "...B....", "........"};

constexpr Icon kIcons[] = {
    // The pointer: its tip is the top-left pixel; outlined to show on white and on pictures.
    {'~',
     {"K.......", "KK......", "KWK.....", "KWWK....", "KWWWK...", "KWWWWK..", "KWWKKKK.",
      "KKK....."}},
    // The playing step, in the middle of each row's current cell.
    {'9',
     {"..WWWW..", ".WOOOOW.", "WOhOOOOW", "WOOOOOOW", "WOOOOOOW", "WOOOOOOW", ".WOOOOW.",
      "..WWWW.."}},
    // The handle of a cell's parameters.
    {'8',
     {"..KKKK..", ".KWWWWK.", "KWWWWWWK", "KWWBBWWK", "KWWBBWWK", "KWWWWWWK", ".KWWWWK.",
      "..KKKK.."}},
    // Pointer over a Save button: store.
    {'0',
     {"..WWWW..", "..WBBW..", "WWWBBWWW", "WBBBBBBW", ".WBBBBW.", "..WBBW..", "...WW...",
      "........"}},
    // Pointer over a Load button, the tempo, a user-bitmap menu row: this one.
    {'1',
     {"WW......", "WBWW....", "WBBBWW..", "WBBBBBW.", "WBBBWW..", "WBWW....", "WW......",
      "........"}},
    {'2', kLampOff},    // track muted
    {'3', kLampLit},    // track playing
    {'4', kHoverRing},  // pointer over a mute button
    {'<', kHoverRing},  // pointer over the song-mode toggle
    {'>', kLampLit},    // song mode on
    {'=', kLampOff},    // song mode off
    {'?', kPositionHover},
    {'6', kPositionMark},
};

const Icon* FindIcon(int c) {
  for (const Icon& icon : kIcons)
    if (icon.c == c) return &icon;
  return nullptr;
}

Image MakeTextSheet() {
  Image sheet(256, 256, kKey);
  for (int c = 33; c <= 127; ++c) {
    int x = 0;
    int y = 0;
    GlyphCell(c, x, y);
    // Opaque set: dark text on a white cell, the letter in columns 1-5.
    sheet.FillRect(x, y, x + 8, y + 8, kWhite);
    for (int gy = 0; gy < 8; ++gy)
      for (int gx = 0; gx < 5; ++gx)
        if (GlyphInk(c, gx, gy)) sheet.Set(x + 1 + gx, y + gy, kInk);
    // Keyed set: an icon, or the same letter in blue on transparent black,
    // so that drawn over its opaque twin it turns it blue.
    const int ky = y + kKeyedTop;
    if (const Icon* icon = FindIcon(c)) {
      for (int gy = 0; gy < 8; ++gy)
        for (int gx = 0; gx < 8; ++gx)
          sheet.Set(x + gx, ky + gy, IconColour(icon->rows[gy][gx]));
    } else {
      for (int gy = 0; gy < 8; ++gy)
        for (int gx = 0; gx < 5; ++gx)
          if (GlyphInk(c, gx, gy)) sheet.Set(x + 1 + gx, ky + gy, kHover);
    }
  }
  return sheet;
}

// ---------------------------------------------------------------------------
// Bars

// A bar: the panel colour with a hairline along its bottom edge.
Image MakeBar() {
  Image bar(512, 24, kPanel);
  bar.FillRect(0, 23, 512, 24, kEdge);
  return bar;
}

// A white well for values printed with the opaque glyphs (rows 8-15 of a bar).
void Well(Image& bar, int left, int right) {
  bar.FillRect(left, 6, right, 17, kEdge);
  bar.FillRect(left + 1, 7, right - 1, 16, kWhite);
  // Soften the corners.
  for (int y : {6, 16}) {
    bar.Set(left, y, kPanel);
    bar.Set(right - 1, y, kPanel);
  }
}

// The tab regions: first and last x of each, and where its marker is drawn.
struct TabLabel {
  std::string_view text;
  int first;
  int last;
  int marker;
};
constexpr TabLabel kTabs[] = {
    {"NOTE", 0, 65, 39},     {"ENVELOPE", 66, 148, 127},  {"SLIDE", 149, 238, 218},
    {"PAN", 239, 305, 276},  {"PATTERNS", 306, 388, 361}, {"SONGS", 389, 455, 426},
    {"NAME", 456, 484, 495},
};

Image MakeTabs() {
  Image bar = MakeBar();
  for (const TabLabel& tab : kTabs) {
    // The label sits centred between the start of its region and its marker.
    const int left = tab.first + 2;
    const int right = std::min(tab.last, tab.marker - 3);
    const int x = left + (right - left - TextWidth(tab.text)) / 2;
    DrawText(bar, x, 8, tab.text, kInk);
    if (tab.first > 0) bar.FillRect(tab.first, 5, tab.first + 1, 19, kEdge);
  }
  return bar;
}

Image MakeTabOn() {
  // A lit lamp with its glow blended over the panel colour; black around it.
  Image marker(10, 24, kKey);
  Image lamp(10, 24, kPanel);
  lamp.FillDisc(5.0, 12.0, 4.6, kOnGlow);
  lamp.FillDisc(5.0, 12.0, 3.2, kOnEdge);
  lamp.FillDisc(5.0, 12.0, 2.5, kOn);
  lamp.Set(4, 10, kOnGlow);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 10; ++x)
      if (lamp.At(x, y) != kPanel) marker.Set(x, y, lamp.At(x, y));
  return marker;
}

Image MakeTempo() {
  Image bar = MakeBar();
  auto caption = [&](int centre, std::string_view text) {
    DrawCaption(bar, centre - CaptionWidth(text) / 2, 18, text, kCaption);
  };
  // Song mode: the lamp glyph is drawn at x 54, rows 7-14.
  caption(58, "SONG");
  // Step (x 73, up to 2 digits) and position (x 103, up to 3 digits).
  Well(bar, 70, 92);
  caption(81, "STEP");
  Well(bar, 100, 130);
  caption(115, "POS");
  // Tempo: "240.4362" from x 267 to 331; the hover mark goes at x 256.
  Well(bar, 264, 334);
  caption(299, "TEMPO");
  DrawCaption(bar, 338, 10, "STEPS/MIN", kCaption);
  // Mute buttons: lamps at x 410 + 16 t, rows 7-14.
  DrawCaption(bar, 410, 18, "TRACKS", kCaption);
  return bar;
}

Image MakeTitle() {
  Image bar = MakeBar();
  // Tabs 6 and 7 write the song number and name from x 1; keep a quiet field there.
  bar.FillRect(6, 6, 230, 17, MakeRgb(228, 232, 237));
  // The logo: four tiles, one lit, like a small piece of the grid.
  const int lx = 356;
  bar.FillRect(lx, 5, lx + 6, 11, kSlate);
  bar.FillRect(lx + 7, 5, lx + 13, 11, kOn);
  bar.FillRect(lx, 12, lx + 6, 18, kHover);
  bar.FillRect(lx + 7, 12, lx + 13, 18, kSlate);
  DrawText(bar, 376, 5, "TESSALOOP", kInk, 1, 2);
  return bar;
}

Image MakeSelected() {
  // The frame over the current cell and the hovered palette square: blue with
  // a white line inside it, so that it shows on any picture; black (clear) within.
  Image frame(64, 64, kKey);
  frame.FillRect(0, 0, 64, 64, kHover);
  frame.FillRect(2, 2, 62, 62, kWhite);
  frame.FillRect(3, 3, 61, 61, kKey);
  for (int corner : {0, 63}) {
    frame.Set(corner, 0, kKey);
    frame.Set(corner, 63, kKey);
  }
  return frame;
}

// The button face and note marker (top-left 54 x 24 and 12 x 12 of slot 4):
// slate, so that the white cells of the opaque glyphs drawn on it at (+2, +2)
// and (+2, +14) read as labels with a two-pixel frame around each.
Image MakeMax() {
  Image design(64, 64, kPanel);
  design.FillRect(0, 0, 54, 24, kSlate);
  // A small grid mark at the free right end of the face.
  const Rgb mark = MakeRgb(96, 110, 130);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i)
      design.FillRect(38 + i * 6, 7 + j * 6, 43 + i * 6, 12 + j * 6, i + j == 1 ? kOn : mark);
  DrawCaption(design, 26, 44, "MAX", kCaption);
  return SpreadTo210(design);
}

// Slot 5 is the rest: never drawn and never heard, so it is silent (blue 128).
Image MakeMin() {
  const Rgb grey = MakeRgb(150, 150, 128);
  Image image(kSoundSide, kSoundSide, grey);
  image.FillRect(55, 90, 155, 120, MakeRgb(70, 72, 128));
  DrawText(image, 78, 140, "MIN", MakeRgb(230, 230, 128), 2, 3, true);
  return image;
}

// Shown in place of a picture a song names but that is missing; also heard in
// its place, so it sounds as a quiet plain tone rather than a harsh one. The
// look is drawn at the 64 x 64 it is shown at, so that its words stay crisp.
Image MakeNotFound() {
  Image design(64, 64, MakeRgb(200, 60, 0));
  design.FillRect(2, 2, 62, 62, MakeRgb(244, 238, 0));
  // A crossed-out picture frame above the words.
  const Rgb frame = MakeRgb(60, 66, 0);
  design.FillRect(19, 7, 45, 27, frame);
  design.FillRect(21, 9, 43, 25, MakeRgb(244, 238, 0));
  for (int i = 0; i < 16; ++i) {
    const int x = 24 + i;
    const int y = 10 + i * 14 / 16;
    design.FillRect(x, y, x + 2, y + 2, MakeRgb(220, 40, 0));
    design.FillRect(x, 24 - (y - 10) - 1, x + 2, 24 - (y - 10) + 1, MakeRgb(220, 40, 0));
  }
  const Rgb ink = MakeRgb(40, 44, 0);
  DrawText(design, (64 - 3 * 7 + 1) / 2, 33, "NOT", ink, 1, 1, true);
  DrawText(design, (64 - 5 * 7 + 1) / 2, 44, "FOUND", ink, 1, 1, true);
  Image image = SpreadTo210(design);
  for (int y = 0; y < kSoundSide; ++y) {
    const int r = kSoundSide - 1 - y;  // rows of the table count from the bottom
    const double v = 0.3 * std::sin(2.0 * M_PI * (r + 0.5) / kSoundSide);
    const int blue = static_cast<int>(std::lround(128 + 128 * v));
    for (int x = 0; x < kSoundSide; ++x)
      image.Set(x, y, WithBlue(image.At(x, y), blue));
  }
  return image;
}

// The program's icon for desktops: the title's four tiles on a rounded panel.
Image MakeIcon() {
  Image icon(64, 64, kWhite);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      // A rounded square: distance outside a 48 x 48 core, radius 8.
      const double dx = std::max({0.0, 8.5 - x, x - 55.5});
      const double dy = std::max({0.0, 8.5 - y, y - 55.5});
      icon.Blend(x, y, kPanel, std::clamp(8.5 - std::hypot(dx, dy), 0.0, 1.0));
    }
  const Rgb tiles[4] = {kSlate, kOn, kHover, kSlate};
  for (int i = 0; i < 4; ++i) {
    const int x = 10 + (i % 2) * 23;
    const int y = 10 + (i / 2) * 23;
    icon.FillRect(x, y, x + 21, y + 21, tiles[i]);
  }
  return icon;
}

}  // namespace

int ScreenPixelOf(int x) {
  // The last screen pixel d whose span starts at or before x.
  int d = 0;
  while (d + 1 < 64 && (d + 1) * kSoundSide / 64 <= x)
    ++d;
  return d;
}

Image SpreadTo210(const Image& design64) {
  Image image(kSoundSide, kSoundSide);
  for (int y = 0; y < kSoundSide; ++y)
    for (int x = 0; x < kSoundSide; ++x)
      image.Set(x, y, design64.At(ScreenPixelOf(x), ScreenPixelOf(y)));
  return image;
}

std::vector<ArtFile> MakeInterfaceArt() {
  std::vector<ArtFile> files;
  files.push_back({"data/text.bmp", MakeTextSheet()});
  files.push_back({"data/tabs.bmp", MakeTabs()});
  files.push_back({"data/tempo.bmp", MakeTempo()});
  files.push_back({"data/title.bmp", MakeTitle()});
  files.push_back({"data/tabon.bmp", MakeTabOn()});
  files.push_back({"data/selected.bmp", MakeSelected()});
  files.push_back({"data/max.bmp", MakeMax()});
  files.push_back({"data/min.bmp", MakeMin()});
  files.push_back({"data/notfound.bmp", MakeNotFound()});
  files.push_back({"data/icon.bmp", MakeIcon()});
  return files;
}

}  // namespace tessaloop::art
