#include "render/SkyCommands.h"

#include "core/EConsole.h"

namespace command {

CommandResult PoryUpdate(EConsole&, const char* value, uint8_t) {
    g_Sky.m_bPoryUpdate = SwitchValue(value);
    return kGoOn;
}

CommandResult Pory(EConsole&, const char* value, uint8_t) {
    g_Sky.SetPora(IntValue(value));
    return kGoOn;
}

CommandResult Bloom(EConsole& console, const char*, uint8_t) {
    float cone = 0;
    float power = 0;
    console.GetVariable("BloomCone", cone);
    console.GetVariable("BloomPower", power);
    g_Sky.SetBloomParams(cone, power);
    return kGoOn;
}

CommandResult DrawFog(EConsole&, const char* value, uint8_t) {
    if (IntValue(value) != 0) g_Sky.EnableFog();
    else g_Sky.DisableFog();
    return kGoOn;
}

CommandResult SetSkyLightColour(EConsole&, const char* value, uint8_t) {
    g_Sky.SetSkyLightColourR(NumberAt(value, 0));
    g_Sky.SetSkyLightColourG(NumberAt(value, 1));
    g_Sky.SetSkyLightColourB(NumberAt(value, 2));
    return kGoOn;
}

CommandResult SkyLightAim(EConsole& console, const char*, uint8_t) {
    DV front = DirectionFromVariables(console, "SkyLightRotation", "SkyLightPitch");
    g_Sky.SetSkyLightDirection(front.x, front.y, front.z);
    return kGoOn;
}

CommandResult LensFlareAim(EConsole& console, const char*, uint8_t) {
    DV front = DirectionFromVariables(console, "LensFlareRotation", "LensFlarePitch");
    g_Sky.SetLensFlareDirection(front.x, front.y, front.z);
    return kGoOn;
}

}  // namespace command
