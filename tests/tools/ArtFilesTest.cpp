// The art generator reproduces the committed pictures exactly, and the
// pictures keep the rules the program relies on: drawn sizes, the font sheet's
// layout and transparency (also in the full-screen program's RGB565), room for
// what the editor draws over the bars, and sounds without offset.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/support/WorkFolder.h"

namespace fs = std::filesystem;

namespace tessaloop::testing {
namespace {

// A 24-bit bottom-up BMP: its bytes, and its pixels top to bottom as 0x00RRGGBB.
struct Bmp {
  int width = 0, height = 0, bits = 0;
  size_t offset = 0;
  std::string bytes;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

Bmp ReadBmp(const std::string& path) {
  Bmp bmp;
  bmp.bytes = ReadFile(path);
  auto u8 = [&](size_t at) { return static_cast<uint32_t>(static_cast<uint8_t>(bmp.bytes[at])); };
  auto u32 = [&](size_t at) {
    return u8(at) | u8(at + 1) << 8 | u8(at + 2) << 16 | u8(at + 3) << 24;
  };
  if (bmp.bytes.size() < 54 || bmp.bytes.compare(0, 2, "BM") != 0 || u32(30) != 0) return bmp;
  bmp.offset = u32(10);
  bmp.width = static_cast<int>(u32(18));
  bmp.height = static_cast<int>(u32(22));
  bmp.bits = static_cast<int>(u8(28));
  const size_t row = (static_cast<size_t>(bmp.width) * 3 + 3) / 4 * 4;
  if (bmp.bits != 24 || bmp.offset + row * static_cast<size_t>(bmp.height) > bmp.bytes.size())
    return bmp;
  for (int y = 0; y < bmp.height; ++y)
    for (int x = 0; x < bmp.width; ++x) {
      const size_t at = bmp.offset + static_cast<size_t>(bmp.height - 1 - y) * row + 3 * x;
      bmp.pixels.push_back(u8(at) | u8(at + 1) << 8 | u8(at + 2) << 16);
    }
  return bmp;
}

Bmp Data(const std::string& name) {
  return ReadBmp(SourceDir() + "/data/" + name + ".bmp");
}

// The wavetable a picture makes: blue bytes, 210 rows of 210 three apart, rows
// 632 bytes apart, as (b - 128) / 128.
std::vector<float> TableOf(const Bmp& bmp) {
  std::vector<float> table(44100, 0.0f);
  for (size_t r = 0; r < 210; ++r)
    for (size_t c = 0; c < 210; ++c)
      if (const size_t at = bmp.offset + r * 632 + c * 3; at < bmp.bytes.size())
        table[r * 210 + c] = (static_cast<float>(static_cast<uint8_t>(bmp.bytes[at])) - 128) / 128;
  return table;
}

const char* const kPaletteFiles[] = {"square",     "stepsaw",    "stepsine",     "cellstar",
                                     "noise-fade", "pit",        "multi-circle", "noise-square",
                                     "grid",       "impulse",    "pattern1",     "small-square",
                                     "corner",     "multi-band", "slant",        "noise"};

int Luminance(uint32_t c) {
  return (299 * static_cast<int>((c >> 16) & 0xFF) + 587 * static_cast<int>((c >> 8) & 0xFF) +
          114 * static_cast<int>(c & 0xFF)) /
         1000;
}

// A keyed pixel is the key (pure black) or a colour that is not black in RGB565.
bool KeyedPixelSound(uint32_t c) {
  return c == 0 || (c & 0xF8FCF8) != 0;
}

// The top-left corner of the glyph cell of code c in the opaque or keyed set.
std::pair<int, int> GlyphCell(int c, bool keyed) {
  return {((c - 33) % 15) * 8, ((c - 33) / 15) * 8 + (keyed ? 56 : 0)};
}

std::set<std::string> BitmapsIn(const fs::path& folder) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (entry.path().extension() == ".bmp" || entry.path().extension() == ".xpm")
      names.insert(entry.path().filename().string());
  return names;
}

TEST(ArtgenTest, RegeneratesEveryCommittedPictureByteForByteAndRefusesABadFolder) {
  WorkFolder work;
  const std::string artgen = std::string("\"") + TESSALOOP_ARTGEN + "\"";
  ASSERT_EQ(std::system((artgen + " out > artgen.log 2>&1").c_str()), 0) << ReadFile("artgen.log");
  EXPECT_EQ(ReadFile("artgen.log").find("not made by the generator"), std::string::npos);
  for (const char* folder : {"data", "userbitmaps"}) {
    const fs::path committed = fs::path(SourceDir()) / folder;
    const fs::path made = fs::path(work.Path()) / "out" / folder;
    EXPECT_EQ(BitmapsIn(made), BitmapsIn(committed)) << folder;
    for (const std::string& name : BitmapsIn(made))
      EXPECT_TRUE(ReadFile((committed / name).string()) == ReadFile((made / name).string()))
          << folder << "/" << name << " differs from the generator's";
  }
  EXPECT_NE(std::system((artgen + " > /dev/null 2>&1").c_str()), 0) << "no folder given";
  WriteFile("blocked", "a file where the data folder would go");
  EXPECT_NE(std::system((artgen + " blocked > /dev/null 2>&1").c_str()), 0);
}

// Keyed letters and the non-icon digits are their opaque twins' shapes, so a
// hovered arrangement letter or a help heading reads as text.
TEST(ArtFilesTest, FontSheetHasDarkTextOnLightAKeyedSetOnBlackAndIconsThatSuitTheirPlaces) {
  const Bmp sheet = Data("text");
  ASSERT_FALSE(sheet.pixels.empty());
  const std::string twins = "57ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  for (int c = 33; c <= 127; ++c) {
    const auto [ox, oy] = GlyphCell(c, false);
    const auto [kx, ky] = GlyphCell(c, true);
    int dark = 0, light = 0, drawn = 0;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const int l = Luminance(sheet.At(ox + x, oy + y));
        const uint32_t k = sheet.At(kx + x, ky + y);
        dark += l < 90;
        light += l > 220;
        drawn += k != 0;
        EXPECT_TRUE(KeyedPixelSound(k)) << "keyed " << c << " turns transparent in 16 bits";
        if (twins.find(static_cast<char>(c)) != std::string::npos) {
          EXPECT_EQ(l < 90, k != 0) << static_cast<char>(c) << " at " << x << "," << y;
        }
      }
    EXPECT_GT(dark, 0) << "opaque glyph " << c << " has no ink";
    EXPECT_EQ(dark + light, 64) << "opaque glyph " << c << " is not dark on light";
    EXPECT_GT(drawn, 0) << "keyed glyph " << c << " is empty";
    EXPECT_LT(drawn, 64) << "keyed glyph " << c << " has no transparent background";
  }

  auto keyed = [&](char c, int x, int y) {
    const auto [kx, ky] = GlyphCell(c, true);
    return sheet.At(kx + x, ky + y);
  };
  // The pointer's tip is its top-left pixel; a dark outline and a light inside
  // show on white and on dark pictures.
  EXPECT_NE(keyed('~', 0, 0), 0u);
  int dark = 0, light = 0;
  bool differ23 = false, differOnOff = false;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const uint32_t p = keyed('~', x, y);
      dark += p != 0 && Luminance(p) < 80;
      light += p != 0 && Luminance(p) > 200;
      differ23 |= keyed('2', x, y) != keyed('3', x, y);
      differOnOff |= keyed('>', x, y) != keyed('=', x, y);
      // The song-mode lamp is drawn over the hover ring, the mute ring over the lamp.
      for (char ring : {'<', '4'})
        for (char lamp : {'2', '3', '>', '='})
          EXPECT_FALSE(keyed(ring, x, y) != 0 && keyed(lamp, x, y) != 0)
              << ring << " and " << lamp << " overlap at " << x << "," << y;
    }
  EXPECT_GT(dark, 0);
  EXPECT_GT(light, 0);
  EXPECT_TRUE(differ23) << "muted and playing look alike";
  EXPECT_TRUE(differOnOff) << "on and off look alike";
}

TEST(ArtFilesTest, BarsLeaveRoomForWhatTheEditorDrawsOverThem) {
  const Bmp tabs = Data("tabs");
  const Bmp tempo = Data("tempo");
  const Bmp title = Data("title");
  ASSERT_FALSE(tabs.pixels.empty() || tempo.pixels.empty() || title.pixels.empty());
  // Tab labels sit in their regions, clear of their markers.
  const int kTabs[7][3] = {{0, 65, 39},     {66, 148, 127},  {149, 238, 218}, {239, 305, 276},
                           {306, 388, 361}, {389, 455, 426}, {456, 484, 495}};
  int ink[7] = {};
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 512; ++x) {
      if (Luminance(tabs.At(x, y)) >= 90) continue;
      bool placed = false;
      for (int t = 0; t < 7; ++t) {
        const auto [first, last, marker] = kTabs[t];
        EXPECT_FALSE(x >= marker && x < marker + 10) << "ink under marker " << t + 1 << " x " << x;
        if (x >= first && x <= last && x < marker) placed = ++ink[t] > 0;
      }
      EXPECT_TRUE(placed) << "ink outside every tab region at x " << x;
    }
  for (int t = 0; t < 7; ++t)
    EXPECT_GT(ink[t], 20) << "tab " << t + 1;
  // White-celled numbers at row 8: step (x 73, 2 digits), position (103, 3), tempo (267, 8).
  for (auto [left, right] : {std::pair{73, 89}, {103, 127}, {267, 331}})
    for (int y = 8; y < 16; ++y)
      for (int x = left; x < right; ++x)
        EXPECT_EQ(tempo.At(x, y), 0xFFFFFFu) << "tempo bar field at " << x << "," << y;
  // Glyph spots (song-mode lamp, tempo hover mark, six mute lamps) carry no ink.
  std::vector<int> spots = {54, 256};
  for (int t = 0; t < 6; ++t)
    spots.push_back(410 + 16 * t);
  for (int left : spots)
    for (int y = 7; y < 16; ++y)
      for (int x = left; x < left + 8; ++x)
        EXPECT_GE(Luminance(tempo.At(x, y)), 150) << "tempo bar ink at " << x << "," << y;
  // Tabs 6 and 7 write the song number and name over the title from x 1.
  for (int y = 8; y < 16; ++y)
    for (int x = 1; x < 141; ++x)
      EXPECT_GE(Luminance(title.At(x, y)), 150) << "title ink at " << x << "," << y;
}

TEST(ArtFilesTest, KeyedPicturesAndTheButtonFaceSuitTheirUse) {
  const Bmp marker = Data("tabon");
  const Bmp frame = Data("selected");
  const Bmp max = Data("max");
  ASSERT_FALSE(marker.pixels.empty() || frame.pixels.empty() || max.pixels.empty());
  EXPECT_TRUE(std::all_of(marker.pixels.begin(), marker.pixels.end(), KeyedPixelSound));
  EXPECT_TRUE(
      std::any_of(marker.pixels.begin(), marker.pixels.end(), [](uint32_t p) { return p; }));
  EXPECT_EQ(marker.At(0, 0), 0u);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      EXPECT_TRUE(KeyedPixelSound(frame.At(x, y)));
      if (x >= 4 && x < 60 && y >= 4 && y < 60) {
        EXPECT_EQ(frame.At(x, y), 0u) << "selection frame covers the picture at " << x << "," << y;
      }
    }
  for (int i = 4; i < 60; ++i)
    EXPECT_TRUE(frame.At(i, 1) && frame.At(1, i) && frame.At(i, 62) && frame.At(62, i)) << i;

  // Slot 4's top-left 54 x 24 is the button face and its 12 x 12 corner the
  // note marker, shrunk to 64 x 64 either way, with white glyphs drawn on them.
  const uint32_t face = max.At(0, 0);
  EXPECT_LT(Luminance(face), 120) << "white labels need a dark face";
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 54; ++x) {
      const uint32_t edge = max.At(x * 210 / 64, y * 210 / 64);
      EXPECT_EQ(edge, max.At((2 * x + 1) * 210 / 128, (2 * y + 1) * 210 / 128)) << x << "," << y;
      EXPECT_TRUE(x >= 12 || y >= 12 || edge == face) << "note marker at " << x << "," << y;
    }
}

struct SoundStats {
  double dc = 0, rms = 0;
  double fizz = 0;  // share of the energy that changes within rows
};

SoundStats Measure(const std::vector<float>& table) {
  SoundStats s;
  double energy = 0;
  for (size_t r = 0; r < 210; ++r) {
    double mean = 0;
    for (size_t c = 0; c < 210; ++c)
      mean += table[r * 210 + c] / 210.0;
    for (size_t c = 0; c < 210; ++c) {
      const double v = table[r * 210 + c];
      s.dc += v / 44100.0;
      energy += v * v;
      s.fizz += (v - mean) * (v - mean);
    }
  }
  s.rms = std::sqrt(energy / 44100.0);
  s.fizz = energy > 0 ? s.fizz / energy : 0;
  return s;
}

TEST(ArtFilesTest, SoundsAreCentredAndAudibleAndTheRestIsSilent) {
  std::vector<std::pair<std::string, Bmp>> sounds;
  for (const char* name : kPaletteFiles)
    sounds.emplace_back(name, Data(name));
  for (const auto& entry : fs::directory_iterator(SourceDir() + "/userbitmaps"))
    if (entry.path().extension() == ".bmp")
      sounds.emplace_back("userbitmaps/" + entry.path().filename().string(),
                          ReadBmp(entry.path().string()));
  EXPECT_GE(sounds.size(), std::size(kPaletteFiles) + 4) << "user bitmap examples";
  EXPECT_LE(sounds.size(), std::size(kPaletteFiles) + 6);
  for (const auto& [name, bmp] : sounds) {
    EXPECT_LE(name.size(), 31u) << "must fit a slot path";
    EXPECT_EQ(bmp.pixels.size(), 210u * 210u) << name;
    const SoundStats s = Measure(TableOf(bmp));
    EXPECT_LT(std::abs(s.dc), 0.005) << name;
    EXPECT_GT(s.rms, 0.12) << name;
    // Detail within rows folds back as inharmonic fizz; only the noises are made of it.
    const bool noisy = name.find("noise") != std::string::npos || name.find('/') != name.npos;
    EXPECT_TRUE(noisy || s.fizz < 0.06) << name << " fizz " << s.fizz;
  }
  EXPECT_EQ(Measure(TableOf(Data("min"))).rms, 0.0) << "the rest is silent";
  const SoundStats fallback = Measure(TableOf(Data("notfound")));
  EXPECT_LT(std::abs(fallback.dc), 0.005);
  EXPECT_GT(fallback.rms, 0.05);
  EXPECT_LT(fallback.rms, 0.3);
  EXPECT_LT(fallback.fizz, 0.001);
}

}  // namespace
}  // namespace tessaloop::testing
