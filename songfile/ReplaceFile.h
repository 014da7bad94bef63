#pragma once

#include <string>
#include <string_view>

namespace tessaloop {

// Writes a file so that whoever reads it sees either the old content or the
// whole new content, never a part: the new content goes to a temporary file in
// the same folder, is flushed to the disk, and only then renamed over the old
// file. Whatever fails on the way (a full disk, a crash, a folder that cannot
// be written), the old file stays as it was and no temporary is left behind.
class ReplacementFile {
 public:
  explicit ReplacementFile(std::string path);
  ~ReplacementFile();  // removes the temporary unless Commit succeeded
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Creates the temporary. A file at the path that its owner made read-only is
  // not replaced. False, with the reason in words, when it cannot be made.
  bool Open(std::string& why);
  // The temporary's descriptor, to be written by the caller (-1 before Open).
  int Descriptor() const { return m_Descriptor; }
  const std::string& TemporaryPath() const { return m_Temporary; }
  // Writes all of data at the current end of the temporary.
  bool Write(std::string_view data, std::string& why);
  // Flushes the temporary to the disk and closes it, with the permissions of
  // the file it will replace: all that can fail but the rename. Files that
  // belong together are all flushed before any is put in place.
  bool Flush(std::string& why);
  // Flushes the temporary unless Flush did, and puts it in place of the file.
  bool Commit(std::string& why);

 private:
  void Discard();

  std::string m_Path;
  std::string m_Temporary;
  int m_Descriptor = -1;
  bool m_Flushed = false;
  bool m_HadOldFile = false;
  unsigned m_OldMode = 0;
};

// Replaces the file at path with content as above. False, with the reason in
// words, when the file was left as it was.
bool ReplaceFileContents(const std::string& path, std::string_view content, std::string& why);

}  // namespace tessaloop
