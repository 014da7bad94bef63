#include "app/TestTrace.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/DebugLog.h"
#include "editor/Editor.h"
#include "editor/Layout.h"
#include "editor/RecoveryCopy.h"
#include "input/InputState.h"
#include "sound/Sequencer.h"

namespace tessaloop {

namespace {

// The input: whenever it changes; every 64th frame, its number, so that a
// test can wait for frames to have run; and, at the end, how many frames ran
// in how long.
class Trace {
 public:
  void AfterFrame(const InputState& input, uint32_t now) {
    if (m_Frames++ == 0) m_FirstFrame = now;
    m_LastFrame = now;
    if (m_Frames % 64 == 0) WriteDebugLog(("trace frame: " + std::to_string(m_Frames)).c_str());
    char line[1024];
    int n = std::snprintf(
        line, sizeof line,
        "trace input: hold %d delay %d pointer %d %d motion %d %d buttons %d %d %d %d keys",
        input.m_ClickDelay, input.m_KeyDelay, input.m_MouseX, input.m_MouseY, input.m_MotionX,
        input.m_MotionY, input.m_Buttons[0], input.m_Buttons[1], input.m_Buttons[2],
        input.m_Buttons[3]);
    for (int code = 0; code < 256 && n < static_cast<int>(sizeof line) - 4; ++code) {
      if (input.m_Keys[code] & 0x80) n += std::snprintf(line + n, sizeof line - n, " %02X", code);
    }
    if (std::strcmp(line, m_Last) == 0) return;
    std::memcpy(m_Last, line, sizeof line);
    WriteDebugLog(line);
  }

  void Frames() const {
    WriteDebugLog(("trace frames: " + std::to_string(m_Frames) + " in " +
                   std::to_string(m_LastFrame - m_FirstFrame) + " ms")
                      .c_str());
  }

 private:
  char m_Last[1024] = {};
  int64_t m_Frames = 0;
  uint32_t m_FirstFrame = 0;
  uint32_t m_LastFrame = 0;
};
Trace g_Trace;

// The editor's state that a test drives and cannot see in the input: the tab,
// the tempo and its drag, song mode and position, the mute buttons, what is
// carried or open, the current cell and its octave, the song name and the song
// list's choice and the file it names.
// Written whenever any of it changes, so a test can wait for an edit to be
// taken.
// The file name of the song list's chosen entry, empty while the list is not
// open.
std::string SongEntry(const Editor& editor) {
  if (editor.m_Tab != layout::kTabSongList || editor.m_SelectedSong < 0 ||
      editor.m_SelectedSong >= editor.m_Songs.count)
    return "";
  const char* name = editor.m_Songs.names[editor.m_SelectedSong];
  return std::string(name, strnlen(name, kListNameLength));
}

class EditorTrace {
 public:
  void AfterFrame(const Editor& editor) {
    const Sequencer& seq = editor.Seq();
    std::string line = "trace editor: tab " + std::to_string(editor.m_Tab) + " tempo " +
                       std::to_string(seq.m_SamplesPerStep.Load()) + " song-mode " +
                       std::to_string(seq.m_SongMode.Load()) + " tempo-drag " +
                       std::to_string(editor.m_TempoDrag) + " position " +
                       std::to_string(seq.m_Position.Load()) + " mute ";
    for (int t = 0; t < seq.TrackCount(); ++t)
      line += seq.GetTrack(t).m_Mute ? '1' : '0';
    const int octave =
        editor.m_SelectedTrack >= 0 && editor.m_SelectedStep >= 0
            ? seq.GetTrack(editor.m_SelectedTrack).m_Cells[editor.m_SelectedStep].m_Octave.Load()
            : -1;
    line += " carried " + std::to_string(editor.m_PaletteDrag) + " menu " +
            std::to_string(editor.m_PaletteReplace) + " cell " +
            std::to_string(editor.m_SelectedTrack) + " " + std::to_string(editor.m_SelectedStep) +
            " octave " + std::to_string(octave) + " song " + std::to_string(editor.m_SelectedSong) +
            " entry \"" + SongEntry(editor) + "\" name \"" +
            std::string(seq.m_Name, strnlen(seq.m_Name, sizeof seq.m_Name)) + "\"";
    if (line == m_Last) return;
    m_Last = line;
    WriteDebugLog(line.c_str());
  }

 private:
  std::string m_Last;
};
EditorTrace g_EditorTrace;

}  // namespace

void TraceFrame(const Editor& editor, uint32_t nowMilliseconds) {
  g_Trace.AfterFrame(editor.Input(), nowMilliseconds);
  g_EditorTrace.AfterFrame(editor);
}

void TraceRecovery(const Sequencer& sequencer, const RecoveryCopy& recovery) {
  static uint64_t lastEdits = ~uint64_t{0}, lastCopied = ~uint64_t{0};
  const uint64_t edits = sequencer.EditCount(), copied = recovery.CopiedEdits();
  if (edits == lastEdits && copied == lastCopied) return;
  lastEdits = edits;
  lastCopied = copied;
  WriteDebugLog(
      ("trace recovery: edits " + std::to_string(edits) + " copied " + std::to_string(copied))
          .c_str());
}

void TraceEvent(const char* what) {
  WriteDebugLog((std::string("trace event: ") + what).c_str());
}

void TraceAudioStopped(const Sequencer& sequencer) {
  WriteDebugLog(
      ("trace audio: stopped after " + std::to_string(sequencer.CallbackFrames()) + " frames")
          .c_str());
  g_Trace.Frames();
}

}  // namespace tessaloop
