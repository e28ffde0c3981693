#include "mesh/EMesh.h"

#include <cstdio>

#include "core/StringHelpers.h"

// The model's geometry is not read yet: a mesh binds to any model file that exists and has no
// faces, no subsets and radius 0.
void EMesh::Create(const char* fileName) {
    if (!fileName || !*fileName) return;
    std::snprintf(m_szFileName, sizeof m_szFileName, "%s", fileName);
    m_bCreated = FileExists(fileName) ? 1 : 0;
    m_vScale = DV{1, 1, 1};
}

void EMesh::Destroy() { m_bCreated = 0; }

void EMesh::SetWorldTransform() {}

void EMesh::SetOrientation(const EOrientation& orientation) {
    m_BaseRotation = orientation.m_Quaternion;
    SetWorldTransform();
}

void EMesh::GetOrientation(EOrientation* out) const {
    if (out) out->SetQuaternion(&m_BaseRotation);
}

void EMesh::SetScale(const DV& scale) {
    m_vScale = scale;
    SetWorldTransform();
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

void EMesh::ComputeSubsetsBoundProbes() {}

// Without geometry the mesh has no box, so no point lies inside it.
bool EMesh::ContainsPoint(const DV*) const { return false; }
