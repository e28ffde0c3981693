#include "world/EngineCommands.h"

#include <cstring>

#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/StringHelpers.h"
#include "world/CRoutesMgr.h"
#include "world/CutsceneMgr.h"
#include "world/EEngine.h"
#include "world/EFenceGenerator.h"

namespace command {

namespace {

constexpr int kSectors = 256;

// Marks for deletion every object in use that the test picks; the count of marked objects.
template <class Test>
int DeleteObjects(Test picks) {
    int count = 0;
    for (EObjectSlot& object : g_Engine.m_Objects) {
        if (!object.m_bUsed || !picks(object)) continue;
        object.m_bToDelete = 1;
        ++count;
    }
    return count;
}

}  // namespace

CommandResult Cutscene(EConsole&, const char* value, uint8_t) {
    StartScene(value);
    return kGoOn;
}

CommandResult GenerujPlotki(EConsole&, const char*, uint8_t) {
    g_FenceGenerator.Generate();
    return kGoOn;
}

CommandResult OstatniaTrasa(EConsole&, const char* value, uint8_t) {
    g_Settings.m_iOstatniaTrasa = IntValue(value);
    g_RoutesMgr.m_iCurrentRoute = g_Settings.m_iOstatniaTrasa;
    return kGoOn;
}

CommandResult DeleteNotImportant(EConsole& console, const char* value, uint8_t) {
    if (IntValue(value) == 0) return kGoOn;
    int count = DeleteObjects([](const EObjectSlot& o) { return (o.m_uFlags & FLAG_NOT_IMPORTANT) != 0; });
    console.PrintInt("Deleted NotImportant: ", count);
    return kGoOn;
}

CommandResult DeleteWindows(EConsole& console, const char* value, uint8_t) {
    if (IntValue(value) == 0) return kGoOn;
    int count = DeleteObjects([](const EObjectSlot& o) { return StrIContains(o.m_szName, "windows") != 0; });
    console.PrintInt("Deleted windows: ", count);
    return kGoOn;
}

CommandResult WipeOut(EConsole&, const char* value, uint8_t) {
    g_Engine.WipeOut(FloatValue(value));
    return CommandResult::EndExecutor;
}

CommandResult SectorShow(EConsole&, const char* value, uint8_t) {
    g_Engine.SetSectorHidden(IntValue(value), 0);
    return kGoOn;
}

CommandResult SectorHide(EConsole&, const char* value, uint8_t) {
    g_Engine.SetSectorHidden(IntValue(value), 1);
    return kGoOn;
}

CommandResult SectorShowAll(EConsole&, const char*, uint8_t) {
    for (int sector = 0; sector < kSectors; ++sector) g_Engine.SetSectorHidden(sector, 0);
    return kGoOn;
}

CommandResult Action(EConsole&, const char* value, uint8_t) {
    g_Engine.RunAction(value);
    return CommandResult::EndExecutor;
}

CommandResult FOV(EConsole&, const char* value, uint8_t) {
    g_Settings.m_fFOV = g_Settings.m_fBaseFOV = FloatValue(value);
    g_Camera.SetupProjection();
    return kGoOn;
}

// The world name field holds 79 characters; a longer name is refused whole rather than cut into
// the name of another file.
CommandResult RunWorld(EConsole& console, const char* value, uint8_t flag) {
    bool fits = std::strlen(value) < sizeof g_Settings.m_szWorldName;
    if (fits) std::strcpy(g_Settings.m_szWorldName, value);
    else console.PrintStr2("World name too long: ", value);
    if (flag) return kGoOn;
    if (fits) g_Engine.RequestStartWorld(value);
    return CommandResult::EndExecutor;
}

}  // namespace command
