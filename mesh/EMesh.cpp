#include "mesh/EMesh.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "core/ScriptLine.h"
#include "mesh/EMeshMgr.h"
#include "mesh/MeshHooks.h"
#include "render/ERenderer.h"

namespace {

constexpr const char* kMeshTag = "::EMesh";
constexpr const char* kMaterialsTag = "m_pMeshMaterials";
constexpr const char* kSubsetsReport = "!subsets.txt";
constexpr float kDegrees = 0.01745329238474369f;

void Report(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Report(const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    LogError(line, kSubsetsReport);
}

void BoxCorners(const DV& min, const DV& max, DV* corners) {
    for (int i = 0; i < 8; ++i)
        corners[i] = {(i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z};
}

}  // namespace

EMesh::EMesh() {
    m_FinalRotation = pmath::QuaternionFromAxisAngle({1.0f, 0.0f, 0.0f}, 1.5707963267948966f);
    g_Debug.AddAlloc(kMeshTag);
}

EMesh::~EMesh() {
    Destroy();
    g_Debug.RemoveAlloc(kMeshTag);
}

void EMesh::Create(const char* fileName) {
    m_pRecord = nullptr;
    if (!fileName || !*fileName) return;
    // A second Create would register every subset with the renderer again and lose the first
    // material copies: the first binding is undone before the new one.
    if (m_bCreated) {
        g_Console.PrintStr2("*** Mesh already created! *** ", fileName);
        Destroy();
    }
    g_Console.StepLoadingScreen();
    g_Console.AddLoadingProgress(1);
    m_iMeshIndex = g_MeshMgr.GetMesh(fileName);
    if (m_iMeshIndex == -1) return;
    m_pMesh = g_MeshMgr.GetMeshObject(m_iMeshIndex);
    m_pVideoMesh = g_MeshMgr.GetVideoMeshObject(m_iMeshIndex);
    if (!m_pMesh) return g_Console.Print("No mesh object returned!");
    if (!m_pVideoMesh) return g_Console.Print("No video mesh object returned!");
    strmesh* record = g_MeshMgr.GetRecord(m_iMeshIndex);
    std::snprintf(m_szFileName, sizeof m_szFileName, "%s", fileName);
    if (!record) return g_Console.Print("No mesh in mesh table!");
    if (!record->m_pMesh) return g_Console.Print("Mesh from mesh table has no body!");
    m_pRecord = record;

    m_pMaterialsBuffer = record->m_MaterialsBuffer.data();
    m_uSubsetCount = std::min<uint32_t>(record->m_uMaterialCount, kMaxSubsets);
    m_vMin = record->m_vMin;
    m_vMax = record->m_vMax;
    m_vSphereCenter = record->m_vSphereCenter;
    m_fRadius = m_fBaseRadius = record->m_fRadius;
    g_MeshHooks.setOwnerRadius(m_hObject, m_fRadius);
    m_pMeshMaterials = new gfx::Material[m_uSubsetCount];
    g_Debug.AddAlloc(kMaterialsTag);

    const bool report = g_Settings.m_bRaportSubsets != 0;
    if (report) {
        LogError("", kSubsetsReport);
        Report("mesh name: %s", fileName);
        Report("ilosc subsetow: %i", m_uSubsetCount);
    }
    std::memset(m_bUsableSubset, 0, sizeof m_bUsableSubset);
    DescribeForRenderer();
    const DrawRecord draw{this, m_szFileName, 0, g_MeshHooks.ownerVisibility(m_hObject), &m_Draw};
    for (uint32_t i = 0; i < m_uSubsetCount; ++i) {
        // Zeroed first: a subset without a range has no faces, whatever the subset before had.
        uint32_t faces = 0, vertices = 0;
        GetSubsetCounts(&faces, &vertices, i);
        if (faces == 0 && vertices > 0) g_Console.PrintStr3("Error! ", m_szFileName, " has 0 faces, !0 vertices!");
        if (faces == 0 || vertices == 0) continue;
        const xfile::ExtendedMaterial& material = m_pMaterialsBuffer[i];
        if (material.TextureFilename.empty()) {
            char line[512];
            std::snprintf(line, sizeof line, "Mesh %s - empty subset %i!", m_szFileName, i);
            LogError(line);
            continue;
        }
        m_bUsableSubset[i] = 1;
        const char* texture = material.TextureFilename.c_str();
        if (report) {
            Report("subset #%i, name: %s", i, texture);
            Report("faces: %i, vertices: %i", faces, vertices);
        }
        m_pMeshMaterials[i] = material.MatD3D;
        m_pMeshMaterials[i].Ambient = m_pMeshMaterials[i].Diffuse;
        DrawRecord subset = draw;
        subset.subset = i;
        m_uTextureIds[i] = g_Renderer.AddMeshToTextureLists(texture, subset);
        m_DrawSubsets[i].enabled = 1;
        m_DrawSubsets[i].textureId = m_uTextureIds[i];
        if (const strtexture* t = g_Renderer.GetTexture(m_uTextureIds[i])) {
            m_DrawSubsets[i].alphaTested = t->m_bTransparent;
            m_DrawSubsets[i].blended = t->m_bTranslucent;
            m_DrawSubsets[i].noShadow = t->m_bDoNotCastShadow;
            m_bTransparentSubset[i] = t->m_bTransparent;
            m_bSpecialPassSubset[i] = t->m_bTranslucent || t->m_bAdditive || t->m_bStain || t->m_bDoNotRender ||
                                      t->m_bRayOfLight || t->m_bWater;
            m_bNoIntersectSubset[i] = t->m_bNoIntersect;
            m_bNoShadowSubset[i] = t->m_bDoNotCastShadow;
        }
    }
    if (report) LogError("Usable materials: ", kSubsetsReport);
    m_bCreated = 1;
    m_vScale = {1.0f, 1.0f, 1.0f};
    m_bFlag = 0;
    m_fExtentSum = std::fabs(m_vMax.x - m_vMin.x) + std::fabs(m_vMax.y - m_vMin.y) + std::fabs(m_vMax.z - m_vMin.z);
    ComputeSubsetsBoundProbes();
}

void EMesh::Destroy() {
    if (!m_bCreated) return;
    g_Renderer.RemoveMeshFromLists(this);
    delete[] m_pMeshMaterials;
    m_pMeshMaterials = nullptr;
    g_Debug.RemoveAlloc(kMaterialsTag);
    m_bCreated = 0;
}

void EMesh::DescribeForRenderer() {
    m_Draw = DrawMesh{};
    m_Draw.subsets = m_DrawSubsets;
    m_Draw.subsetCount = m_uSubsetCount;
    for (DrawSubset& subset : m_DrawSubsets) subset = DrawSubset{0};
    if (!m_pVideoMesh || m_pVideoMesh->GetNumBytesPerVertex() != sizeof(float) * 9) return;
    m_DrawGeometry = DrawGeometry{m_pVideoMesh->GetVertexBuffer().get(), m_pVideoMesh->GetIndexBuffer().get(),
                                  m_DrawRanges, 0, m_pVideoMesh->GetNumFaces()};
    for (DrawRange& range : m_DrawRanges) range = DrawRange{};
    for (const xfile::AttributeRange& r : m_pVideoMesh->AttributeTable()) {
        if (r.AttribId >= kMaxSubsets) continue;
        m_DrawRanges[r.AttribId] = DrawRange{r.FaceStart * 3, r.FaceCount, 0, r.VertexStart, r.VertexCount};
        m_DrawGeometry.rangeCount = std::max(m_DrawGeometry.rangeCount, r.AttribId + 1);
    }
    m_Draw.geometry = &m_DrawGeometry;
    m_Draw.world = m_WorldMatrix;
}

float EMesh::LargestScale() const { return std::max({m_vScale.x, m_vScale.y, m_vScale.z}); }

void EMesh::SetWorldTransform() {
    const MeshOwnerPlacement placement = g_MeshHooks.ownerPlacement(m_hObject);
    m_vPosition = placement.position;
    const float* angles = placement.extraAngles;
    if (angles[0] == 0.0f && angles[1] == 0.0f && angles[2] == 0.0f) {
        m_FinalRotation = m_BaseRotation;
    } else {
        EOrientation o;
        o.SetQuaternion(&m_BaseRotation);
        const DV front = o.m_Front, side = o.m_Side, up = o.m_Up;
        o.RotateAxis(&front, angles[0] * kDegrees);
        o.RotateAxis(&side, angles[1] * kDegrees);
        o.RotateAxis(&up, angles[2] * kDegrees);
        m_FinalRotation = o.m_Quaternion;
    }
    pmath::Matrix scale = pmath::Identity(), translation = pmath::Identity();
    scale.m[0][0] = m_vScale.x;
    scale.m[1][1] = m_vScale.y;
    scale.m[2][2] = m_vScale.z;
    translation.m[3][0] = m_vPosition.x;
    translation.m[3][1] = m_vPosition.y;
    translation.m[3][2] = m_vPosition.z;
    m_WorldMatrix = scale * pmath::MatrixFromQuaternion(m_FinalRotation) * translation;
    m_Draw.world = m_WorldMatrix;

    DV corners[8];
    BoxCorners(m_vMin, m_vMax, corners);
    for (int i = 0; i < 8; ++i) {
        m_vWorldCorners[i] = pmath::TransformPoint(corners[i], m_WorldMatrix);
        const DV& c = m_vWorldCorners[i];
        m_vWorldMin = i == 0 ? c : DV{std::min(m_vWorldMin.x, c.x), std::min(m_vWorldMin.y, c.y), std::min(m_vWorldMin.z, c.z)};
        m_vWorldMax = i == 0 ? c : DV{std::max(m_vWorldMax.x, c.x), std::max(m_vWorldMax.y, c.y), std::max(m_vWorldMax.z, c.z)};
    }
    // Always current: segment queries that see through dead or flagged objects still transform
    // into this object's space with it. A singular matrix (a zero scale) keeps the last one.
    pmath::Inverse(m_WorldMatrix, &m_InverseWorldMatrix);
    g_MeshHooks.ownerTransformed(m_hObject, m_vScale, m_FinalRotation);
}

void EMesh::SetOrientation(const EOrientation& orientation) {
    m_BaseRotation = orientation.m_Quaternion;
    SetWorldTransform();
}

void EMesh::GetOrientation(EOrientation* out) const {
    if (out) out->SetQuaternion(&m_FinalRotation);
}

void EMesh::SetScale(const DV& scale) {
    m_vScale = scale;
    const float largest = LargestScale();
    m_fRadius = m_fBaseRadius * largest;
    g_MeshHooks.setOwnerRadius(m_hObject, m_fRadius);
    m_fScaledProbeRadiusSq = m_fProbeRadiusSq * largest * largest;
    SetWorldTransform();
    ComputeSubsetsBoundProbes();
}

void EMesh::GetScale(DV* out) const {
    if (out) *out = m_vScale;
}

void EMesh::GetWorldMatrix(pmath::Matrix* out) const {
    if (out) *out = m_WorldMatrix;
}

void EMesh::SetRigidBodyPhysicsParams(const RigidBodyPhysicsParams* params) {
    if (params) m_RigidBodyPhysics = *params;
}

void EMesh::GetRigidBodyPhysicsParams(RigidBodyPhysicsParams* out) const {
    if (out) *out = m_RigidBodyPhysics;
}

void EMesh::SetPathGenerationParams(const PathGenerationParams* params) {
    if (params) m_PathGeneration = *params;
}

void EMesh::GetPathGenerationParams(PathGenerationParams* out) const {
    if (out) *out = m_PathGeneration;
}

void EMesh::SetDisappearParams(uint8_t mode, float time) {
    m_bDisappearMode = mode;
    m_fDisappearTime = time;
}

void EMesh::GetSubsetCounts(uint32_t* faceCount, uint32_t* vertexCount, uint32_t subset) const {
    if (!m_pMesh || subset >= kMaxSubsets) return;
    for (const xfile::AttributeRange& range : m_pMesh->AttributeTable())
        if (range.AttribId == subset) {
            if (faceCount) *faceCount = range.FaceCount;
            if (vertexCount) *vertexCount = range.VertexCount;
            return;
        }
}

bool EMesh::TestSegmentAgainstCollisionBoxes(const DV* a, const DV* b) const {
    return a && b && g_MeshHooks.segmentHitsCollisionBoxes(m_hObject, a, b);
}

bool EMesh::ContainsPoint(const DV* p) const {
    if (!p) return false;
    DV corners[8];
    BoxCorners(m_vMin, m_vMax, corners);
    DV lo{}, hi{};
    for (int i = 0; i < 8; ++i) {
        const DV c = pmath::TransformPoint(corners[i], m_WorldMatrix);
        lo = i == 0 ? c : DV{std::min(lo.x, c.x), std::min(lo.y, c.y), std::min(lo.z, c.z)};
        hi = i == 0 ? c : DV{std::max(hi.x, c.x), std::max(hi.y, c.y), std::max(hi.z, c.z)};
    }
    return p->x >= lo.x && p->x <= hi.x && p->y >= lo.y && p->y <= hi.y && p->z >= lo.z && p->z <= hi.z;
}

void EMesh::ComputeSubsetsBoundProbes() {
    if (!m_pMesh) return g_Console.Print("ComputeSubsetsBoundProbes GetMeshObject FAILED!");
    const std::shared_ptr<gfx::IndexBuffer> ib = m_pMesh->GetIndexBuffer();
    if (!ib) return g_Console.Print("ComputeSubsetsBoundProbes GetIndexBuffer FAILED!");
    const std::shared_ptr<gfx::VertexBuffer> vb = m_pMesh->GetVertexBuffer();
    if (!vb) return g_Console.Print("ComputeSubsetsBoundProbes GetVertexBuffer FAILED!");
    const uint32_t stride = m_pMesh->GetNumBytesPerVertex();
    void* indexData = nullptr;
    void* vertexData = nullptr;
    if (gfx::Failed(ib->Lock(0, 0, &indexData, gfx::LOCK_READONLY))) return;
    if (gfx::Failed(vb->Lock(0, 0, &vertexData, gfx::LOCK_READONLY))) {
        ib->Unlock();
        return;
    }
    g_Debug.AddAlloc("LockIB");
    g_Debug.AddAlloc("LockVB");
    std::vector<xfile::AttributeRange> table = m_pMesh->AttributeTable();
    g_Debug.AddAlloc("pAttribTable");
    const auto* indices = static_cast<const uint16_t*>(indexData);
    const uint32_t vertices = m_pMesh->GetNumVertices();
    float largest = 0.0f;
    for (const xfile::AttributeRange& range : table) {
        if (range.AttribId >= kMaxSubsets || !m_bUsableSubset[range.AttribId]) continue;
        for (uint32_t i = range.FaceStart * 3; i < (range.FaceStart + range.FaceCount) * 3; ++i) {
            if (indices[i] >= vertices) continue;
            const float* p = reinterpret_cast<const float*>(static_cast<const uint8_t*>(vertexData) + indices[i] * stride);
            largest = std::max(largest, p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        }
    }
    g_Debug.RemoveAlloc("pAttribTable");
    g_Debug.RemoveAlloc("LockIB");
    g_Debug.RemoveAlloc("LockVB");
    if (gfx::Failed(ib->Unlock())) g_Console.Print("FAILED to unlock SubsetsBoundProbes IB");
    if (gfx::Failed(vb->Unlock())) g_Console.Print("FAILED to unlock SubsetsBoundProbes VB");
    m_fProbeRadiusSq = largest;
    m_fProbeRadius = std::sqrt(largest);
    const float scale = LargestScale();
    m_fScaledProbeRadiusSq = largest * scale * scale;
}
