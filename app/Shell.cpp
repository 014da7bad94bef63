#include "app/Shell.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "display/DebugLog.h"
#include "display/Display.h"
#include "input/InputState.h"
#include "sound/Sequencer.h"

#ifdef TESSALOOP_TRACE_INPUT
#include <cstring>
#endif

namespace tessaloop {

Display* g_Display = nullptr;
InputState* g_InputState = nullptr;
Sequencer* g_Sequencer = nullptr;

namespace {

#ifdef TESSALOOP_TRACE_INPUT
// A build for the end-to-end tests writes what reached the input state into
// the debug log whenever it changes, so that a test can see that real key
// presses and mouse motion arrived, and when the click hold and the key delay
// have run out; every 64th frame, its number, so that a test can wait for
// frames to have run; and, at the end, how many frames ran in how long.
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
// list's choice.
// Written whenever any of it changes, so a test can wait for an edit to be
// taken.
class EditorTrace {
 public:
  void AfterFrame(const Sequencer& seq) {
    std::string line = "trace editor: tab " + std::to_string(seq.m_Tab) + " tempo " +
                       std::to_string(seq.m_SamplesPerStep.Load()) + " song-mode " +
                       std::to_string(seq.m_SongMode.Load()) + " tempo-drag " +
                       std::to_string(seq.m_TempoDrag) + " position " +
                       std::to_string(seq.m_Position.Load()) + " mute ";
    for (int t = 0; t < seq.TrackCount(); ++t)
      line += seq.GetTrack(t).m_Mute ? '1' : '0';
    const int octave =
        seq.m_SelectedTrack >= 0 && seq.m_SelectedStep >= 0
            ? seq.GetTrack(seq.m_SelectedTrack).m_Cells[seq.m_SelectedStep].m_Octave.Load()
            : -1;
    line += " carried " + std::to_string(seq.m_PaletteDrag) + " menu " +
            std::to_string(seq.m_PaletteReplace) + " cell " + std::to_string(seq.m_SelectedTrack) +
            " " + std::to_string(seq.m_SelectedStep) + " octave " + std::to_string(octave) +
            " song " + std::to_string(seq.m_SelectedSong) + " name \"" +
            std::string(seq.m_Name, strnlen(seq.m_Name, sizeof seq.m_Name)) + "\"";
    if (line == m_Last) return;
    m_Last = line;
    WriteDebugLog(line.c_str());
  }

 private:
  std::string m_Last;
};
EditorTrace g_EditorTrace;

void TraceEvent(const char* what) {
  WriteDebugLog((std::string("trace event: ") + what).c_str());
}

void TraceAudioStopped(const Sequencer& sequencer) {
  WriteDebugLog(
      ("trace audio: stopped after " + std::to_string(sequencer.CallbackFrames()) + " frames")
          .c_str());
  g_Trace.Frames();
}
#else
void TraceEvent(const char*) {}
void TraceAudioStopped(const Sequencer&) {}
#endif

constexpr const char* kDataFolder = "data";
constexpr const char* kFontSheet = "data/text.bmp";

std::string WorkingFolder() {
  char buffer[4096];
  return ::getcwd(buffer, sizeof buffer) != nullptr ? buffer : ".";
}

// Without its data/ folder the program has been started somewhere else than
// its own folder: it could show nothing, and it would leave a debug log among
// someone else's files. Empty when the folder is there.
std::string WhyNoDataFolder() {
  struct stat status {};
  if (::stat(kDataFolder, &status) == 0 && S_ISDIR(status.st_mode)) return "";
  const std::string where = WorkingFolder();
  const std::string what =
      ::stat(kDataFolder, &status) == 0
          ? "data in " + where + " is not a folder"
          : "there is no data/ folder in " + where + " (" + std::strerror(errno) + ")";
  return what +
         "; start it in the folder that holds its data/ folder, or with the tessaloop launcher";
}

}  // namespace

Shell::Shell(Platform& platform, int trackCount, bool fullScreen)
    : m_Platform(platform), m_TrackCount(trackCount), m_FullScreen(fullScreen) {}

Shell::~Shell() {
  // Only reached in tests: leave no reference to objects that are gone.
  if (g_Sequencer == m_Sequencer.get()) g_Sequencer = nullptr;
  if (g_InputState == m_Input.get()) g_InputState = nullptr;
  if (g_Display == m_Display.get()) g_Display = nullptr;
}

bool Shell::Start() {
  // 0. The program's own folder, before anything is shown or written.
  const std::string noData = WhyNoDataFolder();
  if (!noData.empty()) {
    std::fprintf(stderr, "Tessaloop cannot start: %s\n", noData.c_str());
    return false;
  }

  // 1. The Display: size, depth and full-screen flag; nothing drawn yet.
  m_Display = std::make_unique<Display>(m_Platform, m_FullScreen);
  g_Display = m_Display.get();

  // 2. The main window, its size taken from the Display.
  WindowSettings settings;
  settings.title = "Tessaloop";
  settings.width = m_Display->m_Width;
  settings.height = m_Display->m_Height;
  settings.fullScreen = m_Display->m_FullScreen;
  if (!m_Platform.CreateMainWindow(settings)) {
    // Without a window the program can do nothing; say why where the user
    // looks (the terminal) and where a report would look (a fresh log, so the
    // line is not taken for part of an older run).
    const std::string line = "Tessaloop cannot open its window: " + m_Platform.LastError();
    std::fprintf(stderr, "%s\n", line.c_str());
    if (StartDebugLog()) WriteDebugLog(line.c_str());
    return false;
  }

  // 3. Shown before the set-up, which draws into it.
  m_Platform.ShowMainWindow();

  // 4. Surfaces, the default bitmaps and their wavetables; starts the log.
  m_Display->Setup();
  WriteDebugLog(("Video driver: " + m_Platform.VideoDriver()).c_str());
  if (!CheckPictures()) {
    m_Platform.CloseMainWindow();
    return false;
  }

  // 5. Keyboard and mouse.
  m_Input = std::make_unique<InputState>(m_Platform, m_Display->m_Width, m_Display->m_Height);
  g_InputState = m_Input.get();
  m_Input->CreateDevices();

  // 6. The Sequencer; its construction ends by starting the sound, which runs
  // on its own from here on, whatever the loop does.
  m_Sequencer = std::make_unique<Sequencer>(
      SequencerSetup{m_TrackCount, &m_Display->m_Wavetables, m_Display.get(), m_Input.get(), true});
  g_Sequencer = m_Sequencer.get();
  return true;
}

bool Shell::CheckPictures() {
  const auto& missing = m_Display->MissingStartupPictures();
  if (missing.empty()) return true;
  // Every letter, number and the pointer itself are drawn from the font
  // sheet: without it the window would stay blank and nothing could be found
  // on it.
  for (const Display::MissingPicture& picture : missing) {
    if (picture.path != kFontSheet) continue;
    const std::string line = "Tessaloop cannot start: " + picture.path + " (" + picture.reason +
                             "), the picture of its letters and its pointer, cannot be loaded; " +
                             std::to_string(missing.size()) + " of its pictures are missing";
    std::fprintf(stderr, "%s\n", line.c_str());
    WriteDebugLog(line.c_str());
    return false;
  }
  // The editor works without the others: their squares stay blank or show
  // the noise picture, and the debug log names each one.
  std::string names;
  for (const Display::MissingPicture& picture : missing)
    names += (names.empty() ? "" : ", ") + picture.path + " (" + picture.reason + ")";
  std::fprintf(stderr, "Tessaloop: runs without %zu of its pictures: %s\n", missing.size(),
               names.c_str());
  return true;
}

int Shell::MainLoop() {
  int exitCode = 0;
  while (Turn(exitCode)) {
  }
  return exitCode;
}

bool Shell::Turn(int& exitCode) {
  PlatformEvent event;
  if (m_Platform.PollEvent(event)) {
    // One event per turn, so one that came during a frame is handled before
    // the next frame.
    if (event.kind == EventKind::kQuit) {
      exitCode = event.code;
      return false;
    }
    HandleEvent(event);
  } else if (m_Active != 0) {
    RunFrame();
  } else {
    // Inactive: no frames, but the sound goes on.
    m_Platform.WaitForEvent();
  }
  return true;
}

void Shell::HandleEvent(const PlatformEvent& event) {
  switch (event.kind) {
    case EventKind::kActivated:
      m_Active = 1;
      TraceEvent("activated");
      break;
    case EventKind::kDeactivated:
      m_Active = 0;
      TraceEvent("deactivated");
      break;
    case EventKind::kEscapePressed:
      TraceEvent("escape");
      Close();
      break;
    case EventKind::kCloseRequested:
      // The close box, Alt+F4 and the window manager end the program the same
      // way as Esc, so the sound stops with the window rather than running
      // on until the process ends.
      TraceEvent("close requested");
      Close();
      break;
    case EventKind::kQuit:
    case EventKind::kOther:
      break;
  }
}

void Shell::Close() {
  // Stops and closes the stream and ends the audio library; returns once no
  // callback runs any more, so everything played has reached the device.
  m_Sequencer->StopAudio();
  TraceAudioStopped(*m_Sequencer);
  m_Platform.CloseMainWindow();
}

void Shell::RunFrame() {
  m_Sequencer->Frame();
#ifdef TESSALOOP_TRACE_INPUT
  g_Trace.AfterFrame(*m_Input, m_Platform.Milliseconds());
  g_EditorTrace.AfterFrame(*m_Sequencer);
#endif
  m_Display->CountFrame();
  m_Display->Present();
  ++m_FramesRun;
}

int RunTessaloop(Platform& platform, int trackCount, bool fullScreen) {
  // Made once and never destroyed: the objects end with the process.
  static Shell* shell = nullptr;
  shell = new Shell(platform, trackCount, fullScreen);
  if (!shell->Start()) return 1;
  return shell->MainLoop();
}

}  // namespace tessaloop
