// The Ctrl shortcuts (undo, redo), where one gesture ends and the next
// begins, and the status line that says what they did.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "base/DebugLog.h"
#include "display/Display.h"
#include "editor/Editor.h"
#include "editor/Layout.h"
#include "input/InputState.h"
#include "input/KeyCodes.h"
#include "sound/Sequencer.h"

namespace tessaloop {

namespace {

using namespace layout;

// Keys that only change what another key or the pointer does: holding one
// down starts no gesture of its own.
bool IsModifier(int scanCode) {
  return scanCode == key::kLeftShift || scanCode == key::kRightShift ||
         scanCode == key::kLeftControl || scanCode == key::kRightControl;
}

}  // namespace

void Editor::ShowStatus(const char* text) {
  std::snprintf(m_Status, sizeof m_Status, "%.*s", kStatusLength, text);
  m_StatusFrames = QuarterSeconds(m_Display.m_FramesPerSecond, 8);
}

void Editor::Shortcuts() {
  InputState& input = m_Input;

  // A key or button that goes down begins a new gesture: whatever was being
  // done before is one step of its own.
  bool pressed = false;
  for (int k = 0; k < 256; ++k)
    if (input.KeyDown(static_cast<uint8_t>(k)) && (m_KeysLastFrame[k] & 0x80) == 0 &&
        !IsModifier(k))
      pressed = true;
  for (int b = 0; b < 4; ++b)
    if (input.m_Buttons[b] != 0 && m_ButtonsLastFrame[b] == 0) pressed = true;
  std::memcpy(m_KeysLastFrame, input.m_Keys, sizeof m_KeysLastFrame);
  std::memcpy(m_ButtonsLastFrame, input.m_Buttons, sizeof m_ButtonsLastFrame);
  if (pressed) m_History.EndGesture();

  const bool ctrl = input.KeyDown(key::kLeftControl) || input.KeyDown(key::kRightControl);
  const bool shift = input.KeyDown(key::kLeftShift) || input.KeyDown(key::kRightShift);
  int32_t held = 0;
  if (ctrl && input.KeyDown(key::kZ)) held = shift ? 1 : -1;
  if (ctrl && input.KeyDown(key::kY)) held = 1;

  // Ctrl+E exports the song as it stands now, once a press.
  const bool exportKey = ctrl && input.KeyDown(key::kE);
  if (exportKey && !m_ExportKeyHeld) StartExport();
  m_ExportKeyHeld = exportKey;

  // While Ctrl is down the letters are shortcuts only: never a note, a
  // pattern letter or a letter of the name.
  if (ctrl)
    for (uint8_t letter : key::kLetters)
      input.m_Keys[letter] = 0;

  bool act = false;
  if (held == 0) {
    m_UndoKeyHeld = 0;
  } else if (held != m_UndoKeyHeld) {
    m_UndoKeyHeld = held;
    m_UndoRepeatIn = QuarterSeconds(m_Display.m_FramesPerSecond, 1);
    act = true;
  } else if (--m_UndoRepeatIn <= 0) {
    m_UndoRepeatIn = QuarterSeconds(m_Display.m_FramesPerSecond, 1);
    act = true;
  }
  if (!act) return;

  std::string what;
  const bool undo = held < 0;
  const bool done = undo ? m_History.Undo(what) : m_History.Redo(what);
  const std::string line = done ? std::string(undo ? "Undone: " : "Redone: ") + what
                                : std::string(undo ? "Nothing to undo" : "Nothing to redo");
  WriteDebugLog(done ? (std::string(undo ? "Undo: " : "Redo: ") + what).c_str() : line.c_str());
  ShowStatus(line.c_str());
  // The name tab edits the name in place: it goes on from the name as it is
  // now.
  m_NameLength = static_cast<int32_t>(std::strlen(m_Seq.m_Name));
}

void Editor::StartExport() {
  if (m_Export.Running()) {
    ShowStatus("An export is running already");
    return;
  }
  // The result of an ended export is taken at the end of every frame, so
  // none can be waiting here; the copy is the song at this very press.
  auto song = std::make_unique<Song>();
  m_Seq.Capture(*song);
  if (!m_Export.Start(*song)) {
    ShowStatus("Export not started");
    return;
  }
  WriteDebugLog(("Exporting " + m_Export.Path()).c_str());
  m_StatusFrames = 0;
}

void Editor::FinishExport() {
  while (m_Export.Running())
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  TakeExportResult();
}

void Editor::EndOfFrame() {
  TakeExportResult();
  const InputState& input = m_Input;
  for (int k = 0; k < 256; ++k)
    if (input.KeyDown(static_cast<uint8_t>(k))) return;
  for (uint8_t button : input.m_Buttons)
    if (button != 0) return;
  m_History.EndGesture();
}

void Editor::TakeExportResult() {
  ExportResult result;
  if (m_Export.TakeResult(result)) {
    if (result.ok) {
      WriteDebugLog(("Exported " + result.path).c_str());
      ShowStatus(("Exported " + result.path).c_str());
    } else {
      WriteDebugLog(("Export failed, nothing written: " + result.error).c_str());
      ShowStatus("Export failed: see debug.txt");
    }
  }

  const InputState& input = m_Input;
  for (int k = 0; k < 256; ++k)
    if (input.KeyDown(static_cast<uint8_t>(k))) return;
  for (uint8_t button : input.m_Buttons)
    if (button != 0) return;
  m_History.EndGesture();
}

void Editor::DrawStatus() {
  if (m_StatusFrames > 0) {
    m_StatusFrames = m_StatusFrames - 1;
    m_Display.DrawString(kStatusX, kStatusY, m_Status);
    return;
  }
  if (!m_Export.Running()) return;
  // "Export [########........]  50%": a bar of 16 glyphs and the percentage.
  const int percent = std::clamp(m_Export.Percent(), 0, 100);
  char bar[40];
  char filled[17] = {};
  for (int i = 0; i < 16; ++i)
    filled[i] = i < percent * 16 / 100 ? '#' : '.';
  std::snprintf(bar, sizeof bar, "Export [%s] %3d%%", filled, percent);
  m_Display.DrawString(kStatusX, kStatusY, bar);
}

}  // namespace tessaloop
