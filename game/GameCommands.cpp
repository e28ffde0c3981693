#include "game/GameCommands.h"

#include "game/CHudPanel.h"
#include "game/CProfileMgr.h"

namespace command {

CommandResult Gimme(EConsole&, const char* value, uint8_t) {
    g_ProfileMgr.AddMoney(IntValue(value));
    return kGoOn;
}

CommandResult WideScreen(EConsole&, const char* value, uint8_t) {
    g_HudPanel.m_bWideScreen = SwitchValue(value);
    return kGoOn;
}

}  // namespace command
