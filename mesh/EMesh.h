#pragma once
// The static mesh of an engine object: the placement-specific half of a model. The geometry is
// the mesh manager's shared record; the mesh keeps its own material copies, its subsets' texture
// ids and flags, its world transform with box, radius and inverse, and the parameter blocks the
// world file sets for the object.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"
#include "mesh/MeshParams.h"
#include "platform/gfx/Material.h"
#include "platform/math/Matrix.h"
#include "platform/math/Quaternion.h"
#include "platform/xfile/ExtendedMaterial.h"
#include "platform/xfile/Mesh.h"
#include "render/DrawRecord.h"

class EObjectSlot;
struct strmesh;

class EMesh {
public:
    static constexpr int kMaxSubsets = 256;

    EMesh();
    virtual ~EMesh();
    EMesh(const EMesh&) = delete;
    EMesh& operator=(const EMesh&) = delete;

    // Binds the mesh to the manager's record of the model file (loading it on first use),
    // registers every usable subset with the renderer's texture lists.
    void Create(const char* fileName);
    // Leaves the renderer's lists and frees the material copies.
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
    void SetDisappearParams(uint8_t mode, float time);
    // The face and vertex counts of the subset's attribute range; untouched when it has none.
    void GetSubsetCounts(uint32_t* faceCount, uint32_t* vertexCount, uint32_t subset) const;
    bool TestSegmentAgainstCollisionBoxes(const DV* a, const DV* b) const;
    bool ContainsPoint(const DV* p) const;
    // The largest distance from the mesh origin of a vertex that a usable subset draws.
    void ComputeSubsetsBoundProbes();

    gfx::Material* m_pMeshMaterials = nullptr;
    const xfile::ExtendedMaterial* m_pMaterialsBuffer = nullptr;
    pmath::Matrix m_Matrix = pmath::Identity();
    xfile::Mesh* m_pMesh = nullptr;
    PathGenerationParams m_PathGeneration;
    uint8_t m_bDisappearMode = 0;
    float m_fDisappearTime = 0.0f;
    RigidBodyPhysicsParams m_RigidBodyPhysics;
    uint8_t m_bCreated = 0;
    uint8_t m_bTransparentSubset[kMaxSubsets] = {};
    // Subsets drawn in a pass of their own: translucent, additive, stain, not rendered, light
    // rays, water.
    uint8_t m_bSpecialPassSubset[kMaxSubsets] = {};
    uint8_t m_bNoIntersectSubset[kMaxSubsets] = {};
    uint8_t m_bNoShadowSubset[kMaxSubsets] = {};
    char m_szFileName[256] = {};
    EObjectSlot* m_hObject = nullptr;
    int32_t m_iMeshIndex = -1;
    uint32_t m_uTextureIds[kMaxSubsets] = {};
    uint8_t m_Reserved[1024] = {};
    pmath::Matrix m_WorldMatrix = pmath::Identity();
    uint8_t m_bUsableSubset[kMaxSubsets] = {};
    DV m_vMin;
    DV m_vMax;
    DV m_vSphereCenter;
    float m_fRadius = 0.0f;
    float m_fExtentSum = 0.0f;
    float m_fBaseRadius = 0.0f;
    float m_fReserved[3] = {};
    DV m_vWorldCorners[8];
    DV m_vWorldMin;
    DV m_vWorldMax;
    pmath::Matrix m_InverseWorldMatrix = pmath::Identity();
    float m_fProbeRadiusSq = 0.0f;
    float m_fProbeRadius = 0.0f;
    float m_fScaledProbeRadiusSq = 0.0f;
    uint8_t m_bFlag = 0;
    uint32_t m_uSubsetCount = 0;
    DV m_vPosition;
    DV m_vScale{1.0f, 1.0f, 1.0f};
    pmath::Quaternion m_BaseRotation;
    pmath::Quaternion m_FinalRotation;
    strmesh* m_pRecord = nullptr;
    xfile::Mesh* m_pVideoMesh = nullptr;
    // The level of detail selected and the number of faces it displays.
    int32_t m_iLodSet = 0;
    int32_t m_iDisplayedFaces = 0;
    // What the renderer's passes draw of the mesh: the video mesh's buffers and ranges, the world
    // matrix and each subset's texture and flags. The owning object points at m_Draw.
    DrawMesh m_Draw;
    DrawGeometry m_DrawGeometry;
    DrawRange m_DrawRanges[kMaxSubsets];
    DrawSubset m_DrawSubsets[kMaxSubsets];

private:
    float LargestScale() const;
    // Fills m_Draw from the video mesh (drawn only in the engine's mesh layout).
    void DescribeForRenderer();
};
