#pragma once
// The recording sound backend: real bookkeeping of buffers, lock regions, volumes and 3-D
// settings, nothing audible. Its play cursors move only when told (SetCurrentPosition or
// AdvanceNullPlayback), so tests of streaming and of finished sounds are exact. Tests script
// a missing device and failed buffer creations, and read the recorded calls.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sound/SoundDevice.h"

namespace snd {

struct NullScript {
    bool noDevice = false;           // device creation answers ERR_NODRIVER
    int bufferFailures = 0;          // the next k secondary buffer creations fail
    bool noListener = false;         // the primary buffer with 3-D control cannot be made
    std::vector<std::string> calls;  // "CreateDevice", "CreateSoundBuffer", "Play", "Stop", "Commit"
    // A headless game commits its listener every frame: the record stops growing here, far beyond
    // what any test reads, so a long run's memory stays flat.
    static constexpr size_t kMaxCalls = 1 << 16;
};

// The script; recording is safe from both the main and the music thread.
NullScript& NullBackend();
std::mutex& NullBackendMutex();
void ResetNullSoundBackend();
// How many times a call was recorded.
int CountNullCalls(const std::string& call);

// Moves the play cursor of every playing null buffer on by `bytes`: a looped buffer wraps, a
// buffer played once stops at its end.
void AdvanceNullPlayback(uint32_t bytes);
// Every live null buffer reports itself lost until restored.
void LoseNullBuffers();

Result CreateNullDevice(std::unique_ptr<Device>& device);

}  // namespace snd
