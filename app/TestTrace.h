#pragma once

// The trace of the end-to-end test builds: what reached the input state and
// the editor's state, written into the debug log whenever it changes, so that
// a test can see real key presses and mouse motion arrive and wait until a
// frame has taken them. Only the test builds of the programs have it
// (tests/e2e/CMakeLists.txt); the picture is the same.

#include <cstdint>

namespace tessaloop {

class Editor;
class RecoveryCopy;
class Sequencer;

// After every frame: the input and the editor when they changed, and every
// 64th frame its number.
void TraceFrame(const Editor& editor, uint32_t nowMilliseconds);
// After every frame, before TraceFrame: the song's edit count and the one the
// recovery copy on the disk holds, when either changed. A test sees its edit
// taken when the first grows, and the copy complete when they are equal.
void TraceRecovery(const Sequencer& sequencer, const RecoveryCopy& recovery);
// A window event the shell handled.
void TraceEvent(const char* what);
// The sound stopped on the way out: how many frames it played, and how many
// editor frames ran in how long.
void TraceAudioStopped(const Sequencer& sequencer);

}  // namespace tessaloop
