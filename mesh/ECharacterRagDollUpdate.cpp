// One frame of an active ragdoll: fixed sub-steps of the pushes, the Verlet step, the solvers,
// the joint limits and the collision with the world's triangles; the rest test; the replay; and
// the write-back of the pose into the skeleton's node targets.
#include <algorithm>
#include <cmath>

#include "core/FrameFacts.h"
#include "core/IntersectionTests.h"
#include "mesh/ECharacterRagDoll.h"
#include "mesh/MeshHooks.h"

namespace {

using RD = ECharacterRagDoll;
using Node = ESkinMesh::strNode;

constexpr int kSubStepsPerStep = 2;
constexpr int kDetailedIterations = 4;
constexpr int kPushOutPasses = 30;
constexpr int kCreepBackSteps = 8;
constexpr float kGatherGrowth = 1.1f;
// The flag bit by which the collision side gathers an object's triangles.
constexpr uint32_t kGatheredFlag = 0x4;
// Triangle filter: an edge at least this long is needed; slivers are left out.
constexpr float kLongEdge = 15.0f;
constexpr float kSliverShort = 3.0f;
constexpr float kSliverLong = 40.0f;
constexpr double kRestLimit = 8.0;

float ManhattanLength(const DV& v) { return std::fabs(v.x) + std::fabs(v.y) + std::fabs(v.z); }

bool WorthColliding(const CharacterCollisionTriangle& t) {
    const float l0 = ManhattanLength(t.vCorners[1] - t.vCorners[0]);
    const float l1 = ManhattanLength(t.vCorners[2] - t.vCorners[1]);
    const float l2 = ManhattanLength(t.vCorners[0] - t.vCorners[2]);
    const bool longEnough = l0 >= kLongEdge || l1 >= kLongEdge || l2 >= kLongEdge;
    const bool sliver = (l0 < kSliverShort && l1 > kSliverLong && l2 > kSliverLong) ||
                        (l1 < kSliverShort && l0 > kSliverLong && l2 > kSliverLong) ||
                        (l2 < kSliverShort && l0 > kSliverLong && l1 > kSliverLong);
    return longEnough && !sliver;
}

bool BoxesMeet(const DV& aMin, const DV& aMax, const DV& bMin, const DV& bMax) {
    return aMin.x <= bMax.x && aMax.x >= bMin.x && aMin.y <= bMax.y && aMax.y >= bMin.y && aMin.z <= bMax.z &&
           aMax.z >= bMin.z;
}

bool SegmentCrosses(const CharacterCollisionTriangle& t, const DV& a, const DV& b) {
    const DV lo{std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
    const DV hi{std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
    return BoxesMeet(lo, hi, t.vMin, t.vMax) &&
           SegmentTriangleIntersectN(&a, &b, &t.vCorners[0], &t.vCorners[1], &t.vCorners[2], &t.vNormal);
}

// The four particles of each part centre the write-back reads.
constexpr int kHeadTop[] = {RD::Slot("glowa5"), RD::Slot("glowa6"), RD::Slot("glowa7"), RD::Slot("glowa8")};
constexpr int kLowerChest[] = {RD::Slot("L_tulow1"), RD::Slot("L_tulow4"), RD::Slot("P_tulow1"), RD::Slot("P_tulow4")};
constexpr int kUpperChest[] = {RD::Slot("P_tulow2"), RD::Slot("P_tulow3"), RD::Slot("L_tulow2"), RD::Slot("L_tulow3")};
constexpr int kLeftHip[] = {RD::Slot("L_miednica2"), RD::Slot("L_miednica3"), RD::Slot("miednica5"), RD::Slot("miednica6")};
constexpr int kRightHip[] = {RD::Slot("P_miednica1"), RD::Slot("P_miednica4"), RD::Slot("miednica5"), RD::Slot("miednica6")};
constexpr int kLeftKnee[] = {RD::Slot("L_udo1"), RD::Slot("L_udo2"), RD::Slot("L_udo3"), RD::Slot("L_udo4")};
constexpr int kRightKnee[] = {RD::Slot("P_udo1"), RD::Slot("P_udo2"), RD::Slot("P_udo3"), RD::Slot("P_udo4")};
constexpr int kLeftAnkle[] = {RD::Slot("L_lydka3"), RD::Slot("L_lydka4"), RD::Slot("L_lydka5"), RD::Slot("L_lydka6")};
constexpr int kRightAnkle[] = {RD::Slot("P_lydka3"), RD::Slot("P_lydka4"), RD::Slot("P_lydka5"), RD::Slot("P_lydka6")};
constexpr int kLeftShoulder[] = {RD::Slot("L_tulow1"), RD::Slot("L_tulow2"), RD::Slot("L_tulow3"), RD::Slot("L_tulow4")};
constexpr int kRightShoulder[] = {RD::Slot("P_tulow1"), RD::Slot("P_tulow2"), RD::Slot("P_tulow3"), RD::Slot("P_tulow4")};
constexpr int kLeftElbow[] = {RD::Slot("L_ramie2"), RD::Slot("L_ramie3"), RD::Slot("L_ramie6"), RD::Slot("L_ramie7")};
constexpr int kRightElbow[] = {RD::Slot("P_ramie2"), RD::Slot("P_ramie3"), RD::Slot("P_ramie6"), RD::Slot("P_ramie7")};
constexpr int kLeftHand[] = {RD::Slot("L_przedramie1"), RD::Slot("L_przedramie2"), RD::Slot("L_przedramie3"),
                             RD::Slot("L_przedramie4")};
constexpr int kRightHand[] = {RD::Slot("P_przedramie1"), RD::Slot("P_przedramie2"), RD::Slot("P_przedramie3"),
                              RD::Slot("P_przedramie4")};

// The target of a node that may be missing.
void Place(Node* node, const DV& position) {
    if (node) node->vRagDollTarget = position;
}

void Direct(Node* node, const DV& front, const DV& up, const DV& side) {
    if (node) node->vRagDollDirection = node->uAxisCode == 0 ? front : (node->uAxisCode == 1 ? up : side);
}

}  // namespace

// ---- Frame ----------------------------------------------------------------------------------------

// Each of the two steps adds the whole frame time, so the body moves at twice the speed of the
// rest timer; the falls are tuned to that.
void ECharacterRagDoll::UpdatePhysics() {
    if (!m_bActive) return;
    for (int pass = 0; pass < 2; ++pass) {
        m_uTorsoLimitCount = m_uHeadLimitCount = 0;
        Step();
        if (!m_bSkipEarlyChecks && m_dRestTimer <= 0.4 && (m_uTorsoLimitCount || m_uHeadLimitCount))
            m_bEarlyPoseFault = 1;
        CheckTwist();
    }
    RestTest();
}

void ECharacterRagDoll::Step() {
    m_fTimeAccumulator += g_FrameFacts.frameTime;
    m_bStepped = 0;
    if (m_fTimeAccumulator <= 0.0f) return;
    if (m_bDetailedCollisions) GatherCollisionTriangles();
    const int iterations = m_bDetailedCollisions ? kDetailedIterations : 1;
    for (int sub = 0; sub < kSubStepsPerStep && m_fTimeAccumulator > 0.0f; ++sub) {
        ApplyPendingImpulses();
        RollOffSide();
        m_bStepped = 1;
        Integrate();
        for (int i = 0; i < iterations; ++i) {
            RelaxDistanceTable();
            RelaxSelfCollisionTable();
            LimitLeftKnee();
            LimitRightKnee();
            LimitLeftHip();
            LimitRightHip();
            LimitLeftElbow();
            LimitRightElbow();
            LimitTorso();
            LimitHead();
            LimitLeftCalf();
            LimitLeftThigh();
            LimitRightCalf();
            LimitRightThigh();
            LimitLeftForearm();
            LimitLeftUpperArm();
            LimitRightForearm();
            LimitRightUpperArm();
            if (m_bDetailedCollisions) CollideConstraintsWithTriangles();
        }
        for (uint32_t p = 0; p < m_iNumParticles; ++p) m_Particles[p].m_vSolved = m_Particles[p].m_vPosition;
        m_fTimeAccumulator -= m_fSubStep;
        m_fSimulatedTime += m_fSubStep;
    }
    // A long frame drops what two sub-steps could not take.
    if (m_fTimeAccumulator > 0.0f) m_fTimeAccumulator = 0.0f;
    UpdateSkeleton();
}

bool ECharacterRagDoll::RootAtRest(float threshold) {
    DV root;
    m_pOwner->GetNodeWorldPosition("Bip01", &root);
    m_vRootHistory[0] = m_vRootHistory[1];
    m_vRootHistory[1] = m_vRootHistory[2];
    m_vRootHistory[2] = root;
    return pmath::Length(m_vRootHistory[1] - m_vRootHistory[0]) < threshold &&
           pmath::Length(m_vRootHistory[2] - m_vRootHistory[1]) < threshold;
}

bool ECharacterRagDoll::RestTest() {
    if (!m_bStepped) return m_bActive;
    const float frame = g_FrameFacts.frameTime;
    const float shortest = std::min(frame, m_fSubStep);
    if (m_dRestTimer > kRestLimit) m_bActive = 0;
    const bool hasRoot = m_pOwner && m_pOwner->FindNode("Bip01");
    if (m_dRestTimer > 2.0 && m_dRestTimer < 5.0 && !m_bNeverStopEarly && hasRoot && RootAtRest(4.0f * shortest))
        m_bActive = 0;
    if (m_dRestTimer > 4.0 && hasRoot && RootAtRest(7.4f * shortest)) m_bActive = 0;
    m_dRestTimer += frame;
    return m_bActive;
}

void ECharacterRagDoll::Update() {
    m_fReplayElapsed += g_FrameFacts.frameTime;
    const bool between = m_fReplayPeriod > 0.0f && m_fReplayPeriod > m_fReplayElapsed;
    for (uint32_t i = 0; i < m_iNumParticles; ++i) {
        ZParticle& p = m_Particles[i];
        p.m_vPosition = between ? p.m_vInterpStart + (p.m_vInterpEnd - p.m_vInterpStart) * (m_fReplayElapsed / m_fReplayPeriod)
                                : p.m_vInterpEnd;
    }
    UpdateSkeleton();
}

// ---- World triangles ------------------------------------------------------------------------------

void ECharacterRagDoll::GatherCollisionTriangles() {
    if (!m_pOwner || !m_pCharacterCollisionTrojkaty) return;
    // The player's machine is left out of the gathering; there may be none.
    EObjectSlot* excluded = g_MeshHooks.excludedObject();
    const uint32_t flags = excluded ? g_MeshHooks.ownerFlags(excluded) : 0u;
    if (excluded) g_MeshHooks.setOwnerFlags(excluded, flags & ~kGatheredFlag);
    const DV centre = (m_pOwner->m_vCollisionMin + m_pOwner->m_vCollisionMax) * 0.5f;
    const DV half = (m_pOwner->m_vCollisionMax - m_pOwner->m_vCollisionMin) * (0.5f * kGatherGrowth);
    const uint32_t delivered = std::min<uint32_t>(
        g_MeshHooks.gatherTriangles(&m_pCollisionFinder, centre - half, centre + half, m_pCharacterCollisionTrojkaty,
                                    kMaxTriangles),
        kMaxTriangles);
    m_uNumTriangles = 0;
    for (uint32_t i = 0; i < delivered; ++i)
        if (WorthColliding(m_pCharacterCollisionTrojkaty[i]))
            m_pCharacterCollisionTrojkaty[m_uNumTriangles++] = m_pCharacterCollisionTrojkaty[i];
    for (uint32_t i = 0; i < m_uNumTriangles; ++i) m_pCharacterCollisionTrojkaty[i].iMarker = -1;
    m_uConstraintStamp = 0;
    if (excluded) g_MeshHooks.setOwnerFlags(excluded, flags);
}

// Each constraint's segment is pushed out along the normals of the triangles it crosses, then
// crept back towards where it was without entering them again.
void ECharacterRagDoll::CollideConstraintsWithTriangles() {
    CharacterCollisionTriangle* triangles = m_pCharacterCollisionTrojkaty;
    for (strDistanceConstraint* c = m_pDistanceConstraints; c; c = c->m_pNext) {
        DV& a = c->m_pA->m_vPosition;
        DV& b = c->m_pB->m_vPosition;
        const DV a0 = a;
        bool crossed = false;
        for (int pass = 0; pass < kPushOutPasses; ++pass) {
            bool any = false;
            for (uint32_t i = 0; i < m_uNumTriangles; ++i) {
                if (!SegmentCrosses(triangles[i], a, b)) continue;
                a += triangles[i].vNormal;
                b += triangles[i].vNormal;
                triangles[i].iMarker = static_cast<int32_t>(m_uConstraintStamp);
                any = crossed = true;
            }
            if (!any) break;
        }
        if (crossed) {
            DV delta = (a0 - a) * 0.5f;
            for (int k = 0; k < kCreepBackSteps; ++k) {
                bool blocked = false;
                for (uint32_t i = 0; i < m_uNumTriangles && !blocked; ++i)
                    blocked = triangles[i].iMarker == static_cast<int32_t>(m_uConstraintStamp) &&
                              SegmentCrosses(triangles[i], a + delta, b + delta);
                if (!blocked) a += delta, b += delta;
                delta *= 0.5f;
            }
            ++c->m_pA->m_uRestart;
            ++c->m_pB->m_uRestart;
        }
        ++m_uConstraintStamp;
    }
}

bool ECharacterRagDoll::IntersectsCollisionTriangles(const DV& a, const DV& b) const {
    for (uint32_t i = 0; i < m_uNumTriangles; ++i)
        if (SegmentCrosses(m_pCharacterCollisionTrojkaty[i], a, b)) return true;
    return false;
}

// ---- Write-back -----------------------------------------------------------------------------------

void ECharacterRagDoll::UpdateSkeleton() {
    if (!m_pOwner || !m_bMapComplete || m_pOwner->m_pNodes.empty()) return;
    ESkinMesh& o = *m_pOwner;
    Node** biped = o.m_pBiped;
    const DV headTop = MeanOf(kHeadTop);
    const DV lowerChest = MeanOf(kLowerChest);
    const DV neck = lowerChest + (MeanOf(kUpperChest) - lowerChest) * 0.73f;
    const DV leftHip = MeanOf(kLeftHip), rightHip = MeanOf(kRightHip);
    const DV leftShoulder = MeanOf(kLeftShoulder), rightShoulder = MeanOf(kRightShoulder);
    const DV limbRoots = (leftShoulder + rightShoulder + leftHip + rightHip) * 0.25f;
    for (Node& n : o.m_pNodes) {
        n.vRagDollTarget = limbRoots;
        n.bRagDollMark = 0;
    }
    // The body frame from the limb roots.
    const DV h = (leftHip + rightHip) * 0.5f, s = (leftShoulder + rightShoulder) * 0.5f;
    const DV up = pmath::Normalize(s - h);
    const DV front = pmath::Normalize(pmath::Cross(rightShoulder - leftShoulder, up));
    const DV side = pmath::Normalize(pmath::Cross(up, front));
    for (Node& n : o.m_pNodes) Direct(&n, front, up, side);
    Place(&o.m_pNodes[0], h);
    Place(biped[ESkinMesh::BIP01], h);
    Place(biped[ESkinMesh::BIP01_PELVIS], h);
    Place(biped[ESkinMesh::BIP01_SPINE], h + (s - h) * 0.15f);
    Place(biped[ESkinMesh::BIP01_SPINE1], h + (s - h) * 0.31f);
    Place(biped[ESkinMesh::BIP01_SPINE2], h + (s - h) * 0.62f);
    Place(biped[ESkinMesh::BIP01_NECK], neck);
    Place(biped[ESkinMesh::BIP01_L_CLAVICLE], leftShoulder + (rightShoulder - leftShoulder) * 0.42f);
    Place(biped[ESkinMesh::BIP01_R_CLAVICLE], leftShoulder + (rightShoulder - leftShoulder) * 0.58f);
    // The head turns with its own cage.
    const DV headFront = At(Slot("glowa5")) - At(Slot("glowa8"));
    const DV headUp = At(Slot("glowa8")) - At(Slot("glowa4"));
    const DV headSide = At(Slot("glowa8")) - At(Slot("glowa7"));
    Place(biped[ESkinMesh::BIP01_HEAD], neck + (headTop - neck) * 0.21f);
    Direct(biped[ESkinMesh::BIP01_HEAD], headFront, headUp, headSide);
    if (biped[ESkinMesh::BIP01_HEAD]) {
        Place(biped[ESkinMesh::BIP01_HEADNUB], headTop);
        Direct(biped[ESkinMesh::BIP01_HEADNUB], headFront, headUp, headSide);
    }
    // The legs follow the hip frame.
    Place(biped[ESkinMesh::BIP01_L_THIGH], leftHip);
    Place(biped[ESkinMesh::BIP01_R_THIGH], rightHip);
    Place(biped[ESkinMesh::BIP01_L_CALF], MeanOf(kLeftKnee));
    Place(biped[ESkinMesh::BIP01_R_CALF], MeanOf(kRightKnee));
    Place(biped[ESkinMesh::BIP01_L_FOOT], MeanOf(kLeftAnkle));
    Place(biped[ESkinMesh::BIP01_R_FOOT], MeanOf(kRightAnkle));
    const DV hipSide = pmath::Normalize(rightHip - leftHip);
    const DV hipFront = pmath::Normalize(pmath::Cross(hipSide, up));
    for (int slot : {ESkinMesh::BIP01_L_THIGH, ESkinMesh::BIP01_R_THIGH, ESkinMesh::BIP01_L_CALF, ESkinMesh::BIP01_R_CALF,
                     ESkinMesh::BIP01_L_FOOT, ESkinMesh::BIP01_R_FOOT})
        Direct(biped[slot], hipFront, up, hipSide);
    // The arms keep the torso frame.
    Place(biped[ESkinMesh::BIP01_L_UPPERARM], leftShoulder);
    Place(biped[ESkinMesh::BIP01_R_UPPERARM], rightShoulder);
    Place(biped[ESkinMesh::BIP01_L_FOREARM], MeanOf(kLeftElbow));
    Place(biped[ESkinMesh::BIP01_R_FOREARM], MeanOf(kRightElbow));
    Place(biped[ESkinMesh::BIP01_L_HAND], MeanOf(kLeftHand));
    Place(biped[ESkinMesh::BIP01_R_HAND], MeanOf(kRightHand));
    // Hands, feet and the head's tip keep their animated shape below their bone.
    for (int slot : {ESkinMesh::BIP01_L_HAND, ESkinMesh::BIP01_R_HAND, ESkinMesh::BIP01_HEADNUB, ESkinMesh::BIP01_L_FOOT,
                     ESkinMesh::BIP01_R_FOOT})
        if (biped[slot]) MarkNodeChain(static_cast<uint32_t>(biped[slot]->iIndex));
}
