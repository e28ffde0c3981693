#pragma once
// What a call on an input device answers. Success carries one warning: the mouse buffer
// overflowed and items were lost.
#include <cstdint>

namespace plat {

enum class InputResult : int32_t {
    Ok = 0,
    BufferOverflow,    // success, but the buffer dropped items since the last read
    InputLost,         // acquisition was lost (the window left the foreground); acquire again
    NotAcquired,
    OtherAppHasPriority,  // the window is not in the foreground
    InvalidParam,
    Unsupported,
    NotFound,
    Failed,
};

constexpr bool InputFailed(InputResult r) { return r != InputResult::Ok && r != InputResult::BufferOverflow; }

// Iteration count and duration that mean "until stopped".
constexpr uint32_t kInfinite = 0xFFFFFFFFu;

// Cooperative-level flags: exactly one of Exclusive and NonExclusive, one of Foreground and
// Background.
namespace coop {
constexpr uint32_t Exclusive = 0x1;
constexpr uint32_t NonExclusive = 0x2;
constexpr uint32_t Foreground = 0x4;
constexpr uint32_t Background = 0x8;
}  // namespace coop

}  // namespace plat
