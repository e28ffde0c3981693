#pragma once
// The marks field work leaves on the ground: straw swaths behind a combine (kind 0), hay swaths
// for the baler (1), ploughed earth (2) and the strips behind the planter (3) and the seeder (4).
// Each kind keeps a table of its marks and one vertex buffer, made at engine start and kept across
// worlds. A stamp mark is a square of four triangles round its centre that fades in over a second;
// a strip segment is two opaque triangles joining the implement's working width now and at the
// last segment. The marks are drawn in the translucent pass with the sky-lit ground technique, and
// once more, untextured, into the overview map.
//
// Stamp mark i of a kind always owns vertices 12 i to 12 i + 11 of its buffer, so fading and
// hiding find it whatever happened to the marks before it; the kind draws up to its highest
// written stamp. Stamps and strips do not share a kind.
#include <cstdint>
#include <memory>

#include "core/DV.h"
#include "platform/gfx/Resource.h"

namespace gfx { class BaseTexture; }
struct Truck;

class PGroundMgr {
public:
    static constexpr uint32_t kRecordSlots = 8;
    static constexpr uint32_t kKinds = 5;
    // Entries of a kind's table; stamps are counted up to one less.
    static constexpr uint32_t MAX_GROUND_EFFECTS = 24000;
    static constexpr uint32_t kMaxStamps = MAX_GROUND_EFFECTS - 1;
    static constexpr uint32_t kStampVertices = 12;
    static constexpr uint32_t kStripVertices = 6;
    static constexpr uint32_t kBufferVertices = 288000;
    static constexpr uint32_t kBufferBytes = kBufferVertices * 36;
    static constexpr uint32_t kBufferTriangles = kBufferVertices / 3;

    // One mark: a stamp's centre and corners with their texture coordinates, or a strip
    // segment's first end kept as its centre.
    struct Mark {
        DV m_vCentre;
        DV m_vCorners[4];
        // The centre's, then the corners'.
        float m_fU[5];
        float m_fV[5];
        // 0 when added, 1 when fully shown.
        float m_fFade;
        DV m_vNormal;
        uint8_t m_bRemoved;
        // Its vertices are in the buffer.
        uint8_t m_bWritten;
    };

    struct Record {
        uint32_t m_uKind = 0;
        char m_szTexture[64] = {};
        float m_fHalfDiagonal = 0;
        float m_fHeight = 0;
        float m_fJitter = 0;
        uint8_t m_bRandomTurn = 0;
        uint8_t m_bAtlas = 0;
        std::unique_ptr<Mark[]> m_pMarks;
        uint32_t m_dwMarks = 0;
        const gfx::BaseTexture* m_pTexture = nullptr;
        uint32_t m_dwTriangles = 0;
        // Marks below this one have all faded in: the fade step starts here.
        uint32_t m_dwFirstFading = 0;
    };

    PGroundMgr();
    ~PGroundMgr();
    PGroundMgr(const PGroundMgr&) = delete;
    PGroundMgr& operator=(const PGroundMgr&) = delete;

    // Engine start: every record zeroed, then the five kinds set up with their buffers.
    void Init();
    void LoadTextures();
    // The buffer of one record (index below 8).
    void CreateVB(uint32_t index);
    // World start: each kind's texture by name (a name not found leaves the texture as it was).
    void ResolveTextures();
    // World end: every mark forgotten; the buffers keep their bytes but draw nothing.
    void ClearEffects();
    // Engine release.
    void Shutdown();
    void TnijGroundDefs();

    // A stamp mark of a kind at a point (direction null: along +x) on ground of that normal.
    void AddGroundEffect(uint32_t kind, const DV* position, const DV* direction, const DV* normal);
    // Writes stamp `index` of a kind into its slot of the buffer; false when nothing was written.
    bool WriteMarkToVB(uint32_t kind, uint32_t index);
    // Drops one mark of a kind below the world (the baler picked it up).
    void HideMark(uint32_t kind, uint32_t index);
    // A strip segment of kind 3 or 4 from the implement's working width at its last segment to
    // where it is now.
    void AddPlantingStrip(const Truck* implement);
    void AddSowingStrip(const Truck* implement);

    // Per frame: the stamps still fading in take on the frame time.
    void UpdateVB();
    // The scene's translucent pass.
    void Render();
    // The overview map: every kind, with the caller's effect, states and textures.
    void DrawBuffers();
    void RenderAutoMapPloughing() { DrawBuffers(); }
    void RenderAutoMapSowing() { DrawBuffers(); }
    void RenderAutoMapPlanting() { DrawBuffers(); }

    Record m_Records[kRecordSlots];
    std::unique_ptr<gfx::VertexBuffer> m_pVB[kRecordSlots];
    uint32_t m_dwRecords = 0;
    float m_fFadeStep = 0;

private:
    void AddStrip(uint32_t kind, const Truck* implement, float u, const char* unlockFailure);
    // Locks a byte range of a kind's buffer (failure reported); the locked bytes or null.
    uint8_t* LockRange(uint32_t kind, uint32_t offset, uint32_t size);
    void Unlock(uint32_t kind, const char* failure);
    void ReleaseRecord(uint32_t index);
};

extern PGroundMgr g_GroundMgr;
