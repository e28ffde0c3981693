#include "core/ConsoleCommands.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "core/EConsole.h"
#include "core/EOrientation.h"
#include "core/EProfiler.h"
#include "core/ESettings.h"
#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "game/CHudPanel.h"
#include "game/CProfileMgr.h"
#include "render/ESky.h"
#include "vehicles/CPlayer.h"
#include "world/CRoutesMgr.h"
#include "world/CutsceneMgr.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/EFenceGenerator.h"

namespace {

constexpr CommandResult kGoOn = CommandResult::Continue;
constexpr int kSectors = 256;
constexpr float kDegrees = 3.14159265358979f / 180.0f;

// Values beyond the int range are held at its ends: converting them would be undefined.
int IntValue(const char* text) {
    long value = std::strtol(text, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

float FloatValue(const char* text) { return static_cast<float>(std::atof(text)); }

uint8_t SwitchValue(const char* text) { return IntValue(text) != 0 ? 1 : 0; }

// A float's whole part as an int, held within the int range (not a number gives 0).
int TruncatedInt(float value) {
    if (!(value == value)) return 0;
    if (value >= 2147483520.0f) return INT_MAX;
    if (value <= -2147483520.0f) return INT_MIN;
    return static_cast<int>(value);
}

// A settings field: a byte is a switch, an i32 an integer, an f32 a float.
template <auto Field>
CommandResult SetSetting(EConsole&, const char* value, uint8_t) {
    using Type = std::remove_reference_t<decltype(g_Settings.*Field)>;
    if constexpr (std::is_same_v<Type, u8>) g_Settings.*Field = SwitchValue(value);
    else if constexpr (std::is_same_v<Type, i32>) g_Settings.*Field = IntValue(value);
    else g_Settings.*Field = FloatValue(value);
    return kGoOn;
}

// Word n (from 0) of a value of blank-separated numbers.
float NumberAt(const char* value, int n) { return FloatValue(GetWord(value, n)); }

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

CommandResult SetSkyLightColour(EConsole&, const char* value, uint8_t) {
    g_Sky.SetSkyLightColourR(NumberAt(value, 0));
    g_Sky.SetSkyLightColourG(NumberAt(value, 1));
    g_Sky.SetSkyLightColourB(NumberAt(value, 2));
    return kGoOn;
}

// A float setter of the camera.
template <auto Setter>
CommandResult SetCamera(EConsole&, const char* value, uint8_t) {
    (g_Camera.*Setter)(FloatValue(value));
    return kGoOn;
}

// A direction from two console variables in degrees: yaw and pitch, no roll.
DV DirectionFromVariables(const EConsole& console, const char* yawName, const char* pitchName) {
    float yaw = 0;
    float pitch = 0;
    console.GetVariable(yawName, yaw);
    console.GetVariable(pitchName, pitch);
    return EOrientation::EOrientationFromYawPitchRoll(yaw * kDegrees, pitch * kDegrees, 0.0f).m_Front;
}

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

CommandResult Koniec(EConsole&, const char*, uint8_t) {
    g_Player.StartFadeOut();
    return kGoOn;
}

CommandResult PoryUpdate(EConsole&, const char* value, uint8_t) {
    g_Sky.m_bPoryUpdate = SwitchValue(value);
    return kGoOn;
}

CommandResult Pory(EConsole&, const char* value, uint8_t) {
    g_Sky.SetPora(IntValue(value));
    return kGoOn;
}

CommandResult Cutscene(EConsole&, const char* value, uint8_t) {
    StartScene(value);
    return kGoOn;
}

CommandResult Gimme(EConsole&, const char* value, uint8_t) {
    g_ProfileMgr.AddMoney(IntValue(value));
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

CommandResult Profiler(EConsole&, const char* value, uint8_t) {
    g_Profiler.m_bEnabled = IntValue(value);
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

CommandResult Bloom(EConsole& console, const char*, uint8_t) {
    float cone = 0;
    float power = 0;
    console.GetVariable("BloomCone", cone);
    console.GetVariable("BloomPower", power);
    g_Sky.SetBloomParams(cone, power);
    return kGoOn;
}

CommandResult Action(EConsole&, const char* value, uint8_t) {
    g_Engine.RunAction(value);
    return CommandResult::EndExecutor;
}

CommandResult WideScreen(EConsole&, const char* value, uint8_t) {
    g_HudPanel.m_bWideScreen = SwitchValue(value);
    return kGoOn;
}

CommandResult DebugLights(EConsole&, const char* value, uint8_t) {
    g_Settings.m_iDebugLights = TruncatedInt(FloatValue(value));
    return kGoOn;
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

CommandResult DrawFog(EConsole&, const char* value, uint8_t) {
    if (IntValue(value) != 0) g_Sky.EnableFog();
    else g_Sky.DisableFog();
    return kGoOn;
}

CommandResult NumConsoleLines(EConsole& console, const char* value, uint8_t) {
    int lines = IntValue(value);
    if (lines < 0) lines = 0;
    if (lines > EConsole::kOutputLines) lines = EConsole::kOutputLines;
    console.m_iNumConsoleLines = lines;
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

struct ConsoleCommand {
    const char* name;
    CommandResult (*apply)(EConsole& console, const char* value, uint8_t flag);
};

// In the order the executor compares them; a name may stand more than once.
constexpr ConsoleCommand kCommands[] = {
    {"koniec", Koniec},
    {"RepairMultiData", SetSetting<&ESettings::m_bRepairMultiData>},
    {"UpdateZawody", SetSetting<&ESettings::m_bUpdateZawody>},
    {"UpdatePhysics", SetSetting<&ESettings::m_bUpdatePhysics>},
    {"PoryUpdate", PoryUpdate},
    {"Pory", Pory},
    {"Cutscene", Cutscene},
    {"steering", SetSetting<&ESettings::m_iSteering>},
    {"gimme", Gimme},
    {"GenerujPlotki", GenerujPlotki},
    {"OstatniaTrasa", OstatniaTrasa},
    {"SkyFogHeight", SetSkyValue<&ESky::m_fSkyFogHeight>},
    {"SkyFogCoef", SetSkyValue<&ESky::m_fSkyFogCoef>},
    {"Disable", SetSetting<&ESettings::m_iDisable>},
    {"Windowed", SetSetting<&ESettings::m_bWindowed>},
    {"ASDist", SetSetting<&ESettings::m_fASDist>},
    {"ASLim", SetSetting<&ESettings::m_fASLim>},
    {"UseLod", SetSetting<&ESettings::m_bUseLod>},
    {"UsePVS", SetSetting<&ESettings::m_bUsePVS>},
    {"UseOPT", SetSetting<&ESettings::m_bUseOPT>},
    {"DeleteNotImportant", DeleteNotImportant},
    {"DeleteWindows", DeleteWindows},
    {"Profiler", Profiler},
    {"DrawMultitextures", SetSetting<&ESettings::m_bDrawMultitextures>},
    {"DrawDust", SetSetting<&ESettings::m_bDrawDust>},
    {"Difficulty", SetSetting<&ESettings::m_iDifficulty>},
    {"developer", SetSetting<&ESettings::m_bDeveloper>},
    {"DrawPhysics", SetSetting<&ESettings::m_bDrawPhysics>},
    {"DrawTextures", SetSetting<&ESettings::m_bDrawTextures>},
    {"RecalculateOccluders", SetSetting<&ESettings::m_bRecalculateOccluders>},
    {"SimpleRender", SetSetting<&ESettings::m_bSimpleRender>},
    {"WipeOut", WipeOut},
    {"God", SetSetting<&ESettings::m_bGod>},
    {"mucha", SetSetting<&ESettings::m_bMucha>},
    {"SectorShow", SectorShow},
    {"SectorHide", SectorHide},
    {"SectorShowAll", SectorShowAll},
    {"DrawCharacterTextures", SetSetting<&ESettings::m_bDrawCharacterTextures>},
    {"DrawGrass", SetSetting<&ESettings::m_bDrawGrass>},
    {"RaportUndefinedTextures", SetSetting<&ESettings::m_bRaportUndefinedTextures>},
    {"RaportDoubleTextures", SetSetting<&ESettings::m_bRaportDoubleTextures>},
    {"DrawAmbientLitObjects", SetSetting<&ESettings::m_bDrawAmbientLitObjects>},
    {"DrawSkylightLitObjects", SetSetting<&ESettings::m_bDrawSkylightLitObjects>},
    {"SkinmeshLightCoef", SetSetting<&ESettings::m_fSkinmeshLightCoef>},
    {"DrawProjectors", SetSetting<&ESettings::m_bDrawProjectors>},
    {"BloomCone", Bloom},
    {"BloomPower", Bloom},
    {"Action", Action},
    {"PrintShakeScreenDistance", SetSetting<&ESettings::m_bPrintShakeScreenDistance>},
    {"DrawStickMarkers", SetSetting<&ESettings::m_bDrawStickMarkers>},
    {"DrawNotImportant", SetSetting<&ESettings::m_bDrawNotImportant>},
    {"DrawDetail", SetSetting<&ESettings::m_bDrawDetail>},
    {"RecalculateSkyLightEveryFrame", SetSetting<&ESettings::m_bRecalculateSkyLightEveryFrame>},
    {"Demo", SetSetting<&ESettings::m_bDemo>},
    {"RaportVariables", SetSetting<&ESettings::m_bRaportVariables>},
    {"LoadOneLevelTextureOnly", SetSetting<&ESettings::m_bLoadOneLevelTextureOnly>},
    {"WideScreen", WideScreen},
    {"AddFX", SetSetting<&ESettings::m_bAddFX>},
    {"SkyLightPower", SetSkyValue<&ESky::m_fSkyLightPower>},
    {"LightPowerMultiplier", SetSetting<&ESettings::m_fLightPowerMultiplier>},
    {"UpdateBezier", SetSetting<&ESettings::m_bUpdateBezier>},
    {"UpdateModels", SetSetting<&ESettings::m_bUpdateModels>},
    {"UpdatePostacMgr", SetSetting<&ESettings::m_bUpdatePostacMgr>},
    {"DrawModels", SetSetting<&ESettings::m_bDrawModels>},
    {"UpdateObjects", SetSetting<&ESettings::m_bUpdateObjects>},
    {"UpdateObjectsLoop", SetSetting<&ESettings::m_bUpdateObjectsLoop>},
    {"DrawFX", SetSetting<&ESettings::m_bDrawFX>},
    {"DrawWorld", SetSetting<&ESettings::m_bDrawWorld>},
    {"DebugPerformance", SetSetting<&ESettings::m_bDebugPerformance>},
    {"DebugLights", DebugLights},
    {"DebugVM", SetSetting<&ESettings::m_bDebugVM>},
    {"DebugCharacters", SetSetting<&ESettings::m_bDebugCharacters>},
    {"DebugHeroLights", SetSetting<&ESettings::m_bDebugHeroLights>},
    {"RecalculateCamera", SetSetting<&ESettings::m_bRecalculateCamera>},
    {"RecalculateSkyShadow", SetSetting<&ESettings::m_bRecalculateSkyShadow>},
    {"UseSkyLight", SetSetting<&ESettings::m_bUseSkyLight>},
    {"NumApprovedLights", SetSetting<&ESettings::m_iNumApprovedLights>},
    {"FOV", FOV},
    {"screenwidth", SetSetting<&ESettings::m_iScreenWidth>},
    {"screenheight", SetSetting<&ESettings::m_iScreenHeight>},
    {"runworld", RunWorld},
    {"SkinMeshSpeed", SetSetting<&ESettings::m_fSkinMeshSpeed>},
    {"GlobalTimeSpeed", SetSetting<&ESettings::m_fGlobalTimeSpeed>},
    {"loadmodels", SetSetting<&ESettings::m_bLoadModels>},
    {"DrawFog", DrawFog},
    {"DrawFPS", SetSetting<&ESettings::m_bDrawFPS>},
    {"PrintPolygonCount", SetSetting<&ESettings::m_bPrintPolygonCount>},
    {"DrawTransparent", SetSetting<&ESettings::m_bDrawTransparent>},
    {"DrawTranslucent", SetSetting<&ESettings::m_bDrawTranslucent>},
    {"DrawShadows", SetSetting<&ESettings::m_bDrawShadows>},
    {"DrawSky", SetSetting<&ESettings::m_bDrawSky>},
    {"raportsubsets", SetSetting<&ESettings::m_bRaportSubsets>},
    {"raporttextures", SetSetting<&ESettings::m_bRaportTextures>},
    {"sound", SetSetting<&ESettings::m_bSound>},
    {"numconsolelines", NumConsoleLines},
    {"extractusedtextures", SetSetting<&ESettings::m_bExtractUsedTextures>},
    {"raporttechs", SetSetting<&ESettings::m_bRaportTechs>},
    {"farz", SetCamera<&ECamera::SetFarZ>},
    {"fogfar", SetSkySet0<&ESky::SetFogFar>},
    {"fognear", SetSkySet0<&ESky::SetFogNear>},
    {"fogr", SetSkySet0<&ESky::SetFogColourR>},
    {"fogg", SetSkySet0<&ESky::SetFogColourG>},
    {"fogb", SetSkySet0<&ESky::SetFogColourB>},
    {"Fog", SetSkySet0Colour<&ESky::SetFogColourR, &ESky::SetFogColourG, &ESky::SetFogColourB>},
    {"ambientr", SetSkySet0<&ESky::SetAmbientLightR>},
    {"ambientg", SetSkySet0<&ESky::SetAmbientLightG>},
    {"ambientb", SetSkySet0<&ESky::SetAmbientLightB>},
    {"ambient", SetSkySet0Colour<&ESky::SetAmbientLightR, &ESky::SetAmbientLightG, &ESky::SetAmbientLightB>},
    {"skylightr", SetSkyLight<&ESky::SetSkyLightColourR>},
    {"skylightg", SetSkyLight<&ESky::SetSkyLightColourG>},
    {"skylightb", SetSkyLight<&ESky::SetSkyLightColourB>},
    {"SkyLight", SetSkyLightColour},
    {"SkyLightRotation", SkyLightAim},
    {"SkyLightPitch", SkyLightAim},
    {"LensFlareRotation", LensFlareAim},
    {"LensFlarePitch", LensFlareAim},
    {"CorpseDisappearTime", SetSetting<&ESettings::m_fCorpseDisappearTime>},
    {"DrawCharacterPaths", SetSetting<&ESettings::m_bDrawCharacterPaths>},
    {"DrawPaths", SetSetting<&ESettings::m_bDrawPaths>},
    {"WireFrame", SetSetting<&ESettings::m_bWireFrame>},
    {"DrawSprites", SetSetting<&ESettings::m_bDrawSprites>},
    {"DrawProjectors", SetSetting<&ESettings::m_bDrawProjectors2>},
    {"DrawLights", SetSetting<&ESettings::m_bDrawLights>},
    {"StartMenu", SetSetting<&ESettings::m_bStartMenu>},
    {"MuchaSpeed", SetSetting<&ESettings::m_fMuchaSpeed>},
    {"DrawCameraCoordinates", SetSetting<&ESettings::m_bDrawCameraCoordinates>},
    {"DrawCompass", SetSetting<&ESettings::m_bDrawCompass>},
    {"Gamma", SetCamera<&ECamera::SetGamma>},
    {"GammaR", SetCamera<&ECamera::SetGammaR>},
    {"GammaG", SetCamera<&ECamera::SetGammaG>},
    {"GammaB", SetCamera<&ECamera::SetGammaB>},
    {"Debug", SetSetting<&ESettings::m_iDebug>},
    {"SystemDebug", SetSetting<&ESettings::m_iSystemDebug>},
    {"EnableAntialiasing", SetSetting<&ESettings::m_bEnableAntialiasing>},
};

}  // namespace

CommandResult RunConsoleCommands(EConsole& console, const char* name, const char* value, uint8_t flag) {
    for (const ConsoleCommand& command : kCommands) {
        if (StrICmp(command.name, name) != 0) continue;
        if (command.apply(console, value, flag) == CommandResult::EndExecutor) return CommandResult::EndExecutor;
    }
    return CommandResult::Continue;
}
