// tessaloop-artpreview OUTDIR: composes example screens from the generated
// art, placed where the editor places it (tab bar, cells with their note
// markers and handles, pattern buttons, bottom bar, arrangement, palette,
// help, pointer), and writes them as OUTDIR/preview-*.bmp. It stands in for
// the real program when judging the art: pictures are scaled by nearest
// neighbour as the display does, glyphs come from the font sheet's cells and
// keyed pictures leave out black.

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "base/BmpWriter.h"
#include "tools/artgen/Art.h"

namespace {

using tessaloop::art::ArtFile;
using tessaloop::art::Image;
using tessaloop::art::Rgb;

constexpr int kTracks = 3;

class Screen {
 public:
  explicit Screen(const std::map<std::string, Image>& art)
      : m_Art(art), m_Back(1024, 768, 0xFFFFFF) {
    m_Slot4 = Shrink(art.at("data/max.bmp"));
  }

  // A 210 x 210 picture as a 64 x 64 slot surface.
  static Image Shrink(const Image& image) {
    Image small(64, 64);
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x)
        small.Set(x, y, image.At(x * 210 / 64, y * 210 / 64));
    return small;
  }

  void Blit(int x, int y, const Image& source, int w, int h, int sx = 0, int sy = 0,
            bool keyed = false) {
    if (x < 0 || y < 0 || x + w > 1024 || y + h > 768) return;
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) {
        const Rgb c = source.At(sx + i, sy + j);
        if (!keyed || c != 0) m_Back.Set(x + i, y + j, c);
      }
  }
  void Art(int x, int y, const char* name, int w, int h, bool keyed = false) {
    Blit(x, y, m_Art.at(name), w, h, 0, 0, keyed);
  }
  void Picture(int x, int y, const char* name) { Blit(x, y, Shrink(m_Art.at(name)), 64, 64); }
  void Text(int x, int y, const std::string& text, bool keyed = false) {
    const Image& sheet = m_Art.at("data/text.bmp");
    for (size_t i = 0; i < text.size(); ++i) {
      const int c = static_cast<signed char>(text[i]);
      if (c < 33) continue;
      const int k = c - 33;
      Blit(x + 8 * static_cast<int>(i), y, sheet, 8, 8, (k % 15) * 8,
           (k / 15) * 8 + (keyed ? 56 : 0), keyed);
    }
  }
  const Image& Slot4() const { return m_Slot4; }
  const Image& Back() const { return m_Back; }

 private:
  const std::map<std::string, Image>& m_Art;
  Image m_Back;
  Image m_Slot4;
};

const char* const kPalette[16] = {
    "data/square.bmp",     "data/stepsaw.bmp",    "data/stepsine.bmp",     "data/cellstar.bmp",
    "data/noise-fade.bmp", "data/pit.bmp",        "data/multi-circle.bmp", "data/noise-square.bmp",
    "data/grid.bmp",       "data/impulse.bmp",    "data/pattern1.bmp",     "data/small-square.bmp",
    "data/corner.bmp",     "data/multi-band.bmp", "data/slant.bmp",        "data/noise.bmp"};
const char* const kSemitones[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                    "F#", "G",  "G#", "A",  "A#", "B"};
const int kMarkers[8] = {0, 39, 127, 218, 276, 361, 426, 495};

Screen Frame(const std::map<std::string, Image>& art, int tab, bool help) {
  Screen s(art);
  s.Art(0, 0, "data/tabs.bmp", 512, 24);
  s.Art(0, 666, "data/tempo.bmp", 512, 24);
  s.Art(501, 0, "data/title.bmp", 512, 24);
  s.Art(kMarkers[tab], 0, "data/tabon.bmp", 10, 24, true);
  const int step = 5;
  for (int t = 0; t < kTracks; ++t) {
    for (int i = 0; i < 16; ++i) {
      const int x0 = i * 64;
      const int y0 = t * 64 + 24;
      const int slot = (i * 5 + t * 3) % 7 == 0 || (i + t) % 4 == 1 ? (i * 7 + t * 5) % 16 : -1;
      if (slot >= 0) s.Picture(x0, y0, kPalette[slot]);
      if (t == 1 && i == 6) s.Art(x0, y0, "data/selected.bmp", 64, 64, true);
      if (slot < 0) continue;
      const int octave = (i + t) % 7 + 1;
      const int semitone = (i * 5 + t) % 12;
      if (tab == 1) {
        const int oy = 56 - 6 * octave;
        const int ox = std::min(std::max(5 * semitone, 2), 54);
        s.Blit(x0 + 26, y0 + oy - 2, s.Slot4(), 12, 12);
        s.Text(x0 + 28, y0 + oy, std::to_string(octave));
        s.Blit(x0 + ox - 2, y0 + 30, s.Slot4(), 12, 12);
        s.Text(x0 + ox, y0 + 32, kSemitones[semitone]);
      } else if (tab == 2 || tab == 3 || tab == 4) {
        const int px = 2 + (i * 13 + t * 7) % 53;
        const int py = tab == 4 ? 32 : 2 + (i * 29 + t * 11) % 53;
        s.Text(x0 + px, y0 + py, "8", true);
      }
    }
    if (tab == 5) {
      s.Blit(5, t * 64 + 32, s.Slot4(), 54, 24);
      s.Text(7, t * 64 + 34, "Save");
      s.Text(7, t * 64 + 46, std::string(1, static_cast<char>('A' + t)));
      s.Blit(69, t * 64 + 32, s.Slot4(), 54, 24);
      s.Text(71, t * 64 + 34, "Load");
      s.Text(71, t * 64 + 46, std::string(1, static_cast<char>('X' - t)));
      if (t == 0) s.Text(19, t * 64 + 46, "0", true);
      if (t == 1) s.Text(83, t * 64 + 46, "1", true);
    }
    s.Text(step * 64 + 26, t * 64 + 50, "9", true);
  }
  s.Text(840, 675, "Tessaloop 0.1");
  for (int t = 0; t < kTracks; ++t)
    for (int j = 0; j < 100; ++j)
      s.Text(j * 10 + 10, t * 10 + 700,
             std::string(1, j < 12 ? static_cast<char>('A' + (j + t) % 4) : 'X'));
  s.Text(2 * 10 + 10, 1 * 10 + 700, "C", true);  // a hovered arrangement letter
  s.Text(73, 674, std::to_string(step + 1));
  s.Text(103, 674, "3");
  s.Text(7 * 10 + 10, 690, "?", true);
  s.Text(2 * 10 + 10, 690, "6", true);
  s.Text(54, 673, tab == 1 ? "<" : "", true);
  s.Text(54, 673, tab == 5 ? "=" : ">", true);
  if (help) {
    s.Text(500, 420, "Help", true);
    s.Text(500, 440, "Left click and drag from palette below to create a sequence");
    s.Text(500, 450, "Hold control when dragging to paint");
    s.Text(500, 460, "Right click on the palette to load a new bitmap");
    s.Text(500, 500, "User Bitmaps", true);
    s.Text(500, 520,
           "User created bitmaps must be 220 by 220 pixels and saved in 24bit BMP format");
  }
  s.Text(267, 674, "240.4362");
  if (tab == 2) s.Text(256, 674, "1", true);
  for (int t = 0; t < kTracks; ++t) {
    s.Text(t * 16 + 410, 673, t == 1 ? "2" : "3", true);
    if (t == 2 && tab == 1) s.Text(t * 16 + 410, 673, "4", true);
  }
  for (int i = 0; i < 16; ++i)
    s.Picture(i * 64, 600, kPalette[i]);
  s.Art(3 * 64, 600, "data/selected.bmp", 64, 64, true);
  if (tab == 6) {
    s.Text(502, 8, "0");
    s.Text(524, 8, "UntitledSong.tlp");
  }
  if (tab == 7) s.Text(514, 8, "MySong");
  if (tab == 4) {
    // The user-bitmap menu over palette square 5.
    s.Art(5 * 64, 600, "data/selected.bmp", 64, 64, true);
    const char* names[] = {"sunset.bmp", "waves.bmp", "moon.bmp"};
    for (int v = 0; v < 3; ++v)
      s.Text(5 * 64, 590 - v * 10, names[v]);
    s.Text(5 * 64 - 13, 580, "1", true);
  }
  s.Text(tab == 1 ? 700 : 212, tab == 1 ? 300 : 110, "~", true);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
    return 2;
  }
  std::map<std::string, Image> art;
  for (ArtFile& file : tessaloop::art::MakeAllArt())
    art[file.path] = std::move(file.image);
  for (int tab : {1, 2, 4, 5, 6}) {
    const Screen s = Frame(art, tab, tab == 5);
    const std::string path = std::string(argv[1]) + "/preview-tab" + std::to_string(tab) + ".bmp";
    tessaloop::WriteBmp24(path, 1024, 768, s.Back().Pixels().data());
  }
  return 0;
}
