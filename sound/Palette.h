#pragma once

// The palette: the fifty slots of sounds, each a wavetable loaded from a
// bitmap and named by that bitmap's path. Slots 6-21 are the sixteen sounds a
// user drags onto steps; 5 is saved with them; the others hold the start-up
// noise and lend their names to the screen art.
//
// Loading a slot is the one way a sound changes. Whoever shows the pictures
// (the display) takes part in every load through PaletteSlotPictures, so that a
// slot's picture, sound and name change together or not at all. Without one
// (the exporter, tests of the engine) only sounds and names are loaded.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "sound/WavetableBank.h"

namespace tessaloop {

constexpr int kFirstSavedSlot = 5;  // slot 5 is saved with the 16 palette sounds
constexpr int kLastSavedSlot = 21;
constexpr int kSavedSlotCount = kLastSavedSlot - kFirstSavedSlot + 1;

constexpr const char* kNoiseBitmap = "data/noise.bmp";
constexpr const char* kNotFoundBitmap = "data/notfound.bmp";

// The display's part in a palette load.
class PaletteSlotPictures {
 public:
  virtual ~PaletteSlotPictures() = default;
  // Decodes the picture of path for slot and keeps it aside; false refuses the
  // whole load. The slot's current picture stays until CommitPicture.
  virtual bool PreparePicture(int slot, const char* path) = 0;
  // Puts the picture kept aside by the last PreparePicture in place.
  virtual void CommitPicture(int slot) = 0;
};

class Palette {
 public:
  Palette();
  Palette(const Palette&) = delete;
  Palette& operator=(const Palette&) = delete;

  // The tables the voices read.
  const WavetableBank& Tables() const { return m_Tables; }
  // The bitmap path of a slot; "" for a slot never loaded or outside 0-49.
  // Never longer than kSlotNameLength - 1 characters.
  const char* Name(int slot) const;

  // Who loads the pictures; null for none. Set before the first load.
  void SetPictures(PaletteSlotPictures* pictures) { m_Pictures = pictures; }
  PaletteSlotPictures* Pictures() const { return m_Pictures; }

  // Loads a bitmap into a slot: its picture (through the pictures, when set),
  // its sound and its name. False, changing nothing, when the slot is outside
  // 0-49, the path does not fit a slot name, or the file cannot be read as a
  // bitmap. The audio thread may go on reading the slot's table meanwhile.
  bool Load(int slot, const char* path);

  // The start-up set: the noise in every slot up to 36, then the sixteen
  // palette sounds and their neighbours in slots 3-20. loaded, when given,
  // hears of each load and whether it worked, in load order.
  void LoadStartupSounds(const std::function<void(bool loaded, const char* path)>& loaded = {});

  // The names of slots 5-21 right after LoadStartupSounds.
  static const char* StartupName(int savedIndex);

  // Stores a table made in memory (kTableLength samples) into a slot, leaving
  // its name and picture: for tools and tests that make sounds without files.
  void StoreTable(int slot, const float* samples) { m_Tables.StoreTable(slot, samples); }

  // Gives a slot a name without loading anything: a song whose picture and
  // fallback both fail to load keeps naming its own, so that saving it again
  // loses nothing. The name is cut to what a slot name holds.
  void KeepName(int slot, const char* name);

 private:
  WavetableBank m_Tables;
  char m_Names[kSlotCount][kSlotNameLength] = {};
  PaletteSlotPictures* m_Pictures = nullptr;
  // Reused by every load, so that loading a song's seventeen sounds does not
  // allocate a file's and a table's worth of memory for each.
  std::vector<uint8_t> m_FileBytes;
  std::unique_ptr<float[]> m_ScratchTable;
};

}  // namespace tessaloop
