#pragma once

// Every picture Tessaloop ships, made by code. MakeAllArt() returns the files
// in a fixed order with their paths relative to the program's folder
// ("data/..." and "userbitmaps/..."); the generator writes them as 24-bit BMP.

#include <string>
#include <vector>

#include "tools/artgen/Image.h"

namespace tessaloop::art {

struct ArtFile {
  std::string path;
  Image image;
};

// Size of every picture that is also a sound: one pixel per sample of a
// one-second table.
constexpr int kSoundSide = 210;

// The shared colours of the interface.
namespace colour {
constexpr Rgb kWhite = MakeRgb(255, 255, 255);
constexpr Rgb kInk = MakeRgb(30, 37, 48);         // text and outlines
constexpr Rgb kSlate = MakeRgb(58, 69, 86);       // button faces, note markers
constexpr Rgb kPanel = MakeRgb(236, 239, 243);    // bars
constexpr Rgb kEdge = MakeRgb(201, 209, 219);     // hairlines of the bars and wells
constexpr Rgb kCaption = MakeRgb(108, 120, 137);  // small captions
constexpr Rgb kOn = MakeRgb(255, 106, 43);        // lit: active tab, song mode, playing
constexpr Rgb kOnEdge = MakeRgb(214, 74, 18);
constexpr Rgb kOnGlow = MakeRgb(255, 196, 160);
constexpr Rgb kHover = MakeRgb(45, 134, 240);  // under the pointer, selection
constexpr Rgb kOff = MakeRgb(214, 219, 226);   // unlit lamps
constexpr Rgb kOffEdge = MakeRgb(150, 160, 174);
}  // namespace colour

std::vector<ArtFile> MakeInterfaceArt();
std::vector<ArtFile> MakePaletteArt();
std::vector<ArtFile> MakeUserBitmaps();
std::vector<ArtFile> MakeAllArt();

// A picture designed at 64 x 64 (the size a slot shows) spread over 210 x 210
// so that shrinking it back by nearest neighbour, whether each screen pixel
// samples the left edge or the centre of its span, gives the design exactly.
Image SpreadTo210(const Image& design64);

// The screen pixel that a 210-wide picture's pixel x lands on, and back: the
// first picture pixel that screen pixel d samples.
int ScreenPixelOf(int x);

}  // namespace tessaloop::art
