#include "core/EMouse.h"

#include <algorithm>

#include "core/CCommandMgr.h"
#include "core/EConsole.h"
#include "core/CoreHooks.h"
#include "core/EInput.h"
#include "core/ESettings.h"
#include "platform/os/MessageQueue.h"

EMouse g_Mouse;

namespace {

constexpr uint32_t kBufferItems = 1024;
constexpr float kMinSensitivity = 0.01f;
constexpr uint32_t kLevelStartFrames = 150;
constexpr uint32_t kStillMouseFrames = 200;

// The items of one read; kept here so that a tick allocates nothing.
plat::MouseItem g_Items[kBufferItems];

bool InGameView() { return !g_CoreHooks.menuActive() && !g_CoreHooks.loadingScreenActive(); }

}  // namespace

EMouse::EMouse() : m_bInitialised(0), m_hWnd(nullptr) {}

EMouse::~EMouse() = default;

void EMouse::Init(plat::WindowHandle window) {
    m_hWnd = window;
    Release();
    m_State = MouseState{};
    m_State.m_dLookX = 3.1415927f;
    // The timer polls the keyboard and the controller too: it runs whether or not there is a
    // mouse.
    plat::SetTimer(window, kInputTimer, kInputTimerPeriodMs);
    if (OpenDevice(window)) m_bInitialised = 1;
}

bool EMouse::OpenDevice(plat::WindowHandle window) {
    if (!g_pDirectInput) return false;
    if (plat::InputFailed(g_pDirectInput->CreateMouse(m_pDevice))) return false;
    bool ok = !plat::InputFailed(m_pDevice->SetDataFormat()) &&
              m_pDevice->SetCooperativeLevel(window, plat::coop::Exclusive | plat::coop::Foreground) ==
                  plat::InputResult::Ok &&
              !plat::InputFailed(m_pDevice->SetBufferSize(kBufferItems)) && !plat::InputFailed(m_pDevice->Acquire());
    if (!ok) m_pDevice.reset();
    return ok;
}

void EMouse::Poll() {
    if (!m_bInitialised || !g_CoreHooks.hasFocus()) return;
    g_Settings.m_fMouseOptionValue = std::max(g_Settings.m_fMouseOptionValue, kMinSensitivity);
    double factor = g_Settings.m_fMouseOptionValue * 0.01;
    m_State.m_dDeltaX = m_State.m_dDeltaY = m_State.m_dDeltaWheel = 0;

    uint32_t count = kBufferItems;
    // An overflow loses items as surely as a lost device: the tick's items are dropped. One
    // acquisition per tick; the next tick tries again.
    if (m_pDevice->GetData(g_Items, count) != plat::InputResult::Ok) {
        m_pDevice->Acquire();
        return;
    }
    if (InGameView() && g_CoreHooks.gameFrame() < kLevelStartFrames) {
        std::fill(std::begin(m_State.m_Buttons), std::end(m_State.m_Buttons), 0);
        std::fill(g_CommandMgr.m_State + CCommandMgr::kFirstMouseButton,
                  g_CommandMgr.m_State + CCommandMgr::kFirstMouseButton + 3, 0);
        return;
    }
    for (uint32_t i = 0; i < count; ++i) ApplyItem(g_Items[i], factor);

    if (InGameView() && !g_CoreHooks.cameraOverride() &&
        (g_CoreHooks.gameFrame() < kStillMouseFrames || g_CoreHooks.hudDiscardsMouse()))
        m_State.m_dDeltaX = m_State.m_dDeltaY = m_State.m_dDeltaWheel = 0;
    m_State.m_dLookX += m_State.m_dDeltaX * factor;
    m_State.m_dLookY += m_State.m_dDeltaY * factor;
    m_State.m_dWheel += m_State.m_dDeltaWheel * factor;
    if (InGameView()) m_State.m_dLookY = std::clamp(m_State.m_dLookY, -kLookLimit, kLookLimit);
}

void EMouse::ApplyItem(const plat::MouseItem& item, double factor) {
    using plat::MouseOffset;
    switch (item.offset) {
        case MouseOffset::X:
            m_State.m_dDeltaX += item.value;
            m_State.m_dRawX += item.value * factor;
            break;
        case MouseOffset::Y: {
            bool menu = g_CoreHooks.menuActive();
            // The console variable, not the setting: a configuration without "Difficulty" looks
            // up and down at the plain rate.
            float difficulty = 0;
            g_Console.GetVariable("Difficulty", difficulty);
            double scale = (!menu && difficulty == 0) ? 1.0 : 2.0;
            bool invert = g_Settings.m_bMouseOptionSwitch && !menu;
            m_State.m_dDeltaY += (invert ? -scale : scale) * item.value;
            m_State.m_dRawY += item.value * factor;
            break;
        }
        case MouseOffset::Wheel:
            m_State.m_dDeltaWheel += item.value;
            m_State.m_dRawWheel += item.value * factor;
            break;
        default: {
            int button = int(item.offset) - int(MouseOffset::Button0);
            uint8_t held = (item.value & 0x80) ? 1 : 0;
            m_State.m_Buttons[button] = held;
            if (button < 3) g_CommandMgr.m_State[CCommandMgr::kFirstMouseButton + button] = held;
            break;
        }
    }
}

void EMouse::SaveState() { m_SavedState = m_State; }

void EMouse::RestoreState() { m_State = m_SavedState; }

void EMouse::Release() {
    if (m_hWnd) plat::KillTimer(m_hWnd, kInputTimer);
    if (m_pDevice) m_pDevice->Unacquire();
    m_pDevice.reset();
    m_bInitialised = 0;
    std::fill(std::begin(m_State.m_Buttons), std::end(m_State.m_Buttons), 0);
    m_State.m_dLookX = m_State.m_dLookY = m_State.m_dWheel = 0;
    m_State.m_dDeltaX = m_State.m_dDeltaY = m_State.m_dDeltaWheel = 0;
}
