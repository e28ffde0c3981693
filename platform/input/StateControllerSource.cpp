#include "platform/input/StateControllerSource.h"

#include <algorithm>

namespace plat {
namespace {

constexpr uint32_t kSixAxes = 0x3F;
constexpr uint32_t kFirstSlider = 0x40;

// Plays nothing; every call is appended to the input state's effect calls. It counts as playing
// from a start until a stop.
class RecordedEffect : public ForceEffect {
public:
    RecordedEffect(const std::string& controller, const EffectDesc& desc)
        : m_controller(controller), m_name(desc.name), m_type(desc.type) {
        Record(EffectCall::Op::Create, 0);
    }
    ~RecordedEffect() override { Record(EffectCall::Op::Release, 0); }

    InputResult Start(uint32_t iterations) override {
        Record(EffectCall::Op::Start, iterations);
        m_playing = true;
        return InputResult::Ok;
    }
    InputResult Stop() override {
        Record(EffectCall::Op::Stop, 0);
        m_playing = false;
        return InputResult::Ok;
    }
    bool Playing() override { return m_playing; }

private:
    void Record(EffectCall::Op op, uint32_t iterations) {
        CurrentInput().effectCalls.push_back({op, m_controller, m_name, m_type, iterations});
    }

    std::string m_controller;
    std::string m_name;
    EffectType m_type;
    bool m_playing = false;
};

}  // namespace

uint32_t StateControllerSource::AxisMask() const { return kSixAxes | (m_desc.hasSlider ? kFirstSlider : 0); }

void StateControllerSource::Read(float (&axes)[kControllerAxes], bool (&buttons)[kControllerButtons]) {
    const InputState& input = CurrentInput();
    std::copy(std::begin(input.axes), std::end(input.axes), axes);
    std::copy(std::begin(input.buttons), std::end(input.buttons), buttons);
}

std::unique_ptr<ForceEffect> StateControllerSource::CreateEffect(const EffectDesc& desc) {
    if (!m_desc.forceFeedback) return nullptr;
    return std::make_unique<RecordedEffect>(m_desc.name, desc);
}

}  // namespace plat
