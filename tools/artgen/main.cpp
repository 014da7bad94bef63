// tessaloop-artgen OUTDIR: writes every picture Tessaloop ships into
// OUTDIR/data and OUTDIR/userbitmaps. The output is the same, byte for byte,
// on every run.

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "display/BmpWriter.h"
#include "tools/artgen/Art.h"

namespace fs = std::filesystem;

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
