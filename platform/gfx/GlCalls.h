#pragma once
// The GL backend's calls while drawing and filling resources go through Gl(), which counts them:
// the device reports the count, so what a frame costs the driver can be measured (calls per draw).
#include <cstdint>

namespace gfx {

inline uint64_t g_glCalls = 0;

template <class Function, class... Args>
inline auto Gl(Function function, Args... args) {
    ++g_glCalls;
    return function(args...);
}

}  // namespace gfx
