#include "core/CCommandMgr.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/BinaryStream.h"
#include "core/CoreHooks.h"
#include "core/EConsole.h"
#include "core/EInput.h"
#include "core/EMouse.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "platform/os/Files.h"

CCommandMgr g_CommandMgr;

namespace {

constexpr const char* kKeysFile = "save\\keys.cfg";
constexpr uint32_t kFramesBeforeKeyInput = 211;

struct NamedCode {
    const char* textKey;
    uint32_t code;
};

constexpr NamedCode kKeyNames[] = {
    {">CMDA", 0x1E}, {">CMDB", 0x30}, {">CMDC", 0x2E}, {">CMDD", 0x20}, {">CMDE", 0x12}, {">CMDF", 0x21},
    {">CMDG", 0x22}, {">CMDH", 0x23}, {">CMDI", 0x17}, {">CMDJ", 0x24}, {">CMDK", 0x25}, {">CMDL", 0x26},
    {">CMDM", 0x32}, {">CMDN", 0x31}, {">CMDO", 0x18}, {">CMDP", 0x19}, {">CMDQ", 0x10}, {">CMDR", 0x13},
    {">CMDS", 0x1F}, {">CMDT", 0x14}, {">CMDU", 0x16}, {">CMDV", 0x2F}, {">CMDW", 0x11}, {">CMDX", 0x2D},
    {">CMDY", 0x15}, {">CMDZ", 0x2C},
    {">CMDLeftShift", 0x2A}, {">CMDRightShift", 0x36}, {">CMDAlt", 0x38}, {">CMDSpace", 0x39},
    {">CMDEnter", 0x1C},
    {">CMDNum0", 0x52}, {">CMDNum1", 0x4F}, {">CMDNum2", 0x50}, {">CMDNum3", 0x51}, {">CMDNum4", 0x4B},
    {">CMDNum5", 0x4C}, {">CMDNum6", 0x4D}, {">CMDNum7", 0x47}, {">CMDNum8", 0x48}, {">CMDNum9", 0x49},
    {">CMDUpArrow", 0xC8}, {">CMDDownArrow", 0xD0}, {">CMDLeftArrow", 0xCB}, {">CMDRightArrow", 0xCD},
    {">CMDDelete", 0xD3}, {">CMDInsert", 0xD2}, {">CMDNumDel", 0x53}, {">CMDNumEnter", 0x9C},
    {">CMDNumPlus", 0x4E}, {">CMDNumMinus", 0x4A}, {">CMDBackSpace", 0x0E}, {">CMDComma", 0x33},
    {">CMDDot", 0x34}, {">CMDSlash", 0x35}, {">CMDSemicolon", 0x27}, {">CMDApostrophe", 0x28},
    {">CMDSqBracketLeft", 0x1A}, {">CMDSqBracketRight", 0x1B}, {">CMDBackSlash", 0x2B}, {">CMDMinus", 0x0C},
    {">CMDEquals", 0x0D}, {">CMDLeftControl", 0x1D}, {">CMDRightControl", 0x9D},
    {">CMDMButton0", 256}, {">CMDMButton1", 257}, {">CMDMButton2", 258},
};

struct Binding {
    uint32_t command;
    uint32_t slot0, slot1;
};

constexpr Binding kDefaultBindings[] = {
    {3, 200, 17}, {4, 208, 31}, {8, 257, 46}, {10, 41, 0}, {11, 1, 0},   {12, 68, 0},  {13, 66, 0},
    {15, 209, 0}, {16, 201, 0}, {19, 256, 28}, {20, 203, 30}, {21, 205, 32}, {22, 199, 0}, {23, 207, 0},
    {24, 30, 0},  {25, 0, 44},  {33, 50, 0},  {34, 48, 0},  {35, 20, 0},  {36, 62, 49}, {37, 28, 0},
    {38, 35, 0},  {39, 57, 0},  {40, 27, 0},  {41, 26, 0},  {52, 59, 0},  {53, 60, 0},
};

// Slot-0 bindings that the game relies on whatever the player chose: the controls whose keys the
// game's own texts name (Enter, the hitching and implement keys R, F and V among them).
constexpr Binding kForcedBindings[] = {
    {37, 28, 0}, {24, 30, 0}, {25, 44, 0}, {35, 20, 0}, {49, 19, 0}, {50, 33, 0}, {51, 47, 0}, {52, 59, 0}, {53, 60, 0},
};

void SetName(char (&name)[CCommandMgr::kKeyNameLength], const char* text) {
    std::snprintf(name, sizeof name, "%s", text);
}

// Reads one field; a file that ends before it leaves the field as it was.
template <class T>
bool ReadField(FILE* file, T& field) {
    T value;
    if (FileRead(file, &value, sizeof value) != sizeof value) return false;
    std::memcpy(&field, &value, sizeof value);
    return true;
}

// The fields after the bindings, in file order.
template <class Visit>
void VisitOptionFields(Visit visit, float& gamma, uint32_t& unused) {
    KeysFileOptions game = g_CoreHooks.keysFileOptions();
    visit(g_Settings.m_bMouseOptionSwitch);
    visit(g_Settings.m_fMouseOptionValue);
    visit(g_Settings.m_bMusic);
    visit(g_Settings.m_bSound);
    visit(g_Settings.m_bOptionsByte);
    visit(g_Settings.m_fMusicVolume);
    visit(g_Settings.m_fSecondVolume);
    visit(gamma);
    visit(*game.playerOption1);
    visit(*game.playerOption2);
    visit(*game.cameraMode);
    visit(unused);
    visit(*game.gameSwitch1);
    visit(*game.gameValue1);
    visit(*game.gameValue2);
    visit(*game.gameSwitch2);
    visit(*game.gameLevel);
}

}  // namespace

CCommandMgr::CCommandMgr() : m_State{}, m_szKeyNames{}, m_Bindings{}, m_bKeyboardActive(0) {}

CCommandMgr::~CCommandMgr() = default;

void CCommandMgr::CreateKeyboard(plat::WindowHandle window) {
    if (!g_pDirectInput) return;
    ReleaseKeyboard();
    // Each step needs the one before: a device that failed a step is not kept.
    if (plat::InputFailed(g_pDirectInput->CreateKeyboard(m_pKeyboard))) {
        g_Console.Print("CreateDevice(keyboard) failed!");
        return;
    }
    if (plat::InputFailed(m_pKeyboard->SetDataFormat())) {
        g_Console.Print("keyboard SetDataFormat failed");
        m_pKeyboard.reset();
        return;
    }
    if (plat::InputFailed(m_pKeyboard->SetCooperativeLevel(window, plat::coop::Exclusive | plat::coop::Foreground))) {
        g_Console.Print("keyboard SetCooperativeLevel failed");
        m_pKeyboard.reset();
        return;
    }
    // Without the foreground the acquisition fails; the polls acquire again.
    m_pKeyboard->Acquire();
    m_bKeyboardActive = 1;
}

void CCommandMgr::ReleaseKeyboard() {
    m_bKeyboardActive = 0;
    if (!m_pKeyboard) return;
    m_pKeyboard->Unacquire();
    m_pKeyboard.reset();
}

void CCommandMgr::PollKeyboard() {
    if (!g_CoreHooks.hasFocus() || !m_pKeyboard || !m_bKeyboardActive) return;
    uint8_t keys[256];
    if (plat::InputFailed(m_pKeyboard->GetState(keys))) {
        // The keys' releases are not seen while the input is lost: none may stay held. One
        // acquisition per tick; the next tick reads again.
        std::fill(m_State, m_State + 256, 0);
        m_pKeyboard->Acquire();
        return;
    }
    bool anyHeld = false;
    for (int i = 0; i < 256; ++i) {
        m_State[i] = keys[i] >= 0x80 ? 1 : 0;
        anyHeld |= m_State[i] != 0;
    }
    if (anyHeld && g_CoreHooks.gameFrame() >= kFramesBeforeKeyInput && !g_CoreHooks.gameKeyInputEnabled())
        g_CoreHooks.enableGameKeyInput();
}

bool CCommandMgr::IsCommandActive(uint32_t command, uint32_t offset) const {
    if (command >= kInputCodes) return false;
    for (uint32_t code : m_Bindings[command]) {
        uint64_t input = uint64_t(code) + offset;
        if (input < kInputCodes && m_State[input] == 1) return true;
    }
    return false;
}

void CCommandMgr::BuildKeyNames() {
    std::memset(m_szKeyNames, 0, sizeof m_szKeyNames);
    for (const NamedCode& n : kKeyNames) SetName(m_szKeyNames[n.code], g_TextMgr.GetText(n.textKey));
    const char* button = g_TextMgr.GetText(">CMDJButton");
    for (int i = 0; i < kInputCodes - kFirstControllerButton; ++i)
        std::snprintf(m_szKeyNames[kFirstControllerButton + i], kKeyNameLength, "%s %i", button, i);

    std::memset(m_Bindings, 0, sizeof m_Bindings);
    for (const Binding& b : kDefaultBindings) {
        m_Bindings[b.command][0] = b.slot0;
        m_Bindings[b.command][1] = b.slot1;
    }
    KeysFileOptions game = g_CoreHooks.keysFileOptions();
    *game.playerOption1 = 1;
    *game.gameSwitch1 = 1;  // the overview map shows
    *game.cameraMode = 3;  // a first run watches from far behind the machine
}

void CCommandMgr::ApplyForcedBindings() {
    for (const Binding& b : kForcedBindings) m_Bindings[b.command][0] = b.slot0;
}

void CCommandMgr::LoadKeys() {
    FILE* file = plat::OpenFile(kKeysFile, "rb");
    if (!file) {
        BuildKeyNames();
        // The defaults leave the hitching and implement commands unbound: without the forced
        // keys a first run, with no saved file yet, could not hitch anything.
        ApplyForcedBindings();
        return;
    }
    uint32_t bindings[kInputCodes][2];
    if (ReadField(file, bindings)) {
        // A code outside the code space would index past the state: such a slot is unbound.
        for (auto& slots : bindings)
            for (uint32_t& code : slots)
                if (code >= kInputCodes) code = 0;
        std::memcpy(m_Bindings, bindings, sizeof m_Bindings);
    }
    float gamma = 1.0f;  // also when the file ends before it
    uint32_t unused = 0;
    VisitOptionFields([file](auto& field) { ReadField(file, field); }, gamma, unused);
    g_CoreHooks.setGamma(gamma);
    KeysFileOptions game = g_CoreHooks.keysFileOptions();
    *game.gameLevel = std::clamp(*game.gameLevel, 0.0f, 1.0f);
    std::fclose(file);
    *game.gameSwitch2 = 1;

    g_CoreHooks.applyMusic(g_Settings.m_fMusicVolume, g_Settings.m_bMusic != 0);
    ApplyForcedBindings();
}

void CCommandMgr::SaveKeys() {
    plat::CreateDirectory("save");
    FILE* file = plat::OpenFile(kKeysFile, "wb");
    if (!file) return;
    FileWrite(file, m_Bindings, sizeof m_Bindings);
    float gamma = g_CoreHooks.getGamma();
    uint32_t unused = 0;
    VisitOptionFields([file](const auto& field) { FileWrite(file, &field, sizeof field); }, gamma, unused);
    std::fclose(file);
}

uint8_t GetMouseButton(int index) {
    if (index < 0 || index > 3) return 0;
    return g_Mouse.m_State.m_Buttons[index];
}
