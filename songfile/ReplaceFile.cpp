#include "songfile/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tessaloop {

namespace {

std::string Describe(const char* what, const std::string& path, int error) {
  return std::string(what) + " " + path + ": " + std::strerror(error);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Makes the rename itself durable. Some file systems cannot sync a folder;
// the new content is on the disk already, so that is not a failure.
void SyncFolder(const std::string& folder) {
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  ::fsync(descriptor);
  ::close(descriptor);
}

std::atomic<unsigned> g_TemporaryNumber{0};

}  // namespace

ReplacementFile::ReplacementFile(std::string path) : m_Path(std::move(path)) {}

ReplacementFile::~ReplacementFile() {
  Discard();
}

void ReplacementFile::Discard() {
  m_Flushed = false;
  if (m_Descriptor >= 0) {
    ::close(m_Descriptor);
    m_Descriptor = -1;
  }
  if (!m_Temporary.empty()) {
    ::unlink(m_Temporary.c_str());
    m_Temporary.clear();
  }
}

bool ReplacementFile::Open(std::string& why) {
  Discard();
  struct stat old {};
  if (::stat(m_Path.c_str(), &old) == 0) {
    if (S_ISDIR(old.st_mode)) {
      why = m_Path + " is a folder";
      return false;
    }
    // Writing in place would have failed on a file its owner made read-only;
    // renaming over it must not be a way round that.
    if (::access(m_Path.c_str(), W_OK) != 0) {
      why = Describe("cannot write", m_Path, errno);
      return false;
    }
    m_HadOldFile = S_ISREG(old.st_mode);
    m_OldMode = old.st_mode & 07777;
  }

  // A name no listing picks up (it does not end in the file's extension),
  // unique to this process and call.
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = m_Path + "." + std::to_string(::getpid()) + "-" +
                            std::to_string(g_TemporaryNumber.fetch_add(1)) + ".tmp";
    const int descriptor = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0) {
      m_Descriptor = descriptor;
      m_Temporary = std::move(candidate);
      return true;
    }
    if (errno != EEXIST) {
      why = Describe("cannot create a file in", FolderOf(m_Path), errno);
      return false;
    }
  }
  why = "cannot find a free temporary name beside " + m_Path;
  return false;
}

bool ReplacementFile::Write(std::string_view data, std::string& why) {
  if (m_Descriptor < 0) {
    why = "nothing open to write";
    return false;
  }
  while (!data.empty()) {
    const ssize_t written = ::write(m_Descriptor, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      why = Describe("cannot write", m_Temporary, errno);
      return false;
    }
    data.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

bool ReplacementFile::Flush(std::string& why) {
  if (m_Descriptor < 0) {
    why = "nothing open to flush";
    return false;
  }
  if (m_HadOldFile) ::fchmod(m_Descriptor, m_OldMode);
  if (::fsync(m_Descriptor) != 0) {
    why = Describe("cannot write", m_Temporary, errno);
    return false;
  }
  const int descriptor = m_Descriptor;
  m_Descriptor = -1;
  if (::close(descriptor) != 0) {
    why = Describe("cannot write", m_Temporary, errno);
    return false;
  }
  m_Flushed = true;
  return true;
}

bool ReplacementFile::Commit(std::string& why) {
  if (!m_Flushed && !Flush(why)) return false;
  if (::rename(m_Temporary.c_str(), m_Path.c_str()) != 0) {
    why = Describe("cannot replace", m_Path, errno);
    return false;
  }
  m_Temporary.clear();
  m_Flushed = false;
  SyncFolder(FolderOf(m_Path));
  return true;
}

bool ReplaceFileContents(const std::string& path, std::string_view content, std::string& why) {
  ReplacementFile file(path);
  return file.Open(why) && file.Write(content, why) && file.Commit(why);
}

}  // namespace tessaloop
