#include "tests/support/NamedPipe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

namespace tessaloop::testing {

namespace {
constexpr auto kPatience = std::chrono::seconds(3);
constexpr auto kPoll = std::chrono::milliseconds(20);
}  // namespace

NamedPipe::NamedPipe(std::string path) : m_Path(std::move(path)) {
  m_Made = ::mkfifo(m_Path.c_str(), 0644) == 0;
  if (!m_Made) return;
  m_Watchdog = std::thread([this] {
    const auto start = std::chrono::steady_clock::now();
    while (!m_Stop) {
      std::this_thread::sleep_for(kPoll);
      if (std::chrono::steady_clock::now() - start < kPatience) continue;
      // A non-blocking open for writing succeeds only while a reader has the
      // pipe open: that reader has been waiting all this time.
      const int writer = ::open(m_Path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (writer >= 0) {
        m_ReaderWaited = true;
        ::close(writer);
      }
    }
  });
}

NamedPipe::~NamedPipe() {
  m_Stop = true;
  if (m_Watchdog.joinable()) m_Watchdog.join();
}

}  // namespace tessaloop::testing
