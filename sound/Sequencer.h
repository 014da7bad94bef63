#pragma once

// The engine: the song the audio thread plays, the step clock, every track's
// voice and the audio stream. It knows nothing of the screen, the input or
// files: the editor drives it through the edit operations below, song files
// through Capture and Apply.
//
// Index:
//   Sequencer           construction, tracks, palette
//   audio and clock     StartAudio, StopAudio, Tick, TickTracks, RenderBlock (sound/StepClock,
//                       sound/AudioStream)
//   the song as a value Capture, Apply (sound/SongState)
//   edit operations     SetCell ... ReplaceSound, EditCount (sound/SongEdits)
//   members             what the two threads share

#include <cstdint>
#include <memory>

#include "base/Relaxed.h"
#include "sound/Cell.h"
#include "sound/MixBuffer.h"
#include "sound/Palette.h"
#include "sound/PatternBank.h"
#include "sound/Song.h"
#include "sound/SongPlaces.h"
#include "sound/Track.h"

namespace tessaloop {

struct CallbackTimes;

constexpr int kDefaultSamplesPerStep = 11005;
constexpr int kMinSamplesPerStep = 1;
constexpr int kMaxSamplesPerStep = 2646000;  // one step a minute
constexpr int kSampleRate = 44100;

// What a Sequencer is built with.
struct SequencerSetup {
  int trackCount = 3;          // 1 to kMaxTracks; the programs use 3 or 6
  Palette* palette = nullptr;  // required: the voices read its tables
  bool startAudio = true;      // false for tests and offline rendering
};

// Every kind of change an edit operation makes to the song.
enum class SongEdit {
  kCell,          // a step's sound: note, envelope, slide, pan, picture, rest
  kStorePattern,  // a track stored as a pattern
  kLoadPattern,   // a pattern loaded into a track
  kArrangement,   // one letter of the arrangement
  kTempo,
  kMute,
  kSongMode,
  kName,
  kSound,  // a palette slot's picture and sound replaced
  kSong,   // a whole song put in place
  kPlace,  // one place put back by undo or redo
};

// Two threads share it without locks. The audio thread runs Tick (the clock
// and every voice); the user-interface thread edits the song. Every member that
// one writes while the other reads is Relaxed.
class Sequencer {
 public:
  explicit Sequencer(const SequencerSetup& setup);
  ~Sequencer();
  Sequencer(const Sequencer&) = delete;
  Sequencer& operator=(const Sequencer&) = delete;

  int TrackCount() const { return m_TrackCount; }
  Track& GetTrack(int t) { return *m_Tracks[t]; }
  const Track& GetTrack(int t) const { return *m_Tracks[t]; }
  Palette& GetPalette() { return *m_Palette; }
  const Palette& GetPalette() const { return *m_Palette; }

  // ---- Audio stream and clock ----
  // Prepares the mix area, then opens and starts the output stream. Without a
  // usable output device the stream stays closed and the program runs silently.
  void StartAudio();
  // Stops and closes the stream and ends the audio library. Safe to call again.
  int StopAudio();
  bool AudioRunning() const { return m_Stream != nullptr; }
  // One sample of the clock: advances step and position, loads patterns in song
  // mode, and has every track render into the mix. Audio thread only.
  void Tick();
  // The same sample of the clock with each track's voice kept apart instead of
  // mixed: voices[t] is what track t adds into the mix, or would add were it
  // not muted (the stems of an export). Nothing is written into the mix.
  void TickTracks(StereoSample* voices);
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

  // ---- The song as one value ----
  // A copy of everything the user has made, as it stands.
  void Capture(Song& song) const;
  // Puts a song in place, or the parts of it a song file holds: value by value
  // with the same single-word stores the edits use, so the audio thread goes on
  // playing, never sees a torn value and never waits. The song must be one of
  // this track count whose values are in range (as the song reader makes
  // them); another track count changes nothing. Every palette path is checked
  // before anything is opened: a path a song may not name, or a picture that
  // does not load, gives its slot data/notfound.bmp.
  void Apply(const Song& song, SongParts parts);
  // One place of the song, as Capture would copy it and as Apply would put it
  // in place: what undo keeps and puts back. A place of a track this
  // Sequencer has not is left alone. A palette slot is loaded only when the
  // path is another than the slot's, with Apply's checks and fallback.
  void CapturePlace(SongPlace place, Song& into) const;
  void ApplyPlace(SongPlace place, const Song& from);

  // ---- Edit operations: every change the editor makes to the song ----
  void SetCell(int track, int step, const CellSound& sound);
  void StorePattern(int track, int pattern);  // pattern 0-26
  void LoadPattern(int track, int pattern);
  void SetArrangement(int track, int position, int pattern);
  void SetTempo(int32_t samplesPerStep);  // clamped to 1 - 2646000
  void SetMute(int track, bool muted);
  void SetSongMode(bool on);
  void SetName(const char* name);  // cut to kMaxNameLength characters
  // Loads a bitmap into a palette slot, picture and sound; false, changing
  // nothing, when it cannot be loaded.
  bool ReplaceSound(int slot, const char* path);
  // Edits made so far, and the kind of the last: every change to the song
  // passes here.
  uint64_t EditCount() const { return m_EditCount; }
  SongEdit LastEdit() const { return m_LastEdit; }
  // Who hears of each change before it is made (the undo history); null for
  // none. ApplyPlace is not heard: it is how the listener puts places back.
  void SetEditListener(SongEditListener* listener) { m_Listener = listener; }

  // ---- Members ----
  std::unique_ptr<Track> m_Tracks[kMaxTracks];
  Relaxed<int32_t> m_Position{0};
  Relaxed<int32_t> m_Step{0};
  Relaxed<int32_t> m_SampleCount{0};
  Relaxed<uint8_t> m_StepTrigger{0};
  Relaxed<int32_t> m_SamplesPerStep{kDefaultSamplesPerStep};
  void* m_Stream = nullptr;  // the audio library's stream handle
  int32_t m_AudioResult = 0;
  MixBuffer m_Mix{};
  PatternBank m_Bank;
  Arrangement m_Arrangement;
  Relaxed<uint8_t> m_SongMode{0};
  char m_Name[kMaxNameLength + 1] = {};  // the user-interface thread's only

 private:
  void Edited(SongEdit kind);
  void WillEdit(SongPlaceKind kind, int a, int b = 0) {
    if (m_Listener != nullptr)
      m_Listener->BeforeEdit({kind, static_cast<uint8_t>(a), static_cast<uint8_t>(b)});
  }
  // A song's picture for a palette slot, as Apply loads it: a path a song may
  // not name, or one that does not load, gives the slot the fallback.
  void LoadSongSlot(int slot, const char* name);
  void RaiseAudioThread();
  // Moves the clock on by one sample; loadPosition is the position whose
  // patterns load on this sample, or -1.
  SampleClock AdvanceClock(int32_t& loadPosition);

  const int m_TrackCount;
  Palette* m_Palette;
  bool m_AudioInitialised = false;
  CallbackTimes* m_CallbackTimes = nullptr;
  Relaxed<uint64_t> m_CallbackFrames{0};
  Relaxed<int> m_AudioThreadRealTime{0};
  uint64_t m_EditCount = 0;
  SongEdit m_LastEdit = SongEdit::kSong;
  SongEditListener* m_Listener = nullptr;
};

}  // namespace tessaloop
