#pragma once
// The lighting environment of the world: fog and light sets, the sky light, the time of day
// (eight records the environment is blended between as time runs) and the sky dome.
#include <cstdint>

#include "core/DV.h"
#include "render/DrawRecord.h"

namespace gfx { class BaseTexture; }

// One time of day: its sky texture, bloom, light and fog. Colours are 0..1.
struct strpora {
    char m_szSkyTexture[256];
    const gfx::BaseTexture* m_pSkyTexture;
    float m_fBloomPower;
    float m_fBloomCone;
    float m_fAmbient[4];
    float m_fSkyLight[4];
    float m_fSkyLightPower;
    float m_fSkyLightPitch;  // degrees
    float m_fSkyLightYaw;    // degrees
    float m_fFog[4];
    float m_fFogNear;
    float m_fFogFar;
};

class ESky {
public:
    static constexpr int kSets = 4;
    static constexpr int kTimesOfDay = 8;

    ESky();
    virtual ~ESky();

    // World (or menu scene) start: the time-of-day records, a starting time of day, fog maximum.
    void OnStartWorld();
    void SetDefaults();
    // Replaces the dome by an object made from the mesh file.
    void CreateSkyDome(const char* meshFile);
    // Deletes the dome and forgets the sky textures (the world's textures go with it).
    void OnEndWorld();
    // Once per frame: fog near and far put in order, then the time of day.
    void UpdateFrame();
    void Update();
    // The dome with the current and the next time of day's skies blended, behind the scene.
    void RenderSky(int pass);

    // A set index of 4 or more means set 0. Channel values are 0..255, truncated and held within
    // a byte (an over-bright 300 stays full, not the 44 of its low byte).
    void GetFogColour(uint32_t& colour, int set) const;
    void GetFogColourR(float& value, int set) const;
    void GetFogColourG(float& value, int set) const;
    void GetFogColourB(float& value, int set) const;
    // Stores the colour; for set 0 the console variables FogR, FogG and FogB follow it.
    void SetFogColour(uint32_t colour, int set);
    // One channel, the other bytes kept, through SetFogColour.
    void SetFogColourR(float value, int set);
    void SetFogColourG(float value, int set);
    void SetFogColourB(float value, int set);
    float GetFogFar(int set) const;
    void SetFogFar(float distance, int set);
    float GetFogNear(int set) const;
    // Returns the set index actually used.
    int SetFogNear(float distance, int set);
    void EnableFog();
    void DisableFog();

    void SetAmbientLight(uint32_t colour, int set);
    void GetAmbientLightR(float& value, int set) const;
    void GetAmbientLightG(float& value, int set) const;
    void GetAmbientLightB(float& value, int set) const;
    // Set 0 as (r, g, b, 0), each 0..1, for the effects.
    void GetAmbientLightVector(float* vector) const;
    // One channel, the others kept; the alpha byte becomes 0.
    void SetAmbientLightR(float value, int set);
    void SetAmbientLightG(float value, int set);
    void SetAmbientLightB(float value, int set);

    void SetSkyLightColour(uint32_t colour);
    void GetSkyLightColour(uint32_t& colour) const;
    // One channel, the others kept; the alpha byte becomes 0.
    void SetSkyLightColourR(float value);
    void SetSkyLightColourG(float value);
    void SetSkyLightColourB(float value);
    void SetSkyLightDirection(float x, float y, float z);
    void SetLensFlareDirection(float x, float y, float z);

    // Hands the bloom cone and power to the post-processing.
    void SetBloomParams(float cone, float power);
    // The world keyword and the menu hand sky-light projector values that nothing uses.
    void SetSkyLightProjector(uint32_t size, int32_t a, int32_t b, float c) {}
    // The size, extent, depth range and bias of shadow map 0.
    void GetSkyLightProjector(uint32_t& size, uint32_t& extent, uint32_t& depthRange, float& bias) const;
    // Jumps to a time of day (outside 0..7 means 0) at its start.
    void SetPora(int index);

    // After a device reset; the sky keeps nothing in video memory.
    void OnResetDevice();

    uint32_t m_uAmbientColour[kSets];
    // Whether the scene uses the sun-like directional light.
    uint8_t m_bSkyLightUsed = 1;
    uint32_t m_uFogColour[kSets];
    float m_fFogFar[kSets];
    float m_fFogNear[kSets];
    uint8_t m_bFog;
    float m_fSkyLightPower;
    uint32_t m_uSkyLightColour;
    DV m_vSkyLightDirection;
    DV m_vLensFlareDirection;
    float m_fSkyFogCoef;
    float m_fSkyFogHeight;
    // The world file's vertex ambient lighting outdoors and inside, and how much sky light and
    // ambient light fall on skinned meshes.
    float m_fVertexAmbientBrightness = 0;
    float m_fVertexAmbientContrast = 0;
    DV m_vVertexAmbientColour;
    float m_fVertexAmbientInsideBrightness = 0;
    float m_fVertexAmbientInsideContrast = 0;
    DV m_vVertexAmbientInsideColour;
    float m_fSkinMeshSkyLightCoef = 1.0f;
    float m_fSkinMeshAmbientCoef = 1.0f;

    // Time of day: the record index, the fraction within it, whether time runs, and the count of
    // environment updates since the last jump.
    uint32_t m_uPora;
    float m_fPoraFraction;
    uint8_t m_bPoryUpdate;
    uint32_t m_uUpdateCounter;
    strpora m_Pory[kTimesOfDay];
    // The most fog any surface gets, handed to the effects.
    float m_fFogMax;
    // The object that carries the dome mesh; null when there is none.
    const DrawVisibility* m_pSkyDome;
    // A world (or the menu's scene) has started and not ended: only then is a missing dome news.
    uint8_t m_bWorldStarted;

private:
    void ApplyTimeOfDay();
};

extern ESky g_Sky;
