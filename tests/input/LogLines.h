#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "display/DebugLog.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop::testing {

// The debug log as it stands, line by line.
inline std::vector<std::string> LogLines() {
  std::istringstream in(ReadFile(kDebugLogPath));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

}  // namespace tessaloop::testing
