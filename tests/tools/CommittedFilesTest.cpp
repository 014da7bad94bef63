// Committed files that must agree with the code: the pictures in data/ and
// userbitmaps/ are what the art generator makes, byte for byte, and the
// README names every key the editor reads and only keys and commands that
// exist.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/WorkFolder.h"
#include "tools/render/RenderSong.h"

namespace tessaloop::testing {
namespace {

namespace fs = std::filesystem;

std::set<std::string> PicturesIn(const fs::path& folder) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (entry.path().extension() == ".bmp" || entry.path().extension() == ".xpm")
      names.insert(entry.path().filename().string());
  return names;
}

TEST(Artgen, RegeneratesEveryCommittedPictureByteForByteAndRefusesABadFolder) {
  WorkFolder work;
  const std::string artgen = std::string("\"") + TESSALOOP_ARTGEN + "\"";
  ASSERT_EQ(std::system((artgen + " out > artgen.log 2>&1").c_str()), 0) << ReadFile("artgen.log");
  EXPECT_EQ(ReadFile("artgen.log").find("not made by the generator"), std::string::npos);
  for (const char* folder : {"data", "userbitmaps"}) {
    const fs::path committed = fs::path(SourceDir()) / folder;
    const fs::path made = fs::path(work.Path()) / "out" / folder;
    ASSERT_EQ(PicturesIn(made), PicturesIn(committed)) << folder;
    for (const std::string& name : PicturesIn(made))
      EXPECT_TRUE(ReadFile((committed / name).string()) == ReadFile((made / name).string()))
          << folder << "/" << name << " differs from the generator's";
  }
  EXPECT_NE(std::system((artgen + " > /dev/null 2>&1").c_str()), 0) << "no folder given";
  WriteFile("blocked", "a file where the data folder would go");
  EXPECT_NE(std::system((artgen + " blocked > /dev/null 2>&1").c_str()), 0);
}

std::string Source(const std::string& path) {
  return ReadFile(SourceDir() + "/" + path);
}

std::vector<std::string> Matches(const std::string& text, const std::string& pattern) {
  std::vector<std::string> found;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
       ++it)
    found.push_back((*it)[1].str());
  return found;
}

TEST(Readme, EveryKeyItNamesIsReadAndEveryKeyReadIsNamed) {
  const std::string readme = Source("README.md");
  const size_t from = readme.find("\n### Mouse, in every tab");
  const std::string tables = readme.substr(from, readme.find("\n## The palette sounds") - from);
  std::set<std::string> named;  // as the names of their key codes
  for (const std::string& bold : Matches(tables, R"(\*\*([^*]+)\*\*)")) {
    std::istringstream words(bold);
    for (std::string w; words >> w;) {
      named.insert(w == "Esc"     ? "kEscape"
                   : w == "Shift" ? "kLeftShift"
                   : w == "Ctrl"  ? "kLeftControl"
                                  : "k" + w);
      // The shortcuts take either Ctrl and either Shift.
      if (w == "Ctrl") named.insert("kRightControl");
      if (w == "Shift") named.insert("kRightShift");
    }
  }
  // Ranges are written as their first and last key: **A**-**Z**, **0**-**9**.
  ASSERT_TRUE(named.count("kA") && named.count("kZ") && named.count("k9"));
  for (char c : std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"))
    named.insert(std::string("k") + c);
  named.erase("kSave");  // the buttons of the PATTERNS tab, not keys
  named.erase("kLoad");
  // The way out is read by the platform.
  ASSERT_EQ(named.erase("kEscape"), 1u);
  EXPECT_NE(Source("platform/SdlPlatform.cpp").find("SDL_SCANCODE_ESCAPE"), std::string::npos);

  std::string editor;
  for (const auto& entry : fs::directory_iterator(SourceDir() + "/editor"))
    editor += ReadFile(entry.path().string());
  const std::vector<std::string> reads = Matches(editor, R"(key::(k[A-Za-z0-9]+))");
  const std::set<std::string> read(reads.begin(), reads.end());
  for (const std::string& key : named) {
    const bool letter = key.size() == 2 && std::isupper(key[1]);
    const bool digit = key.size() == 2 && std::isdigit(key[1]);
    EXPECT_TRUE(read.count(key) || (letter && read.count("kLetters")) ||
                (digit && read.count("kDigits")))
        << "the README names " << key << " but the editor never reads it";
  }
  for (const std::string& key : read)
    EXPECT_TRUE(key == "kLetters" || key == "kDigits" || named.count(key))
        << "the editor reads key::" << key << " but the README does not say so";
}

TEST(Readme, EveryCommandItNamesExists) {
  const std::string readme = Source("README.md");
  for (const std::string& target : Matches(readme, R"(`make ([a-z][a-z-]*))"))
    EXPECT_TRUE(std::regex_search(Source("Makefile"), std::regex("\n" + target + ":")))
        << "the Makefile has no target " << target;
  for (const std::string& line : Matches(readme, R"(tessaloop-render ([^\n]*))"))
    for (const std::string& option : Matches(line, R"((--[a-z0-9]+))"))
      EXPECT_NE(RenderUsage().find(option), std::string::npos)
          << "tessaloop-render has no " << option;
  for (const std::string& option : Matches(readme, R"(`tessaloop (--[a-z]+)`)"))
    EXPECT_NE(Source("packaging/tessaloop.in").find(option + ")"), std::string::npos) << option;
  for (const std::string& image : Matches(readme, R"(\]\((docs/[^)]+)\))"))
    EXPECT_TRUE(fs::exists(SourceDir() + "/" + image)) << image << " is missing";
}

}  // namespace
}  // namespace tessaloop::testing
