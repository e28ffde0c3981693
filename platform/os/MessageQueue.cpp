#include "platform/os/MessageQueue.h"

#include <SDL2/SDL.h>

#include <deque>
#include <vector>

#include "platform/input/InputPump.h"
#include "platform/os/Clock.h"
#include "platform/os/QuitSignals.h"
#include "platform/os/Window.h"

namespace plat {
namespace {

struct Timer {
    WindowHandle window;
    uint64_t id;
    uint32_t intervalMs;
    uint32_t lastFiredMs;
};

struct Queue {
    std::deque<Message> messages;
    std::vector<Timer> timers;
    bool quitPosted = false;
    int quitCode = 0;
};

Queue& TheQueue() {
    static Queue queue;
    return queue;
}

bool TakeDueTimer(Queue& q, Message& out) {
    uint32_t now = MillisecondTime();
    for (Timer& t : q.timers) {
        if (now - t.lastFiredMs >= t.intervalMs) {
            t.lastFiredMs = now;
            out = {t.window, msg::Timer, t.id, 0};
            return true;
        }
    }
    return false;
}

// A quit signal closes the window, as the user closing it would.
void TakeQuitSignals(Queue& q) {
    if (!TakeQuitSignal()) return;
    if (MainWindow()) {
        q.messages.push_back({MainWindow(), msg::Close, 0, 0});
    } else {
        q.quitPosted = true;
        q.quitCode = 0;
    }
}

bool TakeMessage(Message& out, bool dialog = false) {
    Queue& q = TheQueue();
    TakeQuitSignals(q);
    // A dialog's quit message comes before the input meant for the next dialog.
    if (dialog) {
        if (!q.quitPosted) PumpDialogInput(q.messages);
    } else {
        PumpInput(FrameNumber() + 1, q.messages);
    }
    if (!q.messages.empty()) {
        out = q.messages.front();
        q.messages.pop_front();
        return true;
    }
    if (q.quitPosted) {
        q.quitPosted = false;
        out = {nullptr, msg::Quit, static_cast<uint64_t>(q.quitCode), 0};
        return true;
    }
    return TakeDueTimer(q, out);
}

}  // namespace

bool PeekMessage(Message& out, bool loopPass) {
    if (TakeMessage(out)) return true;
    if (loopPass) AdvanceFrame();
    return false;
}

bool PeekDialogMessage(Message& out) { return TakeMessage(out, true); }

bool GetMessage(Message& out) {
    while (!TakeMessage(out)) SDL_Delay(1);
    return out.id != msg::Quit;
}

int64_t DispatchMessage(const Message& message) {
    return SendWindowMessage(message.window, message.id, message.wParam, message.lParam);
}

void PostMessage(WindowHandle window, uint32_t id, uint64_t wParam, int64_t lParam) {
    TheQueue().messages.push_back({window, id, wParam, lParam});
}

void PostQuitMessage(int exitCode) {
    TheQueue().quitPosted = true;
    TheQueue().quitCode = exitCode;
}

void SetTimer(WindowHandle window, uint64_t timerId, uint32_t intervalMs) {
    KillTimer(window, timerId);
    TheQueue().timers.push_back({window, timerId, intervalMs, MillisecondTime()});
}

void KillTimer(WindowHandle window, uint64_t timerId) {
    auto& timers = TheQueue().timers;
    std::erase_if(timers, [&](const Timer& t) { return t.window == window && t.id == timerId; });
}

void ResetMessageQueue() { TheQueue() = Queue{}; }

}  // namespace plat
