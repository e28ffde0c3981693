#pragma once
// Turns what the input backends report into window messages and input state. Called by the
// message queue whenever it looks for new messages.
#include <cstdint>
#include <deque>

#include "platform/os/Message.h"

namespace plat {

// Appends the messages of events that arrived since the last call. upcomingFrame is the number of
// the frame that runs when the queue next turns out empty (script events of that frame are due).
void PumpInput(uint64_t upcomingFrame, std::deque<Message>& queue);
// The same for a modal dialog shown before the game's first frame: of the input script only the
// events of frame 0, and the next of them only once the queue is empty, so that each lands in the
// dialog that is in front when its turn comes.
void PumpDialogInput(std::deque<Message>& queue);
// True while the input script holds events of frame 0 not yet delivered.
bool ScriptDialogEventsPending();
// Forgets the loaded input script and its position (tests).
void ResetInputPump();

}  // namespace plat
