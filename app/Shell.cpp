#include "app/Shell.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/DebugLog.h"
#include "display/Display.h"
#include "editor/Editor.h"
#include "editor/RecoveryCopy.h"
#include "input/InputState.h"
#include "sound/Palette.h"
#include "sound/Sequencer.h"

#ifdef TESSALOOP_TRACE_INPUT
#include "app/TestTrace.h"
#endif

namespace tessaloop {

namespace {

#ifndef TESSALOOP_TRACE_INPUT
void TraceEvent(const char*) {}
void TraceAudioStopped(const Sequencer&) {}
void TraceFrame(const Editor&, uint32_t) {}
void TraceRecovery(const Sequencer&, const RecoveryCopy&) {}
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

// Only reached in tests. The members go in reverse order: the editor and the
// Sequencer before the Display and the Palette they use.
Shell::~Shell() = default;

bool Shell::Start() {
  // 0. The program's own folder, before anything is shown or written.
  const std::string noData = WhyNoDataFolder();
  if (!noData.empty()) {
    std::fprintf(stderr, "Tessaloop cannot start: %s\n", noData.c_str());
    return false;
  }

  // 1. The palette of sounds, and the Display, which shows their pictures:
  // size, depth and full-screen flag; nothing drawn yet.
  m_Palette = std::make_unique<Palette>();
  m_Display = std::make_unique<Display>(m_Platform, m_FullScreen, *m_Palette);

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
  m_Input->CreateDevices();

  // 6. The Sequencer and the editor that drives it; then the sound, which
  // runs on its own from here on, whatever the loop does.
  m_Sequencer = std::make_unique<Sequencer>(SequencerSetup{m_TrackCount, m_Palette.get(), false});
  m_Editor = std::make_unique<Editor>(*m_Sequencer, *m_Display, *m_Input);
  m_Recovery = std::make_unique<RecoveryCopy>(*m_Sequencer);
  m_Sequencer->StartAudio();
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
  // The song first: whatever the user changed since the last recovery copy
  // is on the disk before anything else can go wrong on the way out.
  m_Recovery->Flush();
  m_Editor->FinishExport();
  // Stops and closes the stream and ends the audio library; returns once no
  // callback runs any more, so everything played has reached the device.
  m_Sequencer->StopAudio();
  TraceAudioStopped(*m_Sequencer);
  m_Platform.CloseMainWindow();
}

void Shell::RunFrame() {
  m_Editor->Frame();
  m_Recovery->Frame(m_Platform.Milliseconds());
  TraceRecovery(*m_Sequencer, *m_Recovery);
  TraceFrame(*m_Editor, m_Platform.Milliseconds());
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
