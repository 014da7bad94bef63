// The editor's frame: every control is a fixed rectangle tested against the
// pointer, every key a held level (Up and Down on a step act once a press, and
// repeat), and the fixed order of the steps below settles which control wins
// where two overlap.

#include <algorithm>
#include <cstring>

#include "display/Display.h"
#include "editor/CellEditing.h"
#include "editor/Editor.h"
#include "editor/Layout.h"
#include "input/InputState.h"
#include "input/KeyCodes.h"
#include "sound/Sequencer.h"

namespace tessaloop {

namespace {

using namespace layout;

// A pattern number as its one-character name: 1-26 are A-Z.
void DrawPatternLetter(Display& display, int x, int y, int pattern, bool keyed) {
  const char text[2] = {PatternLetter(pattern), '\0'};
  if (keyed)
    display.DrawStringKeyed(x, y, text);
  else
    display.DrawString(x, y, text);
}

// Calls f with the pattern number (1-26) of every held letter key, A to Z, so
// that where each one overwrites the last, the last in the alphabet wins.
template <typename F>
void ForEachHeldLetter(const InputState& input, F f) {
  for (int i = 0; i < 26; ++i)
    if (input.KeyDown(key::kLetters[i])) f(i + 1);
}

const TabArea& TabAreaOf(int tab) {
  for (const TabArea& area : kTabAreas)
    if (area.tab == tab) return area;
  return kTabAreas[0];
}

}  // namespace

Editor::Editor(Sequencer& seq, Display& display, InputState& input)
    : m_Seq(seq), m_Display(display), m_Input(input), m_History(seq) {
  ListUserBitmaps(m_Bitmaps);
  for (auto& name : m_Songs.names)
    std::strcpy(name, "none");
  m_NameLength = static_cast<int32_t>(std::strlen(m_Seq.m_Name));
}

void Editor::Frame() {
  Display& display = m_Display;
  InputState& input = m_Input;
  Sequencer& seq = m_Seq;

  // 1. Input; then the shortcuts, before any key is read as an edit.
  input.Poll(m_TempoDrag);
  Shortcuts();

  // 2-3. The three bars and the marker of the current tab.
  display.BlitSlot(kTabBarX, kTabBarY, kSlotTabs, kBarRect, false);
  display.BlitSlot(kTempoBarX, kTempoBarY, kSlotTempo, kBarRect, false);
  display.BlitSlot(kTitleX, kTitleY, kSlotTitle, kBarRect, false);
  display.BlitSlot(TabAreaOf(m_Tab).markerX, 0, kSlotTabOn, kTabMarkerRect, true);

  // 4. The tab bar, only while no cell is current, so a drag never reaches it.
  if (m_SelectedStep == -1 && input.m_MouseY < kTabBarBottom && input.m_MouseX < kTabBarRight) {
    for (const TabArea& area : kTabAreas) {
      if (input.m_MouseX < area.minX || input.m_MouseX > area.maxX) continue;
      display.BlitSlot(area.markerX, 0, kSlotTabOn, kTabMarkerRect, true);
      if (!input.LeftButton(0)) break;
      if (area.tab == kTabSongList) {
        // Entering the list reads the songs folder afresh; pressing it again
        // while it is shown keeps the choice.
        if (m_Tab != kTabSongList) {
          m_Tab = kTabSongList;
          m_SelectedSong = 0;
          ListSongs(m_Songs);
        }
      } else {
        if (area.tab == kTabSongName && m_Tab != kTabSongName) {
          m_SaveFailed = false;
          m_SavedNoteFrames = 0;
        }
        m_Tab = area.tab;
        if (area.tab == kTabSongName) m_NameLength = static_cast<int32_t>(std::strlen(seq.m_Name));
      }
      break;
    }
  }

  // 5. Keep the pointer glyph whole on the screen.
  input.m_MouseX = std::clamp(input.m_MouseX, 0, kPointerMaxX);
  input.m_MouseY = std::clamp(input.m_MouseY, 0, kPointerMaxY);

  // 6. The tracks, the pattern buttons of tab 5 over cells 0 and 1, and the
  // playing step over everything of its row.
  const int step = std::clamp<int32_t>(seq.m_Step, 0, kStepsPerPattern - 1);
  for (int t = 0; t < seq.TrackCount(); ++t) {
    const Track& track = seq.GetTrack(t);
    DrawTrack(display, *this, track);
    if (m_Tab == kTabPatterns) {
      const int rowY = RowY(t);
      display.BlitSlot(kSaveFaceX, rowY + kButtonFaceDY, kSlotMax, kButtonFaceRect, false);
      display.DrawString(kSaveTextX, rowY + kButtonTextDY, "Save");
      DrawPatternLetter(display, kSaveTextX, rowY + kButtonLetterDY, track.m_StoredPattern, false);
      display.BlitSlot(kLoadFaceX, rowY + kButtonFaceDY, kSlotMax, kButtonFaceRect, false);
      display.DrawString(kLoadTextX, rowY + kButtonTextDY, "Load");
      DrawPatternLetter(display, kLoadTextX, rowY + kButtonLetterDY, track.m_LoadedPattern, false);

      const int x = input.m_MouseX;
      const int y = input.m_MouseY;
      const bool rowRange = Between(y, rowY, rowY + kButtonRegionBottomDY);
      if (rowRange && x < kSaveRegionRight) {
        display.DrawStringKeyed(kSaveHoverX, rowY + kButtonLetterDY, "0");
        ForEachHeldLetter(input, [&](int n) { seq.StorePattern(t, n); });
      } else if (rowRange && Between(x, kLoadRegionLeft, kLoadRegionRight)) {
        display.DrawStringKeyed(kLoadHoverX, rowY + kButtonLetterDY, "1");
        ForEachHeldLetter(input, [&](int n) { seq.LoadPattern(t, n); });
      }
    }
    display.DrawStringKeyed(step * kCellSize + kPlayGlyphDX, RowY(t) + kPlayGlyphDY, "9");
  }

  // 7. With the button up nothing is being dragged.
  if (!input.LeftButton(0)) {
    m_TempoDrag = 0;
    m_SelectedStep = -1;
    m_SelectedTrack = -1;
  }

  // 8. The current cell.
  CurrentCellStep(*this);

  // 9. Credit line.
  display.DrawString(kCreditX, kCreditY, "Tessaloop  F1 help");

  // 10. The arrangement rows (entry 100 of each row is never played, nor shown).
  for (int t = 0; t < seq.TrackCount(); ++t)
    for (int j = 0; j < kPlayedPositions; ++j)
      DrawPatternLetter(display, ColumnX(j), kArrangementY + t * kArrangementRowHeight,
                        seq.m_Arrangement[t][j], false);

  // 11. Step and position, counted from 1.
  display.DrawInt(kStepNumberX, kNumbersY, seq.m_Step + 1);
  display.DrawInt(kPositionNumberX, kNumbersY, seq.m_Position + 1);

  const int x = input.m_MouseX;
  const int y = input.m_MouseY;

  // 12. Position strip: a click moves the position once, then both buttons
  // read as released for the hold.
  if (Between(y, kPositionTop, kPositionBottom) && Between(x, kStripLeft, kStripRight)) {
    const int column = x / kColumnWidth - 1;
    display.DrawStringKeyed(ColumnX(column), kPositionY, "?");
    // The position is where the clock plays, not part of the song.
    if (input.LeftButton(kPositionClickHold)) seq.m_Position = column;
  }
  display.DrawIntKeyed(ColumnX(seq.m_Position), kPositionY, 6);

  // 13. Arrangement editing: letters typed with the pointer on a row, in any tab.
  if (Between(y, kArrangementY, ArrangementBottom(seq.TrackCount())) &&
      Between(x, kStripLeft, kStripRight)) {
    const int column = x / kColumnWidth - 1;
    const int t = (y - kArrangementY) / kArrangementRowHeight;
    const int rowY = kArrangementY + t * kArrangementRowHeight;
    DrawPatternLetter(display, ColumnX(column), rowY, seq.m_Arrangement[t][column], true);
    ForEachHeldLetter(input, [&](int n) { seq.SetArrangement(t, column, n); });
  }

  // 14. Song-mode toggle.
  if (Between(y, kSongModeTop, kSongModeBottom) && Between(x, kSongModeLeft, kSongModeRight)) {
    display.DrawStringKeyed(kSongModeX, kSongModeY, "<");
    if (input.LeftButton(kToggleClickHold)) seq.SetSongMode(seq.m_SongMode == 0);
  }
  display.DrawStringKeyed(kSongModeX, kSongModeY, seq.m_SongMode ? ">" : "=");

  // 15. Tab 7: typing the name; Return saves under it and goes back to tab 1.
  // A save that fails keeps the tab open and says so beside the name, rather
  // than leave as if the song were safe. One that succeeds says so for two
  // seconds, with the name, in every tab whose title area is free: all but
  // the song list, which shows its entry there.
  if (m_Tab == kTabSongName) {
    if (input.m_KeyDelay == 0) EnterName();
    display.DrawString(kSongNameEntryX, kTitleTextY, seq.m_Name);
    if (m_NameLength == kNameEntryFinished) {
      m_NameLength = static_cast<int32_t>(std::strlen(seq.m_Name));
      m_SaveFailed = !SaveCurrentSong();
      m_SavedNoteFrames = m_SaveFailed ? 0 : QuarterSeconds(display.m_FramesPerSecond, 8);
      if (!m_SaveFailed) m_Tab = kTabNote;
    }
    if (m_SaveFailed) display.DrawString(kSaveNoteX, kTitleTextY, "not saved");
  }
  if (m_SavedNoteFrames > 0) {
    m_SavedNoteFrames = m_SavedNoteFrames - 1;
    if (m_Tab != kTabSongList) {
      if (m_Tab != kTabSongName) display.DrawString(kSongNameEntryX, kTitleTextY, seq.m_Name);
      display.DrawString(kSaveNoteX, kTitleTextY, "saved");
    }
  }

  // 16. Tab 6: the song list. The arrows step about four entries a second;
  // Return goes back to tab 1, loading the entry unless it is a filler.
  if (m_Tab == kTabSongList) {
    m_SelectedSong = std::clamp<int32_t>(m_SelectedSong, 0, kListSize - 1);
    display.DrawInt(kSongNumberX, kTitleTextY, m_SelectedSong);
    display.DrawString(kSongNameListX, kTitleTextY, m_Songs.names[m_SelectedSong]);
    if (input.m_KeyDelay == 0) {
      const auto delay = static_cast<int32_t>(display.m_FramesPerSecond / 4);
      if (input.KeyDown(key::kLeft) && m_SelectedSong > 0) {
        m_SelectedSong = m_SelectedSong - 1;
        input.m_KeyDelay = delay;
      } else if (input.KeyDown(key::kRight) && m_SelectedSong < m_Songs.count - 1 &&
                 m_SelectedSong < kListSize - 1) {
        m_SelectedSong = m_SelectedSong + 1;
        input.m_KeyDelay = delay;
      }
      if (input.KeyDown(key::kReturn)) {
        m_Tab = kTabNote;
        if (std::strstr(m_Songs.names[m_SelectedSong], "none") == nullptr)
          LoadListedSong(m_SelectedSong);
      }
    }
  }

  // 17. Help, tempo, mute buttons, palette, user-bitmap menu, carried sound.
  LowerPanel();

  // 18. What was undone or exported, in the bottom bar's free part.
  DrawStatus();

  // 19. The pointer, over everything.
  display.DrawStringKeyed(input.m_MouseX, input.m_MouseY, "~");
  EndOfFrame();
}

}  // namespace tessaloop
