// tessaloop-soundcheck [--wav FOLDER] FILE.bmp...
//
// Listens to pictures the way the voice does, for whoever designs them: reads
// the blue bytes of a 210 x 210 24-bit BMP exactly as the wavetable loader
// does (from the pixel-data offset, 210 rows of 210 bytes three apart, rows
// 632 bytes apart), then plays notes by stepping through the table f samples
// at a time. Prints, per picture, the table's offset, level and the share of
// its energy that lies within rows (fizz), its first harmonics, and per note
// how much of the output is inharmonic (aliasing). With --wav it also writes
// one WAV per picture with the notes in turn, for listening and for
// spectrograms.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 210;
constexpr int kLength = kSide * kSide;
constexpr int kRate = 44100;
constexpr int kNotes[] = {65, 131, 262, 523, 1047, 2093};

bool ReadTable(const std::string& path, std::vector<float>& table) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  if (bytes.size() < 54) return false;
  const uint32_t offset =
      bytes[10] | bytes[11] << 8 | bytes[12] << 16 | static_cast<uint32_t>(bytes[13]) << 24;
  table.assign(kLength, 0.0f);
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c) {
      const size_t at = offset + static_cast<size_t>(r) * 632 + static_cast<size_t>(c) * 3;
      if (at < bytes.size())
        table[r * kSide + c] = (static_cast<float>(bytes[at]) - 128.0f) / 128.0f;
    }
  return true;
}

// One second of a note, read as the voice reads: phase += f, index = int(phase).
std::vector<float> Play(const std::vector<float>& table, int f) {
  std::vector<float> out(kRate);
  float phase = 0.0f;
  for (int k = 0; k < kRate; ++k) {
    phase += static_cast<float>(f);
    if (phase > static_cast<float>(kLength)) phase -= static_cast<float>(kLength);
    int index = static_cast<int>(phase);
    if (index >= kLength) index %= kLength;
    out[k] = table[index];
  }
  return out;
}

// Energy of bin h (in cycles per length) of a signal.
double BinEnergy(const std::vector<float>& x, int h) {
  double re = 0.0;
  double im = 0.0;
  const double w = 2.0 * M_PI * h / static_cast<double>(x.size());
  for (size_t k = 0; k < x.size(); ++k) {
    re += x[k] * std::cos(w * static_cast<double>(k));
    im -= x[k] * std::sin(w * static_cast<double>(k));
  }
  return (re * re + im * im) / static_cast<double>(x.size()) * 2.0 / static_cast<double>(x.size());
}

void WriteWav(const std::string& path, const std::vector<float>& samples) {
  std::ofstream out(path, std::ios::binary);
  auto put32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto put16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  const uint32_t bytes = static_cast<uint32_t>(samples.size() * 2);
  out.write("RIFF", 4);
  put32(36 + bytes);
  out.write("WAVEfmt ", 8);
  put32(16);
  put16(1);
  put16(1);
  put32(kRate);
  put32(kRate * 2);
  put16(2);
  put16(16);
  out.write("data", 4);
  put32(bytes);
  for (float s : samples)
    put16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(s * 32000.0f))));
}

}  // namespace

int main(int argc, char** argv) {
  std::string wavFolder;
  int first = 1;
  if (argc > 2 && std::strcmp(argv[1], "--wav") == 0) {
    wavFolder = argv[2];
    first = 3;
  }
  for (int a = first; a < argc; ++a) {
    std::vector<float> table;
    if (!ReadTable(argv[a], table)) {
      std::printf("%s: cannot read\n", argv[a]);
      continue;
    }
    double sum = 0.0;
    double energy = 0.0;
    double fizz = 0.0;
    float peak = 0.0f;
    for (int r = 0; r < kSide; ++r) {
      double rowSum = 0.0;
      for (int c = 0; c < kSide; ++c)
        rowSum += table[r * kSide + c];
      const double rowMean = rowSum / kSide;
      for (int c = 0; c < kSide; ++c) {
        const double v = table[r * kSide + c];
        sum += v;
        energy += v * v;
        fizz += (v - rowMean) * (v - rowMean);
        peak = std::max(peak, std::abs(table[r * kSide + c]));
      }
    }
    const double rms = std::sqrt(energy / kLength);
    std::printf("%-28s dc %+.4f rms %.3f peak %.3f fizz %5.1f%%  h1-8 dB:", argv[a], sum / kLength,
                rms, peak, 100.0 * fizz / energy);
    const double h1 = BinEnergy(table, 1);
    for (int h = 1; h <= 8; ++h)
      std::printf(" %5.1f", 10.0 * std::log10(BinEnergy(table, h) / (h1 > 0 ? h1 : 1e-12) + 1e-12));
    std::printf("\n   alias dB (inharmonic/harmonic) at");
    std::vector<float> song;
    for (int f : kNotes) {
      const std::vector<float> note = Play(table, f);
      double total = 0.0;
      for (float s : note)
        total += static_cast<double>(s) * s;
      total = total / kRate;  // mean square, the scale of BinEnergy's sum
      double harmonic = 0.0;
      for (int h = f; h < kRate / 2; h += f)
        harmonic += BinEnergy(note, h);
      const double mean = [&] {
        double m = 0.0;
        for (float s : note)
          m += s;
        return m / kRate;
      }();
      const double inharmonic = std::max(total - harmonic - mean * mean, 1e-12);
      std::printf(" %d:%.0f", f, 10.0 * std::log10(inharmonic / std::max(harmonic, 1e-12)));
      for (int k = 0; k < kRate * 4 / 10; ++k) {
        const double fade = std::min({1.0, k / 441.0, (kRate * 4 / 10 - k) / 441.0});
        song.push_back(static_cast<float>(note[k] * fade * 0.8));
      }
      song.insert(song.end(), kRate / 10, 0.0f);
    }
    std::printf("\n");
    if (!wavFolder.empty()) {
      std::string name = argv[a];
      name = name.substr(name.find_last_of('/') + 1);
      name = name.substr(0, name.size() - 4);
      WriteWav(wavFolder + "/" + name + ".wav", song);
    }
  }
  return 0;
}
