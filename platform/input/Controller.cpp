#include "platform/input/Controller.h"

#include <algorithm>
#include <cmath>

#include "platform/os/Files.h"

namespace plat {
namespace {
constexpr int kFirstSlider = 6;
}

Controller::Controller(std::unique_ptr<ControllerSource> source)
    : InputDevice(DeviceKind::Controller), m_source(std::move(source)) {
    uint32_t mask = m_source->AxisMask();
    for (int i = 0; i < kControllerAxes; ++i) {
        if (mask & (1u << i)) m_objects.push_back({i, i >= kFirstSlider});
        m_min[i] = 0;
        m_max[i] = 65535;
    }
}

InputResult Controller::SetAxisRange(int axis, int32_t min, int32_t max) {
    if (axis < 0 || axis >= kControllerAxes || min >= max) return InputResult::InvalidParam;
    m_min[axis] = min;
    m_max[axis] = max;
    return InputResult::Ok;
}

InputResult Controller::Poll() {
    InputResult r = CheckRead();
    if (r != InputResult::Ok) return r;
    float axes[kControllerAxes];
    bool buttons[kControllerButtons];
    m_source->Read(axes, buttons);
    for (int i = 0; i < kControllerAxes; ++i) {
        double unit = (std::clamp(axes[i], -1.0f, 1.0f) + 1.0) / 2.0;
        m_state.axes[i] = int32_t(std::lround(m_min[i] + unit * (double(m_max[i]) - m_min[i])));
    }
    for (int i = 0; i < kControllerButtons; ++i) m_state.buttons[i] = buttons[i] ? 0x80 : 0;
    return InputResult::Ok;
}

InputResult Controller::GetState(ControllerState& state) {
    InputResult r = CheckRead();
    if (r != InputResult::Ok) return r;
    state = m_state;
    return InputResult::Ok;
}

InputResult Controller::CreateEffect(const EffectDesc& desc, std::unique_ptr<ForceEffect>& effect) {
    effect = m_source->CreateEffect(desc);
    return effect ? InputResult::Ok : InputResult::Unsupported;
}

InputResult Controller::EnumEffectsInFile(std::string_view gamePath, std::vector<EffectDesc>& effects) const {
    effects.clear();
    std::vector<char> bytes;
    if (!ReadFileBytes(gamePath, bytes)) return InputResult::NotFound;
    if (!ParseEffectFile(bytes, effects)) return InputResult::Failed;
    // An effect acts on no more axes than the controller has.
    size_t axisCount = std::count_if(m_objects.begin(), m_objects.end(), [](const ControllerObject& o) { return !o.slider; });
    for (EffectDesc& e : effects) {
        if (e.axes.size() <= axisCount) continue;
        e.axes.resize(axisCount);
        e.directions.resize(axisCount);
        if (e.conditions.size() > axisCount) e.conditions.resize(axisCount);
    }
    return InputResult::Ok;
}

}  // namespace plat
