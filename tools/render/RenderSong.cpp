#include "tools/render/RenderSong.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "export/AudioFileWriter.h"
#include "export/SongExport.h"
#include "songfile/SongFiles.h"
#include "songfile/SongFormat.h"
#include "sound/OfflineRender.h"

namespace tessaloop {

namespace {

bool ParseWhole(const std::string& text, int& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return result.ec == std::errc() && result.ptr == end;
}

bool ParseReal(const std::string& text, double& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value, std::chars_format::general);
  return result.ec == std::errc() && result.ptr == end;
}

}  // namespace

std::string RenderUsage() {
  return "Usage: tessaloop-render [--tracks 3|6] [--positions N | --seconds S] [--pcm16] SONG OUT\n"
         "       tessaloop-render --stems FOLDER [--flac] [--tracks 3|6]\n"
         "                        [--positions N | --seconds S] [--pcm16] SONG\n"
         "\n"
         "Renders a Tessaloop song file into an audio file, sample for sample as the\n"
         "program plays it in song mode from the first position. Run it in the\n"
         "program's folder: songs name their bitmaps relative to it (data/,\n"
         "userbitmaps/).\n"
         "\n"
         "  SONG           a song file, for example songs/UntitledSong.tlp\n"
         "  OUT            the file to write; its extension chooses the format:\n"
         "                 .wav   32-bit float stereo at 44100 Hz, the exact unclipped\n"
         "                        values the program hands to the sound card\n"
         "                 .flac  24-bit FLAC, clipped\n"
         "  --tracks 3|6   the program the song comes from (default: told by the file)\n"
         "  --positions N  render N positions of 16 steps (1-100)\n"
         "  --seconds S    render S seconds\n"
         "                 (default: positions up to the last one at which any track\n"
         "                 plays a pattern other than X)\n"
         "  --pcm16        16-bit samples, clipped (.wav and .flac)\n"
         "  --stems FOLDER instead of OUT, one file per track (3 or 6) in FOLDER:\n"
         "                 track1.wav, track2.wav, ..., each the track alone as it\n"
         "                 sounds in the mix. Added up sample for sample in track\n"
         "                 order, the float stems are the .wav export exactly.\n"
         "                 FOLDER is made when missing (its parent must exist).\n"
         "  --flac         stems as track1.flac, ...: 24-bit FLAC (16 with --pcm16),\n"
         "                 clipped\n"
         "  --help         show this help\n"
         "\n"
         "Exit status: 0 when OUT or every stem was written; 2 on any error, leaving\n"
         "no file behind.\n";
}

bool ParseRenderArguments(int argc, const char* const* argv, RenderOptions& options,
                          std::string& error) {
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (int i = 0; i < argc; ++i) {
    std::string argument = argv[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      files.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    std::string value;
    bool hasValue = false;
    const size_t equals = argument.find('=');
    if (argument.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = argument.substr(equals + 1);
      argument.resize(equals);
      hasValue = true;
    }
    auto takeValue = [&]() {
      if (hasValue) return true;
      if (i + 1 >= argc) {
        error = argument + " needs a value";
        return false;
      }
      value = argv[++i];
      return true;
    };

    if (argument == "--help" || argument == "-h") {
      options.help = true;
    } else if (argument == "--pcm16" && !hasValue) {
      options.pcm16 = true;
    } else if (argument == "--flac" && !hasValue) {
      options.flac = true;
    } else if (argument == "--stems") {
      if (!takeValue()) return false;
      if (value.empty()) {
        error = "--stems needs a folder";
        return false;
      }
      options.stems = value;
    } else if (argument == "--tracks") {
      if (!takeValue()) return false;
      if (!ParseWhole(value, options.tracks) || (options.tracks != 3 && options.tracks != 6)) {
        error = "--tracks must be 3 or 6, not \"" + value + "\"";
        return false;
      }
    } else if (argument == "--positions") {
      if (!takeValue()) return false;
      if (!ParseWhole(value, options.positions) || options.positions < 1 ||
          options.positions > kPlayedPositions) {
        error = "--positions must be a whole number from 1 to 100, not \"" + value + "\"";
        return false;
      }
    } else if (argument == "--seconds") {
      if (!takeValue()) return false;
      if (!ParseReal(value, options.seconds) || !(options.seconds > 0) ||
          options.seconds > kMaxRenderSeconds) {
        error = "--seconds must be a number above 0 and at most 96000, not \"" + value + "\"";
        return false;
      }
    } else {
      error = "unknown option " + argument + " (see --help)";
      return false;
    }
  }
  if (options.help) return true;
  if (options.positions > 0 && options.seconds > 0) {
    error = "give --positions or --seconds, not both";
    return false;
  }
  if (!options.stems.empty()) {
    if (files.size() != 1) {
      error = files.empty() ? "a song file is needed (see --help)"
                            : "with --stems only the song file, please: the stems go into " +
                                  options.stems + " (see --help)";
      return false;
    }
    options.song = files[0];
    return true;
  }
  if (options.flac) {
    error = "--flac is for --stems; a single export takes its format from OUT's extension";
    return false;
  }
  if (files.size() != 2) {
    error = files.size() < 2 ? "a song file and an output file are needed (see --help)"
                             : "only one song file and one output file, please (see --help)";
    return false;
  }
  options.song = files[0];
  options.out = files[1];
  return true;
}

int TrackCountForTokens(long tokens) {
  for (int tracks : {3, 6})
    if (tokens == SongTokenCount(tracks) || tokens == SessionSongTokenCount(tracks)) return tracks;
  return 0;
}

namespace {

std::string Seconds(int64_t frames) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f", static_cast<double>(frames) / kSampleRate);
  return seconds;
}

// The program's own start, then the song as the song list would load it, and
// the length to render. Null, with the reason in error, when the song cannot
// be rendered.
std::unique_ptr<OfflineEngine> LoadForRender(const RenderOptions& options, int64_t& frames,
                                             std::string& error) {
  int tracks = options.tracks;
  if (tracks == 0) {
    std::string why;
    const long tokens = CountSongTokens(options.song.c_str(), &why);
    if (tokens < 0) {
      error = why;
      return nullptr;
    }
    tracks = TrackCountForTokens(tokens);
    if (tracks == 0) {
      error = options.song + " is not a song file: it has " + std::to_string(tokens) +
              " tokens, songs have " + std::to_string(SongTokenCount(3)) + " (3 tracks) or " +
              std::to_string(SongTokenCount(6)) + " (6 tracks), recovery copies " +
              std::to_string(SessionSongTokenCount(3)) + " or " +
              std::to_string(SessionSongTokenCount(6));
      return nullptr;
    }
  }

  auto program = std::make_unique<OfflineEngine>(tracks);
  Sequencer& seq = *program->seq;
  // A recovery copy renders as the song it holds, as the window's export
  // would: its session (the tracks' steps of the moment, the mutes) is how
  // the user left the window, and song mode plays the arrangement anyway.
  std::string why;
  auto song = std::make_unique<Song>();
  if (!ReadSongFile(options.song.c_str(), tracks, *song, why)) {
    error = options.song + ": " + why;
    return nullptr;
  }
  seq.Apply(*song, SongParts::kFile);

  if (options.positions > 0) {
    frames = PositionFrames(seq, options.positions);
  } else if (options.seconds > 0) {
    frames = std::llround(options.seconds * kSampleRate);
  } else {
    frames = WholeSongFrames(seq);
  }
  frames = std::max<int64_t>(frames, 1);
  return program;
}

bool Interrupted(const RenderOptions& options) {
  return options.interrupted != nullptr && *options.interrupted != 0;
}

// The stems' folder, made when it is missing but its parent is there; a
// missing parent is more likely a mistyped path than a wish for a tree.
// created tells whether this call made it.
bool PrepareFolder(const std::string& folder, bool& created, std::string& error) {
  created = false;
  struct stat status {};
  if (::stat(folder.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) return true;
    error = folder + " is not a folder";
    return false;
  }
  if (errno == ENOENT && ::mkdir(folder.c_str(), 0777) == 0) {
    created = true;
    return true;
  }
  error = "cannot make the folder " + folder + ": " + std::strerror(errno);
  return false;
}

int RunStems(const RenderOptions& options, std::string& summary, std::string& error) {
  const AudioEncoding encoding =
      options.flac ? (options.pcm16 ? AudioEncoding::kFlac16 : AudioEncoding::kFlac24)
                   : (options.pcm16 ? AudioEncoding::kWavPcm16 : AudioEncoding::kWavFloat);
  const char* extension = options.flac ? ".flac" : ".wav";

  int64_t frames = 0;
  const std::unique_ptr<OfflineEngine> program = LoadForRender(options, frames, error);
  if (program == nullptr) return kRenderFailed;
  Sequencer& seq = *program->seq;
  const int tracks = seq.TrackCount();

  bool created = false;
  if (!PrepareFolder(options.stems, created, error)) return kRenderFailed;
  // A folder made here goes again when nothing was put into it; it is
  // declared before the writers so that their temporaries are gone first.
  struct MadeFolder {
    std::string path;
    bool keep = false;
    ~MadeFolder() {
      if (!path.empty() && !keep) ::rmdir(path.c_str());
    }
  } made{created ? options.stems : std::string()};

  const std::string prefix = options.stems + (options.stems.back() == '/' ? "track" : "/track");
  std::vector<std::unique_ptr<AudioFileWriter>> writers;
  for (int t = 0; t < tracks; ++t) {
    writers.push_back(std::make_unique<AudioFileWriter>(prefix + std::to_string(t + 1) + extension,
                                                        encoding, options.largeFileBytes));
    if (!writers.back()->Open(frames, error)) return kRenderFailed;
  }

  CueSongStart(seq);
  bool interrupted = false;
  const bool rendered =
      RenderTrackFrames(seq, frames, [&](const float* const* stems, int64_t count) {
        if (Interrupted(options)) {
          interrupted = true;
          return false;
        }
        for (int t = 0; t < tracks; ++t)
          if (!writers[static_cast<size_t>(t)]->Write(stems[t], count, error)) return false;
        return true;
      });
  if (!rendered) {
    if (interrupted) error = "interrupted; nothing was written";
    return kRenderFailed;
  }
  // Every stem complete on the disk before the first is put in place, so that
  // only a failing rename could leave the set part old, part new.
  for (auto& writer : writers)
    if (!writer->Close(error)) return kRenderFailed;
  for (size_t t = 0; t < writers.size(); ++t) {
    if (!writers[t]->Commit(error)) {
      if (t > 0) {
        made.keep = true;
        error += "; " + writers[0]->Path() +
                 (t > 1 ? " to " + writers[t - 1]->Path() + " are" : " is") + " new already";
      }
      return kRenderFailed;
    }
  }
  made.keep = true;

  summary = options.stems + ": " + std::to_string(tracks) + " stems, track1" + extension +
            " to track" + std::to_string(tracks) + extension + ", " + Seconds(frames) + " s (" +
            std::to_string(frames) + " frames), " + DescribeEncoding(encoding);
  return 0;
}

}  // namespace

int RunRender(const RenderOptions& options, std::string& summary, std::string& error) {
  if (!options.stems.empty()) return RunStems(options, summary, error);
  AudioEncoding encoding{};
  if (!EncodingForPath(options.out, options.pcm16, encoding, error)) return kRenderFailed;

  int64_t frames = 0;
  const std::unique_ptr<OfflineEngine> program = LoadForRender(options, frames, error);
  if (program == nullptr) return kRenderFailed;
  Sequencer& seq = *program->seq;

  const bool written = RenderMixToFile(
      seq, frames, options.out, encoding, options.largeFileBytes,
      [&options](int64_t, std::string& why) {
        if (!Interrupted(options)) return true;
        why = "interrupted; nothing was written";
        return false;
      },
      error);
  if (!written) return kRenderFailed;

  summary = options.out + ": " + Seconds(frames) + " s (" + std::to_string(frames) + " frames), " +
            std::to_string(seq.TrackCount()) + " tracks, " + DescribeEncoding(encoding);
  return 0;
}

}  // namespace tessaloop
