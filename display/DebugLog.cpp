#include "display/DebugLog.h"

#include <cstdio>

namespace tessaloop {

void StartDebugLog() {
  if (std::FILE* file = std::fopen(kDebugLogPath, "w")) {
    std::fputs("DEBUG LOG\n", file);
    std::fclose(file);
  }
}

void WriteDebugLog(const char* message) {
  if (std::FILE* file = std::fopen(kDebugLogPath, "a")) {
    std::fputs(message, file);
    std::fputs("\n", file);
    std::fclose(file);
  }
}

}  // namespace tessaloop
