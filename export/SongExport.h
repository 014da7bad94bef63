#pragma once

// Exporting the song to a WAV file from the running program, in the
// background, sample for sample and byte for byte as tessaloop-render renders
// the file a save would write at that moment: the export goes through the
// song file's text, so what it holds is exactly what a saved song holds.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "export/AudioFileWriter.h"
#include "sound/Sequencer.h"
#include "sound/Song.h"

namespace tessaloop {

// ---- What the command and the export share ----

// The length the command renders unless told another and the export always
// renders: every position up to the last at which any track plays a pattern
// other than X, and at least one.
int64_t WholeSongFrames(const Sequencer& seq);

// Asked before each chunk is written, with the frames rendered so far (that
// chunk included); false stops the render, with why the one-line reason.
using RenderGoOn = std::function<bool(int64_t framesDone, std::string& why)>;

// The mix of the song loaded into seq, from the start of song mode
// (CueSongStart) for frames samples, written to path in the encoding and put
// in place only when complete. False, with a one-line reason in error and no
// file or temporary left, on any failure or when goOn stops it.
bool RenderMixToFile(Sequencer& seq, int64_t frames, const std::string& path,
                     AudioEncoding encoding, int64_t largeFileBytes, const RenderGoOn& goOn,
                     std::string& error);

// ---- The export ----

// "songs/<name>.wav" for the song name, "Untitled" when it is empty; when
// anything is at that path already, the first free of "songs/<name>-2.wav",
// "-3", ... Only letters and digits of the name are kept (at most 12, as a song
// name has), so no name can lead the file anywhere else. Empty in the
// unlikely case that no number up to 99999 is free.
std::string ExportPathFor(const char* songName);

// How far an export is, in frames, updated per chunk; cancel stops it at the
// next chunk.
struct ExportProgress {
  std::atomic<int64_t> done{0}, total{0};
  std::atomic<bool> cancel{false};
};

// Renders the song to path as 32-bit float WAV (RF64 beyond the size a RIFF
// file holds), exactly as `tessaloop-render SONGFILE path` renders the file
// SaveSong would write for it: the song's file text read back into a fresh
// engine of its track count, the whole song's length. The folder of path is
// made when missing (as a save makes songs/). The debug log is not written
// from the calling thread while it runs. False, with a one-line reason in
// error and nothing left at path or beside it, on any failure and when
// cancelled. progress may be null.
bool ExportSong(const Song& song, const std::string& path, ExportProgress* progress,
                std::string& error);

struct ExportResult {
  bool ok = false;
  std::string path;
  std::string error;  // one line, when !ok
};

// One export at a time on a thread of its own, at lowered priority so that it
// never competes with the audio thread or the interface. Every call is the
// interface thread's; the export thread shares only the progress counters
// and, once it has ended, the result. It writes no debug log: the interface
// thread logs the result it takes.
class BackgroundExport {
 public:
  BackgroundExport();
  // Cancels a running export and waits for it: no partial file is left.
  ~BackgroundExport();
  BackgroundExport(const BackgroundExport&) = delete;
  BackgroundExport& operator=(const BackgroundExport&) = delete;

  // Copies the song, picks its file with ExportPathFor and starts the export.
  // False, changing nothing, while an export runs or while the result of an
  // ended one has not been taken, so that no result goes unseen.
  bool Start(const Song& song);
  // The export's thread has not ended yet.
  bool Running() const;
  // 0-100; 100 only once the file is in place (the last flush can take a
  // while).
  int Percent() const;
  // The file of the last Start.
  const std::string& Path() const { return m_Path; }
  // True exactly once after each export's thread ended, with its result.
  bool TakeResult(ExportResult& result);

 private:
  std::thread m_Thread;
  std::string m_Path;
  ExportProgress m_Progress;
  std::atomic<bool> m_Ended{false};
  ExportResult m_Result;  // the export thread's until m_Ended
};

}  // namespace tessaloop
