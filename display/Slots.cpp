// The slots' pictures: the palette's pictures as its loads bring them, the
// pictures loaded at start-up, the screen art, and colour keys.

#include <cstdio>
#include <string>

#include "base/DebugLog.h"
#include "base/RegularFile.h"
#include "display/Display.h"

namespace tessaloop {

namespace {

constexpr int kPaletteSide = 210;     // palette bitmaps are loaded at 210 x 210 ...
constexpr int kSlotSurfaceSide = 64;  // ... and shown at 64 x 64

bool ValidSlot(int slot) {
  return slot >= 0 && slot < kSlotCount;
}

void LogBadSlot(const char* operation, int slot) {
  char line[96];
  std::snprintf(line, sizeof line, "%s: no slot %d", operation, slot);
  WriteDebugLog(line);
}

}  // namespace

bool Display::PreparePicture(int slot, const char* path) {
  m_PreparedPicture = PrepareSlotSurface(slot, path, kPaletteSide, kPaletteSide);
  return m_PreparedPicture != nullptr;
}

void Display::CommitPicture(int slot) {
  if (ValidSlot(slot) && m_PreparedPicture) m_DDSSlots[slot] = std::move(m_PreparedPicture);
}

void Display::LoadDefaultBitmaps() {
  m_MissingPictures.clear();
  auto note = [this](bool loaded, const char* path) {
    if (loaded) return;
    for (const MissingPicture& missing : m_MissingPictures)
      if (missing.path == path) return;
    m_MissingPictures.push_back({path, WhyNotReadable(path)});
  };

  // Every palette load brings its picture along (PreparePicture).
  m_Palette.LoadStartupSounds(note);

  // Screen art: surfaces only, at each picture's own size. The font sheet and
  // the selection frame replace the noise surfaces of their slots but keep
  // those slots' names and tables.
  const struct {
    int slot;
    const char* path;
    int width, height;
    bool keyed;
  } kScreenArt[] = {
      {kSlotFont, "data/text.bmp", 256, 256, true},
      {kSlotSelected, "data/selected.bmp", 64, 64, true},
      {kSlotTabs, "data/tabs.bmp", 512, 24, false},
      {kSlotTempo, "data/tempo.bmp", 512, 24, false},
      {kSlotTitle, "data/title.bmp", 512, 24, false},
      {kSlotTabOn, "data/tabon.bmp", 10, 24, true},
  };
  for (const auto& art : kScreenArt) {
    note(MakeSurfaceFromBitmap(art.slot, art.path, art.width, art.height), art.path);
    if (art.keyed) SetSurfaceColorKey(art.slot, kBlack);
  }

  // Each picture the program runs without is named once, after the loads,
  // so that the end of a start-up log says what is missing and why.
  for (const MissingPicture& missing : m_MissingPictures)
    WriteDebugLog(
        ("Start-up picture not loaded: " + missing.path + " (" + missing.reason + ")").c_str());
}

bool Display::MakeSurfaceFromBitmap(int slot, const char* path, int width, int height) {
  std::unique_ptr<Surface> surface = PrepareSlotSurface(slot, path, width, height);
  if (!surface) return false;
  m_DDSSlots[slot] = std::move(surface);
  return true;
}

std::unique_ptr<Surface> Display::PrepareSlotSurface(int slot, const char* path, int width,
                                                     int height) {
  if (!ValidSlot(slot)) {
    LogBadSlot("MakeSurfaceFromBitmap", slot);
    return nullptr;
  }
  DecodedImage& image = m_Decoded;
  const bool loaded = path != nullptr && m_Platform.LoadBitmap(path, width, height, image);

  char line[48];
  std::snprintf(line, sizeof line, "\nCreating surface:%d", slot);
  WriteDebugLog(line);
  WriteDebugLog("Loading bitmap");
  WriteDebugLog(path != nullptr ? path : "");
  if (!loaded) {
    WriteDebugLog("Bitmap invalid");
    return nullptr;
  }

  // Pictures of the sound slots are shown at one size, whatever their own;
  // the screen art keeps the size it was loaded at.
  const int surfaceWidth = slot < kSlotFont ? kSlotSurfaceSide : image.width;
  const int surfaceHeight = slot < kSlotFont ? kSlotSurfaceSide : image.height;
  auto surface = std::make_unique<Surface>(surfaceWidth, surfaceHeight, m_PixelBits);
  if (surface->Empty()) {
    WriteDebugLog("MakeSurfaceFromBitmap CreateSurface FAILED");
    return nullptr;
  }
  WriteDebugLog("CreateSurface for bitmap OK");
  if (!CopyBitmapInto(surface.get(), &image, 0, 0, 0, 0)) return nullptr;
  return surface;
}

bool Display::CopyBitmapToSurface(int slot, const DecodedImage* bitmap, int sourceX, int sourceY,
                                  int sourceWidth, int sourceHeight) {
  Surface* surface = ValidSlot(slot) ? m_DDSSlots[slot].get() : nullptr;
  return CopyBitmapInto(surface, bitmap, sourceX, sourceY, sourceWidth, sourceHeight);
}

bool Display::CopyBitmapInto(Surface* surface, const DecodedImage* bitmap, int sourceX, int sourceY,
                             int sourceWidth, int sourceHeight) {
  if (bitmap == nullptr) {
    WriteDebugLog("CopyBitmapToSurface FAILED    hbm == NULL ");
    return false;
  }
  if (surface == nullptr || surface->Empty()) {
    WriteDebugLog("CopyBitmapToSurface FAILED    no surface");
    return false;
  }
  WriteDebugLog("CopyBitmapToSurface OK");
  // A width or height of 0 means the bitmap's own.
  if (sourceWidth == 0) sourceWidth = bitmap->width;
  if (sourceHeight == 0) sourceHeight = bitmap->height;
  Rect region;
  region.left = sourceX;
  region.top = sourceY;
  region.right = static_cast<int32_t>(static_cast<int64_t>(sourceX) + sourceWidth);
  region.bottom = static_cast<int32_t>(static_cast<int64_t>(sourceY) + sourceHeight);
  surface->StretchFrom(*bitmap, region);
  return true;
}

void Display::SetSurfaceColorKey(int slot, uint32_t rgb) {
  Surface* surface = ValidSlot(slot) ? m_DDSSlots[slot].get() : nullptr;
  const bool haveSurface = surface != nullptr && !surface->Empty();

  // The key is whatever this surface's format makes of the colour: it is
  // written into the top-left pixel and read back as the first pixel word,
  // then the pixel that was there is put back.
  uint32_t key = 0xFFFFFFFF;
  const bool writeColor = haveSurface && rgb != kInvalidColor;
  uint32_t remembered = 0;
  if (writeColor) {
    remembered = surface->Pixel(0, 0);
    surface->SetPixel(0, 0, surface->Encode(rgb));
  } else {
    WriteDebugLog("either get dc failed or rgb == CLR_INVALID");
  }
  if (haveSurface) {
    key = surface->FirstWord();
    if (surface->BitsPerPixel() < 32) key &= (uint32_t{1} << surface->BitsPerPixel()) - 1;
  } else {
    WriteDebugLog("cant lock for colorkey grab");
  }
  if (writeColor)
    surface->SetPixel(0, 0, remembered);
  else
    WriteDebugLog("cant rewrite color to surface or not using CLR_INVALID");

  if (surface != nullptr)
    surface->SetColorKey(key);
  else
    WriteDebugLog("couldn't set colorkey");
}

}  // namespace tessaloop
