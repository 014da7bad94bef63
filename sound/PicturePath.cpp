#include "sound/PicturePath.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string_view>

namespace tessaloop {

namespace {

bool IsControl(unsigned char c) {
  return c < 0x20 || c == 0x7F;
}

// The reason a path breaks the name rules, or null when it keeps them.
const char* WhyNameRefused(std::string_view path) {
  if (path.empty()) return "an empty path";
  if (path.front() == '/') return "an absolute path";
  for (unsigned char c : path) {
    if (c == '\\') return "a backslash in the path";
    if (IsControl(c)) return "a control character in the path";
  }
  const size_t slash = path.find('/');
  const std::string_view folder = path.substr(0, slash);
  if (folder != "data" && folder != "userbitmaps") return "not in data/ or userbitmaps/";
  if (slash == std::string_view::npos) return "a folder, not a file";
  std::string_view rest = path.substr(slash + 1);
  while (true) {
    const size_t next = rest.find('/');
    const std::string_view component = rest.substr(0, next);
    if (component.empty()) return "an empty component in the path";
    if (component == "." || component == "..") return "a . or .. component in the path";
    if (next == std::string_view::npos) return nullptr;
    rest = rest.substr(next + 1);
  }
}

}  // namespace

bool SongPicturePathAllowed(const char* path, std::string& why) {
  why.clear();
  if (path == nullptr) {
    why = "no path";
    return false;
  }
  if (const char* reason = WhyNameRefused(path)) {
    why = reason;
    return false;
  }
  // stat, not lstat: data/ itself may be a link to the installed art. What a
  // link inside the folders points at was put there by the user, not a song.
  struct stat status {};
  if (::stat(path, &status) == 0 && !S_ISREG(status.st_mode)) {
    why = S_ISDIR(status.st_mode)    ? "a folder, not a file"
          : S_ISFIFO(status.st_mode) ? "a named pipe, not a file"
                                     : "a device or socket, not a file";
    return false;
  }
  return true;
}

std::string PrintablePath(const char* path) {
  std::string text = "\"";
  for (const char* c = path; c != nullptr && *c != '\0'; ++c) {
    const auto byte = static_cast<unsigned char>(*c);
    if (IsControl(byte) || byte >= 0x80 || byte == '"' || byte == '\\') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      text += escaped;
    } else {
      text += *c;
    }
  }
  return text + "\"";
}

}  // namespace tessaloop
