#pragma once
// A force-feedback effect made on a controller; destroying it releases it on the device.
#include <cstdint>

#include "platform/input/InputResult.h"

namespace plat {

class ForceEffect {
public:
    virtual ~ForceEffect() = default;
    // Plays the effect this many times over (kInfinite: until stopped), from the start.
    virtual InputResult Start(uint32_t iterations) = 0;
    virtual InputResult Stop() = 0;
    virtual bool Playing() = 0;
};

}  // namespace plat
