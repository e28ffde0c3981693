#pragma once
// Values of the sound layer, numbered as the game's DirectSound-style code expects them:
// results, buffer flags, status bits, the wave format and the 3-D vector.
#include <cstdint>

namespace snd {

using Result = int32_t;
constexpr Result OK = 0;
constexpr Result ERR_ALLOCATED = static_cast<Result>(0x8878000A);
constexpr Result ERR_CONTROLUNAVAIL = static_cast<Result>(0x8878001E);
constexpr Result ERR_INVALIDPARAM = static_cast<Result>(0x80070057);
constexpr Result ERR_INVALIDCALL = static_cast<Result>(0x88780032);
constexpr Result ERR_GENERIC = static_cast<Result>(0x80004005);
constexpr Result ERR_PRIOLEVELNEEDED = static_cast<Result>(0x88780046);
constexpr Result ERR_OUTOFMEMORY = static_cast<Result>(0x8007000E);
constexpr Result ERR_BADFORMAT = static_cast<Result>(0x88780064);
constexpr Result ERR_UNSUPPORTED = static_cast<Result>(0x80004001);
constexpr Result ERR_NODRIVER = static_cast<Result>(0x88780078);
constexpr Result ERR_ALREADYINITIALIZED = static_cast<Result>(0x88780082);
constexpr Result ERR_NOAGGREGATION = static_cast<Result>(0x80040110);
constexpr Result ERR_BUFFERLOST = static_cast<Result>(0x88780096);
constexpr Result ERR_OTHERAPPHASPRIO = static_cast<Result>(0x887800A0);
constexpr Result ERR_UNINITIALIZED = static_cast<Result>(0x887800AA);
constexpr Result ERR_BUFFERTOOSMALL = static_cast<Result>(0x887800B4);
constexpr Result ERR_DS8_REQUIRED = static_cast<Result>(0x887800BE);
inline bool Failed(Result r) { return r < 0; }

// Buffer creation flags.
constexpr uint32_t BUFFER_PRIMARY = 0x1;
constexpr uint32_t BUFFER_STATIC = 0x2;
constexpr uint32_t BUFFER_CTRL3D = 0x10;
constexpr uint32_t BUFFER_CTRLFREQUENCY = 0x20;
constexpr uint32_t BUFFER_CTRLPAN = 0x40;
constexpr uint32_t BUFFER_CTRLVOLUME = 0x80;
// The play cursor is exact; such a buffer is the streaming kind: played looped while its owner
// keeps writing behind the play cursor.
constexpr uint32_t BUFFER_GETCURRENTPOSITION2 = 0x10000;
constexpr uint32_t BUFFER_MUTE3DATMAXDISTANCE = 0x20000;

// Play flags, status bits, lock flags.
constexpr uint32_t PLAY_LOOPING = 0x1;
constexpr uint32_t STATUS_PLAYING = 0x1;
constexpr uint32_t STATUS_BUFFERLOST = 0x2;
constexpr uint32_t STATUS_LOOPING = 0x4;
constexpr uint32_t LOCK_ENTIREBUFFER = 0x2;

// Volumes in hundredths of a decibel, pans in hundredths of a decibel of the other side.
constexpr int32_t VOLUME_MAX = 0;
constexpr int32_t VOLUME_MIN = -10000;
constexpr int32_t PAN_LEFT = -10000;
constexpr int32_t PAN_RIGHT = 10000;
constexpr uint32_t FREQUENCY_MIN = 100;
constexpr uint32_t FREQUENCY_MAX = 200000;

// 3-D settings take effect at once or at the listener's next commit.
constexpr uint32_t APPLY_IMMEDIATE = 0;
constexpr uint32_t APPLY_DEFERRED = 1;
constexpr uint32_t MODE3D_NORMAL = 0;
constexpr uint32_t MODE3D_HEADRELATIVE = 1;
constexpr uint32_t MODE3D_DISABLE = 2;

constexpr uint32_t COOPERATIVE_PRIORITY = 2;

constexpr uint16_t FORMAT_PCM = 1;

struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;
};

// A 16-bit PCM format of the given channels and rate.
WaveFormat Pcm16Format(uint16_t channels, uint32_t samplesPerSec);

struct BufferDesc {
    uint32_t flags = 0;
    uint32_t bytes = 0;                 // 0 for the primary buffer
    const WaveFormat* format = nullptr; // null for the primary buffer
};

// Left-handed: x right, y up, z forward.
struct Vector3 {
    float x = 0, y = 0, z = 0;
};

}  // namespace snd
