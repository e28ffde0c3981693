// Level-logic scripts: the input read as a script, then every level made current in turn and run
// for a few frames of a level, and its actions run by name.
#include <string_view>

#include "FuzzSupport.h"
#include "world/EEngine.h"
#include "world/GameAI.h"
#include "world/WorldHooks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::StartDirectory();
    test::ResetGlobal(g_GameAI);
    g_WorldHooks.levelFrame = [] { return 200u; };
    g_Engine.m_fFrameTime = 1.0f / 60;
    g_GameAI.ReadScriptText(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& level : g_GameAI.Levels()) {
        std::snprintf(g_Engine.m_szStartingWorld, sizeof g_Engine.m_szStartingWorld, "%s", level->m_szName);
        g_GameAI.SelectWorldScript();
        g_GameAI.PreloadActionSounds();
        g_GameAI.m_bEnabled = 1;
        for (int frame = 0; frame < 3; ++frame) g_GameAI.Update();
        g_GameAI.RunActionByName("one");
    }
    g_Engine.m_szPendingWorld[0] = 0;
    return 0;
}
