#pragma once
// The settings record: switches and values that the whole program reads directly. The
// constructor sets the defaults; qv.cfg, the console, the launcher and the saved video and key
// settings change them. A switch is a byte holding 0 or 1.
#include <cstdint>

using u8 = uint8_t;
using i32 = int32_t;
using u32 = uint32_t;
using f32 = float;

class ESettings {
public:
    ESettings();

    u8 m_bTextureDescription;
    u8 m_bNoLight;
    u8 m_bGameState;
    u8 m_bWindowed;
    u8 m_bDemo;
    u8 m_bUpdateZawody;
    i32 m_iDifficulty;
    u8 m_bRendererSwitch;
    u8 m_bObjectAction;
    u8 m_bLoadOneLevelTextureOnly;
    u8 m_bUseSkyLight;
    u8 m_bSound;
    f32 m_fSecondVolume;
    u8 m_bMusic;
    f32 m_fMusicVolume;
    u8 m_bOptionsByte;
    i32 m_iDebug;
    i32 m_iSystemDebug;
    u8 m_bPrintPolygonCount;
    u8 m_bDrawCharacterPaths;
    u8 m_bDrawPaths;
    u8 m_bDrawFPS;
    u8 m_bDrawCameraCoordinates;
    u8 m_bDebugHeroLights;
    i32 m_iDebugLights;
    u8 m_bDebugVM;
    u8 m_bDebugCharacters;
    u8 m_bDebugPerformance;
    u8 m_bSkipIntro;
    // Set while the intro world runs (the main game sets it when it launches the intro).
    u8 m_bIntroRunning;
    u8 m_bGameMode;
    u8 m_bGod;
    u8 m_bMucha;
    f32 m_fMuchaSpeed;
    u8 m_bDrawCompass;
    f32 m_fCorpseDisappearTime;
    char m_szWorldName[80];
    char m_szLevelScriptName[80];
    u8 m_bStartMenu;
    u8 m_bSkinMeshSwitch;
    u8 m_bDrawNotImportant;
    u8 m_bVideoOptionsConfirmed;
    u8 m_bDrawProjectors;
    u8 m_bDrawPhysics;
    u8 m_bDrawTextures;
    u8 m_bDrawShadows;
    i32 m_iShadowQuality;
    i32 m_iWorldTextureQuality;
    i32 m_iAnimatedModelsTextureQuality;
    u8 m_bSimpleRender;
    u8 m_bAddFX;
    u8 m_bTraffic;
    u8 m_bRepairMultiData;
    u8 m_bDeveloper;
    u8 m_bUseOPT;
    u8 m_bUsePVS;
    u8 m_bPostProcess;
    u8 m_bUseLod;
    i32 m_iSteering;
    u8 m_bDrawAmbientLitObjects;
    u8 m_bDrawSkylightLitObjects;
    u8 m_bDrawCharacterTextures;
    u8 m_bDrawMultitextures;
    f32 m_fSkinmeshLightCoef;
    f32 m_fWorldLoadValue;
    u8 m_bPrintShakeScreenDistance;
    u8 m_bRecalculateSkyLightEveryFrame;
    u8 m_bTextureFilter;
    u8 m_bUpdateBezier;
    u8 m_bDrawStickMarkers;
    u8 m_bLoadModels;
    u8 m_bUpdateModels;
    u8 m_bUpdatePostacMgr;
    u8 m_bRaportTechs;
    u8 m_bExtractUsedTextures;
    u8 m_bUpdateObjects;
    u8 m_bUpdateObjectsLoop;
    i32 m_iDisable;
    u8 m_bEffectsUpdate;
    u8 m_bDrawFX;
    f32 m_fASDist;
    f32 m_fASLim;
    u8 m_bDrawWorld;
    u8 m_bRecalculateCamera;
    u8 m_bRecalculateOccluders;
    u8 m_bRecalculateSkyShadow;
    i32 m_iNumApprovedLights;
    u8 m_bPixelShader30;
    u8 m_bPixelShader20;
    f32 m_fLightPowerMultiplier;
    f32 m_fMouseOptionValue;
    u8 m_bMouseOptionSwitch;
    u8 m_bRendererPass;
    u8 m_bWireFrame;
    u8 m_bDrawSky;
    u8 m_bDrawGrass;
    u8 m_bDrawBirds;
    u8 m_bDrawDust;
    u8 m_bDrawSprites;
    u8 m_bDrawModels;
    u8 m_bDrawProjectors2;
    u8 m_bDrawLights;
    u8 m_bEnableAntialiasing;
    u8 m_bSkyLightPass[2];
    u8 m_bDrawDetail;
    u8 m_bDrawTransparent;
    u8 m_bDrawTranslucent;
    u8 m_bRaportSubsets;
    u8 m_bRaportTextures;
    u8 m_bRaportVariables;
    u8 m_bUpdatePhysics;
    f32 m_fFOV;
    f32 m_fBaseFOV;
    f32 m_fObjectActionValue;
    i32 m_iScreenHeight;
    i32 m_iScreenWidth;
    f32 m_fScaleX;
    f32 m_fScaleY;
    f32 m_fSkinMeshSpeed;
    f32 m_fGlobalTimeSpeed;
    u8 m_bRaportUndefinedTextures;
    u8 m_bRaportDoubleTextures;
    i32 m_iOstatniaTrasa;
    // The editor switch and its second byte; no console variable sets them, so the game runs
    // with both off.
    u8 m_bEditor;
    u8 m_bEditor2;
    // A debug word that switches steps of the engine's object loop off (10 actions, 12 deaths).
    i32 m_iDebugSelector;
    // The game is paused: skinned meshes neither animate nor rebuild their matrices.
    u8 m_bGamePause;
    // Keeps the loaded animation controllers of skinned models and draws only the skinned
    // instances marked for it.
    u8 m_bReducedMode;

    // Advanced by the binary file helpers.
    u32 m_uBytesRead;
    u32 m_uBytesWritten;

    // Sets the screen size and the 2-D scale factors that follow from it.
    void SetScreenSize(i32 width, i32 height);
};

extern ESettings g_Settings;
