#include "base/DebugLog.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace tessaloop {

namespace {

std::atomic<bool> g_DebugLogEnabled{true};
thread_local bool t_DebugLogEnabled = true;

bool Enabled() {
  return t_DebugLogEnabled && g_DebugLogEnabled.load(std::memory_order_relaxed);
}

std::string WorkingFolder() {
  char buffer[4096];
  return ::getcwd(buffer, sizeof buffer) != nullptr ? buffer : ".";
}

}  // namespace

void SetDebugLogEnabled(bool enabled) {
  g_DebugLogEnabled.store(enabled, std::memory_order_relaxed);
}

void SetDebugLogEnabledOnThisThread(bool enabled) {
  t_DebugLogEnabled = enabled;
}

bool DebugLogEnabledOnThisThread() {
  return t_DebugLogEnabled;
}

bool StartDebugLog() {
  if (!Enabled()) return true;
  std::FILE* file = std::fopen(kDebugLogPath, "w");
  if (file != nullptr) {
    const bool written = std::fputs("DEBUG LOG\n", file) >= 0;
    if (std::fclose(file) == 0 && written) return true;
  }
  const int error = errno;
  std::fprintf(stderr,
               "Tessaloop: cannot write its debug log %s/%s (%s); the log's lines follow here\n",
               WorkingFolder().c_str(), kDebugLogPath, std::strerror(error));
  std::fputs("DEBUG LOG\n", stderr);
  return false;
}

void WriteDebugLog(const char* message) {
  if (!Enabled()) return;
  if (message == nullptr) message = "";
  if (std::FILE* file = std::fopen(kDebugLogPath, "a")) {
    const bool written = std::fputs(message, file) >= 0 && std::fputs("\n", file) >= 0;
    if (std::fclose(file) == 0 && written) return;
  }
  std::fputs(message, stderr);
  std::fputs("\n", stderr);
}

}  // namespace tessaloop
