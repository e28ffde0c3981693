#include "platform/input/SdlControllerSource.h"

#include <SDL2/SDL.h>

#include <algorithm>

namespace plat {
namespace {

// Effect levels and coefficients run -10000..10000 in effect files, -32767..32767 in SDL; the
// effect's gain (0..10000) scales them.
Sint16 Level(int32_t value, uint32_t gain) {
    int64_t v = int64_t(std::clamp(value, -10000, 10000)) * 32767 / 10000 * std::min<uint32_t>(gain, 10000) / 10000;
    return Sint16(v);
}

Uint16 Saturation(int32_t value) { return Uint16(int64_t(std::clamp(value, 0, 10000)) * 0xFFFF / 10000); }

Uint16 Milliseconds16(uint32_t microseconds) { return Uint16(std::min<uint32_t>(microseconds / 1000, 0xFFFF)); }

Uint32 Length(uint32_t microseconds) {
    return microseconds == kInfinite ? SDL_HAPTIC_INFINITY : Uint32(microseconds / 1000);
}

SDL_HapticDirection Direction(const EffectDesc& e) {
    SDL_HapticDirection d{};
    if (e.flags & effectflag::Polar) {
        d.type = SDL_HAPTIC_POLAR;
        d.dir[0] = e.directions.empty() ? 0 : e.directions[0];
    } else {
        d.type = SDL_HAPTIC_CARTESIAN;
        for (size_t i = 0; i < 3 && i < e.directions.size(); ++i) d.dir[i] = e.directions[i];
        if (e.directions.empty()) d.dir[0] = 1;
    }
    return d;
}

template <class T>
void SetTiming(T& t, const EffectDesc& e) {
    t.direction = Direction(e);
    t.length = Length(e.duration);
    t.delay = Milliseconds16(e.startDelay);
    t.button = 0;
    t.interval = Milliseconds16(e.triggerRepeatInterval);
}

template <class T>
void SetEnvelope(T& t, const EffectDesc& e) {
    if (!e.hasEnvelope) return;
    t.attack_length = Milliseconds16(e.envelope.attackTime);
    t.attack_level = Saturation(int32_t(e.envelope.attackLevel));
    t.fade_length = Milliseconds16(e.envelope.fadeTime);
    t.fade_level = Saturation(int32_t(e.envelope.fadeLevel));
}

Uint16 PeriodicType(EffectType type) {
    switch (type) {
        case EffectType::Triangle: return SDL_HAPTIC_TRIANGLE;
        case EffectType::SawtoothUp: return SDL_HAPTIC_SAWTOOTHUP;
        case EffectType::SawtoothDown: return SDL_HAPTIC_SAWTOOTHDOWN;
        default: return SDL_HAPTIC_SINE;  // SDL 2 has no square wave; a sine is the nearest
    }
}

Uint16 ConditionType(EffectType type) {
    switch (type) {
        case EffectType::Damper: return SDL_HAPTIC_DAMPER;
        case EffectType::Inertia: return SDL_HAPTIC_INERTIA;
        case EffectType::Friction: return SDL_HAPTIC_FRICTION;
        default: return SDL_HAPTIC_SPRING;
    }
}

SDL_HapticEffect ToSdl(const EffectDesc& e) {
    SDL_HapticEffect h{};
    if (IsCondition(e.type)) {
        h.condition.type = ConditionType(e.type);
        SetTiming(h.condition, e);
        for (size_t i = 0; i < e.conditions.size() && i < 3; ++i) {
            const EffectCondition& c = e.conditions[i];
            h.condition.right_sat[i] = Saturation(c.positiveSaturation);
            h.condition.left_sat[i] = Saturation(c.negativeSaturation);
            h.condition.right_coeff[i] = Level(c.positiveCoefficient, e.gain);
            h.condition.left_coeff[i] = Level(c.negativeCoefficient, e.gain);
            h.condition.deadband[i] = Saturation(c.deadBand);
            h.condition.center[i] = Level(c.offset, 10000);
        }
    } else if (IsPeriodic(e.type)) {
        h.periodic.type = PeriodicType(e.type);
        SetTiming(h.periodic, e);
        h.periodic.period = Milliseconds16(uint32_t(e.period));
        h.periodic.magnitude = Level(e.magnitude, e.gain);
        h.periodic.offset = Level(e.offset, e.gain);
        h.periodic.phase = Uint16(std::clamp(e.phase, 0, 35999));
        SetEnvelope(h.periodic, e);
    } else if (e.type == EffectType::Ramp) {
        h.ramp.type = SDL_HAPTIC_RAMP;
        SetTiming(h.ramp, e);
        h.ramp.start = Level(e.rampStart, e.gain);
        h.ramp.end = Level(e.rampEnd, e.gain);
        SetEnvelope(h.ramp, e);
    } else {
        h.constant.type = SDL_HAPTIC_CONSTANT;
        SetTiming(h.constant, e);
        h.constant.level = Level(e.magnitude, e.gain);
        SetEnvelope(h.constant, e);
    }
    return h;
}

class SdlEffect : public ForceEffect {
public:
    SdlEffect(SDL_Haptic* haptic, int id) : m_haptic(haptic), m_id(id) {}
    ~SdlEffect() override { SDL_HapticDestroyEffect(m_haptic, m_id); }

    InputResult Start(uint32_t iterations) override {
        Uint32 times = iterations == kInfinite ? SDL_HAPTIC_INFINITY : iterations;
        if (SDL_HapticRunEffect(m_haptic, m_id, times) < 0) return InputResult::Failed;
        m_started = true;
        return InputResult::Ok;
    }
    InputResult Stop() override {
        m_started = false;
        return SDL_HapticStopEffect(m_haptic, m_id) < 0 ? InputResult::Failed : InputResult::Ok;
    }
    // Devices that cannot report an effect's status count a started effect as playing until it
    // is stopped.
    bool Playing() override {
        if (SDL_HapticQuery(m_haptic) & SDL_HAPTIC_STATUS) return SDL_HapticGetEffectStatus(m_haptic, m_id) == 1;
        return m_started;
    }

private:
    SDL_Haptic* m_haptic;
    int m_id;
    bool m_started = false;
};

}  // namespace

SdlControllerSource::SdlControllerSource(int index) {
    m_joystick = SDL_JoystickOpen(index);
    if (!m_joystick) return;
    const char* name = SDL_JoystickName(m_joystick);
    m_name = name ? name : "";
    if (SDL_JoystickIsHaptic(m_joystick) == 1) m_haptic = SDL_HapticOpenFromJoystick(m_joystick);
}

SdlControllerSource::~SdlControllerSource() {
    if (m_haptic) SDL_HapticClose(m_haptic);
    if (m_joystick) SDL_JoystickClose(m_joystick);
}

uint32_t SdlControllerSource::AxisMask() const {
    int count = std::clamp(SDL_JoystickNumAxes(m_joystick), 0, kControllerAxes);
    return (1u << count) - 1;
}

void SdlControllerSource::Read(float (&axes)[kControllerAxes], bool (&buttons)[kControllerButtons]) {
    SDL_JoystickUpdate();
    int axisCount = std::min(SDL_JoystickNumAxes(m_joystick), kControllerAxes);
    for (int i = 0; i < kControllerAxes; ++i)
        axes[i] = i < axisCount ? std::max(SDL_JoystickGetAxis(m_joystick, i) / 32767.0f, -1.0f) : 0.0f;
    int buttonCount = std::min(SDL_JoystickNumButtons(m_joystick), kControllerButtons);
    for (int i = 0; i < kControllerButtons; ++i) buttons[i] = i < buttonCount && SDL_JoystickGetButton(m_joystick, i);
}

std::unique_ptr<ForceEffect> SdlControllerSource::CreateEffect(const EffectDesc& desc) {
    if (!m_haptic) return nullptr;
    SDL_HapticEffect effect = ToSdl(desc);
    if (SDL_HapticEffectSupported(m_haptic, &effect) != SDL_TRUE) return nullptr;
    int id = SDL_HapticNewEffect(m_haptic, &effect);
    if (id < 0) return nullptr;
    return std::make_unique<SdlEffect>(m_haptic, id);
}

}  // namespace plat
