#include "mesh/ESkinMesh.h"

// No skinned model can be read yet, so none is made, and nothing of one animates or has sockets.
bool ESkinMesh::Create(const char*) { return false; }

void ESkinMesh::Destroy() {}

void ESkinMesh::SetPosition(const DV& position) { m_vPosition = position; }

void ESkinMesh::SetOrientation(const EOrientation& orientation) { m_Orientation = orientation; }

void ESkinMesh::SetScale(const DV& scale) { m_vScale = scale; }

void ESkinMesh::BlendToAnimation(const char*, bool, float) {}

bool ESkinMesh::IsAnimationFinished() const { return true; }

void ESkinMesh::UpdateAnimation() {}

void ESkinMesh::UpdateFrameMatrices() {}

bool ESkinMesh::GetSocket(const char*, DV*, EOrientation*) const { return false; }
