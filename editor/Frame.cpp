// Placeholder bodies so that everything links while the editor is built.

#include "sound/Sequencer.h"

namespace tessaloop {

void Sequencer::Frame() {}
void Sequencer::LowerPanel() {}
void Sequencer::EnterName() {}

}  // namespace tessaloop
