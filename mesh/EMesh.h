#pragma once
// The static mesh of an engine object.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"
#include "platform/math/Matrix.h"

class EObjectSlot;

// The rigid-body parameters a mesh keeps for the machines' physics world.
struct RigidBodyPhysicsParams {
    // 0 none, 1 a box body, 2 an upright cylinder.
    uint32_t m_uBodyKind = 0;
    float m_fMass = 8.0f;
    uint8_t m_bEnable[3] = {1, 1, 1};
    uint8_t m_bReserved[3] = {};
    float m_fFactors[2] = {1.0f, 1.0f};
    uint8_t m_Table768[768] = {};
    uint8_t m_Table800[800] = {};
};

// The path-generation values a world file sets for a mesh.
struct PathGenerationParams {
    uint8_t m_bEnabled = 0;
    float m_fValues[3] = {96.0f, 32.0f, 1536.0f};
    int32_t m_iCount = 2000;
};

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
    RigidBodyPhysicsParams m_RigidBodyPhysicsParams;
    PathGenerationParams m_PathGenerationParams;
};
