#pragma once
// The skinned mesh of an engine object.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"

class EObjectSlot;

class ESkinMesh {
public:
    ESkinMesh() = default;
    virtual ~ESkinMesh() = default;

    // Loads the skinned model; false when it cannot be made.
    bool Create(const char* path);
    void Destroy();
    void SetPosition(const DV& position);
    void SetOrientation(const EOrientation& orientation);
    void SetScale(const DV& scale);
    // Channel 0 blends to the named animation over the time.
    void BlendToAnimation(const char* name, bool loop, float blendTime);
    bool IsAnimationFinished() const;
    void UpdateAnimation();
    void UpdateFrameMatrices();
    // The socket's world position and orientation; false when the model has no such socket.
    bool GetSocket(const char* name, DV* position, EOrientation* orientation) const;

    EObjectSlot* m_hObject = nullptr;
    float m_fRadius = 0;
    DV m_vPosition;
    EOrientation m_Orientation;
    DV m_vScale{1, 1, 1};
    // The animation time advances only while running; otherwise it is held at the held time.
    uint8_t m_bAnimationRunning = 1;
    float m_fHeldTime = 0;
};
