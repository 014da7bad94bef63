// The Display's set-up, presenting and frame counter.

#include "display/Display.h"

#include <vector>

#include "base/BmpWriter.h"
#include "base/DebugLog.h"

namespace tessaloop {

namespace {

int SurfaceBits(bool fullScreen) {
  return fullScreen ? 16 : 32;
}

}  // namespace

Display::Display(Platform& platform, bool fullScreen, Palette& palette)
    : m_FullScreen(fullScreen),
      m_Platform(platform),
      m_Palette(palette),
      m_BuildFullScreen(fullScreen),
      m_PixelBits(SurfaceBits(fullScreen)) {
  m_Palette.SetPictures(this);
}

// A Display made to replace this one over the same palette has taken the
// pictures over already.
Display::~Display() {
  if (m_Palette.Pictures() == this) m_Palette.SetPictures(nullptr);
}

int Display::Setup() {
  StartDebugLog();

  m_Width = kScreenWidth;
  m_Height = kScreenHeight;
  m_FullScreen = m_BuildFullScreen;
  m_LastTime = m_ThisTime = m_Elapsed = m_FrameDelta = m_FrameCount = m_FramesPerSecond = 0;

  WriteDebugLog("--------------------------------");
  WriteDebugLog("Starting Setup");
  // The window belongs to the shell and the surfaces live in memory, so there
  // is no device object or access level to ask for; the log still reads as
  // every start-up's log does, step by step.
  WriteDebugLog("Create DDRAW object");
  WriteDebugLog("setco-operative");

  m_PixelBits = SurfaceBits(m_FullScreen);
  m_DDSBack = Surface(m_Width, m_Height, m_PixelBits);
  if (m_FullScreen) {
    // Full screen runs at 16 bits per pixel; the platform's full-screen window
    // shows the back buffer at its logical size.
    WriteDebugLog("SetDisplayMode DDSCL_FULLSCREEN");
    if (m_DDSBack.Empty()) WriteDebugLog("CreateSurface BackBuffer FAILED");
  } else {
    WriteDebugLog("SetDisplayMode WINDOWED");
    if (m_DDSBack.Empty()) WriteDebugLog("CreateBackBufferSurface FAILED");
  }
  m_DDSBack.Fill(kWhite);
  WriteDebugLog("Done Setup");

  LoadDefaultBitmaps();
  return 0;
}

int Display::Present() {
  if (!m_DDSBack.Empty()) {
    FrameView frame;
    frame.pixels = m_DDSBack.Data();
    frame.width = m_DDSBack.Width();
    frame.height = m_DDSBack.Height();
    frame.pitch = m_DDSBack.Pitch();
    frame.bitsPerPixel = m_DDSBack.BitsPerPixel();
    m_Platform.Present(frame);
  }
  // Every frame is drawn on white. All ones is white in both pixel formats.
  FillSurface(-1, kWhite);
  return 0;
}

void Display::FillSurface(int slot, uint32_t pixel) {
  if (slot == -1) {
    m_DDSBack.Fill(pixel);
  } else if (slot >= 0 && slot < kSlotCount && m_DDSSlots[slot]) {
    m_DDSSlots[slot]->Fill(pixel);
  }
}

void Display::CountFrame() {
  m_ThisTime = m_Platform.Milliseconds();
  m_FrameDelta = m_ThisTime - m_LastTime;  // unsigned: the clock's wrap is harmless
  m_LastTime = m_ThisTime;
  m_Elapsed += m_FrameDelta;
  m_FrameCount += 1;
  // A window closes after more than a second; the time beyond it is dropped.
  if (m_Elapsed > 1000) {
    m_FramesPerSecond = m_FrameCount;
    m_FrameCount = 0;
    m_Elapsed = 0;
  }
}

const Surface* Display::SlotSurface(int slot) const {
  if (slot < 0 || slot >= kSlotCount) return nullptr;
  return m_DDSSlots[slot].get();
}

bool Display::WriteBackBufferImage(const char* path) const {
  if (path == nullptr || m_DDSBack.Empty()) return false;
  const int width = m_DDSBack.Width();
  const int height = m_DDSBack.Height();
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[static_cast<size_t>(y) * width + x] = m_DDSBack.PixelRgb(x, y);
  return WriteBmp24(path, width, height, pixels.data());
}

}  // namespace tessaloop
