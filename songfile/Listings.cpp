// Folder listings of user bitmaps and songs.

#include <cstring>

#include "sound/Sequencer.h"

namespace tessaloop {

// Placeholder until the folder search lands: an empty list.
void Sequencer::ListUserBitmaps() {
  m_BitmapCount = 0;
  for (auto& name : m_BitmapNames)
    std::strcpy(name, "none");
}

}  // namespace tessaloop
