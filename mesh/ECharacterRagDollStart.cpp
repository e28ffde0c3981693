// Starting the ragdoll from the animated pose, and hits on named body parts turned into timed
// pushes.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>

#include "core/EConsole.h"
#include "core/GeometryHelpers.h"
#include "core/StringHelpers.h"
#include "mesh/ECharacterRagDoll.h"

namespace {

using RD = ECharacterRagDoll;

constexpr float kMaxPush = 2.5f;
constexpr float kFlatExtent = 23.0f;
constexpr float kLegSpread = 0.07f;
constexpr float kMaxSubStepMove = 0.8f;

// The hit slots and the body part each pushes.
enum ImpulseSlot { HEAD, UPPER_TORSO, LOWER_TORSO, LEFT_ARM, RIGHT_ARM, LEFT_LEG, RIGHT_LEG };

// The torso particles whose vertical extent tells whether the body lies flat.
constexpr int kFlatTest[] = {RD::Slot("P_miednica1"), RD::Slot("P_miednica4"), RD::Slot("miednica5"),
                             RD::Slot("miednica6"),   RD::Slot("L_miednica2"), RD::Slot("L_miednica3"),
                             RD::Slot("L_tulow1"),    RD::Slot("L_tulow2"),    RD::Slot("L_tulow3"),
                             RD::Slot("L_tulow4"),    RD::Slot("P_tulow1"),    RD::Slot("P_tulow2"),
                             RD::Slot("P_tulow3"),    RD::Slot("P_tulow4")};

// A run of map entries: count particles from the first.
struct Run {
    int first;
    int count;
};

constexpr Run kHead[] = {{RD::Slot("glowa1"), 8}};
constexpr Run kUpperTorso[] = {{RD::Slot("P_tulow1"), 4}, {RD::Slot("L_tulow1"), 4}};
constexpr Run kLowerTorso[] = {{RD::Slot("P_miednica1"), 2}, {RD::Slot("L_miednica2"), 2}, {RD::Slot("miednica5"), 2},
                               {RD::Slot("P_tulow1"), 1},    {RD::Slot("P_tulow4"), 1},    {RD::Slot("L_tulow1"), 1},
                               {RD::Slot("L_tulow4"), 1}};
constexpr Run kLeftArm[] = {{RD::Slot("L_tulow1"), 4}, {RD::Slot("L_ramie1"), 8}, {RD::Slot("L_lokiec1"), 6},
                            {RD::Slot("L_przedramie5"), 4}};
constexpr Run kRightArm[] = {{RD::Slot("P_tulow1"), 4}, {RD::Slot("P_ramie1"), 8}, {RD::Slot("P_lokiec1"), 6},
                             {RD::Slot("P_przedramie5"), 4}};
constexpr Run kLeftLeg[] = {{RD::Slot("L_miednica2"), 2}, {RD::Slot("L_poldupek1"), 6}, {RD::Slot("L_udo1"), 8},
                            {RD::Slot("L_kolano1"), 6},   {RD::Slot("L_lydka1"), 2},    {RD::Slot("L_lydka7"), 2}};
constexpr Run kRightLeg[] = {{RD::Slot("P_miednica1"), 2}, {RD::Slot("P_poldupek1"), 6}, {RD::Slot("P_udo1"), 8},
                             {RD::Slot("P_kolano1"), 6},   {RD::Slot("P_lydka1"), 2},    {RD::Slot("P_lydka7"), 2}};

template <size_t N>
void Push(RD& r, const Run (&runs)[N], const DV& v) {
    for (const Run& run : runs)
        for (int i = 0; i < run.count; ++i) r.At(run.first + i) += v;
}

// Each slot's push, in the slot's order.
void PushSlot(RD& r, int slot, const DV& v) {
    switch (slot) {
        case HEAD: Push(r, kHead, v); break;
        case UPPER_TORSO: Push(r, kUpperTorso, v); break;
        case LOWER_TORSO: Push(r, kLowerTorso, v); break;
        case LEFT_ARM: Push(r, kLeftArm, v); break;
        case RIGHT_ARM: Push(r, kRightArm, v); break;
        case LEFT_LEG: Push(r, kLeftLeg, v); break;
        case RIGHT_LEG: Push(r, kRightLeg, v); break;
        default: break;
    }
}

DV Unit(const DV& v) { return pmath::Normalize(v); }

DV Turn(const pmath::Matrix& m, const DV& v) { return pmath::TransformDirection(v, m); }

pmath::Matrix RotationFromTo(const DV& from, const DV& to) {
    pmath::Matrix m = pmath::Identity();
    RotationBetweenVectors(&from, &to, &m);
    return m;
}

DV ScaledTo(const DV& v, float length) {
    const float l = pmath::Length(v);
    return l > 0.0f ? v * (length / l) : v;
}

// A joint cage (elbow, hip, knee) placed between the two cages it joins: particles 1 and 2 turn
// an edge of the first cage part of the way towards the second, 3 to 6 sit around the bend.
struct JointRecipe {
    int first;  // joint particles 1 to 6 follow in map order
    int base1, tip1, toward1, base2, tip2, toward2;
    float fraction;
    int pairM[2], pairN[2], end1[4], end2[4];
    // The sign of V1 in joint particles 3 to 6; 3 and 4 also take 2 V2.
    float v1Sign[4];
};

#define S RD::Slot
constexpr JointRecipe kJoints[] = {
    {S("L_lokiec1"), S("L_ramie6"), S("L_ramie7"), S("L_przedramie6"), S("L_ramie2"), S("L_ramie3"),
     S("L_przedramie5"), 0.333f, {S("L_przedramie8"), S("L_ramie2")}, {S("L_przedramie7"), S("L_ramie6")},
     {S("L_ramie2"), S("L_ramie3"), S("L_ramie6"), S("L_ramie7")},
     {S("L_przedramie5"), S("L_przedramie6"), S("L_przedramie7"), S("L_przedramie8")}, {-1, 1, 1, -1}},
    {S("P_lokiec1"), S("P_ramie6"), S("P_ramie7"), S("P_przedramie6"), S("P_ramie2"), S("P_ramie3"),
     S("P_przedramie5"), 0.333f, {S("P_przedramie8"), S("P_ramie2")}, {S("P_przedramie7"), S("P_ramie6")},
     {S("P_ramie2"), S("P_ramie3"), S("P_ramie6"), S("P_ramie7")},
     {S("P_przedramie5"), S("P_przedramie6"), S("P_przedramie7"), S("P_przedramie8")}, {-1, 1, 1, -1}},
    {S("L_poldupek1"), S("miednica5"), S("miednica6"), S("L_udo5"), S("L_miednica2"), S("L_miednica3"), S("L_udo6"),
     0.333f, {S("L_miednica2"), S("L_udo8")}, {S("L_udo9"), S("miednica5")},
     {S("L_miednica2"), S("L_miednica3"), S("miednica5"), S("miednica6")},
     {S("L_udo5"), S("L_udo6"), S("L_udo8"), S("L_udo9")}, {-1, 1, -1, 1}},
    {S("P_poldupek1"), S("P_miednica1"), S("P_miednica4"), S("P_udo5"), S("miednica5"), S("miednica6"), S("P_udo6"),
     0.333f, {S("P_udo9"), S("P_miednica1")}, {S("P_udo8"), S("miednica5")},
     {S("P_miednica1"), S("P_miednica4"), S("miednica5"), S("miednica6")},
     {S("P_udo5"), S("P_udo6"), S("P_udo8"), S("P_udo9")}, {1, -1, 1, -1}},
    // The left knee turns half way where every other joint turns a third.
    {S("L_kolano1"), S("L_udo3"), S("L_udo1"), S("L_lydka1"), S("L_udo4"), S("L_udo2"), S("L_lydka2"), 0.5f,
     {S("L_lydka8"), S("L_udo3")}, {S("L_lydka7"), S("L_udo4")}, {S("L_udo1"), S("L_udo2"), S("L_udo3"), S("L_udo4")},
     {S("L_lydka1"), S("L_lydka2"), S("L_lydka7"), S("L_lydka8")}, {1, -1, -1, 1}},
    {S("P_kolano1"), S("P_udo3"), S("P_udo1"), S("P_lydka1"), S("P_udo4"), S("P_udo2"), S("P_lydka2"), 0.333f,
     {S("P_lydka8"), S("P_udo3")}, {S("P_lydka7"), S("P_udo4")}, {S("P_udo1"), S("P_udo2"), S("P_udo3"), S("P_udo4")},
     {S("P_lydka1"), S("P_lydka2"), S("P_lydka7"), S("P_lydka8")}, {1, -1, -1, 1}},
};
#undef S

void PlaceJoint(RD& r, const JointRecipe& j) {
    const DV edge1 = r.At(j.tip1) - r.At(j.base1), to1 = r.At(j.toward1) - r.At(j.base1);
    DV axis;
    float angle = 0.0f;
    RotationBetweenVectors(&edge1, &to1, nullptr, &axis, &angle);
    const float turned = angle * j.fraction;
    const DV p1 = r.At(j.base1) + Turn(pmath::MatrixFromAxisAngle(axis, turned), edge1);
    const DV edge2 = r.At(j.tip2) - r.At(j.base2), to2 = r.At(j.toward2) - r.At(j.base2);
    RotationBetweenVectors(&edge2, &to2, nullptr, &axis, nullptr);
    const DV p2 = r.At(j.base2) + Turn(pmath::MatrixFromAxisAngle(axis, turned), edge2);
    const float half = pmath::Length(r.At(j.base1) - r.At(j.base2)) * 0.5f;
    const DV m = r.MeanOf(j.pairM);
    const DV k = (m + r.MeanOf(j.pairN)) * 0.5f;
    const DV q1 = r.MeanOf(j.end1), q2 = r.MeanOf(j.end2);
    const DV v1 = ScaledTo(m - k, half);
    const DV v2 = ScaledTo(q1 + (q2 - q1) * 0.7f - k, half);
    r.At(j.first) = p1;
    r.At(j.first + 1) = p2;
    for (int i = 0; i < 4; ++i) r.At(j.first + 2 + i) = k + v1 * j.v1Sign[i] + (i < 2 ? v2 * 2.0f : DV{});
}

}  // namespace

// ---- Start ----------------------------------------------------------------------------------------

bool ECharacterRagDoll::Start(float factor, bool detailed) {
    if (!m_bMapComplete) {
        g_Console.Print("ERROR in RagDoll: Start refused, the particles lack names of the bone map!");
        return false;
    }
    if (!m_pOwner || !m_pOwner->ValidateRagDollNodes()) {
        g_Console.Print("ERROR in RagDoll: Start refused, the skeleton lacks nodes the ragdoll needs!");
        return false;
    }
    PlaceParticlesFromSkeleton();
    MeasureDistanceConstraints();
    MeasureSelfCollisionConstraints();
    CopyDistanceLimits();
    CopySelfCollisionLimits();
    m_fStartFactor = factor;
    m_fSubStep = kSubStep;
    m_bDetailedCollisions = detailed ? 1 : 0;
    m_bStartCleared = 0;
    m_fTimeAccumulator = 0.0f;
    m_fStartScale = 1.0f;
    m_fSimulatedTime = 0.0f;
    ClearImpulses();
    m_bNoLegSpread = 0;
    m_vFollowPoint = At(Slot("glowa8"));
    m_bStartLyingFlat = IsLyingFlat() ? 1 : 0;
    m_dRestTimer = 0.0;
    m_bActive = 1;
    DV root;
    if (m_pOwner->GetNodeWorldPosition("Bip01", &root)) std::fill(std::begin(m_vRootHistory), std::end(m_vRootHistory), root);
    return true;
}

void ECharacterRagDoll::Activate() {
    m_bActive = 1;
    m_bSkipEarlyChecks = 1;
    m_dRestTimer = 0.0;
}

// ---- Placement ------------------------------------------------------------------------------------

namespace {

// The skeleton nodes the placement reads, and the body frame of the hips and shoulders.
struct PoseNodes {
    explicit PoseNodes(const ESkinMesh& owner) : skin(owner) {
        lt = Node("Bip01_L_Thigh"), rt = Node("Bip01_R_Thigh"), lu = Node("Bip01_L_UpperArm"), ru = Node("Bip01_R_UpperArm");
        h = (lt + rt) * 0.5f;
        s = (lu + ru) * 0.5f;
        x = Unit(((rt - lt) + (ru - lu)) * 0.5f);
        u = Unit(s - h);
        f = Unit(pmath::Cross(x, u));
    }
    DV Node(const char* name) const {
        DV p;
        skin.GetNodeWorldPosition(name, &p);
        return p;
    }
    const ESkinMesh& skin;
    DV lt, rt, lu, ru, h, s, x, u, f;
};

void PlacePelvis(RD& r, const PoseNodes& n) {
    const float w = pmath::Length(n.rt - n.lt);
    r.At(RD::Slot("P_miednica1")) = n.h + n.x * w + n.f * 7.0f;
    r.At(RD::Slot("P_miednica4")) = n.h + n.x * w - n.f * 7.0f;
    r.At(RD::Slot("miednica5")) = n.h + n.f * 7.0f;
    r.At(RD::Slot("miednica6")) = n.h - n.f * 7.0f;
    r.At(RD::Slot("L_miednica2")) = n.h - n.x * w + n.f * 7.0f;
    r.At(RD::Slot("L_miednica3")) = n.h - n.x * w - n.f * 7.0f;
}

void PlaceTorso(RD& r, const PoseNodes& n) {
    const float h = pmath::Length(n.ru - n.s);
    for (int side = 0; side < 2; ++side) {
        const int first = side == 0 ? RD::Slot("L_tulow1") : RD::Slot("P_tulow1");
        const DV c = n.s + n.x * (side == 0 ? -h : h);
        r.At(first) = c + n.f * 7.0f - n.u * 7.0f;
        r.At(first + 1) = c + n.f * 7.0f + n.u * 7.0f;
        r.At(first + 2) = c - n.f * 7.0f + n.u * 7.0f;
        r.At(first + 3) = c - n.f * 7.0f - n.u * 7.0f;
    }
}

void PlaceHead(RD& r, const PoseNodes& n) {
    const DV neck = n.Node("Bip01_Neck"), top = n.Node("Bip01_HeadNub");
    const DV x = Unit(n.ru - n.lu), u = Unit(n.s - n.Node("Bip01_Spine"));
    const DV f = Unit(pmath::Cross(x, u));
    const pmath::Matrix m = RotationFromTo(u, top - neck);
    const DV xr = Turn(m, x), fr = Turn(m, f);
    const float d = pmath::Length(r.At(RD::Slot("P_tulow2")) - r.At(RD::Slot("P_tulow3"))) * 0.5f;
    const float s = pmath::Length(r.At(RD::Slot("P_tulow2")) - r.At(RD::Slot("L_tulow2"))) * 0.5f;
    const int g = RD::Slot("glowa1");
    r.At(g) = neck + fr * d + xr * s;
    r.At(g + 1) = neck + fr * d - xr * s;
    r.At(g + 2) = neck - fr * d - xr * s;
    r.At(g + 3) = neck - fr * d + xr * s;
    r.At(g + 4) = top + fr * 10.8f + xr * 9.0f;
    r.At(g + 5) = top + fr * 10.8f - xr * 9.0f;
    r.At(g + 6) = top - fr * 6.0f - xr * 9.0f;
    r.At(g + 7) = top - fr * 6.0f + xr * 9.0f;
}

// Thigh and calf cages of one side; udo runs 1..6, 8, 9 and lydka 1..8 in map order.
void PlaceLeg(RD& r, const PoseNodes& n, bool left) {
    const char* side = left ? "L" : "R";
    const std::string prefix = std::string("Bip01_") + side + "_";
    const DV thigh = n.Node((prefix + "Thigh").c_str()), calf = n.Node((prefix + "Calf").c_str()),
             foot = n.Node((prefix + "Foot").c_str());
    const DV x0 = Unit(n.rt - n.lt), f0 = Unit(pmath::Cross(x0, n.u));
    const float rad = pmath::Length(n.rt - n.lt) * 0.5f;
    const DV d1 = calf - thigh;
    const pmath::Matrix m1 = RotationFromTo(-n.u, d1);
    const DV x1 = Turn(m1, x0), f1 = Turn(m1, f0);
    const int udo = left ? RD::Slot("L_udo1") : RD::Slot("P_udo1");
    const int udo8 = left ? RD::Slot("L_udo8") : RD::Slot("P_udo8");
    r.At(udo) = calf + f1 * rad + x1 * rad;
    r.At(udo + 1) = calf + f1 * rad - x1 * rad;
    r.At(udo + 3) = calf - f1 * rad - x1 * rad;
    r.At(udo + 2) = calf - f1 * rad + x1 * rad;
    const DV hip = thigh + d1 * 0.1f;
    r.At(udo8 + 1) = hip + f1 * 7.0f + x1 * rad;
    r.At(udo8) = hip + f1 * 7.0f - x1 * rad;
    r.At(udo + 5) = hip - f1 * 7.0f - x1 * rad;
    r.At(udo + 4) = hip - f1 * 7.0f + x1 * rad;
    const DV d2 = foot - calf;
    const pmath::Matrix m2 = RotationFromTo(d1, d2);
    const DV x2 = Turn(m2, x1), f2 = Turn(m2, f1);
    const int lydka = left ? RD::Slot("L_lydka1") : RD::Slot("P_lydka1");
    r.At(lydka + 2) = foot + f2 * rad + x2 * rad;
    r.At(lydka + 3) = foot + f2 * rad - x2 * rad;
    r.At(lydka + 4) = foot - f2 * rad + x2 * rad;
    r.At(lydka + 5) = foot - f2 * rad - x2 * rad;
    const DV knee = calf + d2 * 0.15f;
    r.At(lydka) = knee + f2 * rad + x2 * rad;
    r.At(lydka + 1) = knee + f2 * rad - x2 * rad;
    r.At(lydka + 7) = knee - f2 * rad + x2 * rad;
    r.At(lydka + 6) = knee - f2 * rad - x2 * rad;
}

// Upper-arm and forearm cages of one side; the arm rests along -x on the left, +x on the right.
void PlaceArm(RD& r, const PoseNodes& n, bool left) {
    const std::string prefix = std::string("Bip01_") + (left ? "L" : "R") + "_";
    const DV upper = n.Node((prefix + "UpperArm").c_str()), fore = n.Node((prefix + "Forearm").c_str()),
             hand = n.Node((prefix + "Hand").c_str());
    const DV xa = Unit(n.ru - n.lu), ua = Unit(n.s - n.Node("Bip01_Spine"));
    const DV fa = Unit(pmath::Cross(xa, ua));
    const DV du = fore - upper;
    const pmath::Matrix m1 = RotationFromTo(left ? -xa : xa, du);
    const DV u1 = Turn(m1, ua), f1 = Turn(m1, fa);
    const int ramie = left ? RD::Slot("L_ramie1") : RD::Slot("P_ramie1");
    r.At(ramie) = upper + f1 * 7.0f - u1 * 7.0f;
    r.At(ramie + 3) = upper - f1 * 7.0f - u1 * 7.0f;
    r.At(ramie + 7) = upper - f1 * 7.0f + u1 * 7.0f;
    r.At(ramie + 4) = upper + f1 * 7.0f + u1 * 7.0f;
    r.At(ramie + 1) = fore + f1 * 3.0f - u1 * 3.0f;
    r.At(ramie + 2) = fore - f1 * 3.0f - u1 * 3.0f;
    r.At(ramie + 6) = fore - f1 * 3.0f + u1 * 3.0f;
    r.At(ramie + 5) = fore + f1 * 3.0f + u1 * 3.0f;
    const DV df = hand - fore;
    const pmath::Matrix m2 = RotationFromTo(du, df);
    const DV u2 = Turn(m2, u1), f2 = Turn(m2, f1);
    const int przedramie = left ? RD::Slot("L_przedramie1") : RD::Slot("P_przedramie1");
    r.At(przedramie) = hand + f2 * 3.0f - u2 * 3.0f;
    r.At(przedramie + 1) = hand - f2 * 3.0f - u2 * 3.0f;
    r.At(przedramie + 2) = hand - f2 * 3.0f + u2 * 3.0f;
    r.At(przedramie + 3) = hand + f2 * 3.0f + u2 * 3.0f;
    const DV wrist = fore + df * 0.16f;
    r.At(przedramie + 7) = wrist + f2 * 3.0f - u2 * 3.0f;
    r.At(przedramie + 4) = wrist - f2 * 3.0f - u2 * 3.0f;
    r.At(przedramie + 5) = wrist - f2 * 3.0f + u2 * 3.0f;
    r.At(przedramie + 6) = wrist + f2 * 3.0f + u2 * 3.0f;
}

}  // namespace

void ECharacterRagDoll::PlaceParticlesFromSkeleton() {
    const PoseNodes nodes(*m_pOwner);
    PlacePelvis(*this, nodes);
    PlaceTorso(*this, nodes);
    PlaceHead(*this, nodes);
    PlaceLeg(*this, nodes, true);
    PlaceLeg(*this, nodes, false);
    PlaceArm(*this, nodes, true);
    PlaceArm(*this, nodes, false);
    for (const JointRecipe& j : kJoints) PlaceJoint(*this, j);
    for (uint32_t i = 0; i < m_iNumParticles; ++i) {
        ZParticle& p = m_Particles[i];
        p.m_vOldPosition = p.m_vSolved = p.m_vPosition;
        p.m_uRestart = 0;
    }
}

// ---- Hits -----------------------------------------------------------------------------------------

namespace {

bool IsLowerTorsoZone(const char* part) {
    for (const char* zone : {"dolny_tulow", "manierka", "menazka", "ladownica1", "ladownica2"})
        if (StrICmp(part, zone) == 0) return true;
    return false;
}

}  // namespace

void ECharacterRagDoll::ApplyHit(const char* partName, const DV& direction) {
    const DV n = pmath::Length(direction) > 0.0f ? Unit(direction) : DV{};
    ClearImpulses();
    const float t = m_fSimulatedTime;
    auto set = [&](int slot, float scale, float seconds) {
        m_vImpulse[slot] = n * scale;
        m_fImpulseTime[slot] = seconds;
    };
    const char* part = partName ? partName : "";
    if (StrICmp(part, "lewa_reka") == 0) {
        set(LEFT_ARM, 0.42f, 0.5f);
    } else if (StrICmp(part, "prawa_reka") == 0) {
        set(RIGHT_ARM, 0.42f, 0.5f);
    } else if (StrICmp(part, "lewa_noga") == 0 || StrICmp(part, "prawa_noga") == 0) {
        set(StrICmp(part, "lewa_noga") == 0 ? LEFT_LEG : RIGHT_LEG, 0.3f, 0.2f);
        if (t < 1.2f) set(UPPER_TORSO, -0.9f, 0.6f);
    } else if (IsLowerTorsoZone(part)) {
        ApplyLowerBodyHit(direction);
        return;
    } else if (StrICmp(part, "glowa") == 0) {
        if (t < 1.0f) set(UPPER_TORSO, 0.83f, 0.46f);
        set(HEAD, 0.93f, 0.6f);
    } else {
        // The upper torso, and any zone the table does not name.
        set(UPPER_TORSO, 0.3f, 0.6f);
        if (t < 1.2f) set(LEFT_ARM, 0.4f, 0.35f), set(RIGHT_ARM, 0.4f, 0.35f);
    }
    DampImpulsesWhenLyingFlat();
}

void ECharacterRagDoll::ApplyLowerBodyHit(const DV& direction) {
    const DV n = pmath::Length(direction) > 0.0f ? Unit(direction) : DV{};
    ClearImpulses();
    m_vImpulse[LOWER_TORSO] = n * 0.37f;
    m_fImpulseTime[LOWER_TORSO] = 0.7f;
    if (m_fSimulatedTime < 0.5f) {
        m_vImpulse[LEFT_ARM] = m_vImpulse[RIGHT_ARM] = n * -0.4f;
        m_fImpulseTime[LEFT_ARM] = m_fImpulseTime[RIGHT_ARM] = 0.35f;
    }
    DampImpulsesWhenLyingFlat();
}

void ECharacterRagDoll::ClearImpulses() {
    std::fill(std::begin(m_vImpulse), std::end(m_vImpulse), DV{});
    std::fill(std::begin(m_fImpulseTime), std::end(m_fImpulseTime), 0.0f);
}

void ECharacterRagDoll::DampImpulsesWhenLyingFlat() {
    if (!m_bStartLyingFlat || m_fSimulatedTime >= 3.0f) return;
    for (int i = 0; i < kImpulseSlots; ++i) m_fImpulseTime[i] *= 0.1f, m_vImpulse[i] *= 0.2f;
}

void ECharacterRagDoll::PushAll(const DV& velocity) {
    const float l = pmath::Length(velocity);
    const DV v = l > kMaxPush ? velocity * (kMaxPush / l) : velocity;
    for (uint32_t i = 0; i < m_iNumParticles; ++i) m_Particles[i].m_vPosition += v;
}

bool ECharacterRagDoll::IsLyingFlat() const {
    float low = At(kFlatTest[0]).y, high = low;
    for (int s : kFlatTest) low = std::min(low, At(s).y), high = std::max(high, At(s).y);
    return high - low < kFlatExtent;
}

void ECharacterRagDoll::ApplyPendingImpulses() {
    for (uint32_t i = 0; i < m_iNumParticles; ++i) m_Particles[i].m_vSubStepStart = m_Particles[i].m_vPosition;
    for (int slot : {HEAD, LEFT_ARM, RIGHT_ARM, LEFT_LEG, RIGHT_LEG, UPPER_TORSO, LOWER_TORSO}) {
        if (m_fImpulseTime[slot] <= 0.0f) continue;
        m_fImpulseTime[slot] -= m_fSubStep;
        PushSlot(*this, slot, m_vImpulse[slot]);
    }
    if (!m_bNoLegSpread) {
        const DV d = Unit(At(Slot("P_tulow1")) - At(Slot("L_tulow1"))) * kLegSpread;
        Push(*this, kRightLeg, d);
        Push(*this, kLeftLeg, -d);
    }
    for (uint32_t i = 0; i < m_iNumParticles; ++i) {
        ZParticle& p = m_Particles[i];
        const DV moved = p.m_vPosition - p.m_vSubStepStart;
        const float l = pmath::Length(moved);
        if (l > kMaxSubStepMove) p.m_vPosition = p.m_vSubStepStart + moved * (kMaxSubStepMove / l);
    }
}
