#pragma once

// Which palette picture paths a song file may name.
//
// Song files are shared, so a path read from one is untrusted: it could name
// a system file, a device that never ends, or a named pipe that would hang the
// program on open. A song may only name a regular file inside the program's
// own picture folders, by a plain relative path:
//   - its first component is "data" or "userbitmaps";
//   - no component is empty, "." or "..";
//   - it holds no backslash and no control character;
//   - what it names, if anything, is a regular file.
// A path that names nothing passes: its load fails as any missing picture's
// does. Both the program's song loader and the exporter load songs through
// Sequencer::Apply, which asks this before it opens anything.

#include <string>

namespace tessaloop {

// True when a song may open path. Otherwise false, with the reason in words
// for the debug log in why. Nothing is opened to find out.
bool SongPicturePathAllowed(const char* path, std::string& why);

// path as a log line may show it: quoted, with control characters and bytes
// outside printable ASCII written as \xNN, so that a hostile name can neither
// break the log into lines nor hide.
std::string PrintablePath(const char* path);

}  // namespace tessaloop
