#include "tests/editor/EditorRig.h"

#include <filesystem>

namespace tessaloop::testing {

namespace {

// The working folder must hold the program's data before the Display exists.
WorkFolder& Prepared(WorkFolder& folder, const std::function<void()>& prepare) {
  folder.LinkData();
  std::filesystem::create_directory("songs");
  std::filesystem::create_directory("userbitmaps");
  if (prepare) prepare();
  return folder;
}

// Whether a w x h block of a surface is what the back buffer shows at (x, y);
// unless comparing the pointer itself, pixels under the pointer are skipped.
bool BlockAt(const EditorRig& rig, int x, int y, const Surface* source, int sx, int sy, int w,
             int h, bool keyed, bool comparePointer = false) {
  const Surface& back = rig.display.BackBuffer();
  if (source == nullptr || x < 0 || y < 0 || x + w > back.Width() || y + h > back.Height())
    return false;
  const int px = rig.input.m_MouseX, py = rig.input.m_MouseY;
  int visible = 0;
  for (int dy = 0; dy < h; ++dy) {
    for (int dx = 0; dx < w; ++dx) {
      const uint32_t pixel = source->Pixel(sx + dx, sy + dy);
      if (keyed && source->HasColorKey() && pixel == source->ColorKey()) continue;
      ++visible;
      const bool underPointer = x + dx >= px && x + dx < px + 8 && y + dy >= py && y + dy < py + 8;
      if (underPointer && !comparePointer) continue;
      if (back.PixelRgb(x + dx, y + dy) != source->DecodeRgb(pixel)) return false;
    }
  }
  return visible > 0;
}

bool FontGlyphAt(const EditorRig& rig, int x, int y, int code, bool keyed, bool comparePointer) {
  if (code < 33 || code > 127) return false;
  const int k = code - 33;
  return BlockAt(rig, x, y, rig.display.SlotSurface(kSlotFont), (k % 15) * 8,
                 (k / 15) * 8 + (keyed ? 56 : 0), 8, 8, keyed, comparePointer);
}

}  // namespace

EditorRig::EditorRig(int trackCount, const std::function<void()>& prepare)
    : display((Prepared(folder, prepare), platform), false, palette), input(platform, 1024, 768) {
  // A clock that stands still keeps the frame rate where a test puts it.
  platform.SetTime(0);
  display.Setup();
  input.CreateDevices();
  SequencerSetup setup;
  setup.trackCount = trackCount;
  setup.palette = &palette;
  setup.startAudio = false;
  seq = std::make_unique<Sequencer>(setup);
  editor = std::make_unique<Editor>(*seq, display, input);
  // The first frame lets the pointer move (the tempo drag starts undecided).
  RunFrame();
}

void EditorRig::RunFrame() {
  if (m_FramePending) {
    display.CountFrame();
    display.Present();
  }
  editor->Frame();
  m_FramePending = true;
}

void EditorRig::RunFrames(int count) {
  for (int i = 0; i < count; ++i)
    RunFrame();
}

void EditorRig::TapKeys(const std::vector<uint8_t>& scanCodes, int frames) {
  for (uint8_t k : scanCodes)
    Key(k, true);
  RunFrames(frames);
  for (uint8_t k : scanCodes)
    Key(k, false);
}

bool TextAt(const EditorRig& rig, int x, int y, const char* text, bool keyed) {
  for (int i = 0; text[i] != '\0'; ++i)
    if (text[i] != ' ' &&
        !FontGlyphAt(rig, x + 8 * i, y, static_cast<unsigned char>(text[i]), keyed, false))
      return false;
  return true;
}

bool PictureAt(const EditorRig& rig, int x, int y, int slot, bool keyed, int w, int h) {
  return BlockAt(rig, x, y, rig.display.SlotSurface(slot), 0, 0, w, h, keyed);
}

bool PointerDrawn(const EditorRig& rig) {
  return FontGlyphAt(rig, rig.input.m_MouseX, rig.input.m_MouseY, '~', true, true);
}

}  // namespace tessaloop::testing
