#pragma once

// The editor: one Frame per turn of the main loop draws the whole screen anew
// from the song and turns the user's input into edits. It is immediate mode:
// its state is the plain members below, every control a fixed rectangle tested
// against the pointer in a fixed order. It changes the song only through the
// Sequencer's edit operations.

#include <cstdint>

#include "export/SongExport.h"
#include "history/UndoHistory.h"
#include "songfile/SongFiles.h"
#include "sound/Cell.h"

namespace tessaloop {

class Display;
class InputState;
class Sequencer;

constexpr int32_t kNameEntryFinished = -10;

class Editor {
 public:
  // Reads the user-bitmap folder for the palette's menu.
  Editor(Sequencer& seq, Display& display, InputState& input);
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;

  // Reads the input, draws every part of the screen and applies the edits.
  void Frame();
  // On the way out: lets an export under way finish (at hundreds of times
  // real time, seconds at most) and logs its result, so that quitting never
  // leaves half a file or its temporary behind.
  void FinishExport();

  Sequencer& Seq() { return m_Seq; }
  const Sequencer& Seq() const { return m_Seq; }
  UndoHistory& History() { return m_History; }
  BackgroundExport& Export() { return m_Export; }
  Display& GetDisplay() { return m_Display; }
  InputState& Input() { return m_Input; }
  const InputState& Input() const { return m_Input; }

  // ---- State ----
  int32_t m_Tab = 1;             // 1-7, as the tab bar shows them
  int32_t m_SelectedTrack = -1;  // the current cell, or -1 for none
  int32_t m_SelectedStep = -1;
  int32_t m_PaletteDrag = -1;     // the slot carried on the pointer, or -1
  int32_t m_PaletteReplace = -1;  // the slot whose user-bitmap menu is open, or -1
  int32_t m_TempoDrag = -1;       // non-zero while the tempo is dragged
  float m_TempoDragScale = 10;    // samples per step per pixel of the drag
  CellSound m_Clipboard;          // F5 copies the current cell here, F6 pastes it
  // Up and Down step the octave when they go down and then, while held, about
  // four times a second: the direction held at the last frame (+1 Up, -1
  // Down, 0 neither or both) and the frames left until it steps again.
  int32_t m_OctaveKeyHeld = 0;
  int32_t m_OctaveRepeatIn = 0;
  // What those steps have added to the pointer's octave during the current
  // drag, so that a step stays while the drag goes on.
  int32_t m_DragOctaveShift = 0;
  FolderList m_Bitmaps;  // the user-bitmap menu
  FolderList m_Songs;    // the song list of tab 6
  int32_t m_SelectedSong = 0;
  // The name's length while tab 7 edits it; kNameEntryFinished once Return
  // asked for the save.
  int32_t m_NameLength = 0;
  // Set when the last save from the name tab failed; the tab then stays open
  // and says so until a save succeeds or the tab is opened anew.
  bool m_SaveFailed = false;
  // Frames left of the note "saved" beside the name after a save succeeded:
  // the save leaves the name tab, so the note says where the song went. Gone
  // as soon as the name may change (the name tab opened, a song loaded).
  int32_t m_SavedNoteFrames = 0;
  // Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo: when pressed and then,
  // while held, about four times a second. The shortcut held at the last
  // frame (-1 undo, +1 redo, 0 none) and the frames left until it repeats.
  int32_t m_UndoKeyHeld = 0;
  int32_t m_UndoRepeatIn = 0;
  // The keys and buttons down at the last frame: a key or button that goes
  // down ends the gesture before it, so that one press is one undo step.
  uint8_t m_KeysLastFrame[256] = {};
  uint8_t m_ButtonsLastFrame[4] = {};
  // Ctrl+E was down at the last frame: an export starts once a press.
  bool m_ExportKeyHeld = false;
  // A line in the bottom bar's free part (what was undone, an export's
  // end) and the frames it stays; an export's progress shows there otherwise.
  char m_Status[48] = {};
  int32_t m_StatusFrames = 0;

  // Shows a line in the status place for two seconds.
  void ShowStatus(const char* text);

 private:
  // Right after the input is read: gesture boundaries, and the Ctrl
  // shortcuts, which take the letter keys from everything else.
  void Shortcuts();
  // At the end of the frame: a gesture ends where nothing is held any more.
  void EndOfFrame();
  void StartExport();
  void TakeExportResult();
  void DrawStatus();
  void LowerPanel();
  void EnterName();
  // Saves the song under its name (Return in tab 7).
  bool SaveCurrentSong();
  // Loads entry index of the song list (Return in tab 6); the song then takes
  // its name from the file's.
  void LoadListedSong(int index);

  Sequencer& m_Seq;
  Display& m_Display;
  InputState& m_Input;
  UndoHistory m_History;
  BackgroundExport m_Export;  // Ctrl+E
};

}  // namespace tessaloop
