#include "tests/support/AlsaFileDevice.h"

#include <cstdlib>
#include <fstream>

namespace tessaloop::testing {

std::string UseAlsaFileDevice(const std::string& folder) {
  const std::string capture = folder + "/out.raw";
  const std::string config = folder + "/asound.conf";
  std::ofstream(config) << "pcm.!default {\n"
                           "    type file\n"
                           "    slave.pcm { type null }\n"
                           "    file \""
                        << capture
                        << "\"\n"
                           "    format \"raw\"\n"
                           "}\n";
  setenv("ALSA_CONFIG_PATH", config.c_str(), 1);
  setenv("HOME", folder.c_str(), 1);
  return capture;
}

std::vector<float> ReadCapture(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::vector<float> samples;
  if (!in) return samples;
  const auto bytes = static_cast<size_t>(in.tellg());
  samples.resize(bytes / sizeof(float));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(samples.data()),
          static_cast<std::streamsize>(samples.size() * sizeof(float)));
  return samples;
}

}  // namespace tessaloop::testing
