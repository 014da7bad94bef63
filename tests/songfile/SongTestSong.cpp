#include "tests/songfile/SongTestSong.h"

#include <fstream>
#include <sstream>

#include "display/DebugLog.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop::testing {

std::unique_ptr<Sequencer> MakeQuietSequencer(WavetableBank& bank, int trackCount) {
  SequencerSetup setup;
  setup.trackCount = trackCount;
  setup.wavetables = &bank;
  setup.startAudio = false;
  return std::make_unique<Sequencer>(setup);
}

void ComposeRichSong(Sequencer& seq, int seed) {
  // The clamps, the multiples of 1/64 and the tenths the number keys give the pan.
  std::vector<float> values = {0.01f, 0.99f};
  for (int k = 1; k < 64; ++k)
    values.push_back(static_cast<float>(k) / 64.0f);
  for (int k = 1; k <= 9; ++k)
    values.push_back(static_cast<float>(k) / 10.0f);
  const size_t count = values.size();
  for (int n = 0; n < kPatternCount; ++n) {
    for (int c = 0; c < kStepsPerPattern; ++c) {
      Cell& cell = seq.m_Bank.m_Patterns[n][c];
      const size_t i = static_cast<size_t>(n * kStepsPerPattern + c + seed);
      cell.m_Attack = values[i % count];
      cell.m_Decay = values[(i * 3 + 1) % count];
      cell.m_SlideLength = values[(i * 5 + 2) % count];
      cell.m_Slide = values[(i * 7 + 3) % count];
      cell.m_Pan = values[(i * 11 + 4) % count];
      cell.m_Octave = static_cast<int32_t>((i + static_cast<size_t>(seed) * 3) % 11);
      cell.m_Semitone = static_cast<int32_t>((i * 5) % 12);
      cell.m_Slot = static_cast<int32_t>((i * 3 + static_cast<size_t>(seed)) % 22);
      cell.SetNote();
    }
  }
  for (int t = 0; t < seq.TrackCount(); ++t)
    for (int p = 0; p < kArrangementLength; ++p)
      seq.m_Arrangement[t][p] = (p * 5 + t * 3 + seed) % kPatternCount;
  seq.m_SamplesPerStep = seed % 2 == 0 ? 2646000 : 1 + seed;
}

std::string Snapshot(const Sequencer& seq) {
  std::ostringstream out;
  out << "tracks " << seq.TrackCount() << "\n";
  for (int t = 0; t < seq.TrackCount(); ++t) {
    out << "arrangement " << t << ":";
    for (int p = 0; p < kArrangementLength; ++p)
      out << " " << seq.m_Arrangement[t][p];
    out << "\n";
  }
  auto cellText = [&out](const Cell& cell) {
    out << cell.m_Slot << " " << cell.m_Attack << " " << cell.m_Decay << " " << cell.m_SlideLength
        << " " << cell.m_Slide << " " << cell.m_Octave << " " << cell.m_Semitone << " "
        << cell.m_Note << " " << cell.m_Frequency << " " << cell.m_Pan << "|";
  };
  out.precision(9);
  for (int n = 0; n < kPatternCount; ++n) {
    out << "pattern " << n << ":";
    for (const Cell& cell : seq.m_Bank.m_Patterns[n])
      cellText(cell);
    out << "\n";
  }
  out << "tempo " << seq.m_SamplesPerStep << "\n";
  for (int t = 0; t < seq.TrackCount(); ++t) {
    const Track& track = seq.GetTrack(t);
    out << "track " << t << " mute " << int{track.m_Mute} << " stored " << track.m_StoredPattern
        << " loaded " << track.m_LoadedPattern << ":";
    for (const Cell& cell : track.m_Cells)
      cellText(cell);
    out << "\n";
  }
  out << "name " << seq.m_Name << " length " << seq.m_NameLength << " song mode "
      << int{seq.m_SongMode} << " position " << seq.m_Position << " step " << seq.m_Step
      << " clipboard ";
  cellText(seq.m_Clipboard);
  out << "\n";
  return out.str();
}

std::string SongPart(const std::string& snapshot) {
  return snapshot.substr(0, snapshot.find("track 0 mute"));
}

// Arrangement all 24, every bank cell at its defaults, the start-up palette, tempo 11005.
std::string StartupSongText(int tracks) {
  std::string text;
  for (int i = 0; i < tracks * 101; ++i)
    text += "24,";
  for (int i = 0; i < 27 * 16; ++i)
    text += "0.5,0.5,0.5,0.5,3,0,0.5,0,";
  text +=
      "data/min.bmp,data/square.bmp,data/stepsaw.bmp,data/stepsine.bmp,data/cellstar.bmp,"
      "data/noise-fade.bmp,data/pit.bmp,data/multi-circle.bmp,data/noise-square.bmp,"
      "data/grid.bmp,data/impulse.bmp,data/pattern1.bmp,data/small-square.bmp,data/corner.bmp,"
      "data/multi-band.bmp,data/slant.bmp,data/noise.bmp,";
  text += "11005,";
  return text;
}

std::vector<std::string> SplitTokens(const std::string& text) {
  std::vector<std::string> tokens;
  std::string token;
  for (char c : text) {
    if (c == ',') {
      tokens.push_back(token);
      token.clear();
    } else {
      token.push_back(c);
    }
  }
  return tokens;
}

void SetToken(std::vector<std::string>& tokens, size_t index, const std::string& value) {
  tokens.at(index) = value;
}

std::string JoinTokens(const std::vector<std::string>& tokens) {
  std::string text;
  for (const std::string& token : tokens)
    text += token + ",";
  return text;
}

std::vector<std::string> LogLines(const std::string& prefix) {
  std::vector<std::string> lines;
  std::ifstream in(kDebugLogPath);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  return lines;
}

void ClearDebugLog() {
  WriteFile(kDebugLogPath, "");
}

}  // namespace tessaloop::testing
