#pragma once
// Game controllers (steering wheels, joysticks, pads) with force feedback: lists the attached
// controllers, opens the chosen one, polls it on the input timer and plays the force-feedback
// effects of the effect files: a centring spring, surface rumbles and collision jolts.
#include <cstdint>
#include <memory>

#include "platform/input/InputSystem.h"

class EInput {
public:
    static constexpr int kMaxDevices = 8;
    static constexpr int kMaxEffects = 10;
    static constexpr int kGroups = 10;
    // Ends a group's list of effect indices.
    static constexpr uint32_t kEndOfGroup = 10;
    static constexpr int kButtons = 128;
    static constexpr int kProductNameLength = 259;

    struct DeviceRecord {
        std::unique_ptr<plat::Controller> m_pDevice;
        uint8_t m_bHasSlider = 0;
        char m_szProductName[kProductNameLength] = {};
    };

    EInput();
    virtual ~EInput();

    // Opens the controller service at start-up, before the launcher, and lists the controllers.
    void Init();
    const char* GetDeviceName(int index) const;
    void SetDevice(int index);
    // Reads the selected controller; called from the input timer.
    void Poll();
    void PlayEffect(bool big);
    void StopEffect(uint32_t group);
    void StopActiveEffect();
    void PlaySurfaceEffect(uint32_t group);
    void KeepSpringPlaying();
    void LoadForceFeedback();
    void ReleaseEffects();
    void Release();

    uint8_t m_Buttons[kButtons];
    std::unique_ptr<plat::ForceEffect> m_pEffects[kMaxEffects];
    uint32_t m_uEffectCount;
    uint32_t m_Groups[kGroups][kMaxEffects];
    uint32_t m_uLoadingGroup;
    uint32_t m_uLoadingCount;
    DeviceRecord m_Devices[kMaxDevices];
    int32_t m_iSelectedDevice;
    float m_fSteering;
    float m_fPedal;
    uint32_t m_uDeviceCount;
    int32_t m_iActiveSurfaceGroup;

private:
    plat::Controller* SelectedDevice() const;
    // The effects of a group in order; the walk never leaves the group's list nor the effects
    // that exist.
    template <class F>
    void ForEachEffect(uint32_t group, F f);
    plat::ForceEffect* Spring();
    void LoadGroup(uint32_t group);
    void EnumerateDevices();
};

// The input service; null when it could not be opened.
extern std::unique_ptr<plat::InputSystem> g_pDirectInput;
extern EInput g_Input;
