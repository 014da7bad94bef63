#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display/Surface.h"
#include "platform/Platform.h"
#include "sound/Palette.h"

namespace tessaloop {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

// Slots of the screen art.
constexpr int kSlotFont = 35;
constexpr int kSlotSelected = 36;
constexpr int kSlotTabs = 37;
constexpr int kSlotTempo = 38;
constexpr int kSlotTitle = 39;
constexpr int kSlotTabOn = 40;
constexpr int kSlotMax = 4;  // note marker and pattern-button face

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

// The screen side of the program: the back buffer every frame is drawn into,
// one surface per slot, the frame-rate counter, and drawing. The sounds and
// names of the slots are the engine's Palette; the Display takes part in each
// of its loads, so that a slot's picture and sound change together.
class Display : public PaletteSlotPictures {
 public:
  // fullScreen picks the 16-bit format and full-screen presenting; otherwise
  // surfaces are 32-bit and the program runs in a window. The Display shows
  // the pictures of palette's loads from now on.
  Display(Platform& platform, bool fullScreen, Palette& palette);
  ~Display() override;
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

  Platform& GetPlatform() { return m_Platform; }
  // Bits per pixel of the back buffer and every slot surface: 16 (RGB565) when
  // full screen, else 32 (XRGB8888).
  int PixelBits() const { return m_PixelBits; }

  // ---- Set-up and frames ----
  // Starts the debug log, makes the back buffer and loads the default
  // bitmaps. Returns 0.
  int Setup();
  // Hands the back buffer to the platform, then clears it to white.
  int Present();
  // Fills the back buffer (slot -1) or a slot surface with a pixel value.
  void FillSurface(int slot, uint32_t pixel);
  void CountFrame();

  // ---- Slots ----
  // The palette's start-up sounds with their pictures, then the screen art.
  void LoadDefaultBitmaps();
  // A picture of the start-up set that could not be loaded, and why.
  struct MissingPicture {
    std::string path;    // "data/pit.bmp"
    std::string reason;  // "No such file or directory", "Permission denied", ...
  };
  // Those of the last LoadDefaultBitmaps, each file once, in load order.
  const std::vector<MissingPicture>& MissingStartupPictures() const { return m_MissingPictures; }
  bool MakeSurfaceFromBitmap(int slot, const char* path, int width, int height);
  bool CopyBitmapToSurface(int slot, const DecodedImage* bitmap, int sourceX, int sourceY,
                           int sourceWidth, int sourceHeight);
  // Makes the slot surface's own encoding of an 0x00RRGGBB colour its colour
  // key; kInvalidColor takes the surface's top-left pixel as it is.
  static constexpr uint32_t kInvalidColor = 0xFFFFFFFF;
  void SetSurfaceColorKey(int slot, uint32_t rgb);
  const Surface* SlotSurface(int slot) const;
  const Surface& BackBuffer() const { return m_DDSBack; }
  Surface& BackBuffer() { return m_DDSBack; }

  // ---- Drawing into the back buffer ----
  void BlitSlot(int x, int y, int slot, const Rect& source, bool keyed);
  void DrawString(int x, int y, const char* text);
  void DrawStringKeyed(int x, int y, const char* text);
  void DrawFloat(int x, int y, float value);
  void DrawInt(int x, int y, int32_t value);
  void DrawIntKeyed(int x, int y, int32_t value);

  // Writes the back buffer as a 24-bit BMP file; false when it cannot.
  bool WriteBackBufferImage(const char* path) const;

  // ---- Members ----
  int32_t m_Width = kScreenWidth;
  int32_t m_Height = kScreenHeight;
  bool m_FullScreen = false;
  std::unique_ptr<Surface> m_DDSSlots[kSlotCount];
  Surface m_DDSBack;
  uint32_t m_LastTime = 0;
  uint32_t m_ThisTime = 0;
  uint32_t m_Elapsed = 0;
  uint32_t m_FrameDelta = 0;
  uint32_t m_FrameCount = 0;
  uint32_t m_FramesPerSecond = 0;

 private:
  // PaletteSlotPictures: a palette slot's picture (210 x 210, shown at
  // 64 x 64), decoded aside and then put in place.
  bool PreparePicture(int slot, const char* path) override;
  void CommitPicture(int slot) override;

  // Decodes a bitmap and draws it into a new surface for the slot, writing the
  // load's log lines; null when it cannot. The slot itself is not touched, so a
  // caller can finish everything that may fail before replacing anything.
  std::unique_ptr<Surface> PrepareSlotSurface(int slot, const char* path, int width, int height);
  bool CopyBitmapInto(Surface* surface, const DecodedImage* bitmap, int sourceX, int sourceY,
                      int sourceWidth, int sourceHeight);
  void DrawText(int x, int y, const char* text, int setTop, bool keyed);

  Platform& m_Platform;
  Palette& m_Palette;
  const bool m_BuildFullScreen;  // the flag the Display was made with
  int m_PixelBits;
  std::unique_ptr<Surface> m_PreparedPicture;
  // Every picture load decodes into this one image, so that loading a song's
  // seventeen pictures does not allocate a picture's worth of memory for each.
  DecodedImage m_Decoded;
  std::vector<MissingPicture> m_MissingPictures;
};

}  // namespace tessaloop
