#pragma once

namespace tessaloop {

// The debug log "debug.txt" in the working folder. Every message is one line;
// the file is opened and closed for each, so it is complete on disk after every
// call, even if the program ends abruptly.
//
// Where the file cannot be written (a read-only folder, a folder or a
// read-only file of that name), the lines go to standard error instead, so
// that what the program has to say about a failed save or a missing picture
// is not lost.
constexpr const char* kDebugLogPath = "debug.txt";

// Creates or empties the log and writes its first line, "DEBUG LOG". False
// when the file cannot be written; standard error then says so in one line.
// (True, doing nothing, while the log is turned off.)
bool StartDebugLog();

// Appends the message and a line end; to standard error when the file cannot
// be written.
void WriteDebugLog(const char* message);

// On by default. A tool that runs the program's code in the program's folder
// (the exporter) turns the log off, so that the log of the program, which may
// be running there at the same time, is neither emptied nor added to.
void SetDebugLogEnabled(bool enabled);

// On by default, for the calling thread only. A thread that works beside the
// interface thread (an export in the background) turns the log off for itself,
// since two threads appending to the file could interleave their lines; what
// it has to say it hands to the interface thread, which logs it.
void SetDebugLogEnabledOnThisThread(bool enabled);
bool DebugLogEnabledOnThisThread();

}  // namespace tessaloop
