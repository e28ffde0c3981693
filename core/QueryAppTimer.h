#pragma once
// The one clock of the game: QueryAppTimer(command) answers a time in seconds.
enum AppTimerCommand {
    TIMER_RESET = 0,
    TIMER_START = 1,
    TIMER_STOP = 2,
    TIMER_ADVANCE = 3,
    TIMER_GETABSOLUTETIME = 4,
    TIMER_GETAPPTIME = 5,
    TIMER_GETELAPSEDTIME = 6,
};

double QueryAppTimer(int command);
// Back to the never-called state (tests).
void ResetAppTimer();
