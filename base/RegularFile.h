#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace tessaloop {

// Opens a file for binary reading only if it is a plain file. Anything else
// that a user may leave in a folder under a picture's name would hang or
// mislead the program: opening a named pipe waits for a writer that never
// comes, a device never ends, and a folder opens but cannot be read. Null when
// the file cannot be opened or is not a plain file (errno then says why;
// EINVAL for "not a plain file").
inline std::FILE* OpenPlainFile(const char* path) {
  if (path == nullptr) {
    errno = EINVAL;
    return nullptr;
  }
  // Looked at before it is opened, so that a pipe or a device is never
  // opened at all; the descriptor is checked again below, since the name may
  // change hands in between. Non-blocking, so that even then opening a pipe
  // returns at once; reads block again.
  struct stat named {};
  if (::stat(path, &named) == 0 && !S_ISREG(named.st_mode)) {
    errno = EINVAL;
    return nullptr;
  }
  const int descriptor = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  struct stat status {};
  if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(descriptor);
    errno = EINVAL;
    return nullptr;
  }
  ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(descriptor, "rb");
  if (file == nullptr) {
    const int error = errno;
    ::close(descriptor);
    errno = error;
  }
  return file;
}

// Why a file cannot be read as a picture, in words for a log line.
inline std::string WhyNotReadable(const char* path) {
  std::FILE* file = OpenPlainFile(path);
  if (file == nullptr) return errno == EINVAL ? "not a plain file" : std::strerror(errno);
  std::fclose(file);
  return "not a bitmap Tessaloop can read";
}

}  // namespace tessaloop
