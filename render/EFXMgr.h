#pragma once
// The particle effects: instances, their vertex buffers and their drawing.

class EFXMgr {
public:
    EFXMgr();
    virtual ~EFXMgr();

    // Fills the effects' vertex buffers once per frame, before the scene begins.
    void PrepareVertexBuffers();
    // Around a device reset: the vertex buffers are released, then created again.
    void OnLostDevice();
    void OnResetDevice();
};

extern EFXMgr g_FXMgr;
