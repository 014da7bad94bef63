#pragma once

// The two programs are built from the same sources and differ only in these
// constants, which app/CMakeLists.txt sets per program.
#ifndef TESSALOOP_TRACK_COUNT
#error "TESSALOOP_TRACK_COUNT must be set by the build (3 or 6)"
#endif
#ifndef TESSALOOP_FULL_SCREEN
#error "TESSALOOP_FULL_SCREEN must be set by the build (0 or 1)"
#endif

namespace tessaloop {
constexpr int kTrackCount = TESSALOOP_TRACK_COUNT;
constexpr bool kFullScreen = TESSALOOP_FULL_SCREEN != 0;
static_assert(kTrackCount == 3 || kTrackCount == 6, "the programs have 3 or 6 tracks");
}  // namespace tessaloop
