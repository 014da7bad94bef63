// The exporter tessaloop-render: its arguments and cue in process, and the
// command as users run it, whose output is what the clock produces in process
// from the same song; every failure leaves one line on stderr, exit status 2
// and no file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <vector>

#include "display/BmpWriter.h"
#include "display/Display.h"
#include "display/WavetableBank.h"
#include "platform/HeadlessPlatform.h"
#include "songfile/SongFormat.h"
#include "sound/Sequencer.h"
#include "tests/support/WorkFolder.h"
#include "tools/render/RenderSong.h"

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
  std::string command = std::string("'") + TESSALOOP_RENDER_PATH + "'";
  for (const std::string& argument : arguments)
    command += " '" + argument + "'";
  const int status = std::system((command + " > .render.out 2> .render.err").c_str());
  RunResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing::ReadFile(".render.out"),
                   testing::ReadFile(".render.err")};
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

// The cue itself is proven by the command's output matching the clock run on
// from the end of position 99; here the lengths it is given.
TEST(RenderLength, DefaultEndsAtTheLastPlayedPositionAndCountsBeyond32Bits) {
  testing::WorkFolder folder;
  WavetableBank bank;
  SequencerSetup setup;
  setup.trackCount = 3;
  setup.wavetables = &bank;
  setup.startAudio = false;
  Sequencer seq(setup);
  EXPECT_EQ(LastArrangedPosition(seq), -1);
  seq.m_Arrangement[0][100] = 3;  // stored but never played
  EXPECT_EQ(LastArrangedPosition(seq), -1);
  seq.m_Arrangement[2][57] = 1;
  seq.m_Arrangement[1][12] = 4;
  EXPECT_EQ(LastArrangedPosition(seq), 57);
  seq.m_SamplesPerStep = kMaxSamplesPerStep;
  EXPECT_EQ(PositionFrames(seq, 100), int64_t{100} * 16 * 2646000);
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

  // The working folder's files but the debug log.
  static std::set<std::string> Files() {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator("."))
      if (entry.path().filename() != "debug.txt") names.insert(entry.path().filename().string());
    return names;
  }

  testing::WorkFolder folder;
};

// Float files hold the clock's samples exactly, integer ones clipped copies
// within their quantisation.
TEST_F(RenderCommandTest, OutputIsWhatTheClockProducesInProcess) {
  WriteSong("songs/Song.tlp", ComposeSong(3));
  WriteSong("songs/Six.tlp", ComposeSong(6));
  // Positions 0-3 by default: the last one that is not pattern 24 is 3.
  const int64_t frames = 4 * 16 * 700;
  const std::vector<float> exact[2] = {RenderInProcess("songs/Song.tlp", 3, frames),
                                       RenderInProcess("songs/Six.tlp", 6, frames)};
  // The song sounds from its first sample, loud enough to need clipping.
  EXPECT_NE(exact[0][0], 0.0f);
  EXPECT_GT(
      std::count_if(exact[0].begin(), exact[0].end(), [](float v) { return std::fabs(v) > 1; }),
      100);
  struct Case {
    std::vector<std::string> arguments;
    int tracks;
    int format;
    double step;  // one quantisation step; 0 for float
  };
  const Case cases[] = {
      {{"songs/Song.tlp", "s.wav"}, 3, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0},
      {{"--tracks", "6", "songs/Six.tlp", "six.wav"}, 6, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0},
      {{"--pcm16", "songs/Song.tlp", "s16.wav"}, 3, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1.0 / 32768},
      {{"songs/Song.tlp", "s24.flac"}, 3, SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 1.0 / 8388608},
      {{"--pcm16", "songs/Song.tlp", "s16.FLAC"},
       3,
       SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
       1.0 / 32768},
  };
  for (const Case& c : cases) {
    const std::string& out = c.arguments.back();
    SCOPED_TRACE(out);
    const RunResult run = Render(c.arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find(out + ": "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(std::to_string(c.tracks) + " tracks"), std::string::npos) << run.out;
    const Audio audio = ReadAudio(out);
    EXPECT_EQ(audio.info.samplerate, 44100);
    EXPECT_EQ(audio.info.channels, 2);
    EXPECT_EQ(audio.info.format, c.format);
    const std::vector<float>& want = exact[c.tracks == 6];
    ASSERT_EQ(audio.samples.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i)
      ASSERT_NEAR(audio.samples[i], c.step == 0 ? want[i] : std::clamp(want[i], -1.0f, 1.0f),
                  2 * c.step)
          << "sample " << i / 2 << " channel " << i % 2;
  }
}

TEST_F(RenderCommandTest, LengthsByPositionsAndSecondsLeavingTheProgramsLogAlone) {
  WriteSong("songs/Song.tlp", ComposeSong(3));
  RunResult run = Render({"--positions=2", "songs/Song.tlp", "two.wav"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(fs::exists("debug.txt")) << "none is made where there was none";
  // The log of a program in the same folder keeps every line, even after a refusal.
  const std::string log = "DEBUG LOG\nSaving Patch\nsongs/Song.tlp\n";
  testing::WriteFile("debug.txt", log);
  EXPECT_EQ(ReadAudio("two.wav").info.frames, 2 * 16 * 700);
  WriteSong("-odd.tlp", ComposeSong(3));  // a song name that looks like an option
  run = Render({"--seconds", "0.51", "--", "-odd.tlp", "half.wav"});
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
  EXPECT_EQ(Render({"songs/Missing.tlp", "none.wav"}).status, 2);
  EXPECT_EQ(testing::ReadFile("debug.txt"), log);
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
      {{"--positions", "101", "songs/Song.tlp", "a.wav"}, "--positions"},
      {{"--seconds", "nan", "songs/Song.tlp", "a.wav"}, "--seconds"},
      {{"--tracks"}, "--tracks"},
      {{"--bogus", "songs/Song.tlp", "a.wav"}, "unknown option --bogus"},
      {{"--pcm16=yes", "songs/Song.tlp", "a.wav"}, "--pcm16"},
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
  const std::set<std::string> before = Files();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mentions);
    const RunResult run = Render(c.arguments);
    EXPECT_EQ(run.status, 2);
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.err.rfind("tessaloop-render: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(c.mentions), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Files(), before);
    EXPECT_EQ(testing::ReadFile("kept.wav"), "an older export");
  }
  const RunResult help = Render({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("tessaloop-render [--tracks 3|6] [--positions N | --seconds S] "
                          "[--pcm16] SONG OUT"),
            std::string::npos)
      << help.out;
}

TEST_F(RenderCommandTest, InterruptedRenderLeavesNoFile) {
  SongImage slow = ComposeSong(3);
  slow.samplesPerStep = kMaxSamplesPerStep;
  WriteSong("songs/Slow.tlp", slow);
  const std::set<std::string> before = Files();

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
    for (const std::string& name : Files())
      if (name.rfind("slow.wav.", 0) == 0) started = true;
    if (!started) usleep(10000);
  }
  kill(child, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(started);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  EXPECT_EQ(Files(), before);
}

}  // namespace
}  // namespace tessaloop
