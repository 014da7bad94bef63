#include "display/DebugLog.h"

#include <atomic>
#include <cstdio>

namespace tessaloop {

namespace {
std::atomic<bool> g_DebugLogEnabled{true};
}  // namespace

void SetDebugLogEnabled(bool enabled) {
  g_DebugLogEnabled.store(enabled, std::memory_order_relaxed);
}

void StartDebugLog() {
  if (!g_DebugLogEnabled.load(std::memory_order_relaxed)) return;
  if (std::FILE* file = std::fopen(kDebugLogPath, "w")) {
    std::fputs("DEBUG LOG\n", file);
    std::fclose(file);
  }
}

void WriteDebugLog(const char* message) {
  if (!g_DebugLogEnabled.load(std::memory_order_relaxed)) return;
  if (std::FILE* file = std::fopen(kDebugLogPath, "a")) {
    std::fputs(message, file);
    std::fputs("\n", file);
    std::fclose(file);
  }
}

}  // namespace tessaloop
