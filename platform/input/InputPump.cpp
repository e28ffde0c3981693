#include "platform/input/InputPump.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <string>

#include "platform/input/InputState.h"
#include "platform/input/KeyCodes.h"
#include "platform/input/ScriptInput.h"
#include "platform/os/Backends.h"
#include "platform/os/Files.h"
#include "platform/os/Window.h"
#include "platform/os/WindowRecord.h"

namespace plat {
namespace {

struct ScriptPlayback {
    bool loaded = false;
    std::vector<ScriptEvent> events;
    size_t next = 0;
};

ScriptPlayback& Playback() {
    static ScriptPlayback playback;
    return playback;
}

void LoadScript(ScriptPlayback& playback) {
    playback.loaded = true;
    const std::string& path = Backends().inputScript;
    // A path of this machine, read through the file layer: a relative one is found from the start
    // directory, which is where the program was started.
    std::vector<char> bytes;
    if (!ReadFileBytes(path, bytes)) {
        std::fprintf(stderr, "furrow: input script '%s' cannot be read; no scripted input\n", path.c_str());
        return;
    }
    ScriptParseResult parsed = ParseInputScript(std::string_view(bytes.data(), bytes.size()));
    for (const std::string& error : parsed.errors)
        std::fprintf(stderr, "furrow: input script '%s' %s (skipped)\n", path.c_str(), error.c_str());
    playback.events = std::move(parsed.events);
}

// lParam of a key message: repeat count 1, the scan code in bits 16-23, bit 30 the previous state,
// bit 31 set for a release.
int64_t KeyLParam(const KeyCode& key, bool down, bool wasDown) {
    int64_t l = 1 | (static_cast<int64_t>(key.scanCode & 0xFF) << 16);
    if (key.scanCode & 0x80) l |= 1 << 24;  // extended key
    if (wasDown) l |= 1 << 30;
    if (!down) l |= int64_t(1) << 31;
    return l;
}

void KeyEvent(int sdlScancode, bool down, std::deque<Message>& queue) {
    KeyCode key = KeyFromSdlScancode(sdlScancode);
    InputState& input = CurrentInput();
    bool wasDown = key.scanCode && (input.keys[key.scanCode] & 0x80);
    if (key.scanCode) input.keys[key.scanCode] = down ? 0x80 : 0;
    if (key.virtualKey)
        queue.push_back({MainWindow(), down ? msg::KeyDown : msg::KeyUp, key.virtualKey, KeyLParam(key, down, wasDown)});
}

void MouseMoveEvent(int dx, int dy, std::deque<Message>& queue) {
    InputState& input = CurrentInput();
    input.mouseDx += dx;
    input.mouseDy += dy;
    if (dx) PushMouseItem(MouseOffset::X, dx);
    if (dy) PushMouseItem(MouseOffset::Y, dy);
    queue.push_back({MainWindow(), msg::MouseMove, 0, 0});
}

void MouseButtonEvent(int button, bool down, int x, int y, std::deque<Message>& queue) {
    InputState& input = CurrentInput();
    input.mouseButtons[button] = down;
    PushMouseItem(MouseOffset(int(MouseOffset::Button0) + button), down ? 0x80 : 0);
    static constexpr uint32_t kDown[3] = {msg::LButtonDown, msg::RButtonDown, msg::MButtonDown};
    static constexpr uint32_t kUp[3] = {msg::LButtonUp, msg::RButtonUp, msg::MButtonUp};
    queue.push_back({MainWindow(), down ? kDown[button] : kUp[button], 0, PointParam(x, y)});
}

void DeliverScriptEvent(const ScriptEvent& e, std::deque<Message>& queue) {
    switch (e.kind) {
        case ScriptEvent::Kind::KeyDown: KeyEvent(e.code, true, queue); break;
        case ScriptEvent::Kind::KeyUp: KeyEvent(e.code, false, queue); break;
        case ScriptEvent::Kind::MouseMove: MouseMoveEvent(e.dx, e.dy, queue); break;
        case ScriptEvent::Kind::MouseDown: MouseButtonEvent(e.code, true, e.x, e.y, queue); break;
        case ScriptEvent::Kind::MouseUp: MouseButtonEvent(e.code, false, e.x, e.y, queue); break;
        case ScriptEvent::Kind::Axis: CurrentInput().axes[e.code] = e.value; break;
        case ScriptEvent::Kind::Button: CurrentInput().buttons[e.code] = e.down; break;
        case ScriptEvent::Kind::Close:
            if (MainWindow()) queue.push_back({MainWindow(), msg::Close, 0, 0});
            break;
    }
}

ScriptPlayback& LoadedPlayback() {
    ScriptPlayback& playback = Playback();
    if (!playback.loaded) LoadScript(playback);
    return playback;
}

void PumpScript(uint64_t upcomingFrame, std::deque<Message>& queue) {
    ScriptPlayback& playback = LoadedPlayback();
    while (playback.next < playback.events.size() && playback.events[playback.next].frame <= upcomingFrame)
        DeliverScriptEvent(playback.events[playback.next++], queue);
}

// Devices acquired for the foreground lose their input while the window is in the background.
void Activate(bool active, std::deque<Message>& queue) {
    CurrentInput().foreground = active;
    queue.push_back({MainWindow(), msg::ActivateApp, active ? 1u : 0u, 0});
}

int SdlMouseButton(uint8_t button) {
    switch (button) {
        case SDL_BUTTON_LEFT: return 0;
        case SDL_BUTTON_RIGHT: return 1;
        case SDL_BUTTON_MIDDLE: return 2;
        default: return -1;
    }
}

bool IsFrontWindow(Uint32 sdlWindowId) {
    WindowHandle front = MainWindow();
    return front && front->sdlWindow && SDL_GetWindowID(front->sdlWindow) == sdlWindowId;
}

void PumpSdl(bool takeDeviceInput, std::deque<Message>& queue) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
            case SDL_QUIT:
                if (MainWindow()) queue.push_back({MainWindow(), msg::Close, 0, 0});
                break;
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_CLOSE && MainWindow())
                    queue.push_back({MainWindow(), msg::Close, 0, 0});
                else if (event.window.event == SDL_WINDOWEVENT_EXPOSED)
                    queue.push_back({MainWindow(), msg::Paint, 0, 0});
                else if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
                    Activate(true, queue);
                else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
                    Activate(false, queue);
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                if (takeDeviceInput) KeyEvent(event.key.keysym.scancode, event.type == SDL_KEYDOWN, queue);
                break;
            case SDL_MOUSEMOTION:
                if (takeDeviceInput) MouseMoveEvent(event.motion.xrel, event.motion.yrel, queue);
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                // A click on a window behind the front one (the game's window behind a dialog)
                // would land in the front window at the wrong place.
                if (takeDeviceInput && IsFrontWindow(event.button.windowID)) {
                    int button = SdlMouseButton(event.button.button);
                    if (button >= 0)
                        MouseButtonEvent(button, event.type == SDL_MOUSEBUTTONDOWN, event.button.x, event.button.y,
                                         queue);
                }
                break;
            case SDL_MOUSEWHEEL:
                // One notch of the wheel is 120 counts.
                if (takeDeviceInput && event.wheel.y) PushMouseItem(MouseOffset::Wheel, event.wheel.y * 120);
                break;
            default: break;
        }
    }
}

}  // namespace

void PumpInput(uint64_t upcomingFrame, std::deque<Message>& queue) {
    bool scripted = Backends().input == InputBackend::Script;
    if (SDL_WasInit(SDL_INIT_VIDEO)) PumpSdl(!scripted, queue);
    if (scripted) PumpScript(upcomingFrame, queue);
}

void PumpDialogInput(std::deque<Message>& queue) {
    bool scripted = Backends().input == InputBackend::Script;
    if (SDL_WasInit(SDL_INIT_VIDEO)) PumpSdl(!scripted, queue);
    if (scripted && queue.empty() && ScriptDialogEventsPending())
        DeliverScriptEvent(Playback().events[Playback().next++], queue);
}

bool ScriptDialogEventsPending() {
    if (Backends().input != InputBackend::Script) return false;
    ScriptPlayback& playback = LoadedPlayback();
    return playback.next < playback.events.size() && playback.events[playback.next].frame == 0;
}

void ResetInputPump() { Playback() = ScriptPlayback{}; }

}  // namespace plat
