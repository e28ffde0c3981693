#pragma once
// The console commands that change the settings block, the profiler and the console itself.
#include <cstdint>
#include <type_traits>

#include "core/ConsoleCommand.h"
#include "core/ESettings.h"

namespace command {

// A settings field: a byte is a switch, an i32 an integer, an f32 a float.
template <auto Field>
CommandResult SetSetting(EConsole&, const char* value, uint8_t) {
    using Type = std::remove_reference_t<decltype(g_Settings.*Field)>;
    if constexpr (std::is_same_v<Type, u8>) g_Settings.*Field = SwitchValue(value);
    else if constexpr (std::is_same_v<Type, i32>) g_Settings.*Field = IntValue(value);
    else g_Settings.*Field = FloatValue(value);
    return kGoOn;
}

CommandResult Profiler(EConsole& console, const char* value, uint8_t flag);
CommandResult DebugLights(EConsole& console, const char* value, uint8_t flag);
CommandResult NumConsoleLines(EConsole& console, const char* value, uint8_t flag);

}  // namespace command
