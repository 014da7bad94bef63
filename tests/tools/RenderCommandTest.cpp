// The exporter tessaloop-render as users run it: its output is, sample for
// sample, what the clock produces in process from the same song, in every
// format and length; every failure leaves one line on stderr, exit status 2
// and no file.

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <tuple>
#include <vector>

#include "songfile/SongFiles.h"
#include "songfile/SongFormat.h"
#include "sound/OfflineRender.h"
#include "tests/support/WorkFolder.h"
#include "tools/render/RenderSong.h"

namespace tessaloop {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

// Runs the exporter in the working folder: its exit status, stdout and stderr.
std::tuple<int, std::string, std::string> Render(const std::vector<std::string>& arguments) {
  std::string command = std::string("'") + TESSALOOP_RENDER_PATH + "'";
  for (const std::string& argument : arguments)
    command += " '" + argument + "'";
  const int status = std::system((command + " > .render.out 2> .render.err").c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(".render.out"),
          ReadFile(".render.err")};
}

std::pair<SF_INFO, std::vector<float>> ReadAudio(const std::string& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  std::vector<float> samples(file ? static_cast<size_t>(info.frames * info.channels) : 0);
  if (file) sf_readf_float(file, samples.data(), info.frames);
  sf_close(file);
  return {info, samples};
}

// The samples as whole numbers, the file's own shifted to the top of 32 bits.
std::vector<int> ReadIntegers(const std::string& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  std::vector<int> samples(file ? static_cast<size_t>(info.frames * info.channels) : 0);
  if (file) sf_readf_int(file, samples.data(), info.frames);
  sf_close(file);
  return samples;
}

uint32_t LittleEndian32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
  return value;
}

// The chunks of a RIFF or RF64 file, in order: id and contents. RF64 gives its
// data chunk the size 0xFFFFFFFF; it runs to the end of the file.
std::vector<std::pair<std::string, std::string>> WaveChunks(const std::string& bytes) {
  std::vector<std::pair<std::string, std::string>> chunks;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    uint64_t size = LittleEndian32(bytes, at + 4);
    if (size == 0xFFFFFFFF) size = bytes.size() - at - 8;
    chunks.emplace_back(bytes.substr(at, 4), bytes.substr(at + 8, size));
    at += 8 + size + (size & 1);
  }
  return chunks;
}

// The metadata blocks of a FLAC file, in order: type and contents.
std::vector<std::pair<int, std::string>> FlacBlocks(const std::string& bytes) {
  std::vector<std::pair<int, std::string>> blocks;
  bool last = bytes.rfind("fLaC", 0) != 0;
  for (size_t at = 4; !last && at + 4 <= bytes.size();) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    last = (byte(0) & 0x80) != 0;
    const size_t size = size_t{byte(1)} << 16 | size_t{byte(2)} << 8 | byte(3);
    blocks.emplace_back(byte(0) & 0x7F, bytes.substr(at + 4, size));
    at += 4 + size;
  }
  return blocks;
}

// Samples as a little-endian float file holds them.
std::string FloatBytes(const std::vector<float>& samples) {
  std::string bytes;
  for (float sample : samples) {
    const uint32_t bits = std::bit_cast<uint32_t>(sample);
    for (int i = 0; i < 4; ++i)
      bytes += static_cast<char>(bits >> (8 * i) & 0xFF);
  }
  return bytes;
}

// Three sounding patterns over the first four positions (and one at position
// 100, which is stored but never played) of loud notes, the first panned hard
// left, on the shipped pictures and one that is missing.
Song ComposeSong(int tracks) {
  Song song;
  song.trackCount = tracks;
  for (int t = 0; t < tracks; ++t) {
    for (int p = 0; p < kArrangementLength; ++p)
      song.arrangement[t][p] = kDefaultPattern;
    song.arrangement[t][0] = 1;
    song.arrangement[t][1] = 1 + (t + 1) % 3;
    song.arrangement[t][3] = 3;
    song.arrangement[t][100] = 2;
  }
  for (int n = 1; n <= 3; ++n)
    for (int c = 0; c < kStepsPerPattern; ++c)
      song.bank[n][c] = {0.01f,
                         0.99f,
                         0.5f,
                         0.25f + 0.25f * !!(c % 3),
                         2 + (c + n) % 5,
                         c * 7 % 12,
                         n == 1 ? 0.01f : 0.1f * (c % 9 + 1),
                         6 + c * n % 5};
  for (int i = 0; i < kSavedSlotCount; ++i)
    std::strcpy(song.palette[i], i == 5 ? "userbitmaps/missing.bmp" : Palette::StartupName(i));
  song.samplesPerStep = 700;
  return song;
}

// Each track its own pattern, n + 1, of short notes on its own two pictures,
// over four positions, and silent (X) at one of them: position t % 4.
Song ComposeStemSong(int tracks) {
  Song song;
  song.trackCount = tracks;
  for (int t = 0; t < tracks; ++t) {
    for (int p = 0; p < kArrangementLength; ++p)
      song.arrangement[t][p] = kDefaultPattern;
    for (int p = 0; p < 4; ++p)
      if (p != t % 4) song.arrangement[t][p] = t + 1;
  }
  for (int n = 1; n <= tracks; ++n)
    for (int c = 0; c < kStepsPerPattern; ++c)
      song.bank[n][c] = {0.01f,
                         0.5f,
                         0.5f,
                         0.25f + 0.25f * !!(c % 3),
                         2 + (c + n) % 4,
                         c * 5 % 12,
                         0.1f * ((c + n) % 9 + 1),
                         kFirstPaletteSlot + 2 * (n - 1) + c % 2};
  for (int i = 0; i < kSavedSlotCount; ++i)
    std::strcpy(song.palette[i], Palette::StartupName(i));
  song.samplesPerStep = 700;
  return song;
}

// The sum of the stems in track order, as the clock adds the tracks: onto 0,
// in single precision.
std::vector<float> AddUp(const std::vector<std::vector<float>>& stems) {
  std::vector<float> sum(stems.at(0).size(), 0.0f);
  for (const std::vector<float>& stem : stems)
    for (size_t i = 0; i < sum.size(); ++i)
      sum[i] += stem.at(i);
  return sum;
}

// Samples whose bits differ: the stems are to add up to the mix exactly.
size_t BitDifferences(const std::vector<float>& a, const std::vector<float>& b) {
  size_t differences = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    differences += std::bit_cast<uint32_t>(a[i]) != std::bit_cast<uint32_t>(b[i]);
  return differences;
}

// The clock run in process on the state the command starts from: the
// program's start-up, the song loaded as the song list loads it, the clock at
// the end of position 99 in song mode, one callback block after another.
std::vector<float> RenderInProcess(const std::string& song, int tracks, int64_t frames) {
  OfflineEngine program(tracks);
  Sequencer& seq = *program.seq;
  EXPECT_TRUE(LoadSongFile(seq, song.c_str()));
  seq.m_SongMode = 1;
  seq.m_Position = 99;
  seq.m_Step = 15;
  seq.m_SampleCount = seq.m_SamplesPerStep.Load();
  seq.m_Mix.Reset();
  std::vector<float> out(static_cast<size_t>(2 * frames));
  for (int64_t at = 0; at < frames; at += 64)
    seq.RenderBlock(&out[static_cast<size_t>(2 * at)],
                    static_cast<unsigned long>(std::min<int64_t>(64, frames - at)));
  return out;
}

// A folder's files but the debug log and the exporter's output.
std::set<std::string> Files(const std::string& folder = ".") {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().filename() != "debug.txt" && entry.path().extension() != ".out" &&
        entry.path().extension() != ".err")
      names.insert(entry.path().filename().string());
  return names;
}

class RenderCommandTest : public ::testing::Test {
 protected:
  RenderCommandTest() {
    folder.LinkData();
    fs::create_directories("songs");
    WriteFile("songs/Song.tlp", FormatSong(ComposeSong(3)));
    WriteFile("songs/Six.tlp", FormatSong(ComposeSong(6)));
  }

  testing::WorkFolder folder;
};

// Float files hold the clock's samples exactly, integer ones clipped copies
// within their quantisation. The program's log in the same folder keeps
// every line.
TEST_F(RenderCommandTest, OutputIsWhatTheClockProducesInProcess) {
  const int64_t step = 16 * 700;  // frames of a position
  const std::vector<float> exact[2] = {RenderInProcess("songs/Song.tlp", 3, 4 * step),
                                       RenderInProcess("songs/Six.tlp", 6, 4 * step)};
  // The song sounds from its first sample, loud enough to need clipping.
  EXPECT_NE(exact[0][0], 0.0f);
  EXPECT_GT(std::count_if(exact[0].begin(), exact[0].end(), [](float v) { return v < -1; }), 100);
  const std::string log = "DEBUG LOG\nSaving Patch\nsongs/Song.tlp\n";
  WriteFile("debug.txt", log);
  fs::copy_file("songs/Song.tlp", "-odd.tlp");  // a song name that looks like an option
  const int wav = SF_FORMAT_WAV, flac = SF_FORMAT_FLAC, f32 = SF_FORMAT_FLOAT;
  const int i16 = SF_FORMAT_PCM_16, i24 = SF_FORMAT_PCM_24;
  const struct {
    std::vector<std::string> arguments;
    int format;
    int64_t frames;
  } cases[] = {
      // By default up to the last position played, 3: position 100 is never played.
      {{"songs/Song.tlp", "s.wav"}, wav | f32, 4 * step},
      {{"--tracks", "6", "songs/Six.tlp", "six.wav"}, wav | f32, 4 * step},
      {{"songs/Six.tlp", "six.flac"}, flac | i24, 4 * step},
      {{"--pcm16", "songs/Song.tlp", "s16.wav"}, wav | i16, 4 * step},
      {{"--pcm16", "songs/Song.tlp", "s16.FLAC"}, flac | i16, 4 * step},
      {{"--positions=2", "songs/Song.tlp", "two.wav"}, wav | f32, 2 * step},
      {{"--seconds", "0.51", "--", "-odd.tlp", "half.wav"}, wav | f32, 22491},  // 0.51 x 44100
  };
  for (const auto& c : cases) {
    const std::string& out = c.arguments.back();
    SCOPED_TRACE(out);
    const int tracks = out.rfind("six", 0) == 0 ? 6 : 3;
    const int subtype = c.format & SF_FORMAT_SUBMASK;
    const double quantum = subtype == i16 ? 1.0 / 32768 : subtype == i24 ? 1.0 / 8388608 : 0;
    const auto [status, summary, err] = Render(c.arguments);
    ASSERT_EQ(status, 0) << err;
    EXPECT_EQ(err, "");
    EXPECT_EQ(summary.rfind(out + ": ", 0), 0u) << summary;
    EXPECT_NE(summary.find(std::to_string(tracks) + " tracks"), std::string::npos) << summary;
    const auto [info, samples] = ReadAudio(out);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.format, c.format);
    ASSERT_EQ(info.frames, c.frames);
    const std::vector<float>& want = exact[tracks == 6];
    for (size_t i = 0; i < samples.size(); ++i)
      ASSERT_NEAR(samples[i], quantum == 0 ? want[i] : std::clamp(want[i], -1.0f, 1.0f),
                  2 * quantum)
          << "sample " << i / 2 << " channel " << i % 2;
  }
  EXPECT_EQ(ReadFile("debug.txt"), log);

  // A song whose arrangement is all 24 renders one position; lengths count
  // beyond 32 bits.
  Song plain = ComposeSong(3);
  for (auto& row : plain.arrangement)
    std::fill(std::begin(row), std::end(row), kDefaultPattern);
  WriteFile("songs/Plain.tlp", FormatSong(plain));
  ASSERT_EQ(std::get<0>(Render({"songs/Plain.tlp", "plain.wav"})), 0);
  EXPECT_EQ(ReadAudio("plain.wav").first.frames, step);
  OfflineEngine program(3);
  program.seq->m_SamplesPerStep = kMaxSamplesPerStep;
  EXPECT_EQ(PositionFrames(*program.seq, 100), int64_t{100} * 16 * 2646000);
}

// Nothing in a file depends on when it was made: every chunk or block is one
// of those that describe the audio (or empty padding), the float data is the clock's samples
// byte for byte, and two exports are the same bytes. RF64, for renders of
// more than 4 GB, is seen here by lowering the size that needs it.
TEST_F(RenderCommandTest, TheSameSongGivesTheSameBytesAtAnyTime) {
  const int64_t frames = 4 * 16 * 700;
  const std::string clock = FloatBytes(RenderInProcess("songs/Song.tlp", 3, frames));
  using Chunks = std::vector<std::string>;
  const struct {
    std::vector<std::string> arguments;
    int sampleBytes;  // 4 for float
    Chunks chunks;    // of a WAV file; FLAC files hold STREAMINFO and an empty comment
    bool large;
  } cases[] = {
      {{"songs/Song.tlp", "f.wav"}, 4, {"fmt ", "fact", "data"}, false},
      {{"--pcm16", "songs/Song.tlp", "i.wav"}, 2, {"fmt ", "data"}, false},
      {{"songs/Song.tlp", "f.flac"}, 3, {}, false},
      {{"--pcm16", "songs/Song.tlp", "i.flac"}, 2, {}, false},
      {{"songs/Song.tlp", "large.wav"}, 4, {"ds64", "fmt ", "data"}, true},
      {{"--pcm16", "songs/Song.tlp", "large16.wav"}, 2, {"ds64", "fmt ", "data"}, true},
  };
  for (const auto& c : cases) {
    const std::string& out = c.arguments.back();
    SCOPED_TRACE(out);
    std::string bytes[2];
    for (std::string& written : bytes) {
      if (c.large) {
        std::vector<const char*> argv;
        for (const std::string& argument : c.arguments)
          argv.push_back(argument.c_str());
        RenderOptions options;
        std::string summary, error;
        ASSERT_TRUE(
            ParseRenderArguments(static_cast<int>(argv.size()), argv.data(), options, error));
        options.largeFileBytes = 0;
        ASSERT_EQ(RunRender(options, summary, error), 0) << error;
      } else {
        ASSERT_EQ(std::get<0>(Render(c.arguments)), 0);
      }
      written = ReadFile(out);
      fs::remove(out);
    }
    EXPECT_TRUE(bytes[0] == bytes[1]);
    if (c.chunks.empty()) {
      const auto blocks = FlacBlocks(bytes[0]);
      ASSERT_EQ(blocks.size(), 2u);
      EXPECT_EQ(blocks[0].first, 0);  // STREAMINFO: the format and the MD5 of the audio
      ASSERT_EQ(blocks[1].first, 4);  // VORBIS_COMMENT: the encoder's name and no comment
      const std::string& comment = blocks[1].second;
      ASSERT_GE(comment.size(), 8u);
      const size_t vendor = LittleEndian32(comment, 0);
      EXPECT_EQ(comment.size(), 4 + vendor + 4);
      EXPECT_EQ(LittleEndian32(comment, 4 + vendor), 0u);
      continue;
    }
    Chunks ids;
    std::string data;
    for (const auto& [id, content] : WaveChunks(bytes[0])) {
      if (id == "PAD ") {  // where libsndfile had kept room for a PEAK chunk
        EXPECT_EQ(content, std::string(content.size(), '\0'));
        continue;
      }
      ids.push_back(id);
      if (id == "data") data = content;
      if (id == "fact") {
        EXPECT_EQ(LittleEndian32(content, 0), frames);
      }
    }
    EXPECT_EQ(ids, c.chunks);
    ASSERT_EQ(data.size(), static_cast<size_t>(frames * 2 * c.sampleBytes));
    if (c.sampleBytes == 4) {
      EXPECT_TRUE(data == clock) << "the data is not the clock's samples";
    }
  }
}

// The recovery copy renders as the song it holds: the session (the tracks'
// steps of the moment, a muted track, the song mode and name) is how the
// window was left, not part of the song.
TEST_F(RenderCommandTest, ARecoveryCopyRendersAsItsSong) {
  for (int tracks : {3, 6}) {
    SCOPED_TRACE(tracks);
    Song song = ComposeSong(tracks);
    song.tracks[1].mute = true;
    song.tracks[0].cells[3] = song.bank[2][3];
    song.tracks[0].loadedPattern = 2;
    song.songMode = true;
    std::strcpy(song.name, "tune");
    WriteFile("songs/plain.tlp", FormatSong(song));
    WriteFile("songs/last-session.tlp", FormatSong(song) + FormatSession(song));
    ASSERT_EQ(std::get<0>(Render({"--seconds", "2", "songs/plain.tlp", "plain.wav"})), 0);
    const auto [status, out, err] =
        Render({"--seconds", "2", "songs/last-session.tlp", "session.wav"});
    ASSERT_EQ(status, 0) << err;
    EXPECT_TRUE(ReadFile("plain.wav") == ReadFile("session.wav"));
    EXPECT_GT(ReadFile("plain.wav").size(), 2u * 44100 * 2 * 4);
  }
}

// Stems: one file per track of the song and nothing else, each silent
// exactly where its track plays X and sounding where it plays, no two alike,
// and added up in track order the very bits of the mixed float export.
TEST_F(RenderCommandTest, StemsAreTheTracksAloneAndAddUpToTheMix) {
  const int64_t position = 16 * 700;
  fs::create_directory("six");
  WriteFile("six/notes.txt", "the user's own");
  for (int tracks : {3, 6}) {
    SCOPED_TRACE(tracks);
    const std::string song = "songs/Stems" + std::to_string(tracks) + ".tlp";
    const std::string folder = tracks == 3 ? "three" : "six";  // three is made
    WriteFile(song, FormatSong(ComposeStemSong(tracks)));
    ASSERT_EQ(std::get<0>(Render({song, "mix.wav"})), 0);
    const auto [status, summary, err] = Render({"--stems", folder, song});
    ASSERT_EQ(status, 0) << err;
    EXPECT_EQ(err, "");
    EXPECT_EQ(summary.rfind(folder + ": " + std::to_string(tracks) + " stems", 0), 0u) << summary;

    std::set<std::string> want;
    for (int t = 1; t <= tracks; ++t)
      want.insert("track" + std::to_string(t) + ".wav");
    if (tracks == 6) want.insert("notes.txt");
    EXPECT_EQ(Files(folder), want);
    EXPECT_EQ(ReadFile("six/notes.txt"), "the user's own");

    const std::vector<float> mix = ReadAudio("mix.wav").second;
    ASSERT_EQ(mix.size(), static_cast<size_t>(2 * 4 * position));
    std::vector<std::vector<float>> stems;
    for (int t = 0; t < tracks; ++t) {
      SCOPED_TRACE(t);
      const auto [info, samples] = ReadAudio(folder + "/track" + std::to_string(t + 1) + ".wav");
      EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
      EXPECT_EQ(info.channels, 2);
      ASSERT_EQ(samples.size(), mix.size());
      for (int p = 0; p < 4; ++p) {
        const auto begin = samples.begin() + 2 * p * position;
        const auto sounding =
            std::count_if(begin, begin + 2 * position, [](float v) { return v != 0.0f; });
        if (p == t % 4) {
          EXPECT_EQ(sounding, 0) << "position " << p;
        } else {
          EXPECT_GT(sounding, position / 4) << "position " << p;
        }
      }
      for (const std::vector<float>& other : stems)
        EXPECT_NE(other, samples);
      stems.push_back(samples);
    }
    EXPECT_EQ(BitDifferences(AddUp(stems), mix), 0u);
  }

  // The other options as for one file: the length, 16-bit samples, FLAC.
  // Integer stems are the float ones clipped and rounded each alone, so where
  // neither the mix nor a stem is clipped they add up to the integer mix within a step per
  // track, not exactly.
  std::vector<std::vector<float>> exact;
  for (int t = 1; t <= 3; ++t)
    exact.push_back(ReadAudio("three/track" + std::to_string(t) + ".wav").second);
  const std::vector<float> exactMix = AddUp(exact);
  const struct {
    std::vector<std::string> arguments;
    std::string folder;
    int format;
    int64_t frames;
    std::vector<std::string> mix;  // the song exported as one file of this format
  } cases[] = {
      {{"--positions", "2", "--stems", "two", "songs/Stems3.tlp"},
       "two",
       SF_FORMAT_WAV | SF_FORMAT_FLOAT,
       2 * position,
       {}},
      {{"--stems=i16", "--pcm16", "songs/Stems3.tlp"},
       "i16",
       SF_FORMAT_WAV | SF_FORMAT_PCM_16,
       4 * position,
       {"--pcm16", "songs/Stems3.tlp", "mix16.wav"}},
      {{"--flac", "--stems", "flac", "songs/Stems3.tlp"},
       "flac",
       SF_FORMAT_FLAC | SF_FORMAT_PCM_24,
       4 * position,
       {"songs/Stems3.tlp", "mix.flac"}},
      {{"--stems", "flac16", "--seconds", "0.5", "--flac", "--pcm16", "songs/Stems3.tlp"},
       "flac16",
       SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
       22050,
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    ASSERT_EQ(std::get<0>(Render(c.arguments)), 0);
    const bool flac = (c.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC;
    const int subtype = c.format & SF_FORMAT_SUBMASK;
    const int bits = subtype == SF_FORMAT_PCM_16 ? 16 : subtype == SF_FORMAT_PCM_24 ? 24 : 0;
    const double quantum = bits == 0 ? 0 : std::ldexp(1.0, 1 - bits);
    EXPECT_EQ(Files(c.folder).size(), 3u);
    std::vector<std::vector<int>> integers;
    for (int t = 0; t < 3; ++t) {
      const std::string stem =
          c.folder + "/track" + std::to_string(t + 1) + (flac ? ".flac" : ".wav");
      const auto [info, samples] = ReadAudio(stem);
      EXPECT_EQ(info.format, c.format);
      ASSERT_EQ(info.frames, c.frames);
      for (size_t i = 0; i < samples.size(); ++i)
        ASSERT_NEAR(samples[i], std::clamp(exact[t][i], -1.0f, 1.0f), 2 * quantum)
            << "track " << t << " sample " << i / 2 << " channel " << i % 2;
      if (!c.mix.empty()) integers.push_back(ReadIntegers(stem));
    }
    if (c.mix.empty()) continue;
    ASSERT_EQ(std::get<0>(Render(c.mix)), 0);
    const std::vector<int> mix = ReadIntegers(c.mix.back());
    ASSERT_EQ(mix.size(), exactMix.size());
    int64_t worst = 0, clipped = 0;
    for (size_t i = 0; i < mix.size(); ++i) {
      if (std::abs(exactMix[i]) >= 1.0f ||
          std::any_of(exact.begin(), exact.end(),
                      [&](const auto& e) { return std::abs(e[i]) >= 1; })) {
        ++clipped;
        continue;
      }
      int64_t sum = 0;
      for (const std::vector<int>& stem : integers)
        sum += stem[i] >> (32 - bits);
      worst = std::max<int64_t>(worst, std::abs(sum - (mix[i] >> (32 - bits))));
    }
    EXPECT_LE(worst, 3);
    EXPECT_LT(clipped, static_cast<int64_t>(mix.size() / 2));
  }
}

// The engine's stems ignore the mutes: a muted track still has its own, the
// same as unmuted, and the mix, which leaves it out, is the others' sum.
TEST_F(RenderCommandTest, AMutedTrackKeepsItsStemAndTheMixIsTheOthers) {
  WriteFile("songs/Stems3.tlp", FormatSong(ComposeStemSong(3)));
  const int64_t frames = 4 * 16 * 700;
  const auto render = [&](bool muted, bool apart) {
    OfflineEngine program(3);
    Sequencer& seq = *program.seq;
    EXPECT_TRUE(LoadSongFile(seq, "songs/Stems3.tlp"));
    seq.SetMute(1, muted);
    CueSongStart(seq);
    std::vector<std::vector<float>> out(apart ? 3 : 1);
    if (apart) {
      RenderTrackFrames(seq, frames, [&](const float* const* tracks, int64_t count) {
        for (int t = 0; t < 3; ++t)
          out[t].insert(out[t].end(), tracks[t], tracks[t] + 2 * count);
        return true;
      });
    } else {
      RenderFrames(seq, frames, [&](const float* mix, int64_t count) {
        out[0].insert(out[0].end(), mix, mix + 2 * count);
        return true;
      });
    }
    return out;
  };
  const std::vector<std::vector<float>> stems = render(true, true);
  const std::vector<std::vector<float>> unmuted = render(false, true);
  for (int t = 0; t < 3; ++t)
    EXPECT_EQ(BitDifferences(stems[t], unmuted[t]), 0u) << t;
  EXPECT_GT(std::count_if(stems[1].begin(), stems[1].end(), [](float v) { return v != 0; }),
            frames / 4);
  EXPECT_EQ(BitDifferences(AddUp({stems[0], stems[2]}), render(true, false)[0]), 0u);
  EXPECT_EQ(BitDifferences(AddUp(stems), render(false, false)[0]), 0u);
}

TEST_F(RenderCommandTest, FailuresSayWhyOnceAndLeaveNoFile) {
  const std::string song = ReadFile("songs/Song.tlp");
  WriteFile("songs/Short.tlp", song.substr(0, song.size() / 2));
  WriteFile("songs/Odd.tlp", "1,2,3,");
  WriteFile("kept.wav", "an older export");
  // Stems of an older export, and a folder in the way of the third.
  fs::create_directories("blocked/track3.wav");
  WriteFile("blocked/track1.wav", "an older stem");
  std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "a song file and an output file are needed"},
      {{"a.tlp", "b.wav", "c.wav"}, "only one song file and one output file"},
      {{"--tracks"}, "--tracks needs a value"},
      {{"--tracks", "4", "songs/Song.tlp", "a.wav"}, "--tracks must be 3 or 6"},
      {{"--positions", "0", "songs/Song.tlp", "a.wav"}, "--positions must be"},
      {{"--positions", "101", "songs/Song.tlp", "a.wav"}, "--positions must be"},
      {{"--seconds", "nan", "songs/Song.tlp", "a.wav"}, "--seconds must be"},
      {{"--seconds", "96001", "songs/Song.tlp", "a.wav"}, "--seconds must be"},
      {{"--positions", "1", "--seconds", "1", "songs/Song.tlp", "a.wav"}, "not both"},
      {{"--bogus", "songs/Song.tlp", "a.wav"}, "unknown option --bogus"},
      {{"--pcm16=yes", "songs/Song.tlp", "a.wav"}, "unknown option --pcm16"},
      {{"songs/Song.tlp", "a.mp3"}, "a.mp3: the output must end in .wav or .flac"},
      {{"songs/Missing.tlp", "a.wav"}, "cannot open songs/Missing.tlp"},
      {{"songs", "a.wav"}, "songs is not a file"},
      {{"songs/Odd.tlp", "a.wav"}, "songs/Odd.tlp is not a song file: it has 3 tokens"},
      {{"--tracks", "3", "songs/Six.tlp", "a.wav"}, "it is a song of a 6-track program"},
      {{"songs/Song.tlp", "nofolder/a.wav"}, "cannot create a file in nofolder"},
      {{"--tracks", "3", "songs/Short.tlp", "kept.wav"}, "the file ends after"},
      {{"--stems"}, "--stems needs a value"},
      {{"--stems=", "songs/Song.tlp"}, "--stems needs a folder"},
      {{"--stems", "new"}, "a song file is needed"},
      {{"--stems", "new", "songs/Song.tlp", "a.wav"}, "with --stems only the song file"},
      {{"--flac", "songs/Song.tlp", "a.flac"}, "--flac is for --stems"},
      {{"--stems", "new", "songs/Missing.tlp"}, "cannot open songs/Missing.tlp"},
      {{"--stems", "new", "--tracks", "3", "songs/Six.tlp"}, "it is a song of a 6-track program"},
      {{"--stems", "kept.wav", "songs/Song.tlp"}, "kept.wav is not a folder"},
      {{"--stems", "nofolder/new", "songs/Song.tlp"}, "cannot make the folder nofolder/new"},
      {{"--stems", "blocked", "songs/Song.tlp"}, "blocked/track3.wav is a folder"},
      {{"--stems", "/proc", "songs/Song.tlp"}, "cannot create a file in /proc"},
  };
  // A folder its owner may not write; root writes in it all the same.
  if (::geteuid() != 0) {
    fs::create_directory("readonly");
    fs::permissions("readonly", fs::perms::owner_read | fs::perms::owner_exec);
    cases.push_back(
        {{"--stems", "readonly", "songs/Song.tlp"}, "cannot create a file in readonly"});
  }
  const std::set<std::string> before = Files();
  for (const auto& [arguments, reason] : cases) {
    SCOPED_TRACE(reason);
    const auto [status, out, err] = Render(arguments);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(err.rfind("tessaloop-render: ", 0), 0u) << err;
    EXPECT_NE(err.find(reason), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(out, "");
    EXPECT_EQ(Files(), before);
  }
  EXPECT_EQ(ReadFile("kept.wav"), "an older export");
  EXPECT_EQ(Files("blocked"), (std::set<std::string>{"track1.wav", "track3.wav"}));
  EXPECT_EQ(ReadFile("blocked/track1.wav"), "an older stem");
  EXPECT_TRUE(!fs::exists("readonly") || fs::is_empty("readonly"));
  EXPECT_EQ(Render({"--help"}), std::make_tuple(0, RenderUsage(), std::string()));

  // Interrupted once its output has begun, it removes what it wrote.
  Song slow = ComposeSong(3);
  slow.samplesPerStep = kMaxSamplesPerStep;
  WriteFile("songs/Slow.tlp", FormatSong(slow));
  const std::set<std::string> all = Files();
  const std::string script = std::string("'") + TESSALOOP_RENDER_PATH +
                             "' songs/Slow.tlp slow.wav 2>/dev/null &\n"
                             "for i in $(seq 1000); do ls slow.wav.* && break; sleep 0.01; done\n"
                             "ls slow.wav.* || exit 9\n"
                             "kill -INT $!; wait $!";
  const int status = std::system(("(" + script + ") >/dev/null 2>&1").c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << "9: never began; " << status;
  EXPECT_EQ(Files(), all);

  // So do stems, and the folder made for them goes too.
  const std::string stems =
      std::string("'") + TESSALOOP_RENDER_PATH +
      "' --stems slow songs/Slow.tlp 2>/dev/null &\n"
      "for i in $(seq 1000); do ls slow/track3.wav.* && break; sleep 0.01; done\n"
      "ls slow/track3.wav.* || exit 9\n"
      "kill -INT $!; wait $!";
  const int stemsStatus = std::system(("(" + stems + ") >/dev/null 2>&1").c_str());
  EXPECT_TRUE(WIFEXITED(stemsStatus) && WEXITSTATUS(stemsStatus) == 2) << stemsStatus;
  EXPECT_EQ(Files(), all);
}

}  // namespace
}  // namespace tessaloop
