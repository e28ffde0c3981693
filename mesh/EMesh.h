#pragma once
// The static mesh of an engine object.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"
#include "mesh/MeshParams.h"
#include "platform/math/Matrix.h"

class EObjectSlot;

class EMesh {
public:
    EMesh() = default;
    virtual ~EMesh() = default;

    // Binds the mesh to the model file; m_bCreated tells whether it was.
    void Create(const char* fileName);
    void Destroy();
    void SetWorldTransform();
    void SetOrientation(const EOrientation& orientation);
    void GetOrientation(EOrientation* out) const;
    void SetScale(const DV& scale);
    void GetScale(DV* out) const;
    void GetWorldMatrix(pmath::Matrix* out) const;
    void SetRigidBodyPhysicsParams(const RigidBodyPhysicsParams* params);
    void GetRigidBodyPhysicsParams(RigidBodyPhysicsParams* out) const;
    void SetPathGenerationParams(const PathGenerationParams* params);
    void GetPathGenerationParams(PathGenerationParams* out) const;
    void ComputeSubsetsBoundProbes();
    // Whether the point lies inside the mesh's box in world space.
    bool ContainsPoint(const DV* point) const;

    EObjectSlot* m_hObject = nullptr;
    char m_szFileName[256] = {};
    // The loaded video mesh; null when none was loaded, and then nothing is drawn.
    void* m_pVideoMesh = nullptr;
    // The level of detail selected and the number of faces it displays.
    int32_t m_iLodSet = 0;
    int32_t m_iDisplayedFaces = 0;
    uint8_t m_bCreated = 0;
    float m_fRadius = 0;
    DV m_vScale{1, 1, 1};
    pmath::Quaternion m_BaseRotation;
    pmath::Matrix m_WorldMatrix = pmath::Identity();
    RigidBodyPhysicsParams m_RigidBodyPhysics;
    PathGenerationParams m_PathGeneration;
};
