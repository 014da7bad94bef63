// The palette pictures, the noise picture and the example user bitmaps.
//
// Each of these is a sound: sample n = r x 210 + c of a one-second table is
// the blue byte of the pixel in column c of row r, rows counted from the
// bottom, as (blue - 128) / 128. A note of f Hz reads the table f samples
// apart, so the whole picture is one period: how brightness changes from row
// to row is the shape of the wave, while changes within a row (a 210th of a
// period) land around the 210th harmonic and, for all but the lowest notes,
// fold back as inharmonic fizz. So every picture here is made of two layers:
// the wave, written into the blue bytes and mostly smooth along the rows, and
// the look, written into red and green, which the ear never hears. Where a
// sound wants fizz (noise, grid, cellstar) the wave carries the picture's
// detail too, at a measured strength.

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

#include "tools/artgen/Art.h"
#include "tools/artgen/Font.h"

namespace tessaloop::art {

namespace {

constexpr int kSide = kSoundSide;
constexpr int kSamples = kSide * kSide;
constexpr double kTau = 2.0 * M_PI;

// A table of kSamples values in -1..1; index n = r * 210 + c.
using Wave = std::vector<double>;

// Where in the period sample n lies, 0 to 1.
double PhaseOf(int n) {
  return static_cast<double>(n) / kSamples;
}
int RowOf(int y) {
  return kSide - 1 - y;
}
int SampleAt(int x, int y) {
  return RowOf(y) * kSide + x;
}

Wave MakeWave(const std::function<double(int r, int c, double p)>& f) {
  Wave wave(kSamples);
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c) {
      const int n = r * kSide + c;
      wave[static_cast<size_t>(n)] = f(r, c, PhaseOf(n));
    }
  return wave;
}

void RemoveDc(Wave& wave) {
  const double mean = std::accumulate(wave.begin(), wave.end(), 0.0) / kSamples;
  for (double& v : wave)
    v -= mean;
}

// Scales the wave so that its largest magnitude is peak.
void Normalise(Wave& wave, double peak) {
  double largest = 0.0;
  for (double v : wave)
    largest = std::max(largest, std::abs(v));
  if (largest <= 0.0) return;
  for (double& v : wave)
    v *= peak / largest;
}

int BlueByte(double v) {
  return std::clamp(static_cast<int>(std::lround(128.0 + 128.0 * v)), 0, 255);
}

// The wave as blue bytes. Rounding to bytes can leave an offset of up to half
// a step; of the small shifts before rounding, the one that leaves the least
// offset is taken.
std::vector<int> Quantise(const Wave& wave) {
  auto offset = [&](int shift) {
    long sum = 0;
    for (double v : wave)
      sum += BlueByte(v + shift / 8192.0) - 128;
    return std::abs(sum);
  };
  int best = 0;
  for (int shift = -32; shift <= 32; ++shift)
    if (offset(shift) < offset(best)) best = shift;
  std::vector<int> bytes(kSamples);
  for (int n = 0; n < kSamples; ++n)
    bytes[static_cast<size_t>(n)] = BlueByte(wave[static_cast<size_t>(n)] + best / 8192.0);
  return bytes;
}

// The picture: red and green from the look, blue from the wave.
Image Compose(const Wave& wave, const std::function<Rgb(int x, int y)>& look) {
  const std::vector<int> blue = Quantise(wave);
  Image image(kSide, kSide);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      image.Set(x, y, WithBlue(look(x, y), blue[static_cast<size_t>(SampleAt(x, y))]));
  return image;
}

// A step from 0 to 1 at 0, spread over width (a raised cosine), for taming
// the edges of square shapes in the wave.
double SoftStep(double x, double width) {
  if (x <= -width / 2) return 0.0;
  if (x >= width / 2) return 1.0;
  return 0.5 - 0.5 * std::cos(M_PI * (x / width + 0.5));
}

// A pulse that is 1 between a and b (in phase, 0-1) with soft edges.
double SoftPulse(double p, double a, double b, double width) {
  return SoftStep(p - a, width) * (1.0 - SoftStep(p - b, width));
}

// A wave read from a drawn shape, value(x, y) in image co-ordinates. The mean
// of each row, followed smoothly from row to row, is the wave; the shape's
// detail within its rows is added back at the strength fizz (0 none, 1 all of
// it), which sets how much inharmonic shimmer the sound carries.
Wave ShapeWave(const std::function<double(double x, double y)>& value, double fizz) {
  std::vector<double> shape(kSamples);
  std::vector<double> mean(kSide, 0.0);
  for (int r = 0; r < kSide; ++r) {
    for (int c = 0; c < kSide; ++c) {
      const double v = value(c + 0.5, kSide - 1 - r + 0.5);
      shape[static_cast<size_t>(r * kSide + c)] = v;
      mean[static_cast<size_t>(r)] += v / kSide;
    }
  }
  return MakeWave([&](int r, int c, double p) {
    // Row means sit at the middle of their rows; interpolate between them,
    // round the end of the period into its start.
    const double at = p * kSide - 0.5;
    const int below = static_cast<int>(std::floor(at));
    const double t = at - below;
    const double m0 = mean[static_cast<size_t>((below + kSide) % kSide)];
    const double m1 = mean[static_cast<size_t>((below + 1) % kSide)];
    const double smooth = m0 + (m1 - m0) * t;
    const double detail = shape[static_cast<size_t>(r * kSide + c)] - mean[static_cast<size_t>(r)];
    return smooth + fizz * detail;
  });
}

// Random values in -1..1 for every sample, from a seed.
Wave NoiseTable(uint64_t seed) {
  Random random(seed);
  Wave wave(kSamples);
  for (double& v : wave)
    v = random.Signed();
  return wave;
}

Rgb Grey(int level) {
  return MakeRgb(level, level, level);
}

// ---------------------------------------------------------------------------

// A square wave, bright below and dark above; the picture is a square over
// the two halves.
Image Square() {
  constexpr double kEdge = 0.016;
  Wave wave = MakeWave([](int, int, double p) {
    return 2.0 * SoftPulse(p, 0.0, 0.5, kEdge) - 1.0 + 2.0 * SoftStep(p - 1.0, kEdge);
  });
  RemoveDc(wave);
  Normalise(wave, 0.55);
  return Compose(wave, [](int x, int y) {
    const bool inside = x >= 42 && x < 168 && y >= 42 && y < 168;
    const bool edge = inside && (x < 50 || x >= 160 || y < 50 || y >= 160);
    if (edge) return MakeRgb(255, 255, 0);
    return inside ? MakeRgb(255, 120, 0) : MakeRgb(28, 40, 0);
  });
}

// A sawtooth climbing in four steps: the staircase of the picture. Every
// fourth harmonic falls silent, so it sounds hollower and more "chip" than a
// smooth saw.
Image StepSaw() {
  constexpr int kSteps = 4;
  Wave wave = MakeWave([](int, int, double p) {
    double level = 0.0;
    for (int k = 1; k < kSteps; ++k)
      level += SoftStep(p - static_cast<double>(k) / kSteps, 0.006);
    level -= (kSteps - 1) * SoftStep(p - 1.0, 0.006);
    level += (kSteps - 1) * (1.0 - SoftStep(p, 0.006));
    return level / (kSteps - 1) * 2.0 - 1.0;
  });
  RemoveDc(wave);
  Normalise(wave, 0.7);
  return Compose(wave, [](int x, int y) {
    const int step = x * kSteps / kSide;
    const int top = kSide - (step + 1) * kSide / kSteps;
    return y >= top ? MakeRgb(250, 150, 0) : MakeRgb(20, 36, 0);
  });
}

// A sine in nine levels: a soft, round tone with a faint grain.
Image StepSine() {
  constexpr double kLevels = 4.5;  // nine levels
  Wave wave =
      MakeWave([](int, int, double p) { return std::floor(std::sin(kTau * p) * kLevels) + 0.5; });
  RemoveDc(wave);
  Normalise(wave, 0.8);
  return Compose(wave, [](int x, int y) {
    const double s = std::floor(std::sin(kTau * (x + 0.5) / kSide) * kLevels) + 0.5;
    const int curve = static_cast<int>(std::lround(kSide / 2.0 - s * 18.0));
    if (std::abs(y - curve) <= 5) return MakeRgb(255, 255, 0);
    return MakeRgb(24, 150, 0);
  });
}

// Whether the point (x, y) lies in a five-pointed star about (cx, cy).
bool InStar(double x, double y, double cx, double cy, double outer, double inner) {
  const double angle = std::atan2(x - cx, cy - y);  // 0 straight up, clockwise
  const double radius = std::hypot(x - cx, y - cy);
  const double sector = kTau / 5.0;
  double a = std::fmod(angle + kTau + sector / 2.0, sector) - sector / 2.0;
  a = std::abs(a);
  // The star's edge between a point (at angle 0, outer) and a valley (at
  // sector / 2, inner), as a straight line.
  const double px = 0.0;
  const double py = outer;
  const double vx = inner * std::sin(sector / 2.0);
  const double vy = inner * std::cos(sector / 2.0);
  const double qx = radius * std::sin(a);
  const double qy = radius * std::cos(a);
  const double cross = (vx - px) * (qy - py) - (vy - py) * (qx - px);
  return cross <= 0.0;
}

// A star of square cells. The star's width from row to row shapes the wave;
// the cells' edges along each row add a glassy fizz on top.
Image CellStar() {
  constexpr int kCell = 15;
  Random random(9);
  std::vector<double> sparkle(14 * 14);
  for (double& s : sparkle)
    s = random.Signed();
  auto cellIn = [](int cx, int cy) {
    return InStar(cx * kCell + 7.5, cy * kCell + 8.5, 105.0, 112.0, 100.0, 42.0);
  };
  Wave wave = ShapeWave(
      [&](double x, double y) {
        const int cx = static_cast<int>(x) / kCell;
        const int cy = static_cast<int>(y) / kCell;
        if (!cellIn(cx, cy)) return -0.35;
        // Rows of cells alternate in strength: a ring around the seventh harmonic.
        return (cy % 2 == 0 ? 1.0 : 0.4) + 0.1 * sparkle[static_cast<size_t>(cy * 14 + cx)];
      },
      0.15);
  RemoveDc(wave);
  Normalise(wave, 0.85);
  return Compose(wave, [&](int x, int y) {
    const int cx = x / kCell;
    const int cy = y / kCell;
    const bool gap = x % kCell == 0 || y % kCell == 0;
    if (!cellIn(cx, cy)) return gap ? MakeRgb(30, 30, 0) : MakeRgb(40, 44, 0);
    if (gap) return MakeRgb(180, 120, 0);
    const int shade = static_cast<int>(20 * sparkle[static_cast<size_t>(cy * 14 + cx)]);
    return MakeRgb(255, 200 + shade, 0);
  });
}

// Noise that fades out over the period: a breathy, raspy tone.
Image NoiseFade() {
  const Wave noise = NoiseTable(1001);
  Wave wave = MakeWave([&](int r, int c, double p) {
    return std::pow(1.0 - p, 1.6) * noise[static_cast<size_t>(r * kSide + c)];
  });
  RemoveDc(wave);
  Normalise(wave, 0.95);
  const Wave speckle = NoiseTable(1002);
  return Compose(wave, [&](int x, int y) {
    const double amount = std::pow(1.0 - (RowOf(y) + 0.5) / kSide, 1.6);
    const double s = speckle[static_cast<size_t>(SampleAt(x, y))];
    const int level = static_cast<int>(std::lround(150 + 100 * amount * s));
    return MakeRgb(std::clamp(level + 40, 0, 255), level, 0);
  });
}

// A crater: a deep round bowl with a raised rim. Its smooth dip is a hollow,
// vowel-like tone.
Image Pit() {
  auto height = [](double x, double y) {
    const double rho = std::hypot(x - 105.0, y - 105.0) / 72.0;
    const double bowl = rho < 1.0 ? -(1.0 - rho * rho) : 0.0;
    const double rim = 0.45 * std::exp(-std::pow((rho - 1.0) / 0.12, 2.0));
    return bowl + rim;
  };
  Wave wave = ShapeWave(height, 0.03);
  RemoveDc(wave);
  Normalise(wave, 0.85);
  return Compose(wave, [&](int x, int y) {
    // Light from the top left.
    const double dx = height(x + 1.5, y + 0.5) - height(x - 0.5, y + 0.5);
    const double dy = height(x + 0.5, y + 1.5) - height(x + 0.5, y - 0.5);
    const double light = std::clamp(0.55 - 9.0 * (dx + dy), 0.0, 1.0);
    const double depth = -std::min(0.0, height(x + 0.5, y + 0.5));
    const int red = static_cast<int>(std::lround(120 + 130 * light - 60 * depth));
    const int green = static_cast<int>(std::lround(80 + 110 * light - 50 * depth));
    return MakeRgb(std::clamp(red, 0, 255), std::clamp(green, 0, 255), 0);
  });
}

// Overlapping circles; each adds or takes away, so the row profile is rich
// and chorused, with a little fizz at the edges.
Image MultiCircle() {
  struct Circle {
    double x, y, radius, level;
    Rgb colour;
  };
  const Circle circles[] = {
      {70, 70, 52, 0.8, MakeRgb(255, 80, 0)},    {140, 80, 44, -0.7, MakeRgb(40, 200, 0)},
      {100, 140, 58, 0.6, MakeRgb(255, 220, 0)}, {160, 160, 30, -0.9, MakeRgb(0, 140, 0)},
      {45, 165, 28, 0.9, MakeRgb(255, 140, 0)},  {120, 40, 22, 0.9, MakeRgb(200, 255, 0)},
  };
  auto cover = [](const Circle& k, double x, double y) {
    return std::clamp(k.radius + 0.5 - std::hypot(x - k.x, y - k.y), 0.0, 1.0);
  };
  Wave wave = ShapeWave(
      [&](double x, double y) {
        double v = 0.0;
        for (const Circle& k : circles)
          v += k.level * cover(k, x, y);
        return v;
      },
      0.04);
  RemoveDc(wave);
  Normalise(wave, 0.85);
  return Compose(wave, [&](int x, int y) {
    Rgb c = MakeRgb(20, 24, 0);
    for (const Circle& k : circles) {
      const double a = cover(k, x + 0.5, y + 0.5);
      const double ring = std::clamp(
          1.5 - std::abs(std::hypot(x + 0.5 - k.x, y + 0.5 - k.y) - k.radius + 2.0), 0.0, 1.0);
      c = Mix(c, k.colour, 0.55 * a);
      c = Mix(c, MakeRgb(255, 255, 0), 0.7 * ring);
    }
    return c;
  });
}

// A square of noise over a square wave: a gritty, growling square.
Image NoiseSquare() {
  const Wave noise = NoiseTable(3003);
  auto inside = [](int x, int y) { return x >= 35 && x < 175 && y >= 35 && y < 175; };
  Wave wave = MakeWave([&](int r, int c, double p) {
    const double square =
        2.0 * SoftPulse(p, 0.0, 0.5, 0.016) - 1.0 + 2.0 * SoftStep(p - 1.0, 0.016);
    const int y = kSide - 1 - r;
    const double grit = inside(c, y) ? noise[static_cast<size_t>(r * kSide + c)] : 0.0;
    return 0.45 * square + 0.55 * grit;
  });
  RemoveDc(wave);
  Normalise(wave, 0.95);
  const Wave speckle = NoiseTable(3004);
  return Compose(wave, [&](int x, int y) {
    if (!inside(x, y)) return MakeRgb(60, 200, 0);
    const int level = static_cast<int>(128 + 120 * speckle[static_cast<size_t>(SampleAt(x, y))]);
    return MakeRgb(level, level, 0);
  });
}

// A grid: seven lines a period, each fainter than the one below, over a
// gentle swell that keeps the fundamental clear, make a nasal, reedy tone;
// the grid's columns add a faint metallic edge.
Image Grid() {
  constexpr double kPitch = 30.0;
  Wave wave = MakeWave([&](int, int c, double p) {
    const double rows = p * kSide;  // position in rows, fractional
    const int line = static_cast<int>(rows / kPitch);
    const double d = rows - (line * kPitch + kPitch / 2.0);
    const double pulse = std::exp(-std::pow(d / 3.0, 2.0)) * std::pow(0.78, line);
    const double column = std::abs(std::fmod(c + 0.5, kPitch) - kPitch / 2.0) < 2.0 ? 0.12 : 0.0;
    return pulse + column + 0.25 * std::sin(kTau * p);
  });
  RemoveDc(wave);
  Normalise(wave, 0.9);
  return Compose(wave, [&](int x, int y) {
    const bool row = std::abs(std::fmod(RowOf(y) + 0.5, kPitch) - kPitch / 2.0) < 3.0;
    const bool column = std::abs(std::fmod(x + 0.5, kPitch) - kPitch / 2.0) < 2.0;
    if (row && column) return MakeRgb(255, 255, 0);
    if (row || column) return MakeRgb(90, 230, 0);
    return MakeRgb(16, 40, 0);
  });
}

// One bright line across the middle: a single short pulse a period, the
// brightest buzz of the set.
Image Impulse() {
  Wave wave = MakeWave([](int, int, double p) {
    const double d = (p - 0.5) * kSide;  // rows from the middle
    return std::abs(d) < 9.0 ? 0.5 + 0.5 * std::cos(M_PI * d / 9.0) : 0.0;
  });
  RemoveDc(wave);
  Normalise(wave, 0.95);
  return Compose(wave, [](int, int y) {
    const double d = std::abs(RowOf(y) + 0.5 - kSide / 2.0);
    const double glow = std::exp(-d / 14.0);
    const int red = static_cast<int>(std::lround(20 + 235 * glow));
    const int green = static_cast<int>(std::lround(16 + 239 * std::exp(-d / 6.0)));
    return MakeRgb(red, green, 0);
  });
}

// Diamonds in rows of alternating strength: a hollow tone with a strong
// third harmonic, the argyle's points adding a light shimmer.
Image Pattern1() {
  constexpr double kTile = 35.0;
  auto diamond = [](double x, double y) {
    const double u = std::fmod(x, kTile) / kTile - 0.5;
    const double v = std::fmod(y, kTile) / kTile - 0.5;
    return std::abs(u) + std::abs(v) < 0.42;
  };
  Wave wave = MakeWave([&](int r, int c, double p) {
    const int band = static_cast<int>(p * 6.0);
    const double sign = band % 2 == 0 ? 1.0 : -0.6;
    const double across = 1.0 - std::abs(std::fmod(p * 6.0, 1.0) - 0.5) * 2.0;  // 0-1-0
    const double base = sign * across * (band < 3 ? 1.0 : 0.7);
    const double shimmer = diamond(c + 0.5, r + 0.5) ? 0.04 : -0.02;
    return base + shimmer + 0.35 * std::sin(kTau * p);
  });
  RemoveDc(wave);
  Normalise(wave, 0.85);
  return Compose(wave, [&](int x, int y) {
    const int band = RowOf(y) * 6 / kSide;
    const bool in = diamond(x + 0.5, RowOf(y) + 0.5);
    if (in) return band % 2 == 0 ? MakeRgb(255, 90, 0) : MakeRgb(255, 210, 0);
    return band % 2 == 0 ? MakeRgb(60, 20, 0) : MakeRgb(30, 90, 0);
  });
}

// A small square: a narrow pulse (a fifth of the period), thin and nasal.
Image SmallSquare() {
  Wave wave = MakeWave([](int, int, double p) { return SoftPulse(p, 0.4, 0.6, 0.01); });
  RemoveDc(wave);
  Normalise(wave, 0.9);
  return Compose(wave, [](int x, int y) {
    const bool inside = x >= 84 && x < 126 && y >= 84 && y < 126;
    if (inside) return MakeRgb(255, 255, 0);
    return MakeRgb(20, 120, 0);
  });
}

// Nested corners: a triangle wave, soft and woody.
Image Corner() {
  Wave wave = MakeWave([](int, int, double p) { return 1.0 - 4.0 * std::abs(p - 0.5); });
  RemoveDc(wave);
  Normalise(wave, 0.85);
  return Compose(wave, [](int x, int y) {
    const int d = std::max(x, kSide - 1 - y);  // distance from the bottom-left corner
    const int band = d / 21;
    return band % 2 == 0 ? MakeRgb(255, 70 + band * 16, 0) : MakeRgb(40, 30 + band * 8, 0);
  });
}

// Bands of colour over an organ's drawbars: a full, round organ tone.
Image MultiBand() {
  const double amplitude[] = {1.0, 0.55, 0.4, 0.3, 0.0, 0.18, 0.0, 0.12};
  Wave wave = MakeWave([&](int, int, double p) {
    double v = 0.0;
    for (int k = 0; k < 8; ++k)
      v += amplitude[k] * std::sin(kTau * (k + 1) * p + 0.3 * k);
    return v;
  });
  RemoveDc(wave);
  Normalise(wave, 0.85);
  const Rgb colours[] = {MakeRgb(255, 60, 0),  MakeRgb(255, 150, 0), MakeRgb(250, 230, 0),
                         MakeRgb(120, 220, 0), MakeRgb(20, 170, 0),  MakeRgb(10, 90, 0),
                         MakeRgb(90, 40, 0),   MakeRgb(200, 40, 0)};
  const int edges[] = {0, 18, 50, 70, 104, 122, 150, 186, 210};
  return Compose(wave, [&](int, int y) {
    int band = 0;
    while (band < 7 && y >= edges[band + 1])
      ++band;
    return colours[band];
  });
}

// Slanted stripes over a falling sawtooth: bright and full.
Image Slant() {
  Wave wave = MakeWave([](int, int, double p) {
    const double saw = 1.0 - 2.0 * p;
    const double reset = -2.0 * (1.0 - SoftStep(p, 0.006)) + 2.0 * SoftStep(p - 1.0, 0.006);
    return saw + reset;
  });
  RemoveDc(wave);
  Normalise(wave, 0.85);
  return Compose(wave, [](int x, int y) {
    const bool stripe = std::fmod(x + RowOf(y) + 1000.0, 42.0) < 21.0;
    return stripe ? MakeRgb(255, 190, 0) : MakeRgb(150, 40, 0);
  });
}

// Plain noise, grey static.
Image Noise() {
  Wave wave = NoiseTable(7);
  RemoveDc(wave);
  Normalise(wave, 0.99);
  return Compose(wave, [&](int x, int y) {
    const int level = BlueByte(wave[static_cast<size_t>(SampleAt(x, y))]);
    return Grey(level);
  });
}

}  // namespace

std::vector<ArtFile> MakePaletteArt() {
  std::vector<ArtFile> files;
  files.push_back({"data/square.bmp", Square()});
  files.push_back({"data/stepsaw.bmp", StepSaw()});
  files.push_back({"data/stepsine.bmp", StepSine()});
  files.push_back({"data/cellstar.bmp", CellStar()});
  files.push_back({"data/noise-fade.bmp", NoiseFade()});
  files.push_back({"data/pit.bmp", Pit()});
  files.push_back({"data/multi-circle.bmp", MultiCircle()});
  files.push_back({"data/noise-square.bmp", NoiseSquare()});
  files.push_back({"data/grid.bmp", Grid()});
  files.push_back({"data/impulse.bmp", Impulse()});
  files.push_back({"data/pattern1.bmp", Pattern1()});
  files.push_back({"data/small-square.bmp", SmallSquare()});
  files.push_back({"data/corner.bmp", Corner()});
  files.push_back({"data/multi-band.bmp", MultiBand()});
  files.push_back({"data/slant.bmp", Slant()});
  files.push_back({"data/noise.bmp", Noise()});
  return files;
}

namespace {

// ---------------------------------------------------------------------------
// Example user bitmaps: pictures anyone might draw, each a good sound.

// A striped sun setting over the sea: a warm, round pad (the first three
// harmonics, nothing above).
Image Sunset() {
  Wave wave = MakeWave([](int, int, double p) {
    return std::sin(kTau * p) + 0.35 * std::sin(2.0 * kTau * p) + 0.15 * std::sin(3.0 * kTau * p);
  });
  RemoveDc(wave);
  Normalise(wave, 0.85);
  return Compose(wave, [](int x, int y) {
    const double sky = y / 130.0;
    if (y >= 130) {
      // The sea, with the sun's reflection broken into strokes.
      const bool glint = std::abs(x - 105) < 40 - (y - 130) / 3 && (y / 4) % 2 == 0;
      return glint ? MakeRgb(255, 200, 0) : MakeRgb(30, 60 + (y - 130) / 2, 0);
    }
    const double d = std::hypot(x + 0.5 - 105.0, y + 0.5 - 120.0);
    const bool sun = d < 62 && !(y > 80 && (y / 6) % 2 == 0);
    if (sun) return MakeRgb(255, static_cast<int>(230 - 120 * (y - 58) / 72.0), 0);
    return Mix(MakeRgb(90, 30, 0), MakeRgb(255, 120, 0), sky);
  });
}

// Rolling waves: a tone with a bright fifth harmonic, like a struck bar; the
// waves' crests add a breath of shimmer.
Image Waves() {
  Wave wave = ShapeWave(
      [](double x, double y) {
        const double crest = std::sin(kTau * (5.0 * y / kSide + 0.12 * std::sin(kTau * x / 70.0)));
        const double swell = std::sin(kTau * (kSide - y) / kSide);
        return 0.55 * crest + swell;
      },
      0.05);
  RemoveDc(wave);
  Normalise(wave, 0.85);
  return Compose(wave, [](int x, int y) {
    const double crest = std::sin(kTau * (5.0 * y / kSide + 0.12 * std::sin(kTau * x / 70.0)));
    const double depth = y / static_cast<double>(kSide);
    if (crest > 0.8) return MakeRgb(235, 250, 0);
    return Mix(MakeRgb(20, 170, 0), MakeRgb(10, 50, 0), depth * 0.8 + 0.2 * (crest + 1.0) / 2.0);
  });
}

// A crescent moon among stars: a soft, hollow tone with a faint glitter.
Image Moon() {
  auto moon = [](double x, double y) {
    return std::hypot(x - 100.0, y - 105.0) < 70.0 && std::hypot(x - 130.0, y - 88.0) >= 58.0;
  };
  Random random(42);
  struct Star {
    int x, y;
  };
  std::vector<Star> stars;
  for (int i = 0; i < 26; ++i)
    stars.push_back({random.Below(kSide), random.Below(kSide)});
  auto star = [&](int x, int y) {
    for (const Star& s : stars)
      if (std::abs(x - s.x) + std::abs(y - s.y) < 3 && !moon(x + 0.5, y + 0.5)) return true;
    return false;
  };
  Wave wave = ShapeWave(
      [&](double x, double y) {
        return moon(x, y) ? 1.0 : star(static_cast<int>(x), static_cast<int>(y)) ? 0.6 : 0.0;
      },
      0.06);
  RemoveDc(wave);
  Normalise(wave, 0.85);
  return Compose(wave, [&](int x, int y) {
    if (moon(x + 0.5, y + 0.5)) return MakeRgb(250, 235, 0);
    if (star(x, y)) return MakeRgb(255, 255, 0);
    return MakeRgb(16, 22, 0);
  });
}

// A heart: its two lobes and point make a warm tone with a soft nasal edge.
Image Heart() {
  auto inside = [](double x, double y) {
    const double u = (x - 105.0) / 80.0;
    const double v = (95.0 - y) / 80.0;
    const double a = u * u + v * v - 0.55;
    return a * a * a - u * u * v * v * v < 0.0;
  };
  Wave wave = ShapeWave([&](double x, double y) { return inside(x, y) ? 1.0 : -0.2; }, 0.1);
  RemoveDc(wave);
  Normalise(wave, 0.85);
  return Compose(wave, [&](int x, int y) {
    if (inside(x + 0.5, y + 0.5)) return MakeRgb(240, 40 + y / 6, 0);
    return ((x / 15) + (y / 15)) % 2 == 0 ? MakeRgb(255, 220, 0) : MakeRgb(255, 200, 0);
  });
}

// A pixel robot: its blocky face is a buzzy, talking square with digital grit.
Image Robot() {
  // The face on a 14 x 14 grid of 15-pixel blocks.
  constexpr const char* kFace[14] = {
      "......##......", "......##......", "..##########..", "..#........#..", "..#.##..##.#..",
      "..#.##..##.#..", "..#........#..", "###...##...###", "###........###", "..#.######.#..",
      "..#........#..", "..##########..", "....#....#....", "...###..###...",
  };
  auto block = [&](double x, double y) {
    const int bx = std::clamp(static_cast<int>(x) / 15, 0, 13);
    const int by = std::clamp(static_cast<int>(y) / 15, 0, 13);
    return kFace[by][bx] == '#';
  };
  Wave wave = ShapeWave([&](double x, double y) { return block(x, y) ? 1.0 : -0.3; }, 0.1);
  RemoveDc(wave);
  Normalise(wave, 0.85);
  return Compose(wave, [&](int x, int y) {
    if (block(x + 0.5, y + 0.5))
      return x % 15 == 0 || y % 15 == 0 ? MakeRgb(40, 120, 0) : MakeRgb(90, 220, 0);
    return MakeRgb(230, 235, 0);
  });
}

}  // namespace

std::vector<ArtFile> MakeUserBitmaps() {
  std::vector<ArtFile> files;
  files.push_back({"userbitmaps/sunset.bmp", Sunset()});
  files.push_back({"userbitmaps/waves.bmp", Waves()});
  files.push_back({"userbitmaps/moon.bmp", Moon()});
  files.push_back({"userbitmaps/heart.bmp", Heart()});
  files.push_back({"userbitmaps/robot.bmp", Robot()});
  return files;
}

std::vector<ArtFile> MakeAllArt() {
  std::vector<ArtFile> files = MakeInterfaceArt();
  for (ArtFile& file : MakePaletteArt())
    files.push_back(std::move(file));
  for (ArtFile& file : MakeUserBitmaps())
    files.push_back(std::move(file));
  return files;
}

}  // namespace tessaloop::art
