// The tessaloop-render command, run as users run it: what it writes is what
// the clock produces in process from the same song, and every failure leaves
// one line on stderr, exit status 2 and no file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <set>
#include <vector>

#include "display/BmpWriter.h"
#include "display/Display.h"
#include "platform/HeadlessPlatform.h"
#include "songfile/SongFormat.h"
#include "sound/Sequencer.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the exporter in the working folder and waits for it.
RunResult Render(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  std::string program = TESSALOOP_RENDER_PATH;
  argv.push_back(program.data());
  std::vector<std::string> copies = arguments;
  for (std::string& argument : copies)
    argv.push_back(argument.data());
  argv.push_back(nullptr);

  const pid_t child = fork();
  if (child == 0) {
    const int out = ::open(".render.out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(".render.err", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, 1);
    dup2(err, 2);
    execv(argv[0], argv.data());
    _exit(127);
  }
  RunResult result;
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    result.status = WEXITSTATUS(status);
  }
  result.out = testing::ReadFile(".render.out");
  result.err = testing::ReadFile(".render.err");
  fs::remove(".render.out");
  fs::remove(".render.err");
  return result;
}

struct Audio {
  SF_INFO info{};
  std::vector<float> samples;
};

Audio ReadAudio(const std::string& path) {
  Audio audio;
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &audio.info);
  if (file == nullptr) return audio;
  audio.samples.resize(static_cast<size_t>(audio.info.frames * audio.info.channels));
  sf_readf_float(file, audio.samples.data(), audio.info.frames);
  sf_close(file);
  return audio;
}

// A 210 x 210 bitmap whose blue bytes make a wave.
void WriteWaveBitmap(const std::string& path, int shape) {
  std::vector<uint32_t> pixels(210 * 210);
  for (int i = 0; i < 210 * 210; ++i) {
    const int blue = shape == 0 ? 0 : (i * (shape + 2) / 3) % 256;  // shape 0: a steady -1
    pixels[static_cast<size_t>(i)] = static_cast<uint32_t>(blue) | 0x204000u;
  }
  ASSERT_TRUE(WriteBmp24(path, 210, 210, pixels.data()));
}

class RenderCommandTest : public ::testing::Test {
 protected:
  RenderCommandTest() {
    fs::create_directories("data");
    fs::create_directories("userbitmaps");
    fs::create_directories("songs");
    WriteWaveBitmap("data/notfound.bmp", 5);
    for (int i = 0; i < 4; ++i)
      WriteWaveBitmap("userbitmaps/wave" + std::to_string(i) + ".bmp", i);
  }

  // A short song: three sounding patterns over the first four positions,
  // with a loud steady wave panned hard left on every track.
  static SongImage ComposeSong(int tracks) {
    SongImage song;
    song.trackCount = tracks;
    for (int t = 0; t < tracks; ++t)
      for (int p = 0; p < kArrangementLength; ++p)
        song.arrangement[t][p] = kDefaultPattern;
    for (int n = 1; n <= 3; ++n) {
      for (int c = 0; c < kStepsPerPattern; ++c) {
        SongCell& cell = song.bank[n][c];
        cell.slot = (c + n) % 4 == 0 ? 5 : 5 + (c * n) % 4 + 1;
        cell.octave = 2 + (c + n) % 5;
        cell.semitone = (c * 7) % 12;
        cell.attack = 0.01f;
        cell.decay = 0.99f;
        cell.slide = c % 3 == 0 ? 0.25f : 0.5f;
        cell.pan = n == 1 ? 0.01f : 0.1f * static_cast<float>(c % 9 + 1);
      }
    }
    for (int t = 0; t < tracks; ++t) {
      song.arrangement[t][0] = 1;
      song.arrangement[t][1] = 1 + (t + 1) % 3;
      song.arrangement[t][3] = 3;
    }
    const char* palette[4] = {"userbitmaps/wave0.bmp", "userbitmaps/wave1.bmp",
                              "userbitmaps/wave2.bmp", "userbitmaps/wave3.bmp"};
    for (int i = 0; i < kSavedSlotCount; ++i)
      std::strcpy(song.palette[i], i == 5 ? "userbitmaps/missing.bmp" : palette[i % 4]);
    song.samplesPerStep = 700;
    return song;
  }

  static void WriteSong(const std::string& path, const SongImage& song) {
    testing::WriteFile(path, FormatSong(song));
  }

  // The clock run in process on the state the command starts from: the
  // program's start-up, the song loaded as the song list loads it, the clock
  // at the end of position 99 in song mode, one callback block after another.
  static std::vector<float> RenderInProcess(const std::string& song, int tracks, int64_t frames) {
    HeadlessPlatform platform;
    Display display(platform, false);
    display.Setup();
    SequencerSetup setup;
    setup.trackCount = tracks;
    setup.wavetables = &display.m_Wavetables;
    setup.display = &display;
    setup.startAudio = false;
    Sequencer seq(setup);
    EXPECT_TRUE(seq.LoadSongFile(song.c_str()));
    seq.m_SongMode = 1;
    seq.m_Position = 99;
    seq.m_Step = 15;
    seq.m_SampleCount = seq.m_SamplesPerStep.Load();
    seq.m_Mix.m_FramesPerBuffer = 64;
    seq.m_Mix.m_NumberOfBlocks = 32;
    std::vector<float> out(static_cast<size_t>(2 * frames));
    for (int64_t at = 0; at < frames; at += 64)
      seq.RenderBlock(&out[static_cast<size_t>(2 * at)],
                      static_cast<unsigned long>(std::min<int64_t>(64, frames - at)));
    return out;
  }

  static std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
      names.insert(entry.path().filename().string());
    return names;
  }

  testing::WorkFolder folder;
};

TEST_F(RenderCommandTest, FloatWavIsExactlyWhatTheClockProduces) {
  for (int tracks : {3, 6}) {
    SCOPED_TRACE(tracks);
    WriteSong("songs/Song.tlp", ComposeSong(tracks));
    // The 3-track song's program is told by its length; the other is given.
    const RunResult run = tracks == 3 ? Render({"songs/Song.tlp", "song.wav"})
                                      : Render({"--tracks", "6", "songs/Song.tlp", "song.wav"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("song.wav: "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(std::to_string(tracks) + " tracks"), std::string::npos) << run.out;

    const Audio audio = ReadAudio("song.wav");
    EXPECT_EQ(audio.info.samplerate, 44100);
    EXPECT_EQ(audio.info.channels, 2);
    EXPECT_EQ(audio.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    // Positions 0-3 by default: the last one that is not pattern 24 is 3.
    const int64_t frames = 4 * 16 * 700;
    ASSERT_EQ(audio.info.frames, frames);
    const std::vector<float> expected = RenderInProcess("songs/Song.tlp", tracks, frames);
    ASSERT_EQ(audio.samples.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
      ASSERT_EQ(audio.samples[i], expected[i]) << "sample " << i / 2 << " channel " << i % 2;
    // The song sounds from its first sample, and loud enough to go beyond
    // full scale: the float file keeps what integer files must clip.
    EXPECT_NE(expected[0], 0.0f);
    EXPECT_GT(
        std::fabs(*std::max_element(expected.begin(), expected.end(),
                                    [](float a, float b) { return std::fabs(a) < std::fabs(b); })),
        1.0f);
    fs::remove("song.wav");
  }
}

TEST_F(RenderCommandTest, LengthsByPositionsAndSeconds) {
  WriteSong("songs/Song.tlp", ComposeSong(3));
  RunResult run = Render({"--positions", "2", "songs/Song.tlp", "two.wav"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadAudio("two.wav").info.frames, 2 * 16 * 700);
  run = Render({"--seconds", "0.51", "songs/Song.tlp", "half.wav"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadAudio("half.wav").info.frames, 22491);  // round(0.51 x 44100)

  // A song whose arrangement is all 24 renders one position.
  SongImage plain = ComposeSong(3);
  for (auto& row : plain.arrangement)
    for (auto& entry : row)
      entry = kDefaultPattern;
  WriteSong("songs/Plain.tlp", plain);
  run = Render({"songs/Plain.tlp", "plain.wav"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadAudio("plain.wav").info.frames, 16 * 700);
}

TEST_F(RenderCommandTest, Pcm16AndFlacAreClippedQuantisedCopies) {
  WriteSong("songs/Song.tlp", ComposeSong(3));
  const int64_t frames = 4 * 16 * 700;
  const std::vector<float> exact = RenderInProcess("songs/Song.tlp", 3, frames);

  struct Case {
    std::vector<std::string> arguments;
    int format;
    double step;  // one quantisation step
  };
  const std::vector<Case> cases = {
      {{"--pcm16", "songs/Song.tlp", "s16.wav"}, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1.0 / 32768},
      {{"songs/Song.tlp", "s24.flac"}, SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 1.0 / 8388608},
      {{"--pcm16", "songs/Song.tlp", "s16.FLAC"}, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1.0 / 32768},
  };
  size_t beyondFullScale = 0;
  for (float sample : exact)
    if (std::fabs(sample) > 1.0f) ++beyondFullScale;
  ASSERT_GT(beyondFullScale, 100u) << "the song must be loud enough to need clipping";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    const RunResult run = Render(c.arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    const Audio audio = ReadAudio(c.arguments.back());
    EXPECT_EQ(audio.info.format, c.format);
    ASSERT_EQ(audio.samples.size(), exact.size());
    for (size_t i = 0; i < exact.size(); ++i) {
      const double clipped = std::clamp(exact[i], -1.0f, 1.0f);
      ASSERT_NEAR(audio.samples[i], clipped, 2 * c.step) << "sample " << i;
    }
  }
}

TEST_F(RenderCommandTest, FailuresSayWhyOnceAndLeaveNoFile) {
  WriteSong("songs/Song.tlp", ComposeSong(3));
  WriteSong("songs/Six.tlp", ComposeSong(6));
  const std::string song = FormatSong(ComposeSong(3));
  testing::WriteFile("songs/Short.tlp", song.substr(0, song.size() / 2));
  testing::WriteFile("songs/Odd.tlp", "1,2,3,");
  testing::WriteFile("kept.wav", "an older export");

  struct Case {
    std::vector<std::string> arguments;
    std::string mentions;
  };
  const std::vector<Case> cases = {
      {{}, "needed"},
      {{"songs/Song.tlp"}, "needed"},
      {{"--tracks", "4", "songs/Song.tlp", "a.wav"}, "--tracks must be 3 or 6"},
      {{"--positions", "0", "songs/Song.tlp", "a.wav"}, "--positions"},
      {{"--seconds", "x", "songs/Song.tlp", "a.wav"}, "--seconds"},
      {{"--positions", "1", "--seconds", "1", "songs/Song.tlp", "a.wav"}, "not both"},
      {{"--bogus", "songs/Song.tlp", "a.wav"}, "unknown option --bogus"},
      {{"songs/Song.tlp", "a.mp3"}, "must end in .wav or .flac"},
      {{"songs/Missing.tlp", "a.wav"}, "cannot open songs/Missing.tlp"},
      {{"songs", "a.wav"}, "is not a file"},
      {{"songs/Odd.tlp", "a.wav"}, "is not a song file: it has 3 tokens"},
      {{"--tracks", "3", "songs/Short.tlp", "a.wav"}, "ends after"},
      {{"--tracks", "3", "songs/Six.tlp", "a.wav"}, "6-track program"},
      {{"songs/Song.tlp", "nofolder/a.wav"}, "cannot create a file in nofolder"},
      {{"songs/Short.tlp", "kept.wav"}, "not a song file"},
      {{"--tracks", "3", "songs/Short.tlp", "kept.wav"}, "ends after"},
  };
  const std::set<std::string> before = FilesIn(".");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mentions);
    const RunResult run = Render(c.arguments);
    EXPECT_EQ(run.status, 2);
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.err.rfind("tessaloop-render: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(c.mentions), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    std::set<std::string> after = FilesIn(".");
    after.erase("debug.txt");
    std::set<std::string> expected = before;
    expected.erase("debug.txt");
    EXPECT_EQ(after, expected);
    EXPECT_EQ(testing::ReadFile("kept.wav"), "an older export");
  }
}

TEST_F(RenderCommandTest, LeavesTheProgramsDebugLogAlone) {
  WriteSong("songs/Song.tlp", ComposeSong(3));
  // Without a log in the folder, none is made.
  ASSERT_EQ(Render({"songs/Song.tlp", "song.wav"}).status, 0);
  EXPECT_FALSE(fs::exists("debug.txt"));
  // The log of a program that runs in the same folder keeps every line, after
  // a render and after a refused one.
  const std::string log = "DEBUG LOG\nSaving Patch\nsongs/Song.tlp\n";
  testing::WriteFile("debug.txt", log);
  ASSERT_EQ(Render({"songs/Song.tlp", "again.wav"}).status, 0);
  EXPECT_EQ(Render({"songs/Missing.tlp", "none.wav"}).status, 2);
  EXPECT_EQ(testing::ReadFile("debug.txt"), log);
}

TEST_F(RenderCommandTest, InterruptedRenderLeavesNoFile) {
  SongImage slow = ComposeSong(3);
  slow.samplesPerStep = kMaxSamplesPerStep;
  WriteSong("songs/Slow.tlp", slow);
  const std::set<std::string> before = FilesIn(".");

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execl(TESSALOOP_RENDER_PATH, TESSALOOP_RENDER_PATH, "songs/Slow.tlp", "slow.wav", nullptr);
    _exit(127);
  }
  // Wait until the temporary output exists, then interrupt.
  bool started = false;
  for (int i = 0; i < 500 && !started; ++i) {
    for (const std::string& name : FilesIn("."))
      if (name.rfind("slow.wav.", 0) == 0) started = true;
    if (!started) usleep(10000);
  }
  kill(child, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(started);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  std::set<std::string> after = FilesIn(".");
  after.erase("debug.txt");
  std::set<std::string> expected = before;
  expected.erase("debug.txt");
  EXPECT_EQ(after, expected);
}

}  // namespace
}  // namespace tessaloop
