#include "tests/support/WorkFolder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tessaloop::testing {

WorkFolder::WorkFolder() {
  m_Previous = fs::current_path().string();
  std::string pattern = (fs::temp_directory_path() / "tessaloop-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a test folder");
  m_Path = pattern;
  fs::current_path(m_Path);
}

WorkFolder::~WorkFolder() {
  std::error_code error;
  fs::current_path(m_Previous, error);
  if (std::getenv("TESSALOOP_KEEP_TEST_FOLDERS") == nullptr) fs::remove_all(m_Path, error);
}

void WorkFolder::LinkData() const {
  fs::create_directory_symlink(fs::path(SourceDir()) / "data", fs::path(m_Path) / "data");
}

void WorkFolder::CopyData() const {
  fs::copy(fs::path(SourceDir()) / "data", fs::path(m_Path) / "data", fs::copy_options::recursive);
}

std::string SourceDir() {
  return TESSALOOP_SOURCE_DIR;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

}  // namespace tessaloop::testing
