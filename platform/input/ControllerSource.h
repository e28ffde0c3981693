#pragma once
// Where a controller's values come from and where its effects go: a real joystick with its
// haptic device, or the input state (the input script's controller 0, tests' fake controllers)
// with effects that are only recorded.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/input/EffectFile.h"
#include "platform/input/ForceEffect.h"
#include "platform/input/InputState.h"

namespace plat {

class ControllerSource {
public:
    virtual ~ControllerSource() = default;
    virtual const std::string& Name() const = 0;
    // Bit i set when controller value i exists (0..5 axes, 6..7 sliders).
    virtual uint32_t AxisMask() const = 0;
    // The current values, axes in -1..1.
    virtual void Read(float (&axes)[kControllerAxes], bool (&buttons)[kControllerButtons]) = 0;
    // Null when the device has no force feedback or refuses the effect.
    virtual std::unique_ptr<ForceEffect> CreateEffect(const EffectDesc& desc) = 0;
};

}  // namespace plat
