#include "export/AudioFileWriter.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>

#include "sound/Sequencer.h"

namespace tessaloop {

namespace {

constexpr int kChannels = 2;

bool EndsWithIgnoringCase(const std::string& text, const char* suffix) {
  const size_t length = std::strlen(suffix);
  if (text.size() < length) return false;
  for (size_t i = 0; i < length; ++i) {
    char c = text[text.size() - length + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != suffix[i]) return false;
  }
  return true;
}

}  // namespace

bool EncodingForPath(const std::string& path, bool pcm16, AudioEncoding& encoding,
                     std::string& error) {
  if (EndsWithIgnoringCase(path, ".wav")) {
    encoding = pcm16 ? AudioEncoding::kWavPcm16 : AudioEncoding::kWavFloat;
    return true;
  }
  if (EndsWithIgnoringCase(path, ".flac")) {
    encoding = pcm16 ? AudioEncoding::kFlac16 : AudioEncoding::kFlac24;
    return true;
  }
  error = path + ": the output must end in .wav or .flac";
  return false;
}

const char* DescribeEncoding(AudioEncoding encoding) {
  switch (encoding) {
    case AudioEncoding::kWavFloat:
      return "32-bit float WAV";
    case AudioEncoding::kWavPcm16:
      return "16-bit WAV";
    case AudioEncoding::kFlac24:
      return "24-bit FLAC";
    case AudioEncoding::kFlac16:
      return "16-bit FLAC";
  }
  return "";
}

AudioFileWriter::AudioFileWriter(const std::string& path, AudioEncoding encoding,
                                 int64_t largeFileBytes)
    : m_Path(path), m_File(path), m_Encoding(encoding), m_LargeFileBytes(largeFileBytes) {}

AudioFileWriter::~AudioFileWriter() {
  if (m_Sound != nullptr) sf_close(m_Sound);
}

bool AudioFileWriter::Open(int64_t frames, std::string& error) {
  if (!m_File.Open(error)) return false;
  SF_INFO info{};
  info.samplerate = kSampleRate;
  info.channels = kChannels;
  switch (m_Encoding) {
    case AudioEncoding::kWavFloat:
    case AudioEncoding::kWavPcm16: {
      const int bytes = m_Encoding == AudioEncoding::kWavFloat ? 4 : 2;
      // A RIFF file cannot hold more than 4 GB: longer renders (slow songs
      // of many positions) are written as RF64, its 64-bit successor.
      const bool large = frames * kChannels * bytes > m_LargeFileBytes;
      info.format = (large ? SF_FORMAT_RF64 : SF_FORMAT_WAV) |
                    (m_Encoding == AudioEncoding::kWavFloat ? SF_FORMAT_FLOAT : SF_FORMAT_PCM_16);
      break;
    }
    case AudioEncoding::kFlac24:
      info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
      break;
    case AudioEncoding::kFlac16:
      info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
      break;
  }
  m_Sound = sf_open_fd(m_File.Descriptor(), SFM_WRITE, &info, SF_FALSE);
  if (m_Sound == nullptr) {
    error = std::string("cannot write ") + m_File.TemporaryPath() + ": " + sf_strerror(nullptr);
    return false;
  }
  // libsndfile gives a float RIFF file a PEAK chunk that holds the time of
  // writing, so two exports of one song would differ in their header. It is
  // left out: the same song gives the same bytes at any time. (Its RF64
  // writer adds none unless asked, and this very command makes it add one
  // there, so it is sent for RIFF only.)
  if (info.format == (SF_FORMAT_WAV | SF_FORMAT_FLOAT))
    sf_command(m_Sound, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  if (m_Encoding != AudioEncoding::kWavFloat) sf_command(m_Sound, SFC_SET_CLIPPING, nullptr, 1);
  return true;
}

bool AudioFileWriter::Write(const float* interleaved, int64_t frames, std::string& error) {
  if (m_Sound == nullptr) {
    error = "cannot write " + m_Path + ": it is not open";
    return false;
  }
  const float* data = interleaved;
  if (m_Encoding != AudioEncoding::kWavFloat) {
    // Whole-scale integers: values beyond +-1 are clipped, never wrapped.
    m_Clipped.assign(interleaved, interleaved + frames * kChannels);
    for (float& sample : m_Clipped)
      sample = std::clamp(sample, -1.0f, 1.0f);
    data = m_Clipped.data();
  }
  if (sf_writef_float(m_Sound, data, frames) != frames) {
    error = "cannot write " + m_Path + ": " + sf_strerror(m_Sound);
    return false;
  }
  return true;
}

bool AudioFileWriter::Close(std::string& error) {
  if (m_Sound == nullptr) {
    error = "cannot finish " + m_Path + ": it is not open";
    return false;
  }
  const int closed = sf_close(m_Sound);
  m_Sound = nullptr;
  if (closed != 0) {
    error = "cannot finish " + m_Path + ": " + sf_error_number(closed);
    return false;
  }
  return m_File.Flush(error);
}

bool AudioFileWriter::Commit(std::string& error) {
  return m_File.Commit(error);
}

}  // namespace tessaloop
