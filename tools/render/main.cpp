// tessaloop-render: exports a song file to WAV or FLAC, mixed or as stems. See
// RenderSong.h.

#include <csignal>
#include <cstdio>
#include <string>

#include "base/DebugLog.h"
#include "tools/render/RenderSong.h"

namespace {

volatile std::sig_atomic_t g_Interrupted = 0;

void Interrupt(int) {
  g_Interrupted = 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tessaloop;
  // Run in the program's folder, the exporter would otherwise start the
  // program's debug.txt afresh and write its own lines into it. It says what
  // went wrong on stderr instead.
  SetDebugLogEnabled(false);
  RenderOptions options;
  std::string error;
  if (!ParseRenderArguments(argc - 1, argv + 1, options, error)) {
    std::fprintf(stderr, "tessaloop-render: %s\n", error.c_str());
    return kRenderFailed;
  }
  if (options.help) {
    std::fputs(RenderUsage().c_str(), stdout);
    return 0;
  }

  // Ctrl+C stops the render and removes the unfinished files.
  std::signal(SIGINT, Interrupt);
  std::signal(SIGTERM, Interrupt);
  options.interrupted = &g_Interrupted;

  std::string summary;
  const int status = RunRender(options, summary, error);
  if (status != 0) {
    std::fprintf(stderr, "tessaloop-render: %s\n", error.c_str());
    return status;
  }
  std::printf("%s\n", summary.c_str());
  return 0;
}
