#pragma once
// A game controller (wheel, joystick, pad): axes scaled to a range set per axis, up to two
// sliders, 128 buttons, and force-feedback effects. Its state is taken by Poll and read by
// GetState.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input/ControllerSource.h"
#include "platform/input/InputDevice.h"

namespace plat {

struct ControllerState {
    int32_t axes[kControllerAxes] = {};  // x, y, z, rx, ry, rz, slider 0, slider 1
    uint8_t buttons[kControllerButtons] = {};  // 0x80 while held
};

// One object of the controller: an axis (possibly a slider) by its index in ControllerState::axes.
struct ControllerObject {
    int axis = 0;
    bool slider = false;
};

class Controller : public InputDevice {
public:
    explicit Controller(std::unique_ptr<ControllerSource> source);

    const std::string& ProductName() const { return m_source->Name(); }
    const std::vector<ControllerObject>& Objects() const { return m_objects; }
    // Axis values run from min to max (0..65535 until set).
    InputResult SetAxisRange(int axis, int32_t min, int32_t max);
    // Takes the controller's current values.
    InputResult Poll();
    // The values of the last poll.
    InputResult GetState(ControllerState& state);

    InputResult CreateEffect(const EffectDesc& desc, std::unique_ptr<ForceEffect>& effect);
    // The effects of an effect file, fitted to this controller's axes: NotFound when the file is
    // missing, Failed when it is not an effect file.
    InputResult EnumEffectsInFile(std::string_view gamePath, std::vector<EffectDesc>& effects) const;

private:
    std::unique_ptr<ControllerSource> m_source;
    std::vector<ControllerObject> m_objects;
    int32_t m_min[kControllerAxes];
    int32_t m_max[kControllerAxes];
    ControllerState m_state;
};

}  // namespace plat
