#include "app/ConsoleCommands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every name a console user can type, in the order the executor compares them; "DrawProjectors"
// stands twice.
TEST(ConsoleCommandTable, HoldsEveryCommandNameInTheExecutorsOrder) {
    const std::vector<std::string> expected = {
        "koniec", "RepairMultiData", "UpdateZawody", "UpdatePhysics", "PoryUpdate", "Pory", "Cutscene",
        "steering", "gimme", "GenerujPlotki", "OstatniaTrasa", "SkyFogHeight", "SkyFogCoef", "Disable",
        "Windowed", "ASDist", "ASLim", "UseLod", "UsePVS", "UseOPT", "DeleteNotImportant", "DeleteWindows",
        "Profiler", "DrawMultitextures", "DrawDust", "Difficulty", "developer", "DrawPhysics", "DrawTextures",
        "RecalculateOccluders", "SimpleRender", "WipeOut", "God", "mucha", "SectorShow", "SectorHide",
        "SectorShowAll", "DrawCharacterTextures", "DrawGrass", "RaportUndefinedTextures",
        "RaportDoubleTextures", "DrawAmbientLitObjects", "DrawSkylightLitObjects", "SkinmeshLightCoef",
        "DrawProjectors", "BloomCone", "BloomPower", "Action", "PrintShakeScreenDistance", "DrawStickMarkers",
        "DrawNotImportant", "DrawDetail", "RecalculateSkyLightEveryFrame", "Demo", "RaportVariables",
        "LoadOneLevelTextureOnly", "WideScreen", "AddFX", "SkyLightPower", "LightPowerMultiplier",
        "UpdateBezier", "UpdateModels", "UpdatePostacMgr", "DrawModels", "UpdateObjects", "UpdateObjectsLoop",
        "DrawFX", "DrawWorld", "DebugPerformance", "DebugLights", "DebugVM", "DebugCharacters",
        "DebugHeroLights", "RecalculateCamera", "RecalculateSkyShadow", "UseSkyLight", "NumApprovedLights",
        "FOV", "screenwidth", "screenheight", "runworld", "SkinMeshSpeed", "GlobalTimeSpeed", "loadmodels",
        "DrawFog", "DrawFPS", "PrintPolygonCount", "DrawTransparent", "DrawTranslucent", "DrawShadows",
        "DrawSky", "raportsubsets", "raporttextures", "sound", "numconsolelines", "extractusedtextures",
        "raporttechs", "farz", "fogfar", "fognear", "fogr", "fogg", "fogb", "Fog", "ambientr", "ambientg",
        "ambientb", "ambient", "skylightr", "skylightg", "skylightb", "SkyLight", "SkyLightRotation",
        "SkyLightPitch", "LensFlareRotation", "LensFlarePitch", "CorpseDisappearTime", "DrawCharacterPaths",
        "DrawPaths", "WireFrame", "DrawSprites", "DrawProjectors", "DrawLights", "StartMenu", "MuchaSpeed",
        "DrawCameraCoordinates", "DrawCompass", "Gamma", "GammaR", "GammaG", "GammaB", "Debug", "SystemDebug",
        "EnableAntialiasing"};
    std::vector<std::string> names;
    for (const ConsoleCommand& command : ConsoleCommands()) {
        names.push_back(command.name);
        EXPECT_NE(command.apply, nullptr) << command.name;
    }
    EXPECT_EQ(names, expected);
}

}  // namespace
