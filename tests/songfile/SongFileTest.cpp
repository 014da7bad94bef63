// Song files: the exact text, every value back, hand edits, the files refused
// whole, saves that replace the whole file or nothing, the folder listings,
// and the palette pictures a song may and may not open.

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "base/BmpWriter.h"
#include "base/DebugLog.h"
#include "songfile/SongFiles.h"
#include "songfile/SongFormat.h"
#include "sound/OfflineRender.h"
#include "tests/support/NamedPipe.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

constexpr size_t kBank = 303;  // first tokens of the sections of a 3-track song
constexpr size_t kPalette = kBank + 3456;
constexpr size_t kTempo = kPalette + 17;
constexpr const char* kSong = "songs/UntitledSong.tlp";
const std::string kStartupPictures =
    "data/min.bmp,data/square.bmp,data/stepsaw.bmp,data/stepsine.bmp,data/cellstar.bmp,"
    "data/noise-fade.bmp,data/pit.bmp,data/multi-circle.bmp,data/noise-square.bmp,data/grid.bmp,"
    "data/impulse.bmp,data/pattern1.bmp,data/small-square.bmp,data/corner.bmp,"
    "data/multi-band.bmp,data/slant.bmp,data/noise.bmp,";

// Arrangement all 24, every bank cell at its defaults, the start-up palette, tempo 11005.
std::string StartupText(int tracks) {
  std::string text;
  for (int i = 0; i < tracks * 101; ++i)
    text += "24,";
  for (int i = 0; i < 27 * 16; ++i)
    text += "0.5,0.5,0.5,0.5,3,0,0.5,0,";
  return text + kStartupPictures + "11005,";
}

// A song in which every number differs from the start-up song's and from
// another seed's: every pattern number, octave, semitone and slot, parameters
// at the clamps and of all six digits, the fastest or the slowest tempo.
std::string RichText(int tracks, int seed) {
  const char* const reals[] = {"0.01", "0.99", "0.015625", "0.984375", "0.1", "0.7", "0.328125"};
  std::string text;
  auto add = [&text](const std::string& token) { text += token + ","; };
  for (int i = 0; i < tracks * 101; ++i)
    add(std::to_string((i * 5 + seed) % 27));
  for (int i = 0; i < 27 * 16; ++i) {
    for (int k : {1, 2, 3, 4})
      add(reals[(i * k + seed) % 7]);
    add(std::to_string((i + seed) % 11));
    add(std::to_string((i * 5 + seed) % 12));
    add(reals[(i * 6 + seed) % 7]);
    add(std::to_string((i * 3 + seed) % 22));
  }
  return text + kStartupPictures + (seed % 2 ? "1," : "2646000,");
}

std::vector<std::string> Tokens(const std::string& text) {
  std::vector<std::string> tokens;
  std::istringstream in(text);
  for (std::string token; std::getline(in, token, ',');)
    tokens.push_back(token);
  return tokens;
}

// The tokens with some replaced, each followed by a comma and separator.
std::string Edited(std::vector<std::string> tokens,
                   const std::vector<std::pair<size_t, std::string>>& edits,
                   const std::string& separator = "") {
  for (const auto& [index, value] : edits)
    tokens.at(index).assign(value);
  std::string text;
  for (const std::string& token : tokens)
    text += token + "," + separator;
  return text;
}

std::vector<std::string> LogLines(const std::string& prefix) {
  std::vector<std::string> lines;
  std::ifstream in(kDebugLogPath);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  return lines;
}

// Saves the song as the name tab does.
bool Save(const Sequencer& seq) {
  auto song = std::make_unique<Song>();
  seq.Capture(*song);
  return SaveSong(*song);
}

class SongFileTest : public ::testing::Test {
 protected:
  SongFileTest() {
    fs::create_directory("songs");
    // The names of the start-up palette, without its files.
    for (int i = 0; i < kSavedSlotCount; ++i)
      palette.KeepName(kFirstSavedSlot + i, Palette::StartupName(i));
  }

  // A Sequencer with no sound loaded and no audio.
  std::unique_ptr<Sequencer> Quiet(int tracks) {
    SequencerSetup setup;
    setup.trackCount = tracks;
    setup.palette = &palette;
    setup.startAudio = false;
    return std::make_unique<Sequencer>(setup);
  }

  testing::WorkFolder folder;
  Palette palette;
};

TEST_F(SongFileTest, StartupSongOfEitherProgramSavesAsItsExactText) {
  folder.LinkData();
  for (int tracks : {3, 6}) {
    ASSERT_TRUE(Save(*OfflineEngine(tracks).seq));
    const std::string text = ReadFile(kSong);
    EXPECT_EQ(text, StartupText(tracks)) << tracks;
    EXPECT_EQ(Tokens(text).size(), tracks == 3 ? 3777u : 4080u);
    EXPECT_EQ(SongTokenCount(tracks), static_cast<long>(Tokens(text).size()));
  }
}

// Loaded over another song every value is replaced, and saved again (under
// the name typed, not the file's) the song is the same to the byte.
TEST_F(SongFileTest, EveryValueComesBackAndSavesAgainByteForByte) {
  for (int tracks : {3, 6}) {
    auto seq = Quiet(tracks);
    WriteFile("songs/A.tlp", RichText(tracks, 1));
    WriteFile("songs/B.tlp", RichText(tracks, 2));
    ASSERT_TRUE(LoadSongFile(*seq, "songs/A.tlp"));
    ASSERT_TRUE(LoadSongFile(*seq, "songs/B.tlp"));
    std::strcpy(seq->m_Name, "Mine");
    ASSERT_TRUE(Save(*seq));
    EXPECT_EQ(ReadFile("songs/Mine.tlp"), RichText(tracks, 2)) << tracks;
  }
}

// Numbers read as far as they go and are cut toward zero where an integer
// belongs; white space anywhere is skipped; parameters outside the editor's
// range are brought into it.
TEST_F(SongFileTest, HandEditsLoadWithNumbersReadAsFarAsTheyGoAndParametersClamped) {
  const std::vector<std::pair<std::string, int>> arrangement = {
      {"", 0},     {"2 6.9", 26}, {"-0.5", 0}, {"+3", 3},        {"2e1", 20},
      {"7abc", 7}, {"x", 0},      {"++3", 0},  {"000000024", 24}};  // as long as a number may be
  std::vector<std::pair<size_t, std::string>> edits = {
      {kBank, ".25"},       {kBank + 4, "10"},
      {kBank + 5, "11"},    {kBank + 6, "0"},
      {kBank + 8 + 6, "1"}, {kBank + 16, "1e-999"},
      {kBank + 27, "1e30"}, {kPalette, "userbitmaps/" + std::string(19, 'a')}};
  for (size_t i = 0; i < arrangement.size(); ++i)
    edits.emplace_back(i, arrangement[i].first);
  WriteFile("songs/Edited.tlp", Edited(Tokens(RichText(3, 8)), edits, "\r\n\t \v\f"));
  auto seq = Quiet(3);
  WriteFile(kDebugLogPath, "");
  ASSERT_TRUE(LoadSongFile(*seq, "songs/Edited.tlp"));
  for (size_t i = 0; i < arrangement.size(); ++i)
    EXPECT_EQ(seq->m_Arrangement[0][static_cast<int>(i)], arrangement[i].second) << i;
  const Cell* cells = seq->m_Bank.m_Patterns[0];
  EXPECT_EQ(cells[0].m_Attack, 0.25f);
  EXPECT_EQ(cells[0].m_Note, 131) << "octave 10 semitone 11, the top note";
  EXPECT_EQ(cells[0].m_Pan, 0.01f);
  EXPECT_EQ(cells[1].m_Pan, 0.99f);
  EXPECT_EQ(cells[2].m_Attack, 0.01f);
  EXPECT_EQ(cells[3].m_Slide, 0.99f);
  EXPECT_EQ(LogLines("4 parameters"),
            std::vector<std::string>{
                "4 parameters brought into 0.01-0.99, the first: pattern 0 cell 0 pan 0"});
}

// Each refusal names its reason in one log line, and the song in memory (here
// another song) stays exactly as it was.
TEST_F(SongFileTest, DamagedShortAndForeignFilesAreRefusedWholeChangingNothing) {
  const std::string good = RichText(3, 11);
  const std::vector<std::string> tokens = Tokens(good);
  WriteFile("songs/Good.tlp", good);
  WriteFile("songs/Other.tlp", RichText(3, 12));
  auto seq = Quiet(3);
  ASSERT_TRUE(LoadSongFile(*seq, "songs/Other.tlp"));
  std::strcpy(seq->m_Name, "State");
  auto state = [&seq] { return Save(*seq) ? ReadFile("songs/State.tlp") : ""; };
  const std::string before = state();
  auto expectRefused = [&](const char* path, const std::string& reason) {
    WriteFile(kDebugLogPath, "");
    std::string why;
    EXPECT_FALSE(LoadSongFile(*seq, path, &why));
    EXPECT_NE(why.find(reason), std::string::npos) << "why: " << why << "\nwanted: " << reason;
    EXPECT_EQ(LogLines("Song not loaded: "), std::vector<std::string>{"Song not loaded: " + why});
    EXPECT_TRUE(LogLines("load ").empty()) << "something was put in place";
    ASSERT_EQ(state(), before) << why;
  };
  auto first = [&](size_t k) {
    return Edited(std::vector<std::string>(tokens.begin(), tokens.begin() + k), {});
  };
  auto with = [&](size_t k, const std::string& token) { return Edited(tokens, {{k, token}}); };
  std::vector<std::pair<std::string, std::string>> cases = {
      {with(10, "0000000024"), "token 11 (track 0 position 10) is longer than 9 characters"},
      {with(kPalette + 2, "userbitmaps/" + std::string(20, 'a')),
       "(palette slot 7) is longer than 31"},
      {with(0, "27"), "token 1 (track 0 position 0) holds pattern number 27, outside 0-26"},
      {with(302, "-1"), "(track 2 position 100) holds pattern number -1, outside 0-26"},
      {with(kBank, "nan"), "(pattern 0 cell 0 attack) is not a finite number: nan"},
      {with(kBank + 1, "inf"), "(pattern 0 cell 0 decay) is not a finite number: inf"},
      {with(kBank + 2, "-infinity"), "(pattern 0 cell 0 slide length) is not a finite number"},
      {with(kBank + 3, "1e39"), "(pattern 0 cell 0 slide) is not a finite number"},
      {with(kBank + 4, "11"), "(pattern 0 cell 0 octave) holds octave 11, outside 0-10"},
      {with(kBank + 5, "12"), "(pattern 0 cell 0 semitone) holds semitone 12, outside 0-11"},
      {with(kBank + 6, "-1e999"), "(pattern 0 cell 0 pan) is not a finite number: -inf"},
      {with(kBank + 7, "22"), "(pattern 0 cell 0 slot) holds slot 22, outside 0-21"},
      {with(kBank + 8 * 431 + 7, "-1"), "(pattern 26 cell 15 slot) holds slot -1"},
      {with(kPalette + 4, std::string("data/\0x.bmp", 11)), "(palette slot 9) holds a NUL byte"},
      {with(kTempo, "0"), "(tempo) holds samples per step 0, outside 1-2646000"},
      {with(kTempo, "2646001"), "holds samples per step 2.646e+06, outside 1-2646000"},
      {with(kTempo, "nan"), "holds samples per step nan"},
      {Edited(tokens, {{kBank + 100, "nan"}, {kTempo, "0"}}), "token 404 (pattern 0 cell 12 oct"},
      {good + "5,", "the file has 3778 tokens; this program's songs have 3777"},
      {good + "5", "the file has text after its last token"},
      {good.substr(0, good.size() - 1), "the file ends after 3776 of 3777 tokens"},
      {StartupText(6), "it is a song of a 6-track program (4080 tokens; this program's songs h"},
  };
  for (size_t k : {0, 1, 302, 303, 3758, 3759, 3776})
    cases.emplace_back(first(k), "the file ends after " + std::to_string(k) + " of 3777 tokens");
  auto image = std::make_unique<Song>();
  for (const auto& [text, reason] : cases) {
    WriteFile("songs/Bad.tlp", text);
    expectRefused("songs/Bad.tlp", reason);
    std::string why;  // read from memory, as the fuzzer reads, for the same reason
    EXPECT_FALSE(ReadSong(text.data(), text.size(), 3, *image, why));
    EXPECT_NE(why.find(reason), std::string::npos) << "from memory: " << why;
  }
  std::string memoryWhy;
  EXPECT_TRUE(ReadSong(good.data(), good.size(), 3, *image, memoryWhy)) << memoryWhy;
  EXPECT_EQ(FormatSong(*image), good);
  expectRefused("songs/Missing.tlp", "cannot open songs/Missing.tlp: No such file");
  fs::create_directory("songs/Folder.tlp");
  expectRefused("songs/Folder.tlp", "songs/Folder.tlp is not a file");
  FolderList songs;
  ListSongs(songs);  // an unused entry ("none") names no file
  EXPECT_FALSE(LoadSongFile(*seq, (std::string(kSongFolder) + "/" + songs.names[39]).c_str()));
  EXPECT_EQ(state(), before);

  std::string why;
  EXPECT_FALSE(LoadSongFile(*Quiet(6), "songs/Good.tlp", &why));
  EXPECT_NE(why.find("a song of a 3-track program (3777 tokens; this program's songs have 4080)"),
            std::string::npos)
      << why;
  WriteFile("songs/Spaced.tlp", good + "\n \r\n");  // white space after the end is fine
  EXPECT_TRUE(LoadSongFile(*seq, "songs/Spaced.tlp"));
}

// Each failure is made in a child process: a disk that fills up mid-save, and
// a song its owner made read-only (as an ordinary user: root may write it).
TEST_F(SongFileTest, SavesReplaceTheWholeFileOrLeaveItAsItWas) {
  WriteFile("songs/Rich.tlp", RichText(3, 1));
  auto seq = Quiet(3);
  ASSERT_TRUE(LoadSongFile(*seq, "songs/Rich.tlp"));
  fs::remove_all("songs");
  ASSERT_TRUE(Save(*seq)) << "the folder is made";
  const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(kSong, mode);
  auto filesInSongs = [] { return std::distance(fs::directory_iterator("songs"), {}); };

  // The shorter start-up song under the same name: nothing of the first remains.
  ASSERT_TRUE(Save(*Quiet(3)));
  const std::string old = ReadFile(kSong);
  EXPECT_EQ(old, StartupText(3));
  EXPECT_EQ(fs::status(kSong).permissions() & fs::perms::all, mode);
  EXPECT_EQ(filesInSongs(), 1) << "no temporary file is left behind";

  fs::permissions(folder.Path(), fs::perms::all);
  fs::permissions("songs", fs::perms::all);
  for (const char* reason : {"File too large", "Permission denied"}) {
    const bool full = reason[0] == 'F';
    if (!full) fs::permissions(kSong, fs::perms::owner_read | fs::perms::others_read);
    WriteFile(kDebugLogPath, "");
    fs::permissions(kDebugLogPath, fs::perms::all);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{4000, 4000};
      if (full ? setrlimit(RLIMIT_FSIZE, &limit) != 0
               : geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
        _exit(3);
      _exit(Save(*seq) ? 4 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << reason << WEXITSTATUS(status);
    EXPECT_EQ(ReadFile(kSong), old) << reason;
    const auto lines = LogLines("Song not saved: ");
    ASSERT_EQ(lines.size(), 1u) << reason;
    EXPECT_NE(lines[0].find(reason), std::string::npos) << lines[0];
    EXPECT_EQ(filesInSongs(), 1) << reason << ": no temporary file is left behind";
  }
  std::strcpy(seq->m_Name, "../escape");
  EXPECT_FALSE(Save(*seq));
  EXPECT_FALSE(fs::exists("escape.tlp"));
}

// Matching files (the extension in any case) in the folder's order, at most
// 40; names too long for a slot path, or holding a comma or space a song file
// cannot store, are left out whole and take no place, and the log names them.
TEST_F(SongFileTest, ListingsHoldFortyMatchingNamesInTheFoldersOrder) {
  auto touch = [](const std::string& folder, const std::vector<std::string>& names) {
    fs::create_directories(folder);
    for (const std::string& name : names)
      WriteFile(folder + "/" + name, "");
  };
  auto folderOrder = [](const std::string& folder, const std::set<std::string>& wanted) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
      if (wanted.count(entry.path().filename().string()))
        names.push_back(entry.path().filename().string());
    return names;
  };
  auto listed = [](const char(&names)[kListSize][kListNameLength], int32_t count) {
    for (int i = count; i < kListSize; ++i)
      EXPECT_STREQ(names[i], "none") << i;
    return std::vector<std::string>(names, names + count);
  };
  fs::remove("songs");
  FolderList songs, bitmaps;
  ListSongs(songs);  // no folder at all
  EXPECT_TRUE(listed(songs.names, songs.count).empty());

  std::set<std::string> fitting = {"Loud.TLP", "nonesuch.tlp", std::string(27, 's') + ".tlp"};
  for (int i = 0; fitting.size() < 40; ++i)
    fitting.insert(std::to_string(i) + ".Tlp");
  touch("songs", {fitting.begin(), fitting.end()});
  touch("songs", {"notes.txt", "Mid.tlp.4711-0.tmp", "tlp", "x.tlpx", std::string(28, 'S') + ".tlp",
                  std::string(200, 'L') + ".tlp"});
  ListSongs(songs);
  EXPECT_EQ(listed(songs.names, songs.count), folderOrder("songs", fitting));
  EXPECT_TRUE(songs.leftOut == 2 && !songs.overflowed) << "the two long names are counted";
  // One more: the first 40 the folder yields are listed, the rest not read.
  fitting.insert("more.tlp");
  touch("songs", {"more.tlp"});
  ListSongs(songs);
  std::vector<std::string> first = folderOrder("songs", fitting);
  first.resize(40);
  EXPECT_EQ(listed(songs.names, songs.count), first);
  EXPECT_EQ(LogLines("Only the first"),
            std::vector<std::string>{"Only the first 40 files of songs are listed"});
  EXPECT_TRUE(songs.overflowed);

  const std::string bitmap19 = std::string(15, 'b') + ".bmp";  // userbitmaps/ + 19 = 31
  touch("userbitmaps", {bitmap19, "Pic.BMP", "pic3.png", "bmp", std::string(16, 'B') + ".bmp",
                        "a,b.bmp", "my pic.bmp", "tab\tb.bmp"});
  ListUserBitmaps(bitmaps);
  EXPECT_EQ(listed(bitmaps.names, bitmaps.count),
            folderOrder("userbitmaps", {bitmap19, "Pic.BMP"}));
  EXPECT_EQ(LogLines("Left out of the list: userbitmaps/").size(), 4u);
  EXPECT_TRUE(bitmaps.leftOut == 4 && !bitmaps.overflowed);
  fs::remove_all("userbitmaps");
  ListUserBitmaps(bitmaps);  // a listing starts its counts anew
  EXPECT_TRUE(bitmaps.count == 0 && bitmaps.leftOut == 0 && !bitmaps.overflowed);
}

// ---- The recovery copy: songs with a session section ----

constexpr size_t kSession = kTempo + 1;  // the session's word in a 3-track song
constexpr const char* kRecovery = "songs/last-session.tlp";

// The token of a track's value in a 3-track session file: a cell's value 0-7,
// or (cell 16) its mute and patterns 0-2.
size_t TrackToken(int track, int cell, int value) {
  return kSession + 1 + static_cast<size_t>(track * 131 + cell * 8 + value);
}

class SessionSongTest : public SongFileTest {
 protected:
  std::unique_ptr<Song> SessionSong(int tracks, int seed);
};

// A rich song in which every session value differs from a fresh program's.
std::unique_ptr<Song> SessionSongTest::SessionSong(int tracks, int seed) {
  WriteFile("songs/Rich.tlp", RichText(tracks, seed));
  auto seq = Quiet(tracks);
  EXPECT_TRUE(LoadSongFile(*seq, "songs/Rich.tlp"));
  auto song = std::make_unique<Song>();
  seq->Capture(*song);
  const float reals[] = {0.01f, 0.99f, 0.015625f, 0.984375f, 0.1f, 0.7f, 0.328125f};
  for (int t = 0; t < tracks; ++t) {
    SongTrack& track = song->tracks[t];
    for (int c = 0; c < kStepsPerPattern; ++c) {
      const int k = t * 16 + c + seed;
      track.cells[c] = {reals[k % 7], reals[(k + 1) % 7], reals[(k + 2) % 7], reals[(k + 3) % 7],
                        4 + k % 7,    1 + k % 11,         reals[(k + 4) % 7], 1 + k % 21};
    }
    track.mute = true;
    track.storedPattern = (t + seed) % 24;
    track.loadedPattern = 25 + t % 2;
  }
  song->songMode = true;
  std::memset(song->name, 0, sizeof song->name);  // as a capture has it
  std::strcpy(song->name, tracks == 3 ? "Recovered3" : "LastOf6Mine");
  return song;
}

TEST_F(SessionSongTest, SessionSongsComeBackWholeAndPlainSongsLeaveTheTracksAlone) {
  for (int tracks : {3, 6}) {
    const auto song = SessionSong(tracks, tracks);
    fs::remove_all("songs");  // the folder is made
    WriteFile(kDebugLogPath, "");
    ASSERT_TRUE(SaveSessionSong(*song));
    EXPECT_EQ(ReadFile(kDebugLogPath), "") << "a recovery save that succeeds writes no log";
    const std::string text = ReadFile(kRecovery);
    EXPECT_EQ(text, SongFileText(*song) + FormatSession(*song));
    EXPECT_EQ(static_cast<long>(Tokens(text).size()), SessionSongTokenCount(tracks));
    EXPECT_EQ(Tokens(text).at(static_cast<size_t>(SongTokenCount(tracks))), "session");

    auto read = std::make_unique<Song>();
    SongReadNotes notes;
    std::string why;
    ASSERT_TRUE(ReadSongFile(kRecovery, tracks, *read, why, &notes)) << why;
    EXPECT_TRUE(notes.session);
    EXPECT_TRUE(*read == *song) << tracks;

    auto seq = Quiet(tracks);
    bool restored = false;
    ASSERT_TRUE(LoadSongFile(*seq, kRecovery, nullptr, &restored));
    EXPECT_TRUE(restored);
    auto captured = std::make_unique<Song>();
    seq->Capture(*captured);
    EXPECT_TRUE(*captured == *song) << tracks;

    // A plain song over it: its own parts in place, the tracks, mutes, song
    // mode and name kept.
    WriteFile("songs/Plain.tlp", RichText(tracks, 9));
    ASSERT_TRUE(LoadSongFile(*seq, "songs/Plain.tlp", nullptr, &restored));
    EXPECT_FALSE(restored);
    seq->Capture(*captured);
    EXPECT_EQ(FormatSong(*captured), RichText(tracks, 9));
    EXPECT_EQ(FormatSession(*captured), FormatSession(*song));
    ASSERT_TRUE(ReadSongFile("songs/Plain.tlp", tracks, *read, why, &notes));
    EXPECT_FALSE(notes.session);
  }

  // What a hand edit or an odd name turns into: a clamped step parameter is
  // noted as the bank's are, a name is written with its letters and digits.
  auto song = SessionSong(3, 1);
  std::strcpy(song->name, "a-b c");
  const std::string session = FormatSession(*song);
  EXPECT_EQ(session.substr(session.size() - 7), ",1,abc,");
  std::string text = Edited(Tokens(SongFileText(*song) + session), {{TrackToken(1, 2, 3), "0"}});
  auto read = std::make_unique<Song>();
  SongReadNotes notes;
  std::string why;
  ASSERT_TRUE(ReadSong(text.data(), text.size(), 3, *read, why, &notes)) << why;
  EXPECT_EQ(notes.firstClamped, "track 1 cell 2 slide 0");
  EXPECT_EQ(read->tracks[1].cells[2].slide, kMinParameter);
}

// Anything after the tempo that is not a whole, valid session is refused,
// with the token named, and the running song (its tracks too) stays as it was.
TEST_F(SessionSongTest, DamagedSessionSectionsAreRefusedWholeChangingNothing) {
  const auto saved = SessionSong(3, 5);
  const std::string good = SongFileText(*saved) + FormatSession(*saved);
  const std::vector<std::string> tokens = Tokens(good);
  auto seq = Quiet(3);
  WriteFile("songs/Other.tlp", good);
  ASSERT_TRUE(LoadSongFile(*seq, "songs/Other.tlp"));
  seq->SetName("State");
  seq->SetMute(0, false);
  auto before = std::make_unique<Song>(), after = std::make_unique<Song>();
  seq->Capture(*before);

  auto with = [&](size_t k, const std::string& token) { return Edited(tokens, {{k, token}}); };
  auto first = [&](size_t k) {
    return Edited(std::vector<std::string>(tokens.begin(), tokens.begin() + k), {});
  };
  auto number = [](size_t k) { return "token " + std::to_string(k + 1) + " "; };
  const size_t name = tokens.size() - 1, mode = name - 1;
  const std::vector<std::pair<std::string, std::string>> cases = {
      {with(kSession, "sesion"), "token 3778 is \"sesion\", not the word session"},
      {with(kSession, "5"), "token 3778 is \"5\", not the word session"},
      {first(kSession + 1), "the session section ends after 1 of 396 tokens"},
      {first(kSession + 100), "the session section ends after 100 of 396 tokens"},
      {first(name), "the session section ends after 395 of 396 tokens"},
      {with(TrackToken(2, 5, 7), "99"),
       number(TrackToken(2, 5, 7)) + "(track 2 cell 5 slot) holds slot 99, outside 0-21"},
      {with(TrackToken(0, 0, 0), "nan"), "(track 0 cell 0 attack) is not a finite number: nan"},
      {with(TrackToken(1, 15, 4), "11"), "(track 1 cell 15 octave) holds octave 11, outside 0-10"},
      {with(TrackToken(1, 16, 0), "2"), "(track 1 mute) holds mute 2, outside 0-1"},
      {with(TrackToken(0, 16, 1), "27"), "(track 0 stored pattern) holds pattern number 27"},
      {with(TrackToken(2, 16, 2), "-1"), "(track 2 loaded pattern) holds pattern number -1"},
      {with(mode, "2"), number(mode) + "(song mode) holds song mode 2, outside 0-1"},
      {with(name, "a/b"), number(name) + "(song name) holds '/', not a letter or digit"},
      {with(name, "last-session"), "(song name) holds '-'"},
      {with(name, "ab\x01"), "(song name) holds \\x01"},
      {with(name, std::string("ab\0c", 4)), "(song name) holds a NUL byte"},
      {with(name, "ThirteenChars"), "(song name) is longer than 12 characters"},
      {with(name, std::string(40, 'n')), "(song name) is longer than 12 characters"},
      {good + "5,", "the file has 4174 tokens; this program's songs with a session have 4173"},
      {good + "5", "the file has text after its last token"},
      {SongFileText(*SessionSong(6, 2)) + FormatSession(*SessionSong(6, 2)),
       "a song with a session of a 6-track program (4869 tokens; this program's have 4173)"},
  };
  for (const auto& [text, reason] : cases) {
    WriteFile("songs/Bad.tlp", text);
    WriteFile(kDebugLogPath, "");
    std::string why;
    bool restored = true;
    EXPECT_FALSE(LoadSongFile(*seq, "songs/Bad.tlp", &why, &restored));
    EXPECT_FALSE(restored);
    EXPECT_NE(why.find(reason), std::string::npos) << "why: " << why << "\nwanted: " << reason;
    EXPECT_EQ(LogLines("Song not loaded: "), std::vector<std::string>{"Song not loaded: " + why});
    seq->Capture(*after);
    ASSERT_TRUE(*after == *before) << why;
  }

  std::string why;
  EXPECT_FALSE(LoadSongFile(*Quiet(6), "songs/Other.tlp", &why));
  EXPECT_NE(why.find("a song with a session of a 3-track program (4173 tokens; this program's "
                     "have 4869)"),
            std::string::npos)
      << why;
}

// The recovery copy is written from a thread of its own, here two at once:
// the file is always one whole song, and no temporary stays behind. A save
// that fails says why in one log line.
TEST_F(SessionSongTest, RecoverySavesFromThreadsAreWholeAndFailuresAreLogged) {
  const auto a = SessionSong(3, 1), b = SessionSong(3, 2);
  fs::remove("songs/Rich.tlp");
  std::vector<std::thread> savers;
  int failed[2] = {};
  for (int i = 0; i < 2; ++i) {
    savers.emplace_back([&, i] {
      for (int n = 0; n < 20; ++n)
        failed[i] += SaveSessionSong(i == 0 ? *a : *b) ? 0 : 1;
    });
  }
  for (std::thread& saver : savers)
    saver.join();
  EXPECT_EQ(failed[0] + failed[1], 0);
  const std::string text = ReadFile(kRecovery);
  EXPECT_TRUE(text == SongFileText(*a) + FormatSession(*a) ||
              text == SongFileText(*b) + FormatSession(*b));
  EXPECT_EQ(std::distance(fs::directory_iterator("songs"), {}), 1);

  auto empty = std::make_unique<Song>();
  fs::remove(kRecovery);
  fs::create_directory(kRecovery);
  for (const auto& [song, reason] : std::vector<std::pair<const Song*, std::string>>{
           {a.get(), "songs/last-session.tlp is a folder"}, {empty.get(), "a song of 0 tracks"}}) {
    WriteFile(kDebugLogPath, "");
    std::string why;
    EXPECT_FALSE(SaveSessionSong(*song, &why));
    EXPECT_EQ(why, reason);
    EXPECT_EQ(LogLines(""), std::vector<std::string>{"Recovery song not saved: " + reason});
  }
}

// A 210 x 210 bitmap whose every blue byte is blue, and the sample it makes.
void WriteFlatBitmap(const std::string& path, int blue) {
  std::vector<uint32_t> pixels(210 * 210, static_cast<uint32_t>(blue) | 0x336600u);
  ASSERT_TRUE(WriteBmp24(path, 210, 210, pixels.data()));
}
float Flat(int blue) {
  return (static_cast<float>(blue) - 128.0f) / 128.0f;
}
float Sample(const OfflineEngine& program, int slot) {
  return program.palette.Tables().Sample(slot, 1234);
}

// Each start-up picture with its own flat wave, the fallback, a user bitmap.
class SongPaletteTest : public SongFileTest {
 protected:
  SongPaletteTest() {
    fs::create_directory("data");
    fs::create_directory("userbitmaps");
    for (int i = 0; i < kSavedSlotCount; ++i)
      WriteFlatBitmap(Palette::StartupName(i), 10 + i);
    WriteFlatBitmap(kNotFoundBitmap, 200);
    WriteFlatBitmap("userbitmaps/kick.bmp", 50);
  }

  // The start-up song naming these pictures from slot 5 on.
  static void WriteSong(const std::string& path, const std::vector<std::string>& pictures) {
    std::vector<std::pair<size_t, std::string>> edits;
    for (size_t i = 0; i < pictures.size(); ++i)
      edits.emplace_back(kPalette + i, pictures[i]);
    WriteFile(path, Edited(Tokens(StartupText(3)), edits));
  }
};

TEST_F(SongPaletteTest, PaletteNamesAndSoundsComeBackAndMissingPicturesFallBack) {
  {
    OfflineEngine author(3);
    ASSERT_TRUE(author.palette.Load(7, "userbitmaps/kick.bmp"));
    std::strcpy(author.seq->m_Name, "Kick");
    ASSERT_TRUE(Save(*author.seq));
  }
  OfflineEngine program(3);
  ASSERT_EQ(Sample(program, 7), Flat(12));
  ASSERT_TRUE(LoadSongFile(*program.seq, "songs/Kick.tlp"));
  for (int i = 0; i < kSavedSlotCount; ++i) {
    const bool kick = kFirstSavedSlot + i == 7;
    EXPECT_STREQ(program.palette.Name(kFirstSavedSlot + i),
                 kick ? "userbitmaps/kick.bmp" : Palette::StartupName(i));
    EXPECT_EQ(Sample(program, kFirstSavedSlot + i), Flat(kick ? 50 : 10 + i)) << i;
  }

  // White space within a name is skipped as anywhere in the file.
  WriteSong("songs/Gone.tlp", {"userbitmaps/gone.bmp", "user bitmaps/ki\tck.bmp"});
  ASSERT_TRUE(LoadSongFile(*program.seq, "songs/Gone.tlp"));
  EXPECT_STREQ(program.palette.Name(5), kNotFoundBitmap);
  EXPECT_EQ(Sample(program, 5), Flat(200));
  EXPECT_STREQ(program.palette.Name(6), "userbitmaps/kick.bmp");
  // Without even the fallback a slot keeps its sound and the song its own
  // picture's name, so that saving it again loses nothing.
  fs::remove(kNotFoundBitmap);
  WriteSong("songs/Lost.tlp", {Palette::StartupName(0), "userbitmaps/lost.bmp"});
  ASSERT_TRUE(LoadSongFile(*program.seq, "songs/Lost.tlp"));
  EXPECT_EQ(Sample(program, 6), Flat(50));
  EXPECT_STREQ(program.palette.Name(6), "userbitmaps/lost.bmp");
}

// A song names pictures outside the picture folders, a pipe, a folder and a
// device: none is opened, each slot gets the fallback, the log says which and
// why, and the song loads. The files of the test's own folder that a broken
// rule would open are watched for any open at all.
TEST_F(SongPaletteTest, PathsOutsideThePictureFoldersAreNeverOpened) {
  WriteFlatBitmap("userbitmaps/escape.bmp", 90);
  fs::create_directories("userbitmaps/folder.bmp");
  testing::NamedPipe pipe("userbitmaps/pipe.bmp");
  ASSERT_TRUE(pipe.Made());
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  for (const char* watched :
       {"userbitmaps/escape.bmp", "userbitmaps/pipe.bmp", "userbitmaps/folder.bmp"})
    ASSERT_GE(inotify_add_watch(watch, watched, IN_OPEN), 0) << watched;

  const std::vector<std::pair<std::string, std::string>> refused = {
      {"/etc/passwd", "an absolute path"},
      {"../../../etc/hostname", "not in data/ or userbitmaps/"},
      {"/dev/zero", "an absolute path"},
      {"/proc/self/environ", "an absolute path"},
      {"", "an empty path"},
      {"data/../userbitmaps/escape.bmp", "a . or .. component in the path"},
      {"userbitmaps/./escape.bmp", "a . or .. component in the path"},
      {"userbitmaps//escape.bmp", "an empty component in the path"},
      {"userbitmaps\\escape.bmp", "a backslash in the path"},
      {"userbitmaps/\x01scape.bmp", "a control character in the path"},
      {"songs/Paths.tlp", "not in data/ or userbitmaps/"},
      {"userbitmaps/pipe.bmp", "a named pipe, not a file"},
      {"userbitmaps/folder.bmp", "a folder, not a file"},
      {"userbitmaps", "a folder, not a file"},
  };
  std::vector<std::string> pictures(refused.size() + 1, "userbitmaps/kick.bmp");
  for (size_t i = 0; i < refused.size(); ++i)
    pictures[i] = refused[i].first;
  WriteSong("songs/Paths.tlp", pictures);
  char events[4096];
  while (read(watch, events, sizeof events) > 0) {
  }

  OfflineEngine program(3);
  WriteFile(kDebugLogPath, "");
  ASSERT_TRUE(LoadSongFile(*program.seq, "songs/Paths.tlp"));
  const ssize_t opened = read(watch, events, sizeof events);
  close(watch);
  EXPECT_LE(opened, 0) << "a refused picture was opened";
  EXPECT_FALSE(pipe.ReaderWaited());

  const auto lines = LogLines("Picture not opened: ");
  ASSERT_EQ(lines.size(), refused.size());
  for (size_t i = 0; i < refused.size(); ++i) {
    const int slot = kFirstSavedSlot + static_cast<int>(i);
    EXPECT_STREQ(program.palette.Name(slot), kNotFoundBitmap) << refused[i].first;
    EXPECT_EQ(Sample(program, slot), Flat(200)) << refused[i].first;
    EXPECT_NE(lines[i].find("(" + refused[i].second + ")"), std::string::npos) << lines[i];
  }
  EXPECT_EQ(lines[0], "Picture not opened: \"/etc/passwd\" (an absolute path)");
  EXPECT_EQ(lines[9],
            "Picture not opened: \"userbitmaps/\\x01scape.bmp\" (a control character in the path)");
  const int kept = kFirstSavedSlot + static_cast<int>(refused.size());
  EXPECT_STREQ(program.palette.Name(kept), "userbitmaps/kick.bmp");
  EXPECT_EQ(Sample(program, kept), Flat(50));
}

}  // namespace
}  // namespace tessaloop
