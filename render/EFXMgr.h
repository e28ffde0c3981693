#pragma once
// The particle and sprite effects manager: every effect definition read from "afx\*.afx", every
// live effect in a fixed table of instances, their per-frame step (movement, growth, colour and
// alpha keys, child effects, the scripted kinds: blood drops, tracers, shells, bombs, rockets,
// mortar explosions), and their drawing: sprites and blood drops as quads batched per texture and
// blend mode, sparks as thin ribbons, both in the renderer's translucent pass. Mesh effects are
// engine objects and are drawn with the world.
//
// Other components ask for an effect by name (AddFXByName) and keep the instance it returns; a
// refused spawn returns the dummy instance of slot 0, never updated or drawn, so the caller may
// always write into it.
#include <cstdint>
#include <memory>

#include "core/DV.h"
#include "core/EOrientation.h"
#include "render/EFXDefinition.h"
#include "render/EFXInstance.h"

namespace gfx { class VertexBuffer; }
struct DrawVisibility;

// A sprite quad corner: position, ARGB colour, texture coordinates (XYZ | DIFFUSE | TEX1).
struct SpriteVertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
};

// A spark ribbon corner (XYZ | DIFFUSE).
struct SparkVertex {
    float x, y, z;
    uint32_t colour;
};

// The sprites of one texture and one blend mode gathered in a frame, drawn in one call.
struct SpriteBatch {
    static constexpr uint32_t kMaxInstances = 127;
    static constexpr uint32_t kVertices = 768;

    uint32_t m_uCount = 0;
    uint32_t m_uVertexCount = 0;
    // Instance slots.
    uint16_t m_uInstances[kMaxInstances] = {};
    // Made on first use, released with the device's resources.
    std::unique_ptr<gfx::VertexBuffer> m_pVB;
};

// The blend modes of sprites, drawn in this order.
enum FXBlend : uint32_t { FX_BLEND_ADDITIVE = 0, FX_BLEND_MULTIPLY = 1, FX_BLEND_NORMAL = 2, FX_BLEND_MODES = 3 };

// The flag words of a sprite.
constexpr uint32_t FX_SPRITE_ROTATED = 0x2;
constexpr uint32_t FX_SPRITE_LIGHT = 0x800;
constexpr uint32_t FX_BLENDFLAG_ADDITIVE = 0x1;
constexpr uint32_t FX_BLENDFLAG_MULTIPLY = 0x2;

class EFXMgr {
public:
    static constexpr int kMaxDefinitions = 128;
    static constexpr int kMaxInstances = 512;
    static constexpr int kReservedSlots = 32;
    static constexpr int kMaxReplaceable = 20;
    static constexpr int kBloodDropNames = 32;
    static constexpr int kBloodDropNameSize = 64;
    static constexpr uint32_t kTextures = 1024;
    static constexpr uint32_t kMaxSparks = 32;
    static constexpr uint32_t kSparkVertices = 18;

    EFXMgr();
    virtual ~EFXMgr();

    // ---- Definition files --------------------------------------------------------------------
    // Every "afx\*.afx" into the definitions (the old ones cleared), the children resolved, the
    // blood-drop lists read.
    void LoadAll();
    // One file into the first free definition. A malformed file is reported in "!fx_bugs.txt" and
    // leaves the definition free.
    void LoadAfx(const char* path);
    void SaveAll();
    void SaveAfx(const char* path, int index);
    // The report of textures that sprites use both additively and normally, in "!fx_bugs.txt";
    // the file is deleted when nothing at all was reported.
    void CheckTextureUse();
    EFXDefinition* FindDefinition(const char* name);
    // Each definition's After and Every names to their definitions; each count becomes one more
    // than the last entry with a name.
    void ResolveChildren();
    // "scripts\BloodDrops.txt" and "scripts\BloodDropsOF.txt", and their textures.
    void LoadBloodDrops();
    void LoadBloodDropTextures();

    // ---- Instances ---------------------------------------------------------------------------
    // A world's (or the menu's) effects: definitions, instances, buffers and blood-drop textures.
    void LoadResources();
    // Spawns the definition, on the object's socket when both are given. Null for a null
    // definition; the dummy when the spawn is refused.
    EFXInstance* AddFX(const EFXDefinition* definition, const DrawVisibility* object, const char* socket, bool follow);
    // Spawns the named effect (any case) moved by the offset and turned by the orientation; null,
    // with "Effect <name> not found", when no definition has the name.
    EFXInstance* AddFXByName(const char* name, const DV* offset, const EOrientation* orientation);
    // The named effect attached to the object's socket.
    EFXInstance* AddFXByNameAt(const char* name, const DrawVisibility* object, const char* socket, bool follow);
    void RemoveFX(int32_t index);
    // The per-frame step; while the menu is active only when forced.
    void Update(bool force);
    // Every instance removed and every buffer released.
    void Release();

    // ---- Scripted kinds ----------------------------------------------------------------------
    // A falling bomb from the position along the direction.
    EFXInstance* AddBomb(const DV& position, const DV& direction);
    // The explosion that suits the ground under the point.
    void AddMortarExplosion(const DrawVisibility* ignore, const DV& position, bool big);

    // ---- Drawing -----------------------------------------------------------------------------
    // Once per frame before the scene: sprite colours, the batches gathered and filled.
    void PrepareVertexBuffers();
    // In the translucent pass: the sparks, then the sprite batches by blend mode.
    void Render();
    void OnLostDevice();
    void OnResetDevice();

    EFXDefinition m_Definitions[kMaxDefinitions];
    EFXInstance m_Instances[kMaxInstances];
    // Free slots for the next spawns, rebuilt every frame; 0 marks a taken entry.
    uint16_t m_uReserved[kReservedSlots] = {};
    char m_szBloodDrops[kBloodDropNames][kBloodDropNameSize] = {};
    uint32_t m_uBloodDropCount = 0;
    char m_szBloodGround[kBloodDropNames][kBloodDropNameSize] = {};
    uint32_t m_uBloodGroundCount = 0;

    // The step of this frame (seconds).
    float m_fFrameStep = 0;
    // Live instances counted by the last update, less the sprites not drawn ("Total FX rendered").
    int32_t m_iLiveCount = 0;
    int32_t m_iReplaceableCount = 0;
    uint8_t m_bSparks = 0;
    uint32_t m_uSparkVertexCount = 0;
    std::unique_ptr<gfx::VertexBuffer> m_pSparkVB;
    SpriteBatch m_Batches[kTextures][FX_BLEND_MODES];
    // The batches that gathered sprites this frame (texture x 3 + blend), in drawing order.
    uint16_t m_uActiveBatches[kTextures * FX_BLEND_MODES] = {};
    uint32_t m_uActiveBatchCount = 0;
    // Something was written to "!fx_bugs.txt" since the definitions were last loaded.
    uint8_t m_bBugsReported = 0;
    // Draw calls of the last Render.
    uint32_t m_uDrawCalls = 0;

private:
    void ClearDefinitions();
    void ReportBug(const char* line);
    void ClearInstances();
    void RefillReserved();
    int32_t TakeSlot(bool replaceable);
    void Remove(EFXInstance& fx);
    // The spawn of a definition at a position (its offset) with an orientation of the caller's.
    EFXInstance* Spawn(const EFXDefinition& definition, const DV& position, const EOrientation& orientation,
                       const DrawVisibility* object, const char* socket, bool follow);
    void CopyBehaviour(EFXInstance& fx, const EFXDefinition& definition, const EOrientation& orientation);
    void PlaceOnObject(EFXInstance& fx);
    void StartChildTimers(EFXInstance& fx, const EFXDefinition& definition);
    void MakeLook(EFXInstance& fx, const EFXDefinition& definition);
    void SpawnChild(EFXInstance& parent, const EFXDefinition& child);

    // The instance step; false when the instance was removed.
    bool Step(EFXInstance& fx);
    void Follow(EFXInstance& fx);
    bool Move(EFXInstance& fx);
    void Decelerate(EFXInstance& fx);
    void ShiftTrail(EFXInstance& fx);
    void RebuildFrame(EFXInstance& fx, const DV& direction);
    bool ChildrenMaySpawn(const EFXInstance& fx) const;
    void UpdateChildren(EFXInstance& fx);

    // Scripted kinds. A step that handles the frame itself returns true; one that ends the
    // instance sets ended.
    bool StepOwnRoutine(EFXInstance& fx, bool& ended);
    void StepPlaced(EFXInstance& fx);
    bool StepGroundTest(EFXInstance& fx);
    void StepBulletShell(EFXInstance& fx);
    bool StepBloodDrop(EFXInstance& fx);
    bool StepTracer(EFXInstance& fx);
    bool StepMortarGround(EFXInstance& fx);
    bool StepShell(EFXInstance& fx);
    bool StepBigBomb(EFXInstance& fx);
    bool StepRocket(EFXInstance& fx);
    void MakeObjectNonColliding(EFXInstance& fx);
    void TestStain(const DV& point);
    void DriveFireSound(EFXInstance& fx);
    void TestLightSprite(EFXInstance& fx);
    void Spin(EFXInstance& fx);

    // Drawing.
    void CreateSparkBuffer();
    void GatherSprites();
    void FillBatch(SpriteBatch& batch);
    void FillSparks();
    void DrawSparks();
    void DrawSprites();
};

// Colour and alpha keys at t (0..1 of the life): the instance's ARGB drawing colour.
uint32_t InterpolateKeys(const EFXInstance& fx, float t);

// The filtered segment query of the stain probes and the shells: 0 when nothing is hit (or the
// points lie within 1 of each other); else from becomes the hit point and to the hit normal, and
// the answer is 2 when the object hit is solid, 1 otherwise.
int IntersectSegmentFiltered(DV* from, DV* to, const DrawVisibility* ignore, bool skipClass4,
                             const DrawVisibility* ignore2, bool skipClass2And32, bool skipClass16, bool flag);

extern EFXMgr g_FXMgr;
