// Sockets on a skinned character and its bone controllers: the look, bend, twist, nod, hand and
// foot controllers and the leg inverse kinematics work on the nodes' local matrices; nothing in
// the game drives them.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "core/GeometryHelpers.h"
#include "core/StringHelpers.h"
#include "mesh/ESkinMesh.h"
#include "mesh/SkinMeshPrint.h"
#include "platform/os/Files.h"

namespace {

constexpr const char* kSocketTag = "ESkinMesh___strSkinMeshSocket";

pmath::Matrix RotationX(double a) { return pmath::MatrixFromYawPitchRoll(0.0f, static_cast<float>(a), 0.0f); }
pmath::Matrix RotationY(double a) { return pmath::MatrixFromYawPitchRoll(static_cast<float>(a), 0.0f, 0.0f); }
pmath::Matrix RotationZ(double a) { return pmath::MatrixFromYawPitchRoll(0.0f, 0.0f, static_cast<float>(a)); }

// A controller turns its node about the node's own joint: the rotation comes before the local
// placement.
void Turn(ESkinMesh::strNode* node, const pmath::Matrix& rotation) {
    if (node) node->mLocal = rotation * node->mLocal;
}

// Moves value towards target by at most step.
double Approach(double value, double target, double step) {
    return value < target ? std::min(value + step, target) : std::max(value - step, target);
}

DV Translation(const pmath::Matrix& m) { return {m.m[3][0], m.m[3][1], m.m[3][2]}; }

// The rotation part of a matrix that may carry a scale.
pmath::Quaternion RotationOf(const pmath::Matrix& m) {
    pmath::Matrix r = m;
    for (int row = 0; row < 3; ++row) {
        const float l = std::sqrt(r.m[row][0] * r.m[row][0] + r.m[row][1] * r.m[row][1] + r.m[row][2] * r.m[row][2]);
        for (int c = 0; c < 3 && l != 0.0f; ++c) r.m[row][c] /= l;
    }
    return pmath::QuaternionFromMatrix(r);
}

}  // namespace

// ---- Sockets --------------------------------------------------------------------------------------

void ESkinMesh::CopySockets() {
    for (const strSkinMeshSocket* s = m_pSkinMeshBase->m_pSockets; s; s = s->pNext) {
        auto* copy = new strSkinMeshSocket(*s);
        g_Debug.AddAlloc(kSocketTag);
        copy->pNode = FindNode(s->szNodeName);
        copy->pNext = m_pSockets;
        m_pSockets = copy;
    }
}

bool ESkinMesh::GetSocket(const char* name, DV* position, EOrientation* orientation) {
    strSkinMeshSocket* s = m_pSockets;
    while (s && StrICmp(s->szName, name) != 0) s = s->pNext;
    if (!s) return false;
    if (!s->pNode) s->pNode = FindNode(s->szNodeName);
    const auto* node = static_cast<const strNode*>(s->pNode);
    if (!node) return false;
    const DV offset{s->vOffset[0], s->vOffset[1], s->vOffset[2]};
    if (position) *position = pmath::TransformPoint(offset, node->mCombined);
    if (orientation) {
        const pmath::Quaternion own = pmath::QuaternionFromMatrix(DescriptionRotation(s->fAngles[0], s->fAngles[1], s->fAngles[2]));
        const pmath::Quaternion q = pmath::Multiply(RotationOf(node->mCombined), own);
        orientation->SetQuaternion(&q);
    }
    return true;
}

void ESkinMesh::RemoveSocket(const char* name) { RemoveSkinMeshSocket(m_pSockets, name, kSocketTag); }

void ESkinMesh::RemoveAllSockets() {
    while (m_pSockets) RemoveSocket(m_pSockets->szName);
}

void ESkinMesh::StartDefaultAnimation() {
    const ESkinMeshBase* base = m_pSkinMeshBase;
    for (int i = 0; i < base->m_iNumAnimations; ++i)
        if (base->m_tAnimations[i] && base->m_tAnimations[i]->bDefault) {
            SetAnimation(base->m_tAnimations[i]->szName, true);
            break;
        }
    if (base->m_szDefaultAnimation[0]) SetAnimation(base->m_szDefaultAnimation, true);
}

// ---- Controllers ----------------------------------------------------------------------------------

// A look controller (target pitch, pitch, pitch rate, target yaw, yaw, yaw rate) steps its angles
// towards their targets and turns the node by them.
void ESkinMesh::StepLook(double* c, strNode* node) const {
    const double step = m_dFrameDelta * g_Settings.m_fSkinMeshSpeed;
    c[4] = Approach(c[4], c[3], c[5] * step);
    c[1] = Approach(c[1], c[0], c[2] * step);
    Turn(node, RotationX(c[1]) * RotationY(c[4]));
}

void ESkinMesh::UpdateSpineLook() { StepLook(m_dSpineLook, m_pBiped[BIP01_SPINE]); }

void ESkinMesh::UpdateHeadLook() { StepLook(m_dHeadLook, m_pBiped[BIP01_HEAD]); }

void ESkinMesh::ApplySpineBend() { Turn(m_pBiped[BIP01_SPINE], RotationX(m_dSpineBend)); }

void ESkinMesh::ApplySpineTwist() {
    Turn(m_pBiped[BIP01_SPINE], RotationY(m_dSpineTwist));
    Turn(m_pBiped[BIP01_SPINE1], RotationY(m_dSpineTwist));
}

// The upper arms turn back by the bend and twist, keeping their direction while the spine moves.
void ESkinMesh::ApplyArmCompensation() {
    const pmath::Matrix back = RotationX(-m_dSpineBend * m_dArmCompensation) * RotationY(-2.0 * m_dSpineTwist * m_dArmCompensation);
    Turn(m_pBiped[BIP01_L_UPPERARM], back);
    Turn(m_pBiped[BIP01_R_UPPERARM], back);
}

void ESkinMesh::ApplyHeadNod() { Turn(m_pBiped[BIP01_HEAD], RotationX(m_dHeadNod)); }

void ESkinMesh::ApplyHandRotations() {
    Turn(m_pBiped[BIP01_L_HAND], RotationX(m_dLeftHand));
    Turn(m_pBiped[BIP01_R_HAND], RotationX(m_dRightHand));
}

void ESkinMesh::ApplyFootRotations() {
    Turn(m_pBiped[BIP01_L_FOOT], RotationX(m_dLeftFoot));
    Turn(m_pBiped[BIP01_R_FOOT], RotationX(m_dRightFoot));
}

void ESkinMesh::ApplyRightHandController() {
    Turn(m_pBiped[BIP01_R_HAND], RotationZ(m_dRightHandController[0]) * RotationY(m_dRightHandController[1]));
}

// Each leg bends at the knee by the law of cosines so that thigh to foot spans the distance to the
// target, then turns at the hip to point at it. Works on the combined matrices of the current pose.
bool ESkinMesh::InverseKinematics(const DV& leftFootTarget, const DV& rightFootTarget) {
    const int legs[2][3] = {{BIP01_L_THIGH, BIP01_L_CALF, BIP01_L_FOOT}, {BIP01_R_THIGH, BIP01_R_CALF, BIP01_R_FOOT}};
    const DV targets[2] = {leftFootTarget, rightFootTarget};
    for (const auto& leg : legs)
        for (int slot : leg)
            if (!m_pBiped[slot]) {
                g_Console.Print("ERROR in InverseKinematics(): pMirrorFrame is NULL!");
                return false;
            }
    // Turns a node about its joint by a world rotation; its local matrix takes the change.
    auto turnInWorld = [&](strNode* node, const pmath::Matrix& worldRotation) {
        const DV joint = Translation(node->mCombined);
        pmath::Matrix toJoint = pmath::Identity(), back = pmath::Identity();
        toJoint.m[3][0] = -joint.x, toJoint.m[3][1] = -joint.y, toJoint.m[3][2] = -joint.z;
        back.m[3][0] = joint.x, back.m[3][1] = joint.y, back.m[3][2] = joint.z;
        const pmath::Matrix combined = node->mCombined * toJoint * worldRotation * back;
        pmath::Matrix parentInverse = pmath::Identity();
        const pmath::Matrix& parent =
            node->iParent < 0 ? m_WorldMatrix : m_pNodes[static_cast<size_t>(node->iParent)].mCombined;
        pmath::Inverse(parent, &parentInverse);
        node->mLocal = combined * parentInverse;
        UpdateCombinedMatrices();
    };
    for (int side = 0; side < 2; ++side) {
        strNode* thigh = m_pBiped[legs[side][0]];
        strNode* calf = m_pBiped[legs[side][1]];
        strNode* foot = m_pBiped[legs[side][2]];
        const DV a = Translation(thigh->mCombined), b = Translation(calf->mCombined), c = Translation(foot->mCombined);
        const float upper = pmath::Length(b - a), lower = pmath::Length(c - b);
        if (upper == 0.0f || lower == 0.0f) continue;
        const float reach = std::clamp(pmath::Length(targets[side] - a), std::fabs(upper - lower), upper + lower);
        const float current = pmath::Length(c - a);
        // Knee angles (between thigh and calf) now and wanted.
        auto kneeAngle = [&](float span) {
            return std::acos(std::clamp((upper * upper + lower * lower - span * span) / (2.0f * upper * lower), -1.0f, 1.0f));
        };
        // A straight leg bends about the thigh's own side axis, so the knee goes forward.
        DV axis = pmath::Cross(b - a, c - b);
        if (pmath::Length(axis) < 1e-6f) axis = {thigh->mCombined.m[0][0], thigh->mCombined.m[0][1], thigh->mCombined.m[0][2]};
        turnInWorld(calf, pmath::MatrixFromAxisAngle(axis, kneeAngle(current) - kneeAngle(reach)));
        const DV bent = Translation(foot->mCombined);
        pmath::Matrix aim;
        const DV from = bent - a, to = targets[side] - a;
        RotationBetweenVectors(&from, &to, &aim);
        turnInWorld(thigh, aim);
    }
    return true;
}

// ---- Writers --------------------------------------------------------------------------------------

bool ESkinMesh::WriteSockets() const {
    if (!m_pSkinMeshBase) return false;
    const std::string folder = m_pSkinMeshBase->m_szFolder;
    FILE* f = plat::OpenFile(folder.empty() ? "sockets.txt" : folder + "\\sockets.txt", "wt");
    if (!f) return false;
    for (const strSkinMeshSocket* s = m_pSockets; s; s = s->pNext)
        std::fprintf(f, "%s %s        %f %f %f      %f %f %f\n", s->szName, s->szNodeName, s->vOffset[0], s->vOffset[1],
                     s->vOffset[2], s->fAngles[0], s->fAngles[1], s->fAngles[2]);
    return std::fclose(f) == 0;
}

bool ESkinMesh::WriteAnimationDescriptions() const {
    const ESkinMeshBase* base = m_pSkinMeshBase;
    if (!base) return false;
    const std::string folder = base->m_szFolder;
    FILE* f = plat::OpenFile((folder.empty() ? "" : folder + "\\") + "animations\\animations_desc.txt", "wt");
    if (!f) return false;
    for (const std::string& name : base->m_szAnimationNames) {
        strSkinMeshAnimation described;
        std::snprintf(described.szName, sizeof described.szName, "%s", name.c_str());
        const int slot = base->FindAnimation(name.c_str());
        const strSkinMeshAnimation& clip = slot >= 0 ? *base->m_tAnimations[slot] : described;
        if (slot < 0) base->ApplyDescription(&described);
        std::fprintf(f, "%s       %f     %f     %f     %lf\n", name.c_str(), clip.fDescAngles[0], clip.fDescAngles[1],
                     clip.fDescAngles[2], clip.dDescValue);
    }
    return std::fclose(f) == 0;
}

void ESkinMesh::DumpNodes() const {
    for (const strNode& n : m_pNodes)
        SkinMeshPrint("node %d: %s parent %d depth %d children %d", n.iIndex, n.szName, n.iParent, n.iDepth, n.iNumChildren);
}
