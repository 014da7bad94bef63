// soak_input SECONDS SEED TRACKS BITMAPS
//
// Writes to standard output an xdotool script that uses a running Tessaloop
// as a restless user would, for about SECONDS seconds: something happens in
// every frame (pointer motion, a button, a key), drawn at random from
// everything the editor offers - cells dragged in every tab, palette sounds
// carried and painted with Ctrl, tabs, tempo drags, mutes, the arrangement,
// the position strip, song mode, pattern store and recall, cell keys, the
// help, user bitmaps loaded into palette squares - and every few seconds the
// song is saved under a typed name (tab 7, Return) or loaded back from the
// song list (tab 6, Return). The same SEED gives the same script.
//
// TRACKS is the program's track count (3 or 6) and BITMAPS the number of
// files in its userbitmaps/ folder (at most 40 are offered).
//
// Standard error receives one line "saves N loads M seconds S": the songs it
// saves and loads and the seconds its pauses add up to.
//
// The program's pointer follows relative motion from the top-left corner and
// stops at the screen's edges, and a tempo drag holds it still: the script
// keeps track of where it is and, before each action, sends it to the corner
// by a long move up and left, so that every target is reached exactly.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

// A little more than a frame at 60 frames a second, so that every step of
// the script is seen by a frame of its own.
constexpr double kFrame = 0.02;
// Keys are read as held levels once a frame, and name entry repeats a held
// key after about a quarter of a second.
constexpr double kKeyHold = 0.12;
constexpr double kKeyGap = 0.35;
// After a click on a toggle (mute, song mode, position) both buttons read as
// released for 40-50 frames.
constexpr double kClickHold = 0.9;
constexpr int kMaxX = 1012;  // where the editor keeps the pointer
constexpr int kMaxY = 756;

constexpr int kCell = 64;
constexpr int kRowsTop = 24;
constexpr int kPaletteY = 632;  // the middle of the palette row
constexpr int kNeutralX = 600;  // no control below the six rows and above the palette
constexpr int kNeutralY = 500;

struct Script {
  std::vector<std::string> lines;
  double seconds = 0;
  int x = 0;
  int y = 0;

  void Line(const std::string& line) { lines.push_back(line); }
  void Sleep(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "sleep %.3f", s);
    Line(text);
    seconds += s;
  }
  void Frame() { Sleep(kFrame); }
  void MoveBy(int dx, int dy) {
    Line("mousemove_relative -- " + std::to_string(dx) + " " + std::to_string(dy));
    Frame();
  }
  void MoveTo(int tx, int ty) {
    tx = std::clamp(tx, 0, kMaxX);
    ty = std::clamp(ty, 0, kMaxY);
    if (tx == x && ty == y) return;
    MoveBy(tx - x, ty - y);
    x = tx;
    y = ty;
  }
  // Along a straight line in a few frames, as a hand would.
  void GlideTo(int tx, int ty, int steps) {
    const int fromX = x;
    const int fromY = y;
    for (int i = 1; i <= steps; ++i)
      MoveTo(fromX + (tx - fromX) * i / steps, fromY + (ty - fromY) * i / steps);
  }
  void Home() {
    MoveBy(-2 * kMaxX, -2 * kMaxY);
    x = 0;
    y = 0;
  }
  void Down(int button) {
    Line("mousedown " + std::to_string(button));
    Frame();
  }
  void Up(int button) {
    Line("mouseup " + std::to_string(button));
    Frame();
  }
  void Click(int tx, int ty) {
    MoveTo(tx, ty);
    Down(1);
    Sleep(kFrame * 3);
    Up(1);
  }
  void KeyDown(const std::string& key) {
    Line("keydown " + key);
    Frame();
  }
  void KeyUp(const std::string& key) {
    Line("keyup " + key);
    Frame();
  }
  void Tap(const std::string& key, double hold = kKeyHold, double gap = kKeyGap) {
    Line("keydown " + key);
    Sleep(hold);
    Line("keyup " + key);
    Sleep(gap);
  }
};

class User {
 public:
  User(uint32_t seed, int tracks, int bitmaps)
      : m_Random(seed), m_Tracks(tracks), m_Bitmaps(std::clamp(bitmaps, 0, 40)) {}

  void Run(double seconds) {
    double nextSongFile = 3;
    bool saveNext = true;
    while (m_Script.seconds < seconds) {
      if (m_Script.seconds >= nextSongFile) {
        // Let any click hold run out, so the tab click counts.
        m_Script.Sleep(kClickHold);
        if (saveNext)
          SaveSong();
        else
          LoadSong();
        saveNext = !saveNext;
        nextSongFile = m_Script.seconds + 4;
        continue;
      }
      m_Script.Home();
      RandomAction();
    }
    m_Script.Home();
    m_Script.Sleep(0.5);
  }

  const Script& Result() const { return m_Script; }
  int Saves() const { return m_Saves; }
  int Loads() const { return m_Loads; }

 private:
  // 0 to n - 1. The generator's numbers are the same everywhere; the
  // remainder's small bias does not matter here.
  int Pick(int n) { return static_cast<int>(m_Random() % static_cast<uint32_t>(n)); }
  bool Chance(int percent) { return Pick(100) < percent; }
  std::string Letter() { return std::string(1, static_cast<char>('a' + Pick(26))); }

  int CellX(int step) { return step * kCell + 8 + Pick(48); }
  int CellY(int track) { return track * kCell + kRowsTop + 8 + Pick(48); }

  void RandomAction() {
    switch (Pick(15)) {
      case 0:
      case 1:
        DragCell();
        break;
      case 2:
      case 3:
        CarryPaletteSound();
        break;
      case 4:
        ClickTab(1 + Pick(5));
        break;
      case 5:
        DragTempo();
        break;
      case 6:
        ToggleMute();
        break;
      case 7:
        WriteArrangement();
        break;
      case 8:
        m_Script.Click(51 + 2 + Pick(6), 670 + 3 + Pick(10));  // song mode
        m_Script.Sleep(kClickHold);
        break;
      case 9:
        m_Script.Click(10 + 2 + Pick(996), 691 + Pick(8));  // position strip
        m_Script.Sleep(kClickHold);
        break;
      case 10:
        StoreOrRecallPattern();
        break;
      case 11:
      case 12:
        CellKeys();
        break;
      case 13:
        LoadUserBitmap();
        break;
      default:
        Wander();
        break;
    }
  }

  void Wander() {
    for (int i = 2 + Pick(5); i > 0; --i)
      m_Script.GlideTo(Pick(kMaxX), kRowsTop + Pick(kMaxY - kRowsTop), 1 + Pick(3));
    if (Chance(30)) {
      m_Script.KeyDown("F1");  // the help, over whatever is there
      m_Script.Sleep(0.2);
      m_Script.KeyUp("F1");
    }
  }

  // A press on a cell and a drag: the note, the envelope, the slide or the
  // pan, whichever tab is shown.
  void DragCell() {
    const int track = Pick(m_Tracks);
    m_Script.MoveTo(CellX(Pick(16)), CellY(track));
    m_Script.Down(1);
    for (int i = 2 + Pick(5); i > 0; --i)
      m_Script.MoveTo(m_Script.x + Pick(41) - 20, m_Script.y + Pick(41) - 20);
    m_Script.Up(1);
  }

  // A palette sound carried to a cell; with Ctrl, painted along a row.
  void CarryPaletteSound() {
    const bool paint = Chance(30);
    m_Script.MoveTo(Pick(16) * kCell + 32, kPaletteY);
    if (paint) m_Script.KeyDown("Control_L");
    m_Script.Down(1);
    const int track = Pick(m_Tracks);
    m_Script.GlideTo(CellX(Pick(16)), CellY(track), 2 + Pick(4));
    if (paint) m_Script.GlideTo(CellX(Pick(16)), CellY(track), 3 + Pick(5));
    m_Script.Up(1);
    if (paint) m_Script.KeyUp("Control_L");
    m_Script.Frame();
  }

  void ClickTab(int tab) {
    static constexpr int kTabX[8] = {0, 30, 107, 193, 272, 347, 422, 470};
    m_Script.Click(kTabX[tab], 6 + Pick(12));
  }

  // The tempo number dragged up or down, in steps of 10 samples a pixel or,
  // with Shift, 1. The drags lean back towards the start tempo so that the
  // music stays music for the whole run.
  void DragTempo() {
    const bool fine = Chance(30);
    const int scale = fine ? 1 : 10;
    int direction = Chance(50) ? 1 : -1;
    if (m_Tempo > 20000) direction = -1;
    if (m_Tempo < 6000) direction = 1;
    m_Script.MoveTo(270 + Pick(40), 671 + Pick(10));
    if (fine) m_Script.KeyDown("Shift_L");
    m_Script.Down(1);
    for (int i = 2 + Pick(5); i > 0; --i) {
      const int dy = direction * (1 + Pick(30));
      m_Script.MoveBy(0, dy);  // the pointer itself stays where it is
      m_Tempo += dy * scale;
    }
    m_Script.Up(1);
    if (fine) m_Script.KeyUp("Shift_L");
  }

  void ToggleMute() {
    m_Script.Click(410 + 16 * Pick(m_Tracks) + 3 + Pick(10), 671 + Pick(12));
    m_Script.Sleep(kClickHold);
  }

  // A letter held with the pointer on an arrangement row, along a few columns.
  void WriteArrangement() {
    const int track = Pick(m_Tracks);
    const int column = Pick(96);
    const int y = 700 + 10 * track + 2 + Pick(7);
    m_Script.MoveTo(10 + 10 * column + 2 + Pick(7), y);
    const std::string letter = Letter();
    m_Script.KeyDown(letter);
    for (int i = Pick(4); i > 0; --i)
      m_Script.MoveTo(m_Script.x + 10, y);
    m_Script.KeyUp(letter);
  }

  // Tab 5: a letter held over a track's Save or Load button.
  void StoreOrRecallPattern() {
    ClickTab(5);
    const int track = Pick(m_Tracks);
    const int x = Chance(50) ? 8 + Pick(48) : 72 + Pick(48);
    m_Script.MoveTo(x, track * kCell + kRowsTop + 5 + Pick(50));
    m_Script.Tap(Letter(), kKeyHold, kFrame);
  }

  // Keys with the pointer on a cell: notes, octaves, pan, delete, copy, paste.
  void CellKeys() {
    static const char* const kKeys[] = {"z", "s", "x", "d", "c",  "v",  "g",      "b",
                                        "h", "n", "j", "m", "Up", "Up", "Down",   "1",
                                        "5", "9", "0", "3", "F5", "F6", "Delete", "F6"};
    m_Script.MoveTo(CellX(Pick(16)), CellY(Pick(m_Tracks)));
    for (int i = 1 + Pick(4); i > 0; --i)
      m_Script.Tap(kKeys[Pick(sizeof kKeys / sizeof kKeys[0])], 0.06, kFrame);
  }

  // The right button on a palette square opens the user-bitmap menu above
  // it; letting go over a name loads that bitmap into the square.
  void LoadUserBitmap() {
    m_Script.MoveTo(Pick(16) * kCell + 32, kPaletteY);
    m_Script.Down(3);
    if (m_Bitmaps > 0 && Chance(85)) m_Script.GlideTo(m_Script.x, 595 - 10 * Pick(m_Bitmaps), 2);
    m_Script.Up(3);
    m_Script.Frame();
  }

  // Tab 7: the old name cleared with Backspace, a new one typed, Return.
  void SaveSong() {
    m_Script.Home();
    ClickTab(7);
    m_Script.MoveTo(kNeutralX, kNeutralY);
    m_Script.KeyDown("BackSpace");
    m_Script.Sleep(1.8);
    m_Script.KeyUp("BackSpace");
    m_Script.Sleep(kKeyGap);
    const int number = Pick(5);
    m_Saved[number] = true;
    for (const char c : "soak" + std::to_string(number))
      m_Script.Tap(std::string(1, c));
    m_Script.Tap("Return", kKeyHold, 0.6);
    ++m_Saves;
  }

  // Tab 6: a few entries on with the Right arrow, then Return.
  void LoadSong() {
    m_Script.Home();
    ClickTab(6);
    m_Script.MoveTo(kNeutralX, kNeutralY);
    const int saved = static_cast<int>(std::count(m_Saved, m_Saved + 5, true));
    for (int i = Pick(saved); i > 0; --i)
      m_Script.Tap("Right");
    m_Script.Tap("Return", kKeyHold, 0.6);
    ++m_Loads;
  }

  std::mt19937 m_Random;
  const int m_Tracks;
  const int m_Bitmaps;
  Script m_Script;
  int m_Tempo = 11005;
  bool m_Saved[5] = {};
  int m_Saves = 0;
  int m_Loads = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: soak_input SECONDS SEED TRACKS BITMAPS\n");
    return 2;
  }
  const double seconds = std::strtod(argv[1], nullptr);
  const auto seed = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
  const int tracks = std::atoi(argv[3]);
  const int bitmaps = std::atoi(argv[4]);
  if (!(seconds > 0) || tracks < 1 || tracks > 6 || bitmaps < 0) {
    std::fprintf(stderr, "soak_input: SECONDS above 0, TRACKS 1-6, BITMAPS 0 or more\n");
    return 2;
  }
  User user(seed, tracks, bitmaps);
  user.Run(seconds);
  for (const std::string& line : user.Result().lines)
    std::printf("%s\n", line.c_str());
  std::fprintf(stderr, "saves %d loads %d seconds %.1f\n", user.Saves(), user.Loads(),
               user.Result().seconds);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
