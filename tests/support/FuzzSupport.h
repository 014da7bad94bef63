#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace tessaloop::testing {

// The loaders write every load to debug.txt in the working folder; a fuzzer
// makes millions of them. Makes debug.txt a link to /dev/null unless there is
// already a log (then it grows, and says so).
inline void SendDebugLogNowhere() {
  struct stat status {};
  if (lstat("debug.txt", &status) != 0 && symlink("/dev/null", "debug.txt") != 0)
    std::fprintf(stderr, "note: debug.txt in the working folder will grow\n");
}

}  // namespace tessaloop::testing
