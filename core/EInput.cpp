#include "core/EInput.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/CCommandMgr.h"
#include "core/CoreHooks.h"
#include "core/EConsole.h"
#include "core/ScriptLine.h"
#include "platform/os/Random.h"

std::unique_ptr<plat::InputSystem> g_pDirectInput;
EInput g_Input;

namespace {

// Effect groups and their files.
constexpr uint32_t kSlideGroup = 0;
constexpr uint32_t kGravelGroup = 1;
constexpr uint32_t kSpringGroup = 2;
constexpr uint32_t kHitGroup = 3;
constexpr uint32_t kBigHitGroup = 5;
constexpr const char* kEffectFiles[] = {"effects\\ff\\slizg.ffe", "effects\\ff\\zwir.ffe", "effects\\ff\\spring.ffe",
                                        "effects\\ff\\hit0.ffe",  "effects\\ff\\hit1.ffe", "effects\\ff\\hitbig.ffe"};
constexpr int32_t kAxisMin = -1000;
constexpr int32_t kAxisMax = 1000;
constexpr float kAxisScale = 1000.0f;
constexpr int kSteeringAxis = 0;
constexpr int kPedalAxis = 1;
constexpr int kFirstSlider = 6;

bool IsSurfaceGroup(int32_t group) { return group == int32_t(kSlideGroup) || group == int32_t(kGravelGroup); }

}  // namespace

EInput::EInput()
    : m_Buttons{}, m_uEffectCount(0), m_uLoadingGroup(0), m_uLoadingCount(0), m_iSelectedDevice(-1), m_fSteering(0),
      m_fPedal(0), m_uDeviceCount(0), m_iActiveSurfaceGroup(-1) {
    std::fill(&m_Groups[0][0], &m_Groups[0][0] + kGroups * kMaxEffects, kEndOfGroup);
}

EInput::~EInput() = default;

void EInput::Init() {
    g_pDirectInput = plat::InputSystem::Create();
    if (!g_pDirectInput) {
        LogError("Could not create Direct Input main object!");
        return;
    }
    EnumerateDevices();
    g_Console.Print("Input init OK!");
}

void EInput::EnumerateDevices() {
    int attached = g_pDirectInput->ControllerCount();
    for (int i = 0; i < attached && m_uDeviceCount < kMaxDevices; ++i) {
        DeviceRecord& record = m_Devices[m_uDeviceCount];
        if (plat::InputFailed(g_pDirectInput->CreateController(i, record.m_pDevice))) continue;
        std::snprintf(record.m_szProductName, sizeof record.m_szProductName, "%s",
                      record.m_pDevice->ProductName().c_str());
        ++m_uDeviceCount;
    }
}

const char* EInput::GetDeviceName(int index) const {
    if (index < 0 || index >= int(m_uDeviceCount)) return "*";
    return m_Devices[index].m_szProductName;
}

plat::Controller* EInput::SelectedDevice() const {
    if (m_iSelectedDevice < 0 || m_iSelectedDevice >= int(m_uDeviceCount)) return nullptr;
    return m_Devices[m_iSelectedDevice].m_pDevice.get();
}

void EInput::SetDevice(int index) {
    ReleaseEffects();
    if (plat::Controller* previous = SelectedDevice()) previous->Unacquire();
    if (index < 0 || index >= int(m_uDeviceCount)) return;
    m_iSelectedDevice = index;
    DeviceRecord& record = m_Devices[index];
    plat::Controller* device = record.m_pDevice.get();
    if (!device) return;
    record.m_bHasSlider = 0;
    device->SetDataFormat();
    device->SetCooperativeLevel(g_CoreHooks.mainWindow(), plat::coop::Exclusive | plat::coop::Foreground);
    for (const plat::ControllerObject& object : device->Objects()) {
        if (plat::InputFailed(device->SetAxisRange(object.axis, kAxisMin, kAxisMax))) break;
        if (object.slider) record.m_bHasSlider = 1;
    }
    g_Console.Print("Device set ok.");
    LoadForceFeedback();
}

void EInput::Poll() {
    plat::Controller* device = SelectedDevice();
    if (!device) return;
    if (plat::InputFailed(device->Poll())) {
        // A lost device is acquired once per tick; the values stay as last read meanwhile.
        device->Acquire();
        return;
    }
    plat::ControllerState state;
    if (plat::InputFailed(device->GetState(state))) return;
    m_fSteering = state.axes[kSteeringAxis] / kAxisScale;
    m_fPedal = state.axes[kPedalAxis] / kAxisScale;
    if (m_Devices[m_iSelectedDevice].m_bHasSlider) m_fPedal += state.axes[kFirstSlider] / kAxisScale;
    for (int i = 0; i < kButtons; ++i) {
        m_Buttons[i] = state.buttons[i] >= 0x80 ? 1 : 0;
        g_CommandMgr.m_State[CCommandMgr::kFirstControllerButton + i] = m_Buttons[i];
    }
}

template <class F>
void EInput::ForEachEffect(uint32_t group, F f) {
    if (group >= kGroups) return;
    for (uint32_t index : m_Groups[group]) {
        if (index >= m_uEffectCount) break;
        if (m_pEffects[index]) f(*m_pEffects[index]);
    }
}

plat::ForceEffect* EInput::Spring() {
    uint32_t index = m_Groups[kSpringGroup][0];
    return index < m_uEffectCount ? m_pEffects[index].get() : nullptr;
}

void EInput::PlayEffect(bool big) {
    uint32_t group = big ? kBigHitGroup : kHitGroup + (plat::Random() & 1);
    ForEachEffect(group, [](plat::ForceEffect& e) { e.Start(1); });
}

void EInput::StopEffect(uint32_t group) {
    ForEachEffect(group, [](plat::ForceEffect& e) { e.Stop(); });
}

void EInput::StopActiveEffect() {
    if (!IsSurfaceGroup(m_iActiveSurfaceGroup)) return;
    StopEffect(uint32_t(m_iActiveSurfaceGroup));
    m_iActiveSurfaceGroup = -1;
}

void EInput::PlaySurfaceEffect(uint32_t group) {
    StopActiveEffect();
    if (!g_CoreHooks.surfaceForceFeedback()) return;
    if (plat::ForceEffect* spring = Spring(); spring && spring->Playing()) spring->Stop();
    if (!IsSurfaceGroup(int32_t(group))) return;
    ForEachEffect(group, [](plat::ForceEffect& e) { e.Start(plat::kInfinite); });
    m_iActiveSurfaceGroup = int32_t(group);
}

void EInput::KeepSpringPlaying() {
    plat::ForceEffect* spring = Spring();
    if (!spring || m_iActiveSurfaceGroup != -1) return;
    if (!spring->Playing()) spring->Start(plat::kInfinite);
}

void EInput::LoadForceFeedback() {
    if (!SelectedDevice()) return;
    for (auto& effect : m_pEffects) effect.reset();
    std::fill(&m_Groups[0][0], &m_Groups[0][0] + kGroups * kMaxEffects, kEndOfGroup);
    m_uEffectCount = 0;
    for (uint32_t group = 0; group < std::size(kEffectFiles); ++group) {
        LoadGroup(group);
        StopEffect(group);
        if (group == kSpringGroup)
            if (plat::ForceEffect* spring = Spring()) spring->Start(plat::kInfinite);
    }
    PlayEffect(false);
    m_iActiveSurfaceGroup = -1;
}

// A missing file, or a controller without force feedback, leaves the group empty.
void EInput::LoadGroup(uint32_t group) {
    m_uLoadingGroup = group;
    m_uLoadingCount = 0;
    std::vector<plat::EffectDesc> effects;
    if (plat::InputFailed(SelectedDevice()->EnumEffectsInFile(kEffectFiles[group], effects))) return;
    for (const plat::EffectDesc& desc : effects) {
        plat::Controller* device = SelectedDevice();
        if (!device || m_uEffectCount >= kMaxEffects) return;
        if (plat::InputFailed(device->CreateEffect(desc, m_pEffects[m_uEffectCount]))) return;
        m_Groups[group][m_uLoadingCount++] = m_uEffectCount++;
    }
}

void EInput::ReleaseEffects() {
    for (auto& effect : m_pEffects) effect.reset();
}

void EInput::Release() {
    ReleaseEffects();
    for (DeviceRecord& record : m_Devices) record = DeviceRecord{};
    m_iSelectedDevice = -1;
    m_uDeviceCount = 0;
    g_pDirectInput.reset();
}
