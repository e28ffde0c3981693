#pragma once
// Ctrl+C (SIGINT) and SIGTERM end the program the way closing its window does. The handler only
// notes that a signal came; the message queue turns the note into a close message for the main
// window (a quit message when there is none) the next time it is looked at, so the game shuts down
// through its usual quit path on the main thread. The same signal sent again ends the process at
// once, as if it were not caught: a program that no longer takes its messages can still be
// stopped.
namespace plat {

// Installs the handlers (the program's entry calls this once, before anything else).
void CatchQuitSignals();
// True once for every signal noted since the last call.
bool TakeQuitSignal();

}  // namespace plat
