#include "export/SongExport.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <system_error>

#include "base/DebugLog.h"
#include "songfile/SongFormat.h"
#include "sound/OfflineRender.h"

namespace tessaloop {

namespace {

constexpr int kLastExportNumber = 99999;
// Below the interface thread's ordinary 0; the audio thread runs at real-time
// priority above them all.
constexpr int kExportNiceness = 10;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool IsLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The debug log off for the calling thread while an export runs, as it was
// afterwards.
class QuietLog {
 public:
  QuietLog() : m_Was(DebugLogEnabledOnThisThread()) { SetDebugLogEnabledOnThisThread(false); }
  ~QuietLog() { SetDebugLogEnabledOnThisThread(m_Was); }
  QuietLog(const QuietLog&) = delete;
  QuietLog& operator=(const QuietLog&) = delete;

 private:
  bool m_Was;
};

bool Export(const Song& song, const std::string& path, ExportProgress* progress,
            std::string& error) {
  if (song.trackCount < 1 || song.trackCount > kMaxTracks) {
    error = "a song of " + std::to_string(song.trackCount) + " tracks cannot be exported";
    return false;
  }
  if (path.empty()) {
    error = "no free file name for the export in " + std::string(kSongFolder) + "/";
    return false;
  }
  // The folder is the program's own; a fresh copy of the program has none yet.
  const std::string folder = FolderOf(path);
  if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
    error = "cannot create the folder " + folder + ": " + std::strerror(errno);
    return false;
  }

  // What a save would write, read back as the command reads it: every value
  // as the text holds it (a third becomes 0.333333), and the parts a file
  // does not hold as a fresh engine has them.
  const std::string text = SongFileText(song);
  auto saved = std::make_unique<Song>();
  std::string why;
  if (!ReadSong(text.data(), text.size(), song.trackCount, *saved, why)) {
    error = "the song cannot be exported: " + why;
    return false;
  }
  auto engine = std::make_unique<OfflineEngine>(song.trackCount);
  Sequencer& seq = *engine->seq;
  seq.Apply(*saved, SongParts::kFile);

  const int64_t frames = std::max<int64_t>(WholeSongFrames(seq), 1);
  if (progress != nullptr) {
    progress->done.store(0);
    progress->total.store(frames);
  }
  const bool written = RenderMixToFile(
      seq, frames, path, AudioEncoding::kWavFloat, kLargestRiffAudio,
      [progress](int64_t done, std::string& stop) {
        if (progress == nullptr) return true;
        if (progress->cancel.load()) {
          stop = "cancelled; nothing was written";
          return false;
        }
        progress->done.store(done);
        return true;
      },
      error);
  if (written && progress != nullptr) progress->done.store(frames);
  return written;
}

}  // namespace

int64_t WholeSongFrames(const Sequencer& seq) {
  return PositionFrames(seq, std::max(1, LastArrangedPosition(seq) + 1));
}

bool RenderMixToFile(Sequencer& seq, int64_t frames, const std::string& path,
                     AudioEncoding encoding, int64_t largeFileBytes, const RenderGoOn& goOn,
                     std::string& error) {
  AudioFileWriter writer(path, encoding, largeFileBytes);
  if (!writer.Open(frames, error)) return false;
  CueSongStart(seq);
  int64_t done = 0;
  bool stopped = false;
  std::string why;
  const bool rendered = RenderFrames(seq, frames, [&](const float* data, int64_t count) {
    done += count;
    if (goOn && !goOn(done, why)) {
      stopped = true;
      return false;
    }
    return writer.Write(data, count, error);
  });
  if (!rendered) {
    if (stopped) error = why.empty() ? "stopped; nothing was written" : why;
    return false;
  }
  return writer.Close(error) && writer.Commit(error);
}

std::string ExportPathFor(const char* songName) {
  std::string name;
  for (int i = 0; songName != nullptr && i < kMaxNameLength && songName[i] != '\0'; ++i)
    if (IsLetterOrDigit(songName[i])) name.push_back(songName[i]);
  if (name.empty()) name = "Untitled";
  const std::string stem = std::string(kSongFolder) + "/" + name;
  for (int number = 1; number <= kLastExportNumber; ++number) {
    std::string path = stem;
    if (number > 1) path += '-' + std::to_string(number);
    path += ".wav";
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0) continue;
    // Free, or not to be looked at (no songs/ folder that can be read): the
    // export itself then says why it cannot write there.
    return path;
  }
  return "";
}

bool ExportSong(const Song& song, const std::string& path, ExportProgress* progress,
                std::string& error) {
  const QuietLog quiet;
  try {
    return Export(song, path, progress, error);
  } catch (const std::bad_alloc&) {
    // The writer's temporary went with the unwinding.
    error = "not enough memory for the export; nothing was written";
    return false;
  }
}

BackgroundExport::BackgroundExport() = default;

BackgroundExport::~BackgroundExport() {
  if (!m_Thread.joinable()) return;
  m_Progress.cancel.store(true);
  m_Thread.join();
}

bool BackgroundExport::Start(const Song& song) {
  if (m_Thread.joinable()) return false;
  std::unique_ptr<Song> copy;
  try {
    copy = std::make_unique<Song>(song);
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::string path = ExportPathFor(song.name);
  m_Progress.done.store(0);
  m_Progress.total.store(0);
  m_Progress.cancel.store(false);
  m_Ended.store(false);
  m_Result = ExportResult{};
  try {
    m_Thread = std::thread([this, song = std::move(copy), path]() {
      SetDebugLogEnabledOnThisThread(false);
#ifdef __linux__
      // Nothing is logged when the system refuses: the export then runs at
      // the ordinary priority, which is still below the audio thread's.
      ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kExportNiceness);
#endif
      try {
        ExportResult result;
        result.path = path;
        result.ok = ExportSong(*song, path, &m_Progress, result.error);
        m_Result = std::move(result);
      } catch (const std::exception& exception) {
        m_Result.ok = false;
        m_Result.error = std::string("the export stopped: ") + exception.what();
      }
      m_Ended.store(true, std::memory_order_release);
    });
  } catch (const std::system_error&) {
    return false;
  }
  m_Path = std::move(path);
  return true;
}

bool BackgroundExport::Running() const {
  return m_Thread.joinable() && !m_Ended.load(std::memory_order_acquire);
}

int BackgroundExport::Percent() const {
  const int64_t total = m_Progress.total.load();
  if (total <= 0) return 0;
  const int64_t done = std::clamp<int64_t>(m_Progress.done.load(), 0, total);
  const int percent = static_cast<int>(done * 100 / total);
  return Running() ? std::min(percent, 99) : percent;
}

bool BackgroundExport::TakeResult(ExportResult& result) {
  if (!m_Thread.joinable() || !m_Ended.load(std::memory_order_acquire)) return false;
  m_Thread.join();
  result = std::move(m_Result);
  m_Result = ExportResult{};
  return true;
}

}  // namespace tessaloop
