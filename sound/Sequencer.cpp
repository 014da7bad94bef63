#include "sound/Sequencer.h"

#include <cstring>

namespace tessaloop {

Sequencer::Sequencer(const SequencerSetup& setup)
    : m_TrackCount(setup.trackCount < 1            ? 1
                   : setup.trackCount > kMaxTracks ? kMaxTracks
                                                   : setup.trackCount),
      m_Palette(setup.palette) {
  // 1. The bank cells are built as members: defaults, slot 0.
  // 2. Tempo.
  m_StepTrigger = 0;
  m_SamplesPerStep = kDefaultSamplesPerStep;
  // 3. Tracks, top to bottom.
  for (int i = 0; i < m_TrackCount; ++i) {
    m_Tracks[i] = std::make_unique<Track>();
    m_Tracks[i]->Init(i);
  }
  // 4. Clock, arrangement, song mode.
  m_Position = 0;
  m_Step = 0;
  m_SampleCount = 0;
  m_SongMode = 0;
  // 5. Song name.
  std::strcpy(m_Name, "UntitledSong");
  // 6. Sound last: the first callback may come at once and walks the tracks.
  if (setup.startAudio) StartAudio();
}

Sequencer::~Sequencer() {
  StopAudio();
}

}  // namespace tessaloop
