// tessaloop-artgen OUTDIR: writes every picture Tessaloop ships into
// OUTDIR/data and OUTDIR/userbitmaps. The output is the same, byte for byte,
// on every run.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "base/BmpWriter.h"
#include "tools/artgen/Art.h"

namespace fs = std::filesystem;

namespace {

// Writes an image as XPM, the text picture format that desktop icon themes
// read (they do not read BMP). Each colour gets a code of one or more
// characters from a 64-character alphabet.
bool WriteXpm(const fs::path& path, const tessaloop::art::Image& image) {
  static const char kAlphabet[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-";
  std::map<uint32_t, std::string> codes;
  for (uint32_t pixel : image.Pixels())
    codes.emplace(pixel & 0xFFFFFF, "");
  size_t width = 1;
  for (size_t capacity = 64; capacity < codes.size(); capacity *= 64)
    ++width;
  size_t index = 0;
  for (auto& [colour, code] : codes) {
    size_t n = index++;
    for (size_t i = 0; i < width; ++i, n /= 64)
      code.insert(code.begin(), kAlphabet[n % 64]);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "/* XPM */\nstatic char *tessaloop[] = {\n\"" << image.Width() << ' ' << image.Height()
      << ' ' << codes.size() << ' ' << width << "\",\n";
  for (const auto& [colour, code] : codes) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%06X", colour);
    out << '"' << code << " c #" << hex << "\",\n";
  }
  for (int y = 0; y < image.Height(); ++y) {
    out << '"';
    for (int x = 0; x < image.Width(); ++x)
      out << codes[image.At(x, y) & 0xFFFFFF];
    out << '"' << (y + 1 < image.Height() ? ",\n" : "\n");
  }
  out << "};\n";
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", argc > 0 ? argv[0] : "tessaloop-artgen");
    return 2;
  }
  const fs::path out = argv[1];
  std::set<fs::path> written;
  for (const tessaloop::art::ArtFile& file : tessaloop::art::MakeAllArt()) {
    const fs::path path = out / file.path;
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    const auto& image = file.image;
    if (!tessaloop::WriteBmp24(path.string(), image.Width(), image.Height(),
                               image.Pixels().data())) {
      std::fprintf(stderr, "tessaloop-artgen: cannot write %s\n", path.c_str());
      return 1;
    }
    written.insert(path.lexically_normal());
    if (file.path == "data/icon.bmp") {
      // Desktops want the icon in a format of their own.
      const fs::path xpm = out / "data/icon.xpm";
      if (!WriteXpm(xpm, image)) {
        std::fprintf(stderr, "tessaloop-artgen: cannot write %s\n", xpm.c_str());
        return 1;
      }
    }
  }
  // Pictures in the two folders that the generator no longer makes are named
  // but left alone: the folders may hold someone's own bitmaps.
  for (const char* folder : {"data", "userbitmaps"}) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(out / folder, error)) {
      if (entry.path().extension() == ".bmp" && !written.count(entry.path().lexically_normal()))
        std::fprintf(stderr, "tessaloop-artgen: %s is not made by the generator\n",
                     entry.path().c_str());
    }
  }
  std::printf("tessaloop-artgen: %zu pictures written to %s\n", written.size(), out.c_str());
  return 0;
}
