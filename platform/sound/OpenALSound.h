#pragma once
// The audible sound backend on OpenAL Soft. Each secondary buffer is one OpenAL source: a static
// buffer's samples go into one OpenAL buffer when it is played after a write; a streaming buffer
// (BUFFER_GETCURRENTPOSITION2) is emulated with a few queued OpenAL buffers cut from its ring of
// samples, and its play cursor is the point up to which the ring has been handed to OpenAL, so
// everything behind it may be overwritten. Coordinates are converted from the game's
// left-handed space; volumes from hundredths of a decibel to gains.
#include <cstdint>
#include <memory>

#include "platform/sound/SoundDevice.h"

namespace snd {

Result CreateOpenALDevice(std::unique_ptr<Device>& device);

// Tests: while set, the OpenAL backend opens a loopback device (stereo, 16-bit, `rate` Hz)
// instead of the default output, and RenderLoopback pulls its mix.
void UseLoopbackDevice(bool use, uint32_t rate = 44100);
bool LoopbackAvailable();
// Renders the next `frames` stereo frames of the open loopback device; false without one.
bool RenderLoopback(int16_t* out, uint32_t frames);

}  // namespace snd
