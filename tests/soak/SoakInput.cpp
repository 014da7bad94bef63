// soak_input SECONDS SEED TRACKS BITMAPS
//
// Writes to standard output an xdotool script that uses a running Tessaloop
// as a restless user would, for about SECONDS seconds: something happens in
// every frame (pointer motion, a button, a key), drawn at random from
// everything the editor offers in tabs 1-5 - cells dragged in every tab,
// palette sounds carried and painted with Ctrl, tabs, tempo drags, mutes, the
// arrangement, the position strip, song mode, pattern store and recall, cell
// keys, the help, user bitmaps loaded into palette squares. The same SEED
// gives the same script.
//
// The script comes in chunks of about four seconds, each ending with every
// key and button let go, a pointer query (which returns once the X server has
// taken all of the chunk) and a line "#chunk". Between chunks soak.sh saves
// or loads a song through the waiting helpers of the end-to-end tests.
//
// TRACKS is the program's track count (3 or 6) and BITMAPS the number of
// files in its userbitmaps/ folder (at most 40 are offered). Standard error
// receives one line "chunks N seconds S".
//
// The program's pointer is where the X pointer is on its window, which lies
// at the screen's origin and shows the picture at its own size; both stop at
// the screen's edges, and a tempo drag holds the program's still: before each
// action the script sends the X pointer to the corner by a long move up and
// left and moves on from there, so that every target is reached exactly.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

// A little more than a frame at 60 frames a second, so that every step of
// the script is seen by a frame of its own.
constexpr double kFrame = 0.02;
// After a click on a toggle (mute, song mode, position) both buttons read as
// released for 40-50 frames.
constexpr double kClickHold = 0.9;
constexpr double kChunkSeconds = 4;
constexpr int kMaxX = 1012;  // where the editor keeps the pointer
constexpr int kMaxY = 756;
constexpr int kCell = 64;
constexpr int kRowsTop = 24;
constexpr int kPaletteY = 632;  // the middle of the palette row

class User {
 public:
  User(uint32_t seed, int tracks, int bitmaps)
      : m_Random(seed), m_Tracks(tracks), m_Bitmaps(std::clamp(bitmaps, 0, 40)) {}

  void Run(double seconds) {
    while (m_Seconds < seconds) {
      for (const double end = m_Seconds + kChunkSeconds; m_Seconds < end;) {
        Home();
        RandomAction();
      }
      Home();
      std::printf("getmouselocation\n#chunk\n");
      ++m_Chunks;
    }
    std::fprintf(stderr, "chunks %d seconds %.1f\n", m_Chunks, m_Seconds);
  }

 private:
  void Sleep(double s) {
    std::printf("sleep %.3f\n", s);
    m_Seconds += s;
  }
  void Say(const std::string& line, double then = kFrame) {
    std::printf("%s\n", line.c_str());
    Sleep(then);
  }
  void MoveBy(int dx, int dy) {
    Say("mousemove_relative -- " + std::to_string(dx) + " " + std::to_string(dy));
  }
  void MoveTo(int tx, int ty) {
    tx = std::clamp(tx, 0, kMaxX);
    ty = std::clamp(ty, 0, kMaxY);
    if (tx == m_X && ty == m_Y) return;
    MoveBy(tx - m_X, ty - m_Y);
    m_X = tx;
    m_Y = ty;
  }
  // Along a straight line in a few frames, as a hand would.
  void GlideTo(int tx, int ty, int steps) {
    const int fromX = m_X;
    const int fromY = m_Y;
    for (int i = 1; i <= steps; ++i)
      MoveTo(fromX + (tx - fromX) * i / steps, fromY + (ty - fromY) * i / steps);
  }
  void Home() {
    MoveBy(-2 * kMaxX, -2 * kMaxY);
    m_X = m_Y = 0;
  }
  void Button(bool down, int button) {
    Say(std::string(down ? "mousedown " : "mouseup ") + std::to_string(button));
  }
  void Key(bool down, const std::string& key, double then = kFrame) {
    Say((down ? "keydown " : "keyup ") + key, then);
  }
  void Click(int tx, int ty, double then = kFrame) {
    MoveTo(tx, ty);
    Button(true, 1);
    Sleep(kFrame * 2);
    Button(false, 1);
    Sleep(then);
  }

  // 0 to n - 1. The generator's numbers are the same everywhere; the
  // remainder's small bias does not matter here.
  int Pick(int n) { return static_cast<int>(m_Random() % static_cast<uint32_t>(n)); }
  bool Chance(int percent) { return Pick(100) < percent; }
  std::string Letter() { return std::string(1, static_cast<char>('a' + Pick(26))); }
  int CellX(int step) { return step * kCell + 8 + Pick(48); }
  int CellY(int track) { return track * kCell + kRowsTop + 8 + Pick(48); }

  void RandomAction() {
    using Action = void (User::*)();
    static constexpr Action kActions[] = {&User::DragCell,
                                          &User::DragCell,
                                          &User::CarryPaletteSound,
                                          &User::CarryPaletteSound,
                                          &User::RandomTab,
                                          &User::DragTempo,
                                          &User::ToggleMute,
                                          &User::WriteArrangement,
                                          &User::ToggleSongMode,
                                          &User::ClickPosition,
                                          &User::StoreOrRecallPattern,
                                          &User::CellKeys,
                                          &User::CellKeys,
                                          &User::LoadUserBitmap,
                                          &User::Wander};
    (this->*kActions[Pick(sizeof kActions / sizeof kActions[0])])();
  }

  void ToggleMute() { Click(410 + 16 * Pick(m_Tracks) + 3 + Pick(10), 671 + Pick(12), kClickHold); }
  void ToggleSongMode() { Click(51 + 2 + Pick(6), 670 + 3 + Pick(10), kClickHold); }
  void ClickPosition() { Click(10 + 2 + Pick(996), 691 + Pick(8), kClickHold); }

  void Wander() {
    for (int i = 2 + Pick(5); i > 0; --i)
      GlideTo(Pick(kMaxX), kRowsTop + Pick(kMaxY - kRowsTop), 1 + Pick(3));
    if (Chance(30)) {
      Key(true, "F1", 0.2);  // the help, over whatever is there
      Key(false, "F1");
    }
  }

  // A press on a cell and a drag: the note, the envelope, the slide or the
  // pan, whichever tab is shown.
  void DragCell() {
    MoveTo(CellX(Pick(16)), CellY(Pick(m_Tracks)));
    Button(true, 1);
    for (int i = 2 + Pick(5); i > 0; --i)
      MoveTo(m_X + Pick(41) - 20, m_Y + Pick(41) - 20);
    Button(false, 1);
  }

  // A palette sound carried to a cell; with Ctrl, painted along a row.
  void CarryPaletteSound() {
    const bool paint = Chance(30);
    MoveTo(Pick(16) * kCell + 32, kPaletteY);
    if (paint) Key(true, "Control_L");
    Button(true, 1);
    const int track = Pick(m_Tracks);
    GlideTo(CellX(Pick(16)), CellY(track), 2 + Pick(4));
    if (paint) GlideTo(CellX(Pick(16)), CellY(track), 3 + Pick(5));
    Button(false, 1);
    if (paint) Key(false, "Control_L");
    Sleep(kFrame);
  }

  void RandomTab() { ClickTab(1 + Pick(5)); }
  void ClickTab(int tab) {
    static constexpr int kTabX[6] = {0, 30, 107, 193, 272, 347};
    Click(kTabX[tab], 6 + Pick(12));
  }

  // The tempo number dragged up or down, in steps of 10 samples a pixel or,
  // with Shift, 1. The drags lean back towards the start tempo so that the
  // music stays music for the whole run.
  void DragTempo() {
    const bool fine = Chance(30);
    int direction = Chance(50) ? 1 : -1;
    if (m_Tempo > 20000) direction = -1;
    if (m_Tempo < 6000) direction = 1;
    MoveTo(270 + Pick(40), 671 + Pick(10));
    if (fine) Key(true, "Shift_L");
    Button(true, 1);
    for (int i = 2 + Pick(5); i > 0; --i) {
      const int dy = direction * (1 + Pick(30));
      MoveBy(0, dy);  // the pointer itself stays where it is
      m_Tempo += dy * (fine ? 1 : 10);
    }
    Button(false, 1);
    if (fine) Key(false, "Shift_L");
  }

  // A letter held with the pointer on an arrangement row, along a few columns.
  void WriteArrangement() {
    const int y = 700 + 10 * Pick(m_Tracks) + 2 + Pick(7);
    MoveTo(10 + 10 * Pick(96) + 2 + Pick(7), y);
    const std::string letter = Letter();
    Key(true, letter);
    for (int i = Pick(4); i > 0; --i)
      MoveTo(m_X + 10, y);
    Key(false, letter);
  }

  // Tab 5: a letter held over a track's Save or Load button.
  void StoreOrRecallPattern() {
    ClickTab(5);
    const int x = Chance(50) ? 8 + Pick(48) : 72 + Pick(48);
    MoveTo(x, Pick(m_Tracks) * kCell + kRowsTop + 5 + Pick(50));
    const std::string letter = Letter();
    Key(true, letter, 0.12);
    Key(false, letter);
  }

  // Keys with the pointer on a cell: notes, octaves, pan, delete, copy, paste.
  void CellKeys() {
    static const char* const kKeys[] = {"z", "s", "x", "d", "c",  "v",  "g",      "b",
                                        "h", "n", "j", "m", "Up", "Up", "Down",   "1",
                                        "5", "9", "0", "3", "F5", "F6", "Delete", "F6"};
    MoveTo(CellX(Pick(16)), CellY(Pick(m_Tracks)));
    for (int i = 1 + Pick(4); i > 0; --i) {
      const char* key = kKeys[Pick(sizeof kKeys / sizeof kKeys[0])];
      Key(true, key, 0.06);
      Key(false, key);
    }
  }

  // The right button on a palette square opens the user-bitmap menu above
  // it; letting go over a name loads that bitmap into the square.
  void LoadUserBitmap() {
    MoveTo(Pick(16) * kCell + 32, kPaletteY);
    Button(true, 3);
    if (m_Bitmaps > 0 && Chance(85)) GlideTo(m_X, 595 - 10 * Pick(m_Bitmaps), 2);
    Button(false, 3);
    Sleep(kFrame);
  }

  std::mt19937 m_Random;
  const int m_Tracks;
  const int m_Bitmaps;
  double m_Seconds = 0;
  int m_X = 0;
  int m_Y = 0;
  int m_Chunks = 0;
  int m_Tempo = 11005;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: soak_input SECONDS SEED TRACKS BITMAPS\n");
    return 2;
  }
  const double seconds = std::strtod(argv[1], nullptr);
  const int tracks = std::atoi(argv[3]);
  const int bitmaps = std::atoi(argv[4]);
  if (!(seconds > 0) || tracks < 1 || tracks > 6 || bitmaps < 0) {
    std::fprintf(stderr, "soak_input: SECONDS above 0, TRACKS 1-6, BITMAPS 0 or more\n");
    return 2;
  }
  User(static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)), tracks, bitmaps).Run(seconds);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
