#pragma once
// The particle effects: instances, their vertex buffers and their drawing.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"

// One live effect. An engine object that carries an effect writes its position (twice) and its
// orientation here, so the effect follows the object.
struct EFXInstance {
    int32_t m_iIndex = 0;
    DV m_vPosition;
    DV m_vPreviousPosition;
    EOrientation m_Orientation;
    // The particles stop when they reach the ground.
    uint8_t m_bStopOnGround = 0;
};

class EFXMgr {
public:
    EFXMgr();
    virtual ~EFXMgr();

    // Spawns the named effect at the position with the orientation (or none); null when no
    // definition has that name.
    EFXInstance* AddFXByName(const char* name, const DV* position, const EOrientation* orientation);
    void RemoveFX(int32_t index);
    // The per-frame step and draw.
    void Update();
    void Render();
    // Fills the effects' vertex buffers once per frame, before the scene begins.
    void PrepareVertexBuffers();
    // Around a device reset: the vertex buffers are released, then created again.
    void OnLostDevice();
    void OnResetDevice();
};

extern EFXMgr g_FXMgr;
