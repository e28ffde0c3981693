#include "platform/os/Backends.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace plat {
namespace {

std::optional<BackendChoice>& Current() {
    static std::optional<BackendChoice> choice;
    return choice;
}

void Warn(const char* variable, const char* value) {
    std::fprintf(stderr, "furrow: ignoring %s=%s (unknown value)\n", variable, value);
}

}  // namespace

BackendChoice ParseBackends(const char* video, const char* audio, const char* input, const char* clock) {
    BackendChoice c;
    if (video && *video) {
        if (!std::strcmp(video, "null")) c.video = VideoBackend::Null;
        else if (std::strcmp(video, "gl")) Warn("FURROW_VIDEO", video);
    }
    if (audio && *audio) {
        if (!std::strcmp(audio, "null")) c.audio = AudioBackend::Null;
        else if (std::strcmp(audio, "openal")) Warn("FURROW_AUDIO", audio);
    }
    if (input && *input) {
        if (!std::strncmp(input, "script:", 7) && input[7]) {
            c.input = InputBackend::Script;
            c.inputScript = input + 7;
        } else if (std::strcmp(input, "sdl")) {
            Warn("FURROW_INPUT", input);
        }
    }
    if (clock && *clock) {
        if (!std::strncmp(clock, "fixed:", 6)) {
            long n = std::strtol(clock + 6, nullptr, 10);
            if (n > 0 && n <= 100000) {
                c.clock = ClockBackend::Fixed;
                c.fixedFramesPerSecond = static_cast<uint32_t>(n);
            } else {
                Warn("FURROW_CLOCK", clock);
            }
        } else if (std::strcmp(clock, "real")) {
            Warn("FURROW_CLOCK", clock);
        }
    }
    return c;
}

const BackendChoice& Backends() {
    auto& c = Current();
    if (!c) {
        c = ParseBackends(std::getenv("FURROW_VIDEO"), std::getenv("FURROW_AUDIO"),
                          std::getenv("FURROW_INPUT"), std::getenv("FURROW_CLOCK"));
    }
    return *c;
}

void SetBackends(const BackendChoice& choice) { Current() = choice; }

}  // namespace plat
