#include "sound/Sequencer.h"

#include <cstring>

namespace tessaloop {

Sequencer::Sequencer(const SequencerSetup& setup)
    : m_TrackCount(setup.trackCount < 1            ? 1
                   : setup.trackCount > kMaxTracks ? kMaxTracks
                                                   : setup.trackCount),
      m_Wavetables(setup.wavetables),
      m_Display(setup.display),
      m_Input(setup.input) {
  // 1. The bank cells and the clipboard are built as members: defaults, slot 0.
  // 2. Editor state.
  m_PaletteDrag = -1;
  m_PaletteReplace = -1;
  m_TempoDrag = -1;
  m_SelectedStep = -1;
  m_SelectedTrack = -1;
  m_BitmapCount = 0;
  m_Tab = 1;
  m_StepTrigger = 0;
  // 3. Tempo.
  m_SamplesPerStep = kDefaultSamplesPerStep;
  // 4. Tracks, top to bottom.
  for (int i = 0; i < m_TrackCount; ++i) {
    m_Tracks[i] = std::make_unique<Track>();
    m_Tracks[i]->Init(i);
  }
  // 5. Clock, arrangement, song mode.
  m_Position = 0;
  m_Step = 0;
  m_SampleCount = 0;
  for (auto& row : m_Arrangement.m_Entries)
    for (auto& entry : row)
      entry = kDefaultPattern;
  m_SongMode = 0;
  // 6. The user-bitmap folder.
  ListUserBitmaps();
  m_SongCount = 0;
  m_SelectedSong = 0;
  for (auto& name : m_SongNames)
    std::strcpy(name, "none");
  // 7. Song name.
  std::strcpy(m_Name, "UntitledSong");
  m_NameLength = static_cast<int32_t>(std::strlen(m_Name));
  // 8. Sound last: the first callback may come at once and walks the tracks.
  if (setup.startAudio) StartAudio();
}

Sequencer::~Sequencer() {
  StopAudio();
}

}  // namespace tessaloop
