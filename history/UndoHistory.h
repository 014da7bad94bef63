#pragma once

// Undo and redo of every change to the song. The history hears of each
// change before the Sequencer makes it and keeps the value each changed place
// had; the editor tells it where one user gesture ends, and the places a
// gesture changed, with their values before and after, become one step.
// Undo puts the values before back, redo the values after, place by place
// through Sequencer::ApplyPlace: value by value, as a song load does, so the
// audio thread never waits and never reads a torn value.
//
// Memory is bounded: at most kUndoSteps steps, each holding only the places
// that changed. A step of one edited cell takes about a hundred bytes; the
// largest possible step, a song load that changes every place of a six-track
// song, about 45 KB.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "sound/Sequencer.h"
#include "sound/SongPlaces.h"

namespace tessaloop {

constexpr size_t kUndoSteps = 500;

class UndoHistory : public SongEditListener {
 public:
  // Listens to seq's edits from now on, until destroyed.
  explicit UndoHistory(Sequencer& seq);
  ~UndoHistory() override;
  UndoHistory(const UndoHistory&) = delete;
  UndoHistory& operator=(const UndoHistory&) = delete;

  // Closes the gesture the edits since the last call belong to. A gesture
  // that changed nothing leaves no step; one that did drops the redo steps.
  void EndGesture();

  // Takes back the last step, or does again the last undone one; false when
  // there is none. what names the step, for the screen and the log.
  bool Undo(std::string& what);
  bool Redo(std::string& what);

  size_t UndoSteps() const { return m_Undo.size(); }
  size_t RedoSteps() const { return m_Redo.size(); }
  // Bytes the kept steps take, their vectors' capacity included.
  size_t Bytes() const;

  void BeforeEdit(SongPlace place) override;
  void BeforeWholeSong() override;

 private:
  struct Step {
    std::vector<SongPlace> places;
    std::vector<std::byte> before;  // the places' values, one after another
    std::vector<std::byte> after;
    std::string name;
  };

  void Touch(int index);
  void Put(const Step& step, const std::vector<std::byte>& values);
  std::string Describe(const Step& step) const;

  Sequencer& m_Seq;
  const int m_PlaceCount;
  // The open gesture: the values before it of the places it changed, which
  // places those are (in the order first changed) and a flag per place.
  std::unique_ptr<Song> m_Before;
  std::unique_ptr<Song> m_Scratch;
  std::vector<int> m_Touched;
  std::vector<uint8_t> m_IsTouched;
  std::deque<Step> m_Undo;
  std::deque<Step> m_Redo;
};

}  // namespace tessaloop
