#pragma once
// The console commands that change the sky: time of day, fog, ambient and sky light, lens flare
// and bloom.
#include <cstdint>

#include "core/ConsoleCommand.h"
#include "render/ESky.h"

namespace command {

// A float field of the sky.
template <auto Field>
CommandResult SetSkyValue(EConsole&, const char* value, uint8_t) {
    g_Sky.*Field = FloatValue(value);
    return kGoOn;
}

// A float setter of fog or light set 0.
template <auto Setter>
CommandResult SetSkySet0(EConsole&, const char* value, uint8_t) {
    (g_Sky.*Setter)(FloatValue(value), 0);
    return kGoOn;
}

// Three channels of set 0 from three blank-separated numbers.
template <auto SetR, auto SetG, auto SetB>
CommandResult SetSkySet0Colour(EConsole&, const char* value, uint8_t) {
    (g_Sky.*SetR)(NumberAt(value, 0), 0);
    (g_Sky.*SetG)(NumberAt(value, 1), 0);
    (g_Sky.*SetB)(NumberAt(value, 2), 0);
    return kGoOn;
}

// A float setter of the sky light (a single light, no set).
template <auto Setter>
CommandResult SetSkyLight(EConsole&, const char* value, uint8_t) {
    (g_Sky.*Setter)(FloatValue(value));
    return kGoOn;
}

CommandResult PoryUpdate(EConsole& console, const char* value, uint8_t flag);
CommandResult Pory(EConsole& console, const char* value, uint8_t flag);
CommandResult Bloom(EConsole& console, const char* value, uint8_t flag);
CommandResult DrawFog(EConsole& console, const char* value, uint8_t flag);
CommandResult SetSkyLightColour(EConsole& console, const char* value, uint8_t flag);
CommandResult SkyLightAim(EConsole& console, const char* value, uint8_t flag);
CommandResult LensFlareAim(EConsole& console, const char* value, uint8_t flag);

}  // namespace command
