#pragma once

// Audio files written whole or not at all: the encodings an export can have
// and the writer that puts a file in place only once it is complete.

#include <cstdint>
#include <string>
#include <vector>

#include "songfile/ReplaceFile.h"

typedef struct sf_private_tag SNDFILE;

namespace tessaloop {

// The most audio bytes written as a RIFF file: its sizes are 32-bit, and the
// header needs room too.
constexpr int64_t kLargestRiffAudio = int64_t{0xFFFFFFFF} - 4096;

// The output file's encoding, chosen by its extension.
enum class AudioEncoding {
  kWavFloat,  // 32-bit IEEE float, the exact values of the audio callback
  kWavPcm16,  // 16-bit, clipped
  kFlac24,    // 24-bit FLAC, clipped
  kFlac16,    // 16-bit FLAC, clipped
};
// .wav or .flac, in any case; false with a one-line reason for anything else.
bool EncodingForPath(const std::string& path, bool pcm16, AudioEncoding& encoding,
                     std::string& error);
const char* DescribeEncoding(AudioEncoding encoding);

// An audio file of interleaved stereo frames at the program's sample rate,
// written beside its final name and put in place only when it is complete.
// Destroyed before Commit, it leaves no file behind.
class AudioFileWriter {
 public:
  // Audio of more bytes than largeFileBytes is written as RF64, since a RIFF
  // file cannot hold 4 GB (only tests lower it).
  AudioFileWriter(const std::string& path, AudioEncoding encoding,
                  int64_t largeFileBytes = kLargestRiffAudio);
  ~AudioFileWriter();
  AudioFileWriter(const AudioFileWriter&) = delete;
  AudioFileWriter& operator=(const AudioFileWriter&) = delete;

  // Creates the temporary for a file of this many frames and writes its
  // header.
  bool Open(int64_t frames, std::string& error);
  bool Write(const float* interleaved, int64_t frames, std::string& error);
  // Completes the file on the disk beside its final name: everything that can
  // fail but the rename.
  bool Close(std::string& error);
  // Puts the closed file in place.
  bool Commit(std::string& error);

  const std::string& Path() const { return m_Path; }
  // The temporary's path while one is open or closed and not yet in place.
  const std::string& TemporaryPath() const { return m_File.TemporaryPath(); }

 private:
  std::string m_Path;
  ReplacementFile m_File;
  AudioEncoding m_Encoding;
  int64_t m_LargeFileBytes;
  SNDFILE* m_Sound = nullptr;
  std::vector<float> m_Clipped;
};

}  // namespace tessaloop
