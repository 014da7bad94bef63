#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "sound/Cell.h"
#include "sound/MixBuffer.h"
#include "sound/PatternBank.h"
#include "sound/Relaxed.h"
#include "sound/Track.h"

namespace tessaloop {

struct CallbackTimes;
class Display;
class InputState;
class WavetableBank;
struct SongImage;

constexpr int kDefaultSamplesPerStep = 11005;
constexpr int kMinSamplesPerStep = 1;
constexpr int kMaxSamplesPerStep = 2646000;  // one step a minute
constexpr int kSampleRate = 44100;
constexpr int kListSize = 40;  // entries of each folder listing
constexpr int kListNameLength = 32;
constexpr int kMaxNameLength = 12;  // song name characters, terminator not counted
constexpr int32_t kNameEntryFinished = -10;

// What a Sequencer is built with.
struct SequencerSetup {
  int trackCount = 3;                   // 1 to kMaxTracks; the programs use 3 or 6
  WavetableBank* wavetables = nullptr;  // required: the voices read it
  Display* display = nullptr;           // the editor and song files need it
  InputState* input = nullptr;          // the editor needs it
  bool startAudio = true;               // false for tests and the exporter
};

// The one application object: song, tracks, clock, audio stream and editor
// state.
//
// Two threads share it without locks. The audio thread runs Tick (the clock
// and every voice); the user-interface thread runs the editor and the song
// files. Every member that one writes while the other reads is Relaxed.
class Sequencer {
 public:
  explicit Sequencer(const SequencerSetup& setup);
  ~Sequencer();
  Sequencer(const Sequencer&) = delete;
  Sequencer& operator=(const Sequencer&) = delete;

  int TrackCount() const { return m_TrackCount; }
  Track& GetTrack(int t) { return *m_Tracks[t]; }
  const Track& GetTrack(int t) const { return *m_Tracks[t]; }
  WavetableBank& Wavetables() { return *m_Wavetables; }

  // ---- Audio stream and clock (sound/StepClock, sound/AudioStream) ----
  // Prepares the mix area, then opens and starts the output stream. Without a
  // usable output device the stream stays closed and the program runs silently.
  void StartAudio();
  // Stops and closes the stream and ends the audio library. Safe to call again.
  int StopAudio();
  bool AudioRunning() const { return m_Stream != nullptr; }
  // One sample of the clock: advances step and position, loads patterns in song
  // mode, and has every track render into the mix. Audio thread only.
  void Tick();
  // What the stream callback does for a buffer of n interleaved stereo frames.
  int RenderBlock(float* out, unsigned long frames);
  // Frames handed to the device so far (written by the audio thread).
  uint64_t CallbackFrames() const { return m_CallbackFrames; }
  // Has the stream callback time itself into times (for measurements); set
  // before StartAudio, read after StopAudio.
  void TimeCallbacks(CallbackTimes* times) { m_CallbackTimes = times; }
  CallbackTimes* CallbackTimer() const { return m_CallbackTimes; }
  // Whether the stream's thread runs at real-time priority: 0 until its first
  // callback, then 1 when it does, -1 when the system does not allow it.
  int AudioThreadRealTime() const { return m_AudioThreadRealTime; }
  // Called by the stream callback: on the stream's first buffer, asks for
  // real-time priority for the thread.
  void RaiseAudioThreadOnce() {
    if (m_AudioThreadRealTime == 0) RaiseAudioThread();
  }

  // ---- Editor (editor/) ----
  void Frame();
  void LowerPanel();
  void EnterName();

  // ---- Song files and listings (songfile/) ----
  // Writes the song to "songs/" + m_Name + ".tlp". False, with the reason in
  // the debug log and any older file of that name as it was, when it cannot.
  bool SaveSong();
  void LoadSong(int index);
  // Loads a song file from any path exactly as LoadSong loads an entry of the
  // song list (the exporter uses it too). The whole file is read and checked
  // first: a refused file changes nothing, and whyRefused (when given) says
  // why. True when the song was loaded.
  bool LoadSongFile(const char* path, std::string* whyRefused = nullptr);
  // Puts a read and checked song in place: arrangement, bank, the bitmaps of
  // slots 5-21, then the tempo.
  void ApplySong(const SongImage& song);
  void ListUserBitmaps();
  void ListSongs();

  // ---- Members ----
  std::unique_ptr<Track> m_Tracks[kMaxTracks];
  Relaxed<int32_t> m_Position{0};
  Relaxed<int32_t> m_Step{0};
  Relaxed<int32_t> m_SampleCount{0};
  float m_TempoDragScale = 10;
  Relaxed<uint8_t> m_StepTrigger{0};
  Relaxed<int32_t> m_SamplesPerStep{kDefaultSamplesPerStep};
  int32_t m_PaletteDrag = -1;
  int32_t m_PaletteReplace = -1;
  int32_t m_TempoDrag = -1;
  int32_t m_Tab = 1;
  int32_t m_SelectedStep = -1;
  int32_t m_SelectedTrack = -1;
  void* m_Stream = nullptr;  // the audio library's stream handle
  int32_t m_AudioResult = 0;
  MixBuffer m_Mix{};
  char m_BitmapNames[kListSize][kListNameLength] = {};
  char m_SongNames[kListSize][kListNameLength] = {};
  int32_t m_BitmapCount = 0;
  int32_t m_SongCount = 0;
  int32_t m_SelectedSong = 0;
  PatternBank m_Bank;
  Cell m_Clipboard;
  Arrangement m_Arrangement;
  Relaxed<uint8_t> m_SongMode{0};
  int32_t m_NameLength = kMaxNameLength;
  char m_Name[kMaxNameLength + 1] = {};
  // Set when the last save from the name tab failed; the tab then stays open
  // and says so until a save succeeds or the tab is opened anew.
  bool m_SaveFailed = false;

 private:
  const int m_TrackCount;
  WavetableBank* m_Wavetables;
  Display* m_Display;
  InputState* m_Input;
  bool m_AudioInitialised = false;
  CallbackTimes* m_CallbackTimes = nullptr;
  Relaxed<uint64_t> m_CallbackFrames{0};
  Relaxed<int> m_AudioThreadRealTime{0};

  void RaiseAudioThread();
};

}  // namespace tessaloop
