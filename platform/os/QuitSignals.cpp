#include "platform/os/QuitSignals.h"

#include <SDL2/SDL.h>

#include <csignal>

namespace plat {
namespace {

volatile std::sig_atomic_t g_quitSignalled = 0;

void NoteQuitSignal(int) { g_quitSignalled = 1; }

}  // namespace

void CatchQuitSignals() {
    // SDL would take these signals for itself and queue a quit event that only the window
    // backend's events reach; ours reach the message queue on every backend.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action {};
    action.sa_handler = NoteQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;  // the next signal takes the default action
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool TakeQuitSignal() {
    if (!g_quitSignalled) return false;
    g_quitSignalled = 0;
    return true;
}

}  // namespace plat
