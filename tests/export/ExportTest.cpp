// The export from the program: byte for byte what tessaloop-render writes for
// the song file a save would write, at a file name that never replaces one
// already there, and on any failure no file at all.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "export/SongExport.h"
#include "songfile/SongFiles.h"
#include "songfile/SongFormat.h"
#include "tests/export/ExportRig.h"

namespace tessaloop {
namespace {

namespace fs = std::filesystem;
using testing::Entries;
using testing::ReadFile;
using testing::WriteFile;

// The real command, in the working folder; its exit status.
int RenderCommand(const std::string& song, const std::string& out) {
  const std::string command = std::string("'") + TESSALOOP_RENDER_PATH + "' '" + song + "' '" +
                              out + "' > .render.out 2> .render.err";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ExportTest : public ::testing::Test {
 protected:
  testing::ExportFolder folder;
};

// For both programs: the export of the song as it stands equals the command's
// render of the song saved at that moment, and the text's rounding matters
// (the song read back is another value than the one captured), so an export
// of the captured values themselves would not pass.
TEST_F(ExportTest, ExportIsTheCommandsRenderOfTheSavedSong) {
  for (const int tracks : {3, 6}) {
    SCOPED_TRACE(std::to_string(tracks) + " tracks");
    const std::string name = "Mix" + std::to_string(tracks);
    const auto song = testing::EditedSong(tracks, 6, 977, name.c_str());
    ASSERT_STREQ(song->palette[kFirstPaletteSlot + 3 - kFirstSavedSlot], "userbitmaps/moon.bmp");
    Song readBack;
    std::string why;
    const std::string text = SongFileText(*song);
    ASSERT_TRUE(ReadSong(text.data(), text.size(), tracks, readBack, why)) << why;
    bool sameBank = true;
    for (int p = 0; p < kPatternCount; ++p)
      for (int s = 0; s < kStepsPerPattern; ++s)
        sameBank = sameBank && readBack.bank[p][s] == song->bank[p][s];
    EXPECT_FALSE(sameBank);

    ASSERT_TRUE(SaveSong(*song));
    ASSERT_EQ(RenderCommand("songs/" + name + ".tlp", "command.wav"), 0) << ReadFile(".render.err");
    const std::string log = ReadFile("debug.txt");

    ExportProgress progress;
    std::string error;
    const std::string path = ExportPathFor(song->name);
    EXPECT_EQ(path, "songs/" + name + ".wav");
    ASSERT_TRUE(ExportSong(*song, path, &progress, error)) << error;
    const std::string exported = ReadFile(path);
    EXPECT_GT(exported.size(), 6u * 16 * 977 * 8);
    EXPECT_TRUE(exported == ReadFile("command.wav")) << "the export differs from the command's";
    EXPECT_EQ(progress.total.load(), 6 * 16 * 977);
    EXPECT_EQ(progress.done.load(), progress.total.load());
    // The engine's picture loads are not logged from an export.
    EXPECT_EQ(ReadFile("debug.txt"), log);
    EXPECT_EQ(Entries("songs"), (std::set<std::string>{name + ".tlp", name + ".wav"}));
    fs::remove_all("songs");
  }
}

TEST_F(ExportTest, PathsAreNumberedNeverReusedAndKeepOnlyLettersAndDigits) {
  EXPECT_EQ(ExportPathFor(""), "songs/Untitled.wav");
  EXPECT_EQ(ExportPathFor(nullptr), "songs/Untitled.wav");
  EXPECT_EQ(ExportPathFor("../.."), "songs/Untitled.wav");
  EXPECT_EQ(ExportPathFor("../x/y z"), "songs/xyz.wav");
  EXPECT_EQ(ExportPathFor("beat1\nmore"), "songs/beat1more.wav");
  // A song name has at most 12 characters; a longer text is cut there.
  EXPECT_EQ(ExportPathFor("abcdefghijklmnop"), "songs/abcdefghijkl.wav");

  fs::create_directory("songs");
  WriteFile("songs/beat1.wav", "mine");
  EXPECT_EQ(ExportPathFor("beat1"), "songs/beat1-2.wav");
  // Anything at the path counts: a folder, a link that leads nowhere.
  fs::create_directory("songs/beat1-2.wav");
  fs::create_symlink("nowhere", "songs/beat1-3.wav");
  EXPECT_EQ(ExportPathFor("beat1"), "songs/beat1-4.wav");
  // The song file of the same name is no export.
  WriteFile("songs/Untitled.tlp", "");
  EXPECT_EQ(ExportPathFor(""), "songs/Untitled.wav");

  // The export goes where the name led, and the user's file stays.
  const auto song = testing::EditedSong(3, 1, 100, "beat1");
  std::string error;
  ASSERT_TRUE(ExportSong(*song, ExportPathFor(song->name), nullptr, error)) << error;
  EXPECT_EQ(ReadFile("songs/beat1.wav"), "mine");
  EXPECT_TRUE(fs::is_regular_file("songs/beat1-4.wav"));
}

// A file system that takes no more than a few kilobytes: the export fails in
// the middle of its audio, says so in one line and leaves nothing. It runs in
// a child, which alone gets the small file-size limit; SIGXFSZ ignored turns
// the limit into failing writes, as a full disk gives. Root is limited too.
TEST_F(ExportTest, AFullDiskLeavesNoFile) {
  const auto song = testing::EditedSong(6, 4, 977, "Full");
  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(channel[0]);
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 * 1024, 64 * 1024};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::string error;
    const bool ok = ExportSong(*song, "songs/Full.wav", nullptr, error);
    const std::string report = (ok ? "written" : "failed: ") + error;
    const ssize_t sent = ::write(channel[1], report.data(), report.size());
    ::_exit(sent == static_cast<ssize_t>(report.size()) ? 0 : 1);
  }
  ::close(channel[1]);
  std::string report;
  char buffer[512];
  for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
    report.append(buffer, static_cast<size_t>(got));
  ::close(channel[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(report.rfind("failed: cannot write songs/Full.wav", 0), 0u) << report;
  EXPECT_EQ(report.find('\n'), std::string::npos) << report;
  EXPECT_EQ(Entries("songs"), std::set<std::string>{});
}

TEST_F(ExportTest, FoldersThatCannotTakeTheFileLeaveNothing) {
  const auto song = testing::EditedSong(3, 2, 500, "Song");
  std::string error;
  // songs is a file: the folder cannot be there.
  WriteFile("songs", "a file");
  EXPECT_FALSE(ExportSong(*song, ExportPathFor(song->name), nullptr, error));
  EXPECT_NE(error.find("songs"), std::string::npos) << error;
  EXPECT_EQ(ReadFile("songs"), "a file");
  fs::remove("songs");

  // A missing songs/ is made, as a save makes it.
  ASSERT_TRUE(ExportSong(*song, ExportPathFor(song->name), nullptr, error)) << error;
  EXPECT_EQ(Entries("songs"), std::set<std::string>{"Song.wav"});
  fs::remove("songs/Song.wav");

  if (::geteuid() == 0) GTEST_SKIP() << "root writes into a read-only folder all the same";
  ::chmod("songs", 0555);
  error.clear();
  const bool written = ExportSong(*song, ExportPathFor(song->name), nullptr, error);
  ::chmod("songs", 0755);
  EXPECT_FALSE(written);
  EXPECT_EQ(error, "cannot create a file in songs: Permission denied");
  EXPECT_EQ(Entries("songs"), std::set<std::string>{});
}

// A cancel is seen at the next chunk: the temporary that was being written
// goes, and nothing is left. Stopping the shared render after its first chunk
// shows the temporary there and then gone.
TEST_F(ExportTest, ACancelLeavesNothing) {
  const auto song = testing::EditedSong(3, 8, 5000, "Cancel");
  ExportProgress progress;
  progress.cancel = true;
  std::string error;
  EXPECT_FALSE(ExportSong(*song, "songs/Cancel.wav", &progress, error));
  EXPECT_EQ(error, "cancelled; nothing was written");
  EXPECT_EQ(Entries("songs"), std::set<std::string>{});

  OfflineEngine engine(3);
  engine.seq->Apply(*song, SongParts::kFile);
  std::set<std::string> duringRender;
  int64_t firstChunk = 0;
  EXPECT_FALSE(RenderMixToFile(
      *engine.seq, WholeSongFrames(*engine.seq), "songs/Stopped.wav", AudioEncoding::kWavFloat,
      kLargestRiffAudio,
      [&](int64_t done, std::string& why) {
        firstChunk = done;
        duringRender = Entries("songs");
        why = "stopped here";
        return false;
      },
      error));
  EXPECT_EQ(error, "stopped here");
  EXPECT_GT(firstChunk, 0);
  EXPECT_LT(firstChunk, WholeSongFrames(*engine.seq));
  ASSERT_EQ(duringRender.size(), 1u);
  EXPECT_EQ(duringRender.begin()->rfind("Stopped.wav.", 0), 0u) << *duringRender.begin();
  EXPECT_EQ(Entries("songs"), std::set<std::string>{});
}

}  // namespace
}  // namespace tessaloop
