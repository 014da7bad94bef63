#include "history/UndoHistory.h"

#include <algorithm>
#include <cstring>

namespace tessaloop {

namespace {

std::string Number(int n) {
  return std::to_string(n);
}

std::string PatternName(int32_t pattern) {
  return std::string(1, PatternLetter(pattern));
}

}  // namespace

UndoHistory::UndoHistory(Sequencer& seq)
    : m_Seq(seq),
      m_PlaceCount(SongPlaceCount(seq.TrackCount())),
      m_Before(std::make_unique<Song>()),
      m_Scratch(std::make_unique<Song>()),
      m_IsTouched(static_cast<size_t>(m_PlaceCount), 0) {
  m_Touched.reserve(static_cast<size_t>(m_PlaceCount));
  m_Seq.SetEditListener(this);
}

UndoHistory::~UndoHistory() {
  m_Seq.SetEditListener(nullptr);
}

void UndoHistory::Touch(int index) {
  if (index < 0 || index >= m_PlaceCount || m_IsTouched[static_cast<size_t>(index)] != 0) return;
  m_IsTouched[static_cast<size_t>(index)] = 1;
  m_Touched.push_back(index);
}

void UndoHistory::BeforeEdit(SongPlace place) {
  const int index = SongPlaceIndex(place, m_Seq.TrackCount());
  if (index < 0 || index >= m_PlaceCount || m_IsTouched[static_cast<size_t>(index)] != 0) return;
  // The value the place had before the gesture first changed it.
  m_Seq.CapturePlace(place, *m_Before);
  Touch(index);
}

void UndoHistory::BeforeWholeSong() {
  // Every place may change: those the gesture has not yet changed are kept as
  // they are now, the others keep their older value.
  m_Seq.Capture(*m_Scratch);
  const int tracks = m_Seq.TrackCount();
  for (int index = 0; index < m_PlaceCount; ++index) {
    if (m_IsTouched[static_cast<size_t>(index)] != 0) continue;
    const SongPlace place = SongPlaceAt(index, tracks);
    size_t size = 0;
    const std::byte* now = BytesOf(*m_Scratch, place, size);
    std::memcpy(BytesOf(*m_Before, place).data, now, size);
    Touch(index);
  }
}

void UndoHistory::EndGesture() {
  if (m_Touched.empty()) return;
  const int tracks = m_Seq.TrackCount();
  Step step;
  for (int index : m_Touched) {
    const SongPlace place = SongPlaceAt(index, tracks);
    m_Seq.CapturePlace(place, *m_Scratch);
    size_t size = 0;
    const std::byte* before = BytesOf(*m_Before, place, size);
    const std::byte* after = BytesOf(*m_Scratch, place, size);
    m_IsTouched[static_cast<size_t>(index)] = 0;
    // A place changed and changed back within the gesture is no change.
    if (std::memcmp(before, after, size) == 0) continue;
    step.places.push_back(place);
    step.before.insert(step.before.end(), before, before + size);
    step.after.insert(step.after.end(), after, after + size);
  }
  m_Touched.clear();
  if (step.places.empty()) return;
  step.places.shrink_to_fit();
  step.before.shrink_to_fit();
  step.after.shrink_to_fit();
  step.name = Describe(step);
  m_Redo.clear();
  m_Undo.push_back(std::move(step));
  if (m_Undo.size() > kUndoSteps) m_Undo.pop_front();
}

void UndoHistory::Put(const Step& step, const std::vector<std::byte>& values) {
  // Not heard by this listener: ApplyPlace is no edit operation.
  size_t offset = 0;
  for (const SongPlace& place : step.places) {
    const PlaceBytes target = BytesOf(*m_Scratch, place);
    std::memcpy(target.data, values.data() + offset, target.size);
    offset += target.size;
    m_Seq.ApplyPlace(place, *m_Scratch);
  }
}

bool UndoHistory::Undo(std::string& what) {
  EndGesture();
  if (m_Undo.empty()) return false;
  Step step = std::move(m_Undo.back());
  m_Undo.pop_back();
  Put(step, step.before);
  what = step.name;
  m_Redo.push_back(std::move(step));
  return true;
}

bool UndoHistory::Redo(std::string& what) {
  EndGesture();
  if (m_Redo.empty()) return false;
  Step step = std::move(m_Redo.back());
  m_Redo.pop_back();
  Put(step, step.after);
  what = step.name;
  m_Undo.push_back(std::move(step));
  return true;
}

size_t UndoHistory::Bytes() const {
  size_t bytes = 0;
  for (const std::deque<Step>* steps : {&m_Undo, &m_Redo}) {
    for (const Step& step : *steps) {
      bytes += sizeof step + step.places.capacity() * sizeof(SongPlace) + step.before.capacity() +
               step.after.capacity() + step.name.capacity();
    }
  }
  return bytes;
}

// A short name of what a step changed, at most 30 characters, from the
// kinds of its places: the edit a gesture makes shows in what it changed.
std::string UndoHistory::Describe(const Step& step) const {
  int counts[10] = {};
  const SongPlace* first[10] = {};
  for (const SongPlace& place : step.places) {
    const int kind = static_cast<int>(place.kind);
    if (counts[kind]++ == 0) first[kind] = &place;
  }
  auto count = [&](SongPlaceKind kind) { return counts[static_cast<int>(kind)]; };
  auto at = [&](SongPlaceKind kind) { return *first[static_cast<int>(kind)]; };
  int kinds = 0;
  for (int c : counts)
    kinds += c > 0 ? 1 : 0;
  const size_t total = step.places.size();
  // The value after the step of a place holding a number.
  auto afterNumber = [&](SongPlace wanted) {
    size_t offset = 0;
    for (const SongPlace& place : step.places) {
      const PlaceBytes bytes = BytesOf(*m_Scratch, place);
      if (place == wanted) {
        int32_t value = 0;
        std::memcpy(&value, step.after.data() + offset, std::min(bytes.size, sizeof value));
        return value;
      }
      offset += bytes.size;
    }
    return int32_t{0};
  };

  if (count(SongPlaceKind::kArrangement) > 0 && count(SongPlaceKind::kBankCell) > 0)
    return "song load";
  if (count(SongPlaceKind::kTrackStored) > 0 ||
      (count(SongPlaceKind::kBankCell) > 0 && kinds == 1)) {
    if (count(SongPlaceKind::kTrackStored) == 0) return "pattern store";
    const SongPlace place = at(SongPlaceKind::kTrackStored);
    return "store " + PatternName(afterNumber(place)) + " from track " + Number(place.a + 1);
  }
  if (count(SongPlaceKind::kTrackLoaded) > 0) {
    const SongPlace place = at(SongPlaceKind::kTrackLoaded);
    return "load " + PatternName(afterNumber(place)) + " into track " + Number(place.a + 1);
  }
  if (kinds > 1) return Number(static_cast<int>(total)) + " changes";
  switch (step.places.front().kind) {
    case SongPlaceKind::kTrackCell: {
      const SongPlace place = step.places.front();
      if (total > 1) return Number(static_cast<int>(total)) + " steps";
      return "step " + Number(place.b + 1) + " of track " + Number(place.a + 1);
    }
    case SongPlaceKind::kTrackMute:
      return total > 1 ? "mutes" : "mute of track " + Number(step.places.front().a + 1);
    case SongPlaceKind::kArrangement: {
      const SongPlace place = step.places.front();
      if (total > 1) return Number(static_cast<int>(total)) + " arrangement letters";
      return "position " + Number(place.b + 1) + " of track " + Number(place.a + 1);
    }
    case SongPlaceKind::kPaletteSlot:
      return total > 1 ? "palette pictures"
                       : "palette picture " + Number(step.places.front().a - kFirstSavedSlot);
    case SongPlaceKind::kTempo:
      return "tempo";
    case SongPlaceKind::kSongMode:
      return "song mode";
    case SongPlaceKind::kName:
      return "song name";
    case SongPlaceKind::kTrackStored:
    case SongPlaceKind::kTrackLoaded:
    case SongPlaceKind::kBankCell:
      break;
  }
  return Number(static_cast<int>(total)) + " changes";
}

}  // namespace tessaloop
