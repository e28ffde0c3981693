#pragma once
// Which backend each platform service uses, chosen once per process from the environment.
// Only the platform layer reads these variables; the game never looks at the environment.
#include <cstdint>
#include <string>

namespace plat {

enum class VideoBackend { Gl, Null };
enum class AudioBackend { OpenAL, Null };
enum class InputBackend { Sdl, Script };
enum class ClockBackend { Real, Fixed };

struct BackendChoice {
    VideoBackend video = VideoBackend::Gl;
    AudioBackend audio = AudioBackend::OpenAL;
    InputBackend input = InputBackend::Sdl;
    ClockBackend clock = ClockBackend::Real;
    std::string inputScript;      // FURROW_INPUT=script:FILE
    uint32_t fixedFramesPerSecond = 0;  // FURROW_CLOCK=fixed:N
};

// The choice read from FURROW_VIDEO, FURROW_AUDIO, FURROW_INPUT and FURROW_CLOCK on first use.
const BackendChoice& Backends();
// Replaces the choice (tests pick backends without touching the environment).
void SetBackends(const BackendChoice& choice);
// Parses the four variables' values; unknown values fall back to the defaults with a note on stderr.
BackendChoice ParseBackends(const char* video, const char* audio, const char* input, const char* clock);

}  // namespace plat
