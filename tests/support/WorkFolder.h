#pragma once

#include <string>

namespace tessaloop::testing {

// A fresh temporary folder made the working folder for the life of the object,
// as the program's own folder would be (data/, songs/, userbitmaps/ and
// debug.txt are relative to it). Removed again, with everything in it, at the
// end unless TESSALOOP_KEEP_TEST_FOLDERS is set.
class WorkFolder {
 public:
  WorkFolder();
  ~WorkFolder();
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  const std::string& Path() const { return m_Path; }
  // Makes data/ a link to the repository's generated art.
  void LinkData() const;
  // Copies the repository's data/ (so a test may change or remove files).
  void CopyData() const;

 private:
  std::string m_Path;
  std::string m_Previous;
};

// The repository's root folder.
std::string SourceDir();

// Reads a whole file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

}  // namespace tessaloop::testing
