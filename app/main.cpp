// Entry point of tessaloop3 and tessaloop6. Neither takes arguments: both read
// and write everything relative to the folder they are started in.

#include "app/BuildConstants.h"
#include "app/Shell.h"
#include "platform/SdlPlatform.h"

int main() {
  tessaloop::SdlPlatform platform;
  return tessaloop::RunTessaloop(platform, tessaloop::kTrackCount, tessaloop::kFullScreen);
}
