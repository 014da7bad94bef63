#pragma once

// The recovery copy: while the song has changes that no copy holds, the whole
// song (the tracks' steps, mutes, tempo, song mode and name too) is written to
// songs/last-session.tlp, a moment after the user stops changing it and never
// later than 30 seconds after the first change it lacks, and once more on the
// way out. A crash or a kill loses at most those 30 seconds. The file is
// written on a thread of its own, through a temporary and a rename, so the
// editor's frames never wait for the disk.

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

namespace tessaloop {

class Sequencer;
struct Song;

constexpr uint32_t kRecoveryQuietMs = 2000;    // a pause this long writes the copy
constexpr uint32_t kRecoveryLatestMs = 30000;  // and no change waits longer

class RecoveryCopy {
 public:
  // Nothing is written until the song changes after this.
  explicit RecoveryCopy(Sequencer& seq);
  ~RecoveryCopy();  // waits for a write under way
  RecoveryCopy(const RecoveryCopy&) = delete;
  RecoveryCopy& operator=(const RecoveryCopy&) = delete;

  // Once a frame, with the platform's milliseconds.
  void Frame(uint32_t nowMs);
  // On the way out: writes the changes no copy holds yet and waits until they
  // are on the disk. True when nothing is left unwritten.
  bool Flush();

  // Copies written so far, and whether the last one failed.
  int WrittenCount() const { return m_Written.load(); }
  // The song's edit count (Sequencer::EditCount) that the file on the disk
  // holds: when it is the song's, the copy has every change.
  uint64_t CopiedEdits() const { return m_OnDisk.load(); }
  bool LastFailed() const { return m_Failed.load(); }

 private:
  void Write(bool wait, uint32_t nowMs);
  void Join();

  Sequencer& m_Seq;
  uint64_t m_CopiedEdits;  // the edit count the last copy was taken at
  uint64_t m_SeenEdits;
  bool m_Pending = false;
  uint32_t m_FirstChangeMs = 0;
  uint32_t m_LastChangeMs = 0;
  uint32_t m_AttemptMs = 0;  // when the last copy was taken
  std::thread m_Writer;
  std::unique_ptr<Song> m_Song;  // the writer's copy, untouched while it runs
  std::atomic<bool> m_Busy{false};
  std::atomic<int> m_Written{0};
  std::atomic<bool> m_Failed{false};
  std::atomic<uint64_t> m_OnDisk;
  bool m_Logged = false;
  bool m_LastLoggedFailure = false;
};

}  // namespace tessaloop
