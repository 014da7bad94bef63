// Typing the song's name in tab 7. Keys are read as held levels, so the entry
// has its own repeat delay: after a key is taken, nothing is read for a quarter
// of a second (an eighth after Backspace).

#include <cstring>

#include "display/Display.h"
#include "editor/Editor.h"
#include "input/InputState.h"
#include "input/KeyCodes.h"
#include "sound/Sequencer.h"

namespace tessaloop {

void Editor::EnterName() {
  InputState& input = m_Input;
  const auto delay = static_cast<int32_t>(m_Display.m_FramesPerSecond / 4);

  // The name is edited in a copy and handed to the song as one edit.
  char name[kMaxNameLength + 1] = {};
  std::memcpy(name, m_Seq.m_Name, strnlen(m_Seq.m_Name, kMaxNameLength));
  m_NameLength = static_cast<int32_t>(std::strlen(name));

  const auto append = [&](char c) {
    if (m_NameLength >= kMaxNameLength) return;  // a key that no longer fits is ignored
    name[m_NameLength] = c;
    m_NameLength = m_NameLength + 1;
    name[m_NameLength] = '\0';
    input.m_KeyDelay = delay;
  };

  // Names are letters and digits only, so they always make a safe file name.
  if (input.KeyDown(key::kLeftShift)) {
    for (int i = 0; i < 26; ++i)
      if (input.KeyDown(key::kLetters[i])) append(static_cast<char>('A' + i));
  } else {
    for (int i = 0; i < 26; ++i)
      if (input.KeyDown(key::kLetters[i])) append(static_cast<char>('a' + i));
    for (int i = 0; i < 10; ++i)
      if (input.KeyDown(key::kDigits[i])) append(static_cast<char>('0' + i));
  }

  if (input.KeyDown(key::kBackspace) && m_NameLength > 0) {
    m_NameLength = m_NameLength - 1;
    name[m_NameLength] = '\0';
    input.m_KeyDelay = delay / 2;
  }

  const bool finished = input.KeyDown(key::kReturn);
  if (finished && m_NameLength == 0) std::strcpy(name, "Untitled");
  m_Seq.SetName(name);
  if (finished) m_NameLength = kNameEntryFinished;
}

}  // namespace tessaloop
