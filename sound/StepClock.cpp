// The step clock: one Tick per output sample, on the audio thread.

#include "sound/Sequencer.h"

namespace tessaloop {

// The clock's part of a sample, shared by the mix and by the tracks alone so
// that both see the very same steps, triggers and pattern loads. Inline: it
// runs once per sample on the audio thread.
inline SampleClock Sequencer::AdvanceClock(int32_t& loadPosition) {
  // The tempo is read once per sample; a step lasts exactly m_SamplesPerStep
  // samples because the excess is carried, not dropped. A tempo shortened below
  // the running count makes the clock step once per sample until it catches up.
  const int32_t samplesPerStep = m_SamplesPerStep;
  int32_t sampleCount = m_SampleCount + 1;
  int32_t step = m_Step;
  bool trigger = false;
  loadPosition = -1;
  if (sampleCount > samplesPerStep) {
    sampleCount -= samplesPerStep;
    ++step;
    trigger = true;
    if (step == kStepsPerPattern) {
      step = 0;
      if (m_SongMode) {
        // The position moves before the patterns load: the pattern after
        // position p is the one at p + 1.
        int32_t position = m_Position + 1;
        if (position > kPlayedPositions - 1 || position < 0) position = 0;
        m_Position = position;
        loadPosition = position;
      }
    }
  }
  m_SampleCount = sampleCount;
  m_Step = step;
  m_StepTrigger = trigger ? 1 : 0;
  return SampleClock{step, trigger, samplesPerStep, sampleCount};
}

void Sequencer::Tick() {
  const int32_t writeIndex = m_Mix.m_WriteIndex;
  int32_t loadPosition;
  const SampleClock clock = AdvanceClock(loadPosition);

  // Every voice adds into the cleared element, track 0 first. The sum is kept
  // in registers and stored once: the same additions in the same order.
  const WavetableBank& tables = m_Palette->Tables();
  float left = 0.0f;
  float right = 0.0f;
  for (int t = 0; t < m_TrackCount; ++t) {
    Track& track = *m_Tracks[t];
    if (loadPosition >= 0) track.LoadPattern(m_Bank, m_Arrangement[t][loadPosition]);
    const StereoSample voice = track.RenderSample(clock, tables);
    left += voice.left;
    right += voice.right;
  }
  m_Mix.m_Left[writeIndex] = left;
  m_Mix.m_Right[writeIndex] = right;
}

void Sequencer::TickTracks(StereoSample* voices) {
  int32_t loadPosition;
  const SampleClock clock = AdvanceClock(loadPosition);
  const WavetableBank& tables = m_Palette->Tables();
  for (int t = 0; t < m_TrackCount; ++t) {
    Track& track = *m_Tracks[t];
    if (loadPosition >= 0) track.LoadPattern(m_Bank, m_Arrangement[t][loadPosition]);
    voices[t] = track.RenderAlone(clock, tables);
  }
}

int Sequencer::RenderBlock(float* out, unsigned long frames) {
  int32_t writeIndex = m_Mix.m_BlockNumber * m_Mix.m_FramesPerBuffer;
  for (unsigned long i = 0; i < frames; ++i) {
    // The device asks for 64 frames; a larger request still stays inside the
    // arrays by wrapping.
    if (writeIndex >= MixBuffer::kSize) writeIndex = 0;
    m_Mix.m_WriteIndex = writeIndex;
    Tick();
    out[2 * i] = m_Mix.m_Left[writeIndex];
    out[2 * i + 1] = m_Mix.m_Right[writeIndex];
    ++writeIndex;
  }
  m_Mix.m_WriteIndex = writeIndex;
  if (++m_Mix.m_BlockNumber >= m_Mix.m_NumberOfBlocks) m_Mix.m_BlockNumber = 0;
  m_CallbackFrames = m_CallbackFrames + frames;
  return 0;
}

}  // namespace tessaloop
