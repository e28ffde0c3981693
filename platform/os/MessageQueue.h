#pragma once
// The message queue of the main thread. Input arrives here from the input backends; posted
// messages come next; the quit message and due timers are produced only when nothing else is
// waiting, and a timer that fell due several times is delivered once. Each call that finds the
// queue empty ends a pass of the loop: the frame that then runs is counted (plat::FrameNumber).
#include <cstdint>

#include "platform/os/Message.h"

namespace plat {

// Takes the next message; false when the queue is empty. An empty queue in a pass of the main loop
// means the caller runs a frame, and that frame is counted; a look before the loop starts passes
// loopPass false so that the first frame of the loop is frame 1.
bool PeekMessage(Message& out, bool loopPass = true);
// Takes the next message for a modal dialog shown before the game's first frame (input script
// events of frame 0 only, and none while a quit message waits: a dialog's quit comes before the
// input for the next dialog); never counts a frame. False when the queue is empty.
bool PeekDialogMessage(Message& out);
// Waits for the next message; false when it is the quit message.
bool GetMessage(Message& out);
// Hands the message to its window's procedure.
int64_t DispatchMessage(const Message& message);
void PostMessage(WindowHandle window, uint32_t id, uint64_t wParam, int64_t lParam);
// Asks the loop to end: a quit message with this exit code follows the messages already queued.
void PostQuitMessage(int exitCode);

// A timer delivers a timer message with its id to the window every interval milliseconds.
void SetTimer(WindowHandle window, uint64_t timerId, uint32_t intervalMs);
void KillTimer(WindowHandle window, uint64_t timerId);

// Empties the queue and forgets timers and a pending quit (tests).
void ResetMessageQueue();

}  // namespace plat
