// The README teaches the instrument: every key and command it names must be
// one the program really has, and every key the editor reads must be in it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

std::string Source(const std::string& path) {
  return ReadFile(SourceDir() + "/" + path);
}

// The README's lines from a heading to the next heading of its level or a higher one.
std::string Section(const std::string& readme, const std::string& heading) {
  const size_t start = readme.find("\n" + heading + "\n");
  if (start == std::string::npos) return "";
  const size_t level = heading.find(' ');
  size_t end = start + 1;
  do
    end = readme.find("\n#", end + 1);
  while (end != std::string::npos && readme.find_first_not_of('#', end + 1) - (end + 1) > level);
  return readme.substr(start, end - start);  // to the end when there is no next heading
}

std::vector<std::string> Matches(const std::string& text, const std::string& pattern, int group) {
  std::vector<std::string> found;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
       ++it)
    found.push_back((*it)[group].str());
  return found;
}

// The name of the key-code constant of a key named in the README.
std::string KeyConstant(const std::string& name) {
  if (name == "Esc") return "kEscape";
  if (name == "Shift" || name == "Ctrl") return name == "Shift" ? "kLeftShift" : "kLeftControl";
  return "k" + name;
}

std::set<std::string> DocumentedKeys(const std::string& readme) {
  std::set<std::string> keys;
  for (const char* heading : {"### Keys", "### Mouse, in every tab"})
    for (const std::string& bold : Matches(Section(readme, heading), R"(\*\*([^*]+)\*\*)", 1)) {
      std::istringstream words(bold);
      for (std::string word; words >> word;)
        keys.insert(word);
    }
  // Ranges are written as the first and last key: **A**-**Z**, **0**-**9**.
  if (keys.count("A") && keys.count("Z"))
    for (char c = 'A'; c <= 'Z'; ++c)
      keys.insert(std::string(1, c));
  if (keys.count("0") && keys.count("9"))
    for (char c = '0'; c <= '9'; ++c)
      keys.insert(std::string(1, c));
  keys.erase("Save");  // the buttons of the PATTERNS tab, not keys
  keys.erase("Load");
  return keys;
}

TEST(Readme, EveryKeyItNamesIsReadAndEveryKeyReadIsNamed) {
  const std::string readme = Source("README.md");
  const std::set<std::string> documented = DocumentedKeys(readme);
  ASSERT_GT(documented.size(), 40u) << "the key tables were not found";

  std::string editor;
  for (const auto& entry : fs::directory_iterator(SourceDir() + "/editor"))
    editor += ReadFile(entry.path().string());
  const std::string keyCodes = Source("input/KeyCodes.h");
  const std::string platform = Source("platform/SdlPlatform.cpp");

  for (const std::string& name : documented) {
    const std::string constant = KeyConstant(name);
    if (name == "Esc") {
      EXPECT_NE(platform.find("SDL_SCANCODE_ESCAPE"), std::string::npos);
      continue;
    }
    const bool letter = name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z';
    const bool digit = name.size() == 1 && name[0] >= '0' && name[0] <= '9';
    const bool coded = digit ? keyCodes.find("kDigits[10]") != std::string::npos
                             : std::regex_search(keyCodes, std::regex("\\b" + constant + " = "));
    EXPECT_TRUE(coded) << name << " has no key code";
    const bool read = editor.find("key::" + constant) != std::string::npos ||
                      (letter && editor.find("key::kLetters") != std::string::npos) ||
                      (digit && editor.find("key::kDigits") != std::string::npos);
    EXPECT_TRUE(read) << "the README names " << name << " but the editor never reads it";
  }

  for (const std::string& used : Matches(editor, R"(key::(k[A-Za-z0-9]+))", 1)) {
    if (used == "kLetters" || used == "kDigits") continue;
    bool named = false;
    for (const std::string& name : documented)
      named = named || KeyConstant(name) == used;
    EXPECT_TRUE(named) << "the editor reads key::" << used << " but the README does not say so";
  }
}

TEST(Readme, EveryCommandItNamesExists) {
  const std::string readme = Source("README.md");
  const std::string makefile = Source("Makefile");
  for (const std::string& target : Matches(readme, R"(`make ([a-z][a-z-]*))", 1)) {
    EXPECT_TRUE(std::regex_search(makefile, std::regex("\n" + target + ":")))
        << "the README names make " << target << ", which the Makefile does not have";
  }
  const std::string usage = RenderUsage();
  for (const std::string& line : Matches(readme, R"(tessaloop-render ([^\n]*))", 1))
    for (const std::string& option : Matches(line, R"((--[a-z0-9]+))", 1))
      EXPECT_NE(usage.find(option), std::string::npos) << "tessaloop-render has no " << option;
  const std::string launcher = Source("packaging/tessaloop.in");
  for (const std::string& option : Matches(readme, R"(`tessaloop (--[a-z]+)`)", 1))
    EXPECT_NE(launcher.find(option + ")"), std::string::npos) << "the launcher has no " << option;
  for (const char* program : {"tessaloop3", "tessaloop6", "tessaloop-render"})
    EXPECT_NE(readme.find(program), std::string::npos);
  for (const std::string& image : Matches(readme, R"(\]\((docs/[^)]+)\))", 1))
    EXPECT_TRUE(fs::exists(SourceDir() + "/" + image)) << image << " is missing";
}

}  // namespace
}  // namespace tessaloop::testing
