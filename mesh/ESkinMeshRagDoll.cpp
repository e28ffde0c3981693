// The skinned instance's side of its ragdoll: making and destroying it with the instance, the
// entry points that start, push and step it, and the bone matrices from its node targets.
#include "core/EDebug.h"
#include "core/GeometryHelpers.h"
#include "mesh/ECharacterRagDoll.h"
#include "mesh/ESkinMesh.h"

namespace {

constexpr const char* kRagDollTag = "ECharacterRagDoll";
constexpr float kStartFactor = 0.9f;

}  // namespace

void ESkinMesh::CreateRagDoll() {
    m_pRagDoll = new ECharacterRagDoll;
    g_Debug.AddAlloc(kRagDollTag);
    if (m_pRagDoll->Load(m_pSkinMeshBase->FolderPath("death").c_str(), this)) return;
    DestroyRagDoll();
}

void ESkinMesh::DestroyRagDoll() {
    if (!m_pRagDoll) return;
    m_pRagDoll->BeforeRelease();
    delete m_pRagDoll;
    m_pRagDoll = nullptr;
    g_Debug.RemoveAlloc(kRagDollTag);
}

bool ESkinMesh::StartRagDoll() {
    if (!m_bCreated || !m_pRagDoll || !ValidateRagDollNodes()) return false;
    if (!m_pRagDoll->Start(kStartFactor, true)) return false;
    // The pose of the start is what later targets turn from.
    m_pRagDoll->UpdateSkeleton();
    for (strNode& n : m_pNodes) {
        n.mRagDollStart = n.mCombined;
        n.vRagDollStartDirection = n.vRagDollDirection;
    }
    m_uChannelState[0] = CHANNEL_RAGDOLL;
    return true;
}

void ESkinMesh::ActivateRagDoll() {
    if (m_bCreated && m_pRagDoll && ValidateRagDollNodes()) m_pRagDoll->Activate();
}

void ESkinMesh::RagDollHit(const char* partName, const DV& direction) {
    if (m_pRagDoll) m_pRagDoll->ApplyHit(partName, direction);
}

void ESkinMesh::RagDollPushAll(const DV& velocity) {
    if (m_pRagDoll) m_pRagDoll->PushAll(velocity);
}

void ESkinMesh::RagDollLowerBodyHit(const DV& direction) {
    if (m_pRagDoll) m_pRagDoll->ApplyLowerBodyHit(direction);
}

void ESkinMesh::UpdateRagDoll() {
    if (!m_pRagDoll || !m_pRagDoll->m_bActive || m_uChannelState[0] != CHANNEL_RAGDOLL) return;
    m_pRagDoll->UpdatePhysics();
    ApplyRagDollPose();
}

void ESkinMesh::ApplyRagDollPose() {
    for (strNode& n : m_pNodes) {
        const pmath::Matrix* parent = n.iParent < 0 ? &m_WorldMatrix : &m_pNodes[static_cast<size_t>(n.iParent)].mCombined;
        if (n.bRagDollMark) {
            n.mCombined = n.mLocal * *parent;
            continue;
        }
        pmath::Matrix turn = pmath::Identity();
        RotationBetweenVectors(&n.vRagDollStartDirection, &n.vRagDollDirection, &turn);
        pmath::Matrix rotation = n.mRagDollStart;
        rotation.m[3][0] = rotation.m[3][1] = rotation.m[3][2] = 0.0f;
        n.mCombined = rotation * turn;
        n.mCombined.m[3][0] = n.vRagDollTarget.x;
        n.mCombined.m[3][1] = n.vRagDollTarget.y;
        n.mCombined.m[3][2] = n.vRagDollTarget.z;
    }
}
