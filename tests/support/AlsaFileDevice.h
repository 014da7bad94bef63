#pragma once

#include <string>
#include <vector>

namespace tessaloop::testing {

// Points ALSA at a device that writes every frame it is given to a file, so
// that the real audio stream can be opened and its output read back on a
// machine without a sound card. Call before anything opens the audio library.
// Returns the path of the capture file.
std::string UseAlsaFileDevice(const std::string& folder);

// Reads a capture file of interleaved stereo float frames.
std::vector<float> ReadCapture(const std::string& path);

}  // namespace tessaloop::testing
