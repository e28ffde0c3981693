#include "core/SettingsCommands.h"

#include "core/EConsole.h"
#include "core/EProfiler.h"

namespace command {

CommandResult Profiler(EConsole&, const char* value, uint8_t) {
    g_Profiler.m_bEnabled = IntValue(value);
    return kGoOn;
}

CommandResult DebugLights(EConsole&, const char* value, uint8_t) {
    g_Settings.m_iDebugLights = TruncatedInt(FloatValue(value));
    return kGoOn;
}

CommandResult NumConsoleLines(EConsole& console, const char* value, uint8_t) {
    int lines = IntValue(value);
    if (lines < 0) lines = 0;
    if (lines > EConsole::kOutputLines) lines = EConsole::kOutputLines;
    console.m_iNumConsoleLines = lines;
    return kGoOn;
}

}  // namespace command
