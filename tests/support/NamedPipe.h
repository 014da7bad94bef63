#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace tessaloop::testing {

// A named pipe in the working folder, for showing that the program never
// waits on one. Opening a pipe for reading waits until a writer comes; if
// anything is still waiting on this one after a few seconds, a watchdog comes
// as a writer and goes again, so that the wait ends (the reader sees an empty
// file) and the test can fail instead of hanging.
class NamedPipe {
 public:
  explicit NamedPipe(std::string path);
  ~NamedPipe();
  NamedPipe(const NamedPipe&) = delete;
  NamedPipe& operator=(const NamedPipe&) = delete;

  bool Made() const { return m_Made; }
  // Whether a reader was found waiting on the pipe.
  bool ReaderWaited() const { return m_ReaderWaited; }

 private:
  std::string m_Path;
  bool m_Made = false;
  std::atomic<bool> m_Stop{false};
  std::atomic<bool> m_ReaderWaited{false};
  std::thread m_Watchdog;
};

}  // namespace tessaloop::testing
