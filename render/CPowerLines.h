#pragma once
// Overhead power lines: the poles of each line stand in the world as engine objects, and a
// per-world script ("scripts\slupy\*.txt") names them and the sockets on them where cables hang.
// Between the same socket of consecutive poles a sagging cable is built of ten segments, each two
// crossed ribbons, into one vertex buffer rebuilt when the camera has moved; the scene pass draws
// it with the "skylight" effect's "RenderCable" technique, the cables swaying in the wind.
#include <cstdint>
#include <memory>

#include "core/DV.h"

namespace gfx { class VertexBuffer; }

// A cable corner, in the engine's 36-byte mesh layout.
struct CableVertex {
    DV position;
    // Bits 0-7: the sway weight x 255; bits 8-15: the sway phase as 0..255 of a turn; bits 16-23:
    // 0xFF on the upper edge of the vertical ribbon. The top byte stays clear.
    uint32_t sway;
    // The unit vector across the segment, horizontal.
    DV side;
    float u;
    float v;
};

class CPowerLines {
public:
    static constexpr int kMaxSockets = 15;
    static constexpr int kSocketSlots = 16;
    static constexpr int kSocketNameSize = 64;
    static constexpr int kObjectNameSize = 256;
    static constexpr uint32_t kCapacity = 24000;

    struct Pole {
        DV m_vPosition;
        DV m_vSockets[kSocketSlots];
        float m_fSag[kSocketSlots] = {};
        float m_fPhase[kSocketSlots] = {};
        char m_szObject[kObjectNameSize] = {};
        // The pole's object was found, and each of its sockets; a span to a pole or socket that
        // was not found is left out rather than drawn to the world's origin.
        uint8_t m_bFound = 0;
        uint8_t m_bSocketFound[kSocketSlots] = {};
        Pole* m_pNext = nullptr;
    };

    struct Line {
        char m_szSockets[kSocketSlots][kSocketNameSize] = {};
        uint32_t m_uSocketCount = 0;
        float m_fThickness = 2.0f;
        Pole* m_pPoles = nullptr;
        Line* m_pNext = nullptr;
    };

    CPowerLines();
    virtual ~CPowerLines();

    // The current world's lines read; the buffer is built by the first update.
    void OnStartWorld();
    void OnEndWorld() { Release(); }
    void Release();
    // Per frame: the buffer rebuilt after 10 units of camera travel, the sway advanced.
    void Update();
    // Inside the sky-lit scene pass.
    void RenderCables();

    // The first script with a "world" line naming the current world.
    void LoadAll();
    void LoadFile(const char* path);
    void RebuildVB();
    void BuildCableGeometry(const DV& a, const DV& b, float thickness, float sag, float phase);
    void AddSegment(const DV& p, const DV& q, float thickness, float weightStart, float weightEnd, float phase);

    Line* m_pLines = nullptr;
    DV m_vLastBuild;
    std::unique_ptr<gfx::VertexBuffer> m_pVB;
    CableVertex* m_pWrite = nullptr;
    uint32_t m_uVertexCount = 0;
    uint32_t m_uTriangleCount = 0;
    // Radians, 0 to 2 pi.
    float m_fSwayPhase = 0;

private:
    void CreateVB();
    void AddPole(Line& line, const char* objectName);
};

extern CPowerLines g_PowerLines;
