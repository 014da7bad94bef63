#include "editor/RecoveryCopy.h"

#include <string>

#include "base/DebugLog.h"
#include "songfile/SongFiles.h"
#include "songfile/SongFormat.h"
#include "sound/Sequencer.h"
#include "sound/Song.h"

namespace tessaloop {

RecoveryCopy::RecoveryCopy(Sequencer& seq)
    : m_Seq(seq),
      m_CopiedEdits(seq.EditCount()),
      m_SeenEdits(seq.EditCount()),
      m_Song(std::make_unique<Song>()),
      m_OnDisk(seq.EditCount()) {}

RecoveryCopy::~RecoveryCopy() {
  Join();
}

void RecoveryCopy::Join() {
  if (m_Writer.joinable()) m_Writer.join();
  // Said on this thread, once per kind: the log is the user-interface
  // thread's, and a copy is tried every few seconds.
  const bool failed = m_Failed.load();
  if (m_Written.load() > 0 && !m_Logged) {
    m_Logged = true;
    WriteDebugLog((std::string("Recovery copy kept in ") + kSongFolder + "/" + kSessionSongName +
                   kSongExtension)
                      .c_str());
  }
  if (failed != m_LastLoggedFailure) {
    m_LastLoggedFailure = failed;
    if (!failed) WriteDebugLog("Recovery copy written again");
  }
}

void RecoveryCopy::Frame(uint32_t nowMs) {
  const uint64_t edits = m_Seq.EditCount();
  if (edits != m_SeenEdits) {
    m_SeenEdits = edits;
    m_LastChangeMs = nowMs;
    if (!m_Pending) m_FirstChangeMs = nowMs;
    m_Pending = edits != m_CopiedEdits;
  }
  if (m_Busy.load()) return;
  if (m_Pending) {
    if (nowMs - m_LastChangeMs >= kRecoveryQuietMs || nowMs - m_FirstChangeMs >= kRecoveryLatestMs)
      Write(false, nowMs);
  } else if (m_Failed.load() && nowMs - m_AttemptMs >= kRecoveryLatestMs) {
    // A disk that was full or a folder that could not be written may be
    // usable again: tried again every 30 seconds, not every frame.
    Write(false, nowMs);
  }
}

void RecoveryCopy::Write(bool wait, uint32_t nowMs) {
  Join();
  m_AttemptMs = nowMs;
  m_Seq.Capture(*m_Song);
  m_CopiedEdits = m_Seq.EditCount();
  m_SeenEdits = m_CopiedEdits;
  m_Pending = false;
  m_Busy.store(true);
  m_Writer = std::thread([this, edits = m_CopiedEdits] {
    std::string why;
    const bool saved = SaveSessionSong(*m_Song, &why);
    m_Failed.store(!saved);
    if (saved) {
      m_OnDisk.store(edits);
      m_Written.fetch_add(1);
    }
    m_Busy.store(false);
  });
  if (wait) Join();
}

bool RecoveryCopy::Flush() {
  Join();
  if (m_Seq.EditCount() != m_CopiedEdits || m_Failed.load()) Write(true, m_AttemptMs);
  return !m_Failed.load();
}

}  // namespace tessaloop
