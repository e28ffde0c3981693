#pragma once
// A joystick, pad or wheel seen through SDL, with its haptic device for force feedback when it
// has one. SDL's first six axes are the controller's x, y, z, rx, ry and rz; a seventh and eighth
// are its sliders.
#include "platform/input/ControllerSource.h"

struct _SDL_Joystick;
struct _SDL_Haptic;

namespace plat {

class SdlControllerSource : public ControllerSource {
public:
    // Opens joystick `index`; Valid() tells whether that worked.
    explicit SdlControllerSource(int index);
    ~SdlControllerSource() override;
    bool Valid() const { return m_joystick != nullptr; }

    const std::string& Name() const override { return m_name; }
    uint32_t AxisMask() const override;
    void Read(float (&axes)[kControllerAxes], bool (&buttons)[kControllerButtons]) override;
    std::unique_ptr<ForceEffect> CreateEffect(const EffectDesc& desc) override;

private:
    _SDL_Joystick* m_joystick = nullptr;
    _SDL_Haptic* m_haptic = nullptr;
    std::string m_name;
};

}  // namespace plat
