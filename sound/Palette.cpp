#include "sound/Palette.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/BitmapHeader.h"
#include "base/DebugLog.h"
#include "sound/WavetableConversion.h"

namespace tessaloop {

namespace {

// Every slot up to the selection frame's (36) starts with the noise.
constexpr int kLastNoiseSlot = 36;

// Slots 3 to 20 at start-up, after the noise.
constexpr const char* kStartupSounds[] = {
    "data/notfound.bmp",   "data/max.bmp",          "data/min.bmp",          "data/square.bmp",
    "data/stepsaw.bmp",    "data/stepsine.bmp",     "data/cellstar.bmp",     "data/noise-fade.bmp",
    "data/pit.bmp",        "data/multi-circle.bmp", "data/noise-square.bmp", "data/grid.bmp",
    "data/impulse.bmp",    "data/pattern1.bmp",     "data/small-square.bmp", "data/corner.bmp",
    "data/multi-band.bmp", "data/slant.bmp",
};
constexpr int kFirstStartupSlot = 3;
constexpr int kStartupCount = static_cast<int>(sizeof kStartupSounds / sizeof kStartupSounds[0]);

bool ValidSlot(int slot) {
  return slot >= 0 && slot < kSlotCount;
}

}  // namespace

Palette::Palette() : m_ScratchTable(new float[kTableLength]) {}

const char* Palette::Name(int slot) const {
  return ValidSlot(slot) ? m_Names[slot] : "";
}

bool Palette::Load(int slot, const char* path) {
  if (!ValidSlot(slot)) {
    char line[96];
    std::snprintf(line, sizeof line, "LoadPaletteSlot: no slot %d", slot);
    WriteDebugLog(line);
    return false;
  }
  if (path == nullptr) return false;
  // A slot name holds 31 characters and its terminator; a longer path would
  // not survive a song file, so it is refused rather than cut short. strnlen
  // also stops at the end of a name that lost its terminator.
  const size_t length = strnlen(path, kSlotNameLength);
  if (length >= static_cast<size_t>(kSlotNameLength)) {
    WriteDebugLog(
        ("Path too long for a slot name: " + std::string(path, kSlotNameLength - 1) + "...")
            .c_str());
    return false;
  }
  // Our own copy: a caller may pass a slot's own name, which is rewritten below.
  char name[kSlotNameLength] = {};
  std::memcpy(name, path, length);

  // Everything that can fail happens before anything of the slot changes: the
  // picture is decoded aside and the sound into a scratch table.
  if (m_Pictures != nullptr && !m_Pictures->PreparePicture(slot, name)) return false;
  if (!ReadWholeBitmapFile(name, m_FileBytes) ||
      !PlausibleBitmapHeader(m_FileBytes.data(), m_FileBytes.size())) {
    WriteDebugLog("Bitmap file unreadable");
    return false;
  }
  ConvertBitmapBytesToWavetable(m_FileBytes.data(), m_FileBytes.size(), m_ScratchTable.get());

  if (m_Pictures != nullptr) m_Pictures->CommitPicture(slot);
  std::memcpy(m_Names[slot], name, sizeof name);
  // Relaxed stores: the audio thread may be reading this very table.
  m_Tables.StoreTable(slot, m_ScratchTable.get());
  return true;
}

void Palette::LoadStartupSounds(const std::function<void(bool, const char*)>& loaded) {
  // The load order is visible in the debug log and decides what a slot keeps
  // when one of the files is missing: the noise.
  for (int slot = 0; slot <= kLastNoiseSlot; ++slot) {
    const bool ok = Load(slot, kNoiseBitmap);
    if (loaded) loaded(ok, kNoiseBitmap);
  }
  int slot = kFirstStartupSlot;
  for (const char* path : kStartupSounds) {
    const bool ok = Load(slot++, path);
    if (loaded) loaded(ok, path);
  }
}

const char* Palette::StartupName(int savedIndex) {
  if (savedIndex < 0 || savedIndex >= kSavedSlotCount) return "";
  const int index = kFirstSavedSlot + savedIndex - kFirstStartupSlot;
  return index < kStartupCount ? kStartupSounds[index] : kNoiseBitmap;
}

void Palette::KeepName(int slot, const char* name) {
  if (!ValidSlot(slot) || name == nullptr) return;
  char* entry = m_Names[slot];
  std::memset(entry, 0, kSlotNameLength);
  std::memcpy(entry, name, strnlen(name, kSlotNameLength - 1));
}

}  // namespace tessaloop
