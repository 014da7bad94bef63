#pragma once

#include <cstdint>
#include <memory>

#include "platform/Platform.h"

namespace tessaloop {

class Display;
class Editor;
class InputState;
class Palette;
class RecoveryCopy;
class Sequencer;

// The program's life: start-up in a fixed order, the loop that alternates
// between window events and editor frames, and the way out.
class Shell {
 public:
  Shell(Platform& platform, int trackCount, bool fullScreen);
  // The program never destroys its Shell; tests do, after the loop returned.
  ~Shell();
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;

  // Makes, in this order, the Palette and the Display, the window (shown),
  // the Display's set-up, the InputState with its devices, the Sequencer and
  // the Editor, then starts the sound. False when the program cannot be used: no
  // data/ folder in the working folder (nothing is made or written), no
  // window, or no font sheet to draw with. The reason is then on stderr (and,
  // but for the first, in the debug log), and neither the InputState nor the
  // Sequencer nor the Editor exists.
  bool Start();

  // Runs until the window is gone and returns the exit code.
  int MainLoop();

  // One turn of the loop: handles one pending event; with none pending, draws
  // one frame while the program is active, and otherwise sleeps until an
  // event comes. False once the quit event came, with its code in exitCode.
  bool Turn(int& exitCode);

  Display* GetDisplay() const { return m_Display.get(); }
  InputState* GetInput() const { return m_Input.get(); }
  Sequencer* GetSequencer() const { return m_Sequencer.get(); }
  Editor* GetEditor() const { return m_Editor.get(); }
  RecoveryCopy* GetRecovery() const { return m_Recovery.get(); }
  bool Active() const { return m_Active != 0; }
  // Frames drawn so far.
  int64_t FramesRun() const { return m_FramesRun; }

 private:
  // Says what is missing of the start-up pictures; false when the editor
  // could not be used without it.
  bool CheckPictures();
  void HandleEvent(const PlatformEvent& event);
  void RunFrame();
  void Close();

  Platform& m_Platform;
  const int m_TrackCount;
  const bool m_FullScreen;
  std::unique_ptr<Palette> m_Palette;
  std::unique_ptr<Display> m_Display;
  std::unique_ptr<InputState> m_Input;
  std::unique_ptr<Sequencer> m_Sequencer;
  std::unique_ptr<Editor> m_Editor;
  std::unique_ptr<RecoveryCopy> m_Recovery;
  // Non-zero while the program is the active one; frames run only then.
  int32_t m_Active = 1;
  int64_t m_FramesRun = 0;
};

// The whole program on a platform: start-up, then the main loop. Returns the
// loop's exit code (0), or 1 when the program cannot start. The objects it makes
// are left to the end of the process.
int RunTessaloop(Platform& platform, int trackCount, bool fullScreen);

}  // namespace tessaloop
