#pragma once
// A controller whose values are controller 0 of the input state and whose force-feedback effects
// are recorded in the input state's effect calls: the input script's controller and the tests'
// fake controllers.
#include "platform/input/ControllerSource.h"

namespace plat {

class StateControllerSource : public ControllerSource {
public:
    explicit StateControllerSource(const FakeController& desc) : m_desc(desc) {}
    const std::string& Name() const override { return m_desc.name; }
    uint32_t AxisMask() const override;
    void Read(float (&axes)[kControllerAxes], bool (&buttons)[kControllerButtons]) override;
    std::unique_ptr<ForceEffect> CreateEffect(const EffectDesc& desc) override;

private:
    FakeController m_desc;
};

}  // namespace plat
