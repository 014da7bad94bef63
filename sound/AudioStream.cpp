// The output stream: the only file that talks to PortAudio.

#include <dlfcn.h>
#include <portaudio.h>

#include <chrono>
#include <cstring>

#include "display/DebugLog.h"
#include "sound/CallbackTimes.h"
#include "sound/Sequencer.h"

namespace tessaloop {

namespace {

constexpr int kChannels = 2;
// About 46 ms of output held between the program and the device: 32 buffers of
// 64 frames.
constexpr double kRequestedLatencySeconds =
    static_cast<double>(MixBuffer::kFramesPerBuffer * MixBuffer::kNumberOfBlocks) / kSampleRate;

int AudioCallback(const void* /*input*/, void* output, unsigned long frameCount,
                  const PaStreamCallbackTimeInfo* /*timeInfo*/,
                  PaStreamCallbackFlags /*statusFlags*/, void* userData) {
  auto* sequencer = static_cast<Sequencer*>(userData);
  return sequencer->RenderBlock(static_cast<float*>(output), frameCount);
}

// The same, timed: the steady clock is read without a system call.
int TimedAudioCallback(const void* input, void* output, unsigned long frameCount,
                       const PaStreamCallbackTimeInfo* timeInfo, PaStreamCallbackFlags statusFlags,
                       void* userData) {
  const auto begin = std::chrono::steady_clock::now();
  const int result = AudioCallback(input, output, frameCount, timeInfo, statusFlags, userData);
  const auto end = std::chrono::steady_clock::now();
  static_cast<Sequencer*>(userData)->CallbackTimer()->Add(
      std::chrono::duration<double>(end - begin).count(), frameCount);
  return result;
}

// The ALSA and JACK host layers print diagnostics on stderr while PortAudio
// scans devices; none of it concerns the user. Both libraries are looked up at
// run time so that nothing extra is linked.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}
void QuietJackNoop(const char*) {}

void SilenceHostLibraries() {
  using AlsaHandler = void (*)(const char*, int, const char*, int, const char*, ...);
  using AlsaSetHandler = int (*)(AlsaHandler);
  if (auto set =
          reinterpret_cast<AlsaSetHandler>(dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler"))) {
    set(&QuietAlsa);
  }
  using JackSetFunction = void (*)(void (*)(const char*));
  for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
    if (auto set = reinterpret_cast<JackSetFunction>(dlsym(RTLD_DEFAULT, name))) {
      set(&QuietJackNoop);
    }
  }
}

}  // namespace

void Sequencer::StartAudio() {
  m_Mix.m_NumberOfBlocks = MixBuffer::kNumberOfBlocks;
  m_Mix.m_BlockNumber = 0;
  m_Mix.m_WriteIndex = 0;
  m_Mix.m_FramesPerBuffer = MixBuffer::kFramesPerBuffer;
  std::memset(m_Mix.m_Left, 0, sizeof m_Mix.m_Left);
  std::memset(m_Mix.m_Right, 0, sizeof m_Mix.m_Right);
  if (m_Stream != nullptr) return;

  SilenceHostLibraries();
  m_AudioResult = Pa_Initialize();
  if (m_AudioResult != paNoError) {
    WriteDebugLog("Audio: no sound, PortAudio did not start");
    return;
  }
  m_AudioInitialised = true;

  PaStreamParameters output{};
  output.device = Pa_GetDefaultOutputDevice();
  if (output.device == paNoDevice) {
    m_AudioResult = paDeviceUnavailable;
    WriteDebugLog("Audio: no sound, no output device");
    return;
  }
  output.channelCount = kChannels;
  output.sampleFormat = paFloat32;
  output.suggestedLatency = kRequestedLatencySeconds;
  output.hostApiSpecificStreamInfo = nullptr;

  PaStream* stream = nullptr;
  m_AudioResult =
      Pa_OpenStream(&stream, nullptr, &output, kSampleRate, MixBuffer::kFramesPerBuffer, paNoFlag,
                    m_CallbackTimes != nullptr ? &TimedAudioCallback : &AudioCallback, this);
  if (m_AudioResult != paNoError) {
    WriteDebugLog("Audio: no sound, the output device did not open");
    return;
  }
  m_Stream = stream;
  m_AudioResult = Pa_StartStream(stream);
  if (m_AudioResult != paNoError) WriteDebugLog("Audio: no sound, the output stream did not start");
}

int Sequencer::StopAudio() {
  if (m_Stream != nullptr) {
    // Pa_StopStream returns once no callback is running any more.
    m_AudioResult = Pa_StopStream(m_Stream);
    m_AudioResult = Pa_CloseStream(m_Stream);
    m_Stream = nullptr;
  }
  if (!m_AudioInitialised) return paNoError;
  // Only our own initialisation is ended: PortAudio counts them, and an
  // unmatched terminate would end another user's.
  m_AudioInitialised = false;
  return Pa_Terminate();
}

}  // namespace tessaloop
