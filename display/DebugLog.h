#pragma once

namespace tessaloop {

// The debug log "debug.txt" in the working folder. Every message is one line;
// the file is opened and closed for each, so it is complete on disk after every
// call, even if the program ends abruptly.
constexpr const char* kDebugLogPath = "debug.txt";

// Creates or empties the log and writes its first line, "DEBUG LOG".
void StartDebugLog();

// Appends the message and a line end.
void WriteDebugLog(const char* message);

}  // namespace tessaloop
