// The output stream: the only file that talks to PortAudio.

#include <dlfcn.h>
#include <fcntl.h>
#include <portaudio.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "base/DebugLog.h"
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
  sequencer->RaiseAudioThreadOnce();
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

// Whether the ALSA configuration names a default PCM. When it cannot be read
// or names none (a missing or empty ALSA_CONFIG_PATH, a broken ~/.asoundrc),
// and no sound card offers a device either, PortAudio's ALSA device scan ends
// the whole process on a failed assertion. True also where ALSA is not there
// to ask: then it cannot be what PortAudio scans.
bool AlsaNamesADefaultDevice() {
  using Update = int (*)();
  using Search = int (*)(void*, const char*, void**);
  auto update = reinterpret_cast<Update>(dlsym(RTLD_DEFAULT, "snd_config_update"));
  auto search = reinterpret_cast<Search>(dlsym(RTLD_DEFAULT, "snd_config_search"));
  auto config = static_cast<void**>(dlsym(RTLD_DEFAULT, "snd_config"));
  if (update == nullptr || search == nullptr || config == nullptr) return true;
  if (update() < 0 || *config == nullptr) return false;
  void* node = nullptr;
  return search(*config, "pcm.default", &node) >= 0;
}

// Runs PortAudio's device scan in a child process first, so that a scan that
// would end the program ends only the child. True when the scan came back.
bool DeviceScanComesBack() {
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    // The child's abort must neither print nor leave a core file in the
    // user's folder.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    const int quiet = ::open("/dev/null", O_WRONLY);
    if (quiet >= 0) {
      ::dup2(quiet, STDOUT_FILENO);
      ::dup2(quiet, STDERR_FILENO);
    }
    Pa_Initialize();
    ::_exit(0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The real-time priority asked for: above the desktop's ordinary threads, below
// the system's own (which use the top of the range).
constexpr int kAudioThreadPriority = 70;

}  // namespace

// A callback takes a few microseconds of each 1.45 ms period, but at ordinary
// priority the scheduler may hand its core to the editor, a song load or any
// other program for longer than that, and the device then runs dry. At
// real-time priority it always gets its core in time and, being so short,
// takes nothing from anyone. Where the system allows no real-time priority
// (a user without an rtprio limit) it plays at ordinary priority.
void Sequencer::RaiseAudioThread() {
  const int highest = sched_get_priority_max(SCHED_FIFO);
  int wanted = kAudioThreadPriority < highest ? kAudioThreadPriority : highest;
  // A user may be allowed real-time priorities only up to a limit.
  rlimit limit{};
  if (::getuid() != 0 && ::getrlimit(RLIMIT_RTPRIO, &limit) == 0 &&
      limit.rlim_cur != RLIM_INFINITY && static_cast<rlim_t>(wanted) > limit.rlim_cur)
    wanted = static_cast<int>(limit.rlim_cur);
  sched_param parameters{};
  parameters.sched_priority = wanted;
  const bool raised =
      wanted > 0 && ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &parameters) == 0;
  m_AudioThreadRealTime = raised ? 1 : -1;
}

void Sequencer::StartAudio() {
  m_Mix.Reset();
  if (m_Stream != nullptr) return;
  m_AudioThreadRealTime = 0;

  SilenceHostLibraries();
  if (!AlsaNamesADefaultDevice() && !DeviceScanComesBack()) {
    m_AudioResult = paDeviceUnavailable;
    WriteDebugLog("Audio: no sound, the ALSA configuration offers no output device");
    return;
  }
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
