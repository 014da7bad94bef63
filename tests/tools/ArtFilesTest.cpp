// The committed pictures keep the rules the program relies on: the sizes it
// draws them at, the font sheet's layout and transparency (also in the 16-bit
// format of the full-screen program), room for what the editor draws over the
// bars, corners that survive the double shrink, and sounds without offset.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/WorkFolder.h"
#include "tests/tools/BmpFile.h"

namespace fs = std::filesystem;

namespace tessaloop::testing {
namespace {

const char* const kPaletteFiles[] = {"square",     "stepsaw",    "stepsine",     "cellstar",
                                     "noise-fade", "pit",        "multi-circle", "noise-square",
                                     "grid",       "impulse",    "pattern1",     "small-square",
                                     "corner",     "multi-band", "slant",        "noise"};

BmpFile Data(const std::string& name) {
  return ReadBmp(SourceDir() + "/data/" + name + ".bmp");
}

int Luminance(uint32_t c) {
  return (299 * static_cast<int>((c >> 16) & 0xFF) + 587 * static_cast<int>((c >> 8) & 0xFF) +
          114 * static_cast<int>(c & 0xFF)) /
         1000;
}

// The colour in the full-screen program's RGB565 surfaces.
uint32_t Rgb565(uint32_t c) {
  return (((c >> 19) & 0x1F) << 11) | (((c >> 10) & 0x3F) << 5) | ((c >> 3) & 0x1F);
}

// True when a keyed picture's pixel is either the key (pure black) or a colour
// that stays visible in both pixel formats.
bool KeyedPixelSound(uint32_t c) {
  return c == 0 || Rgb565(c) != 0;
}

// The glyph cell of code c in the opaque (keyed false) or keyed set.
struct Cell {
  int x, y;
};
Cell GlyphCell(int c, bool keyed) {
  const int g = c - 33;
  return {(g % 15) * 8, (g / 15) * 8 + (keyed ? 56 : 0)};
}

TEST(ArtFilesTest, EveryLoadedPictureIsA24BitBottomUpBmpOfItsDrawnSize) {
  struct Expected {
    std::string name;
    int width, height;
  };
  std::vector<Expected> expected = {
      {"noise", 210, 210}, {"notfound", 210, 210}, {"max", 210, 210}, {"min", 210, 210},
      {"text", 256, 256},  {"selected", 64, 64},   {"tabs", 512, 24}, {"tempo", 512, 24},
      {"title", 512, 24},  {"tabon", 10, 24}};
  for (const char* name : kPaletteFiles)
    expected.push_back({name, 210, 210});
  for (const Expected& e : expected) {
    const BmpFile bmp = Data(e.name);
    ASSERT_TRUE(bmp.ok) << e.name;
    EXPECT_EQ(bmp.width, e.width) << e.name;
    EXPECT_EQ(bmp.height, e.height) << e.name;
    EXPECT_EQ(bmp.bitsPerPixel, 24) << e.name;
  }
}

TEST(ArtFilesTest, FontSheetHasDarkTextOnLightCellsAndAKeyedSetOnBlack) {
  const BmpFile sheet = Data("text");
  ASSERT_TRUE(sheet.ok);
  for (int c = 33; c <= 127; ++c) {
    const Cell o = GlyphCell(c, false);
    int dark = 0;
    int light = 0;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const int l = Luminance(sheet.At(o.x + x, o.y + y));
        dark += l < 90;
        light += l > 220;
      }
    EXPECT_GT(dark, 0) << "opaque glyph " << c << " has no ink";
    EXPECT_EQ(dark + light, 64) << "opaque glyph " << c << " is not dark on light";

    const Cell k = GlyphCell(c, true);
    int drawn = 0;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const uint32_t p = sheet.At(k.x + x, k.y + y);
        EXPECT_TRUE(KeyedPixelSound(p)) << "keyed glyph " << c << " pixel " << x << "," << y
                                        << " would turn transparent in 16 bits";
        drawn += p != 0;
      }
    EXPECT_GT(drawn, 0) << "keyed glyph " << c << " is empty";
    EXPECT_LT(drawn, 64) << "keyed glyph " << c << " has no transparent background";
  }
}

// Keyed letters and the digits that are not icons are their opaque twins'
// shapes, so that a hovered arrangement letter or a help heading reads as text.
TEST(ArtFilesTest, KeyedLettersHaveTheShapeOfTheirOpaqueTwins) {
  const BmpFile sheet = Data("text");
  std::string letters = "57ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  for (char ch : letters) {
    const Cell o = GlyphCell(ch, false);
    const Cell k = GlyphCell(ch, true);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const bool ink = Luminance(sheet.At(o.x + x, o.y + y)) < 90;
        const bool keyed = sheet.At(k.x + x, k.y + y) != 0;
        EXPECT_EQ(ink, keyed) << ch << " at " << x << "," << y;
      }
  }
}

TEST(ArtFilesTest, IconsSuitWhereTheEditorDrawsThem) {
  const BmpFile sheet = Data("text");
  auto keyed = [&](char c, int x, int y) {
    const Cell k = GlyphCell(c, true);
    return sheet.At(k.x + x, k.y + y);
  };
  // The pointer's tip is its top-left pixel, and it has a dark outline and a
  // light inside so that it shows on white and on dark pictures.
  EXPECT_NE(keyed('~', 0, 0), 0u);
  int dark = 0;
  int light = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const uint32_t p = keyed('~', x, y);
      if (p == 0) continue;
      dark += Luminance(p) < 80;
      light += Luminance(p) > 200;
    }
  EXPECT_GT(dark, 0);
  EXPECT_GT(light, 0);
  // The song-mode lamp is drawn over the hover ring, and the mute hover ring
  // over the lamp: neither may hide the other.
  for (char ring : {'<', '4'})
    for (char lamp : {'2', '3', '>', '='})
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
          EXPECT_FALSE(keyed(ring, x, y) != 0 && keyed(lamp, x, y) != 0)
              << ring << " and " << lamp << " overlap at " << x << "," << y;
  // Muted and playing, on and off look different.
  bool differ23 = false;
  bool differOnOff = false;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      differ23 |= keyed('2', x, y) != keyed('3', x, y);
      differOnOff |= keyed('>', x, y) != keyed('=', x, y);
    }
  EXPECT_TRUE(differ23);
  EXPECT_TRUE(differOnOff);
}

TEST(ArtFilesTest, TabLabelsSitInTheirRegionsClearOfTheirMarkers) {
  const BmpFile tabs = Data("tabs");
  ASSERT_TRUE(tabs.ok);
  struct Tab {
    int first, last, marker;
  };
  const Tab kTabs[] = {{0, 65, 39},     {66, 148, 127},  {149, 238, 218}, {239, 305, 276},
                       {306, 388, 361}, {389, 455, 426}, {456, 484, 495}};
  std::vector<int> inkPerTab(7, 0);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 512; ++x) {
      if (Luminance(tabs.At(x, y)) >= 90) continue;
      bool placed = false;
      for (int t = 0; t < 7; ++t) {
        EXPECT_FALSE(x >= kTabs[t].marker && x < kTabs[t].marker + 10)
            << "label ink under the marker of tab " << t + 1 << " at x " << x;
        if (x >= kTabs[t].first && x <= kTabs[t].last && x < kTabs[t].marker) {
          ++inkPerTab[static_cast<size_t>(t)];
          placed = true;
        }
      }
      EXPECT_TRUE(placed) << "ink outside every tab region at x " << x;
    }
  for (int t = 0; t < 7; ++t)
    EXPECT_GT(inkPerTab[static_cast<size_t>(t)], 20) << "tab " << t + 1;
}

TEST(ArtFilesTest, BarsLeaveRoomForWhatTheEditorDrawsOverThem) {
  const BmpFile tempo = Data("tempo");
  const BmpFile title = Data("title");
  ASSERT_TRUE(tempo.ok && title.ok);
  // Numbers are drawn with white-celled glyphs at y 674 (row 8 of the bar):
  // step at x 73 (2 digits), position at 103 (3), tempo at 267 (8). Their
  // fields are white so that the cells blend in.
  struct Span {
    int left, right;
  };
  for (const Span& field : {Span{73, 89}, Span{103, 127}, Span{267, 331}})
    for (int y = 8; y < 16; ++y)
      for (int x = field.left; x < field.right; ++x)
        EXPECT_EQ(tempo.At(x, y), 0xFFFFFFu) << "tempo bar field at " << x << "," << y;
  // Glyph spots (song-mode lamp, tempo hover mark, six mute lamps) carry no ink.
  std::vector<Span> spots = {{54, 62}, {256, 264}};
  for (int t = 0; t < 6; ++t)
    spots.push_back({410 + 16 * t, 418 + 16 * t});
  for (const Span& spot : spots)
    for (int y = 7; y < 16; ++y)
      for (int x = spot.left; x < spot.right; ++x)
        EXPECT_GE(Luminance(tempo.At(x, y)), 150) << "tempo bar ink at " << x << "," << y;
  // Tabs 6 and 7 write the song number and name over the title from x 1.
  for (int y = 8; y < 16; ++y)
    for (int x = 1; x < 141; ++x)
      EXPECT_GE(Luminance(title.At(x, y)), 150) << "title ink at " << x << "," << y;
}

TEST(ArtFilesTest, KeyedPicturesAreClearInsideAndVisibleInBothFormats) {
  const BmpFile marker = Data("tabon");
  const BmpFile frame = Data("selected");
  ASSERT_TRUE(marker.ok && frame.ok);
  int lit = 0;
  for (uint32_t p : marker.pixels) {
    EXPECT_TRUE(KeyedPixelSound(p));
    lit += p != 0;
  }
  EXPECT_GT(lit, 0);
  EXPECT_EQ(marker.At(0, 0), 0u);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const uint32_t p = frame.At(x, y);
      EXPECT_TRUE(KeyedPixelSound(p));
      const bool inside = x >= 4 && x < 60 && y >= 4 && y < 60;
      if (inside) {
        EXPECT_EQ(p, 0u) << "selection frame covers the picture at " << x << "," << y;
      }
    }
  for (int i = 4; i < 60; ++i) {
    EXPECT_NE(frame.At(i, 1), 0u);
    EXPECT_NE(frame.At(1, i), 0u);
    EXPECT_NE(frame.At(i, 62), 0u);
    EXPECT_NE(frame.At(62, i), 0u);
  }
}

// Slot 4 is loaded at 210 x 210 and shrunk to 64 x 64; its top-left 54 x 24 is
// the button face and its 12 x 12 corner the note marker, both with white
// glyph cells drawn on them at (+2, +2).
TEST(ArtFilesTest, ButtonFaceAndNoteMarkerSurviveEitherShrink) {
  const BmpFile max = Data("max");
  ASSERT_TRUE(max.ok);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 54; ++x) {
      const uint32_t edge = max.At(x * 210 / 64, y * 210 / 64);
      const uint32_t centre = max.At((2 * x + 1) * 210 / 128, (2 * y + 1) * 210 / 128);
      EXPECT_EQ(edge, centre) << x << "," << y;
    }
  const uint32_t face = max.At(0, 0);
  EXPECT_LT(Luminance(face), 120) << "white labels need a dark face";
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x)
      EXPECT_EQ(max.At(x * 210 / 64, y * 210 / 64), face);
}

struct SoundStats {
  double dc = 0;
  double rms = 0;
  double fizz = 0;  // share of the energy that changes within rows
};

SoundStats Measure(const std::vector<float>& table) {
  SoundStats s;
  double energy = 0;
  double fizz = 0;
  for (int r = 0; r < 210; ++r) {
    double mean = 0;
    for (int c = 0; c < 210; ++c)
      mean += table[static_cast<size_t>(r * 210 + c)] / 210.0;
    for (int c = 0; c < 210; ++c) {
      const double v = table[static_cast<size_t>(r * 210 + c)];
      s.dc += v / 44100.0;
      energy += v * v;
      fizz += (v - mean) * (v - mean);
    }
  }
  s.rms = std::sqrt(energy / 44100.0);
  s.fizz = energy > 0 ? fizz / energy : 0;
  return s;
}

// Levels of harmonics 1-24 of a table in dB below the strongest, floored at -50.
std::vector<double> HarmonicLevels(const std::vector<float>& table) {
  constexpr int kHarmonics = 24;
  std::vector<double> energy(kHarmonics, 0.0);
  for (int h = 1; h <= kHarmonics; ++h) {
    double re = 0;
    double im = 0;
    for (size_t n = 0; n < table.size(); ++n) {
      const double w = 2.0 * M_PI * h * static_cast<double>(n) / static_cast<double>(table.size());
      re += table[n] * std::cos(w);
      im += table[n] * std::sin(w);
    }
    energy[static_cast<size_t>(h - 1)] = re * re + im * im;
  }
  double strongest = 1e-30;
  for (double e : energy)
    strongest = std::max(strongest, e);
  std::vector<double> levels;
  for (double e : energy)
    levels.push_back(std::max(-50.0, 10.0 * std::log10(e / strongest + 1e-30)));
  return levels;
}

TEST(ArtFilesTest, PaletteSoundsAreCentredAudibleAndDistinct) {
  std::vector<std::vector<float>> tables;
  for (const char* name : kPaletteFiles) {
    const BmpFile bmp = Data(name);
    ASSERT_TRUE(bmp.ok) << name;
    tables.push_back(TableOf(bmp));
    const SoundStats s = Measure(tables.back());
    EXPECT_LT(std::abs(s.dc), 0.005) << name;
    EXPECT_GT(s.rms, 0.12) << name;
    // Detail within rows folds back as inharmonic fizz; only the noises are
    // made of it.
    const bool noisy = std::string(name).find("noise") != std::string::npos;
    if (!noisy) {
      EXPECT_LT(s.fizz, 0.06) << name;
    }
  }
  // Two sounds are alike when their first harmonics stand in the same
  // proportions (phase does not matter to the ear).
  // Or when they carry the same share of fizz.
  std::vector<std::vector<double>> spectra;
  std::vector<double> fizz;
  for (const std::vector<float>& table : tables) {
    spectra.push_back(HarmonicLevels(table));
    fizz.push_back(Measure(table).fizz);
  }
  for (size_t a = 0; a < spectra.size(); ++a)
    for (size_t b = a + 1; b < spectra.size(); ++b) {
      double difference = 0;
      for (size_t h = 0; h < spectra[a].size(); ++h)
        difference += std::abs(spectra[a][h] - spectra[b][h]) / spectra[a].size();
      EXPECT_TRUE(difference > 4.0 || std::abs(fizz[a] - fizz[b]) > 0.05)
          << kPaletteFiles[a] << " sounds like " << kPaletteFiles[b] << " (harmonics differ by "
          << difference << " dB)";
    }
}

TEST(ArtFilesTest, UserBitmapsAreUsableExamples) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(SourceDir() + "/userbitmaps")) {
    if (entry.path().extension() != ".bmp") continue;
    ++count;
    const std::string name = entry.path().filename().string();
    EXPECT_LE(std::string("userbitmaps/").size() + name.size(), 31u) << name;
    const BmpFile bmp = ReadBmp(entry.path().string());
    ASSERT_TRUE(bmp.ok) << name;
    EXPECT_EQ(bmp.width, 210) << name;
    EXPECT_EQ(bmp.height, 210) << name;
    const SoundStats s = Measure(TableOf(bmp));
    EXPECT_LT(std::abs(s.dc), 0.005) << name;
    EXPECT_GT(s.rms, 0.12) << name;
  }
  EXPECT_GE(count, 4);
  EXPECT_LE(count, 6);
}

TEST(ArtFilesTest, TheRestIsSilentAndTheFallbackIsAQuietTone) {
  const SoundStats rest = Measure(TableOf(Data("min")));
  EXPECT_EQ(rest.rms, 0.0);
  const SoundStats fallback = Measure(TableOf(Data("notfound")));
  EXPECT_LT(std::abs(fallback.dc), 0.005);
  EXPECT_GT(fallback.rms, 0.05);
  EXPECT_LT(fallback.rms, 0.3);
  EXPECT_LT(fallback.fizz, 0.001);
}

}  // namespace
}  // namespace tessaloop::testing
