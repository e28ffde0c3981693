// The joint limits: sixteen fixed lists of plane rules over named particles that keep limbs from
// folding the wrong way and cages from turning inside out; and the two pose corrections, the roll
// of a body lying on its side and the early pose test.
#include <cmath>

#include "mesh/ECharacterRagDoll.h"

namespace {

using RD = ECharacterRagDoll;

// A plane through three particles (normal (U - O) x (W - O), not normalised, taken once for the
// group) and the pairs it tests: a pair whose X lies farther along the normal than its Y is
// collapsed to its midpoint, then set apart along the normal by the push.
struct PlaneGroup {
    int plane[3];
    float push;
    int pairs[6][2];
    int count;
};

#define S RD::Slot
constexpr PlaneGroup kLeftKnee[] = {
    {{S("L_udo2"), S("L_udo4"), S("L_udo3")}, 0.0f, {{S("L_udo1"), S("L_kolano1")}, {S("L_udo2"), S("L_kolano2")}}, 2},
    {{S("L_kolano2"), S("L_udo3"), S("L_udo4")}, 0.0f, {{S("L_kolano3"), S("L_kolano1")}, {S("L_kolano4"), S("L_kolano2")}}, 2},
    {{S("L_kolano4"), S("L_kolano6"), S("L_kolano5")}, 0.0f, {{S("L_lydka1"), S("L_kolano3")}, {S("L_lydka2"), S("L_kolano4")}}, 2},
};
constexpr PlaneGroup kRightKnee[] = {
    {{S("P_udo2"), S("P_udo4"), S("P_udo3")}, 0.0f, {{S("P_udo1"), S("P_kolano1")}, {S("P_udo2"), S("P_kolano2")}}, 2},
    {{S("P_kolano2"), S("P_udo4"), S("P_udo3")}, 0.0f, {{S("P_kolano1"), S("P_kolano3")}, {S("P_kolano2"), S("P_kolano4")}}, 2},
    {{S("P_kolano4"), S("P_kolano6"), S("P_kolano5")}, 0.0f, {{S("P_lydka1"), S("P_kolano3")}, {S("P_lydka2"), S("P_kolano4")}}, 2},
};
constexpr PlaneGroup kLeftHip[] = {
    {{S("L_miednica2"), S("miednica6"), S("L_miednica3")}, 0.0f, {{S("L_poldupek2"), S("L_miednica3")}, {S("L_poldupek1"), S("miednica6")}, {S("L_udo9"), S("miednica5")}}, 3},
    {{S("L_poldupek3"), S("L_poldupek4"), S("L_udo8")}, 0.0f, {{S("L_udo6"), S("L_poldupek4")}, {S("L_udo5"), S("L_poldupek3")}}, 2},
};
constexpr PlaneGroup kRightHip[] = {
    {{S("P_miednica4"), S("miednica6"), S("miednica5")}, 0.0f, {{S("P_poldupek2"), S("miednica6")}, {S("P_poldupek1"), S("P_miednica4")}, {S("P_udo8"), S("miednica5")}}, 3},
    {{S("P_poldupek3"), S("P_poldupek4"), S("P_udo8")}, 0.0f, {{S("P_udo6"), S("P_poldupek4")}, {S("P_udo5"), S("P_poldupek3")}}, 2},
};
constexpr PlaneGroup kLeftElbow[] = {
    {{S("L_lokiec1"), S("L_ramie6"), S("L_ramie2")}, 0.0f, {{S("L_lokiec1"), S("L_ramie7")}, {S("L_lokiec2"), S("L_ramie3")}}, 2},
    {{S("L_lokiec1"), S("L_ramie2"), S("L_lokiec2")}, 0.0f, {{S("L_lokiec3"), S("L_lokiec1")}, {S("L_lokiec4"), S("L_lokiec2")}}, 2},
    {{S("L_lokiec3"), S("L_lokiec5"), S("L_lokiec4")}, 0.0f, {{S("L_przedramie6"), S("L_lokiec3")}, {S("L_przedramie5"), S("L_lokiec4")}}, 2},
};
constexpr PlaneGroup kRightElbow[] = {
    {{S("P_lokiec1"), S("P_ramie2"), S("P_ramie6")}, 0.0f, {{S("P_lokiec1"), S("P_ramie7")}, {S("P_lokiec2"), S("P_ramie3")}}, 2},
    {{S("P_lokiec1"), S("P_lokiec2"), S("P_ramie2")}, 0.0f, {{S("P_lokiec3"), S("P_lokiec1")}, {S("P_lokiec4"), S("P_lokiec2")}}, 2},
    {{S("P_lokiec3"), S("P_lokiec4"), S("P_lokiec5")}, 0.0f, {{S("P_przedramie6"), S("P_lokiec3")}, {S("P_przedramie5"), S("P_lokiec4")}}, 2},
};
constexpr PlaneGroup kTorso[] = {
    {{S("L_tulow4"), S("P_tulow4"), S("P_tulow1")}, 0.025f * 0.05f, {{S("P_tulow2"), S("P_tulow1")}, {S("P_tulow3"), S("P_tulow4")}, {S("L_tulow2"), S("L_tulow1")}, {S("L_tulow3"), S("L_tulow4")}}, 4},
    {{S("L_tulow2"), S("P_tulow1"), S("P_tulow2")}, 0.005f, {{S("P_tulow4"), S("P_tulow1")}, {S("P_tulow3"), S("P_tulow2")}, {S("L_tulow3"), S("L_tulow2")}, {S("L_tulow4"), S("L_tulow1")}}, 4},
};
constexpr PlaneGroup kHead[] = {
    {{S("glowa1"), S("glowa3"), S("glowa4")}, 0.0f, {{S("glowa5"), S("glowa1")}, {S("glowa6"), S("glowa2")}, {S("glowa7"), S("glowa3")}, {S("glowa8"), S("glowa4")}}, 4},
    {{S("glowa1"), S("glowa5"), S("glowa6")}, 0.0f, {{S("glowa8"), S("glowa5")}, {S("glowa7"), S("glowa6")}, {S("glowa3"), S("glowa2")}, {S("glowa4"), S("glowa1")}}, 4},
    {{S("glowa2"), S("glowa6"), S("glowa7")}, 0.0f, {{S("glowa5"), S("glowa6")}, {S("glowa8"), S("glowa7")}, {S("glowa4"), S("glowa3")}, {S("glowa1"), S("glowa2")}}, 4},
};
constexpr PlaneGroup kLeftCalf[] = {
    {{S("L_lydka1"), S("L_lydka8"), S("L_lydka7")}, 0.0f, {{S("L_lydka3"), S("L_lydka1")}, {S("L_lydka4"), S("L_lydka2")}, {S("L_lydka6"), S("L_lydka7")}, {S("L_lydka5"), S("L_lydka8")}}, 4},
    {{S("L_lydka1"), S("L_lydka2"), S("L_lydka3")}, 0.0f, {{S("L_lydka8"), S("L_lydka1")}, {S("L_lydka7"), S("L_lydka2")}, {S("L_lydka6"), S("L_lydka4")}, {S("L_lydka5"), S("L_lydka3")}}, 4},
    {{S("L_lydka2"), S("L_lydka7"), S("L_lydka4")}, 0.0f, {{S("L_lydka1"), S("L_lydka2")}, {S("L_lydka8"), S("L_lydka7")}, {S("L_lydka5"), S("L_lydka6")}, {S("L_lydka3"), S("L_lydka4")}}, 4},
};
constexpr PlaneGroup kLeftThigh[] = {
    {{S("L_udo5"), S("L_udo6"), S("L_udo9")}, 0.004f, {{S("L_udo1"), S("L_udo9")}, {S("L_udo2"), S("L_udo8")}, {S("L_udo4"), S("L_udo6")}, {S("L_udo3"), S("L_udo5")}}, 4},
    {{S("L_udo1"), S("L_udo9"), S("L_udo8")}, 0.004f, {{S("L_udo5"), S("L_udo9")}, {S("L_udo6"), S("L_udo8")}, {S("L_udo4"), S("L_udo2")}, {S("L_udo3"), S("L_udo1")}}, 4},
    {{S("L_udo2"), S("L_udo8"), S("L_udo6")}, 0.004f, {{S("L_udo9"), S("L_udo8")}, {S("L_udo5"), S("L_udo6")}, {S("L_udo3"), S("L_udo4")}, {S("L_udo1"), S("L_udo2")}}, 4},
};
constexpr PlaneGroup kRightCalf[] = {
    {{S("P_lydka1"), S("P_lydka8"), S("P_lydka7")}, 0.0f, {{S("P_lydka3"), S("P_lydka1")}, {S("P_lydka4"), S("P_lydka2")}, {S("P_lydka6"), S("P_lydka7")}, {S("P_lydka5"), S("P_lydka8")}}, 4},
    {{S("P_lydka1"), S("P_lydka2"), S("P_lydka3")}, 0.0f, {{S("P_lydka8"), S("P_lydka1")}, {S("P_lydka7"), S("P_lydka2")}, {S("P_lydka6"), S("P_lydka4")}, {S("P_lydka5"), S("P_lydka3")}, {S("P_kolano6"), S("P_kolano3")}, {S("P_kolano5"), S("P_kolano4")}}, 6},
    {{S("P_lydka2"), S("P_lydka7"), S("P_lydka4")}, 0.0f, {{S("P_lydka1"), S("P_lydka2")}, {S("P_lydka8"), S("P_lydka7")}, {S("P_lydka5"), S("P_lydka6")}, {S("P_lydka3"), S("P_lydka4")}}, 4},
};
constexpr PlaneGroup kRightThigh[] = {
    {{S("P_udo5"), S("P_udo6"), S("P_udo9")}, 0.004f, {{S("P_udo1"), S("P_udo9")}, {S("P_udo2"), S("P_udo8")}, {S("P_udo4"), S("P_udo6")}, {S("P_udo3"), S("P_udo5")}}, 4},
    {{S("P_udo1"), S("P_udo9"), S("P_udo8")}, 0.004f, {{S("P_udo5"), S("P_udo9")}, {S("P_udo6"), S("P_udo8")}, {S("P_udo4"), S("P_udo2")}, {S("P_udo3"), S("P_udo1")}}, 4},
    {{S("P_udo2"), S("P_udo8"), S("P_udo6")}, 0.004f, {{S("P_udo9"), S("P_udo8")}, {S("P_udo5"), S("P_udo6")}, {S("P_udo3"), S("P_udo4")}, {S("P_udo1"), S("P_udo2")}}, 4},
};
constexpr PlaneGroup kLeftForearm[] = {
    {{S("L_przedramie6"), S("L_przedramie7"), S("L_przedramie8")}, 0.0f, {{S("L_przedramie4"), S("L_przedramie7")}, {S("L_przedramie3"), S("L_przedramie6")}, {S("L_przedramie2"), S("L_przedramie5")}, {S("L_przedramie1"), S("L_przedramie8")}}, 4},
    {{S("L_przedramie2"), S("L_przedramie3"), S("L_przedramie6")}, 0.0f, {{S("L_przedramie4"), S("L_przedramie3")}, {S("L_przedramie7"), S("L_przedramie6")}, {S("L_przedramie8"), S("L_przedramie5")}, {S("L_przedramie1"), S("L_przedramie2")}}, 4},
    {{S("L_przedramie4"), S("L_przedramie7"), S("L_przedramie6")}, 0.0f, {{S("L_przedramie1"), S("L_przedramie4")}, {S("L_przedramie2"), S("L_przedramie3")}, {S("L_przedramie5"), S("L_przedramie6")}, {S("L_przedramie8"), S("L_przedramie7")}}, 4},
};
constexpr PlaneGroup kLeftUpperArm[] = {
    {{S("L_ramie1"), S("L_ramie8"), S("L_ramie5")}, 0.0f, {{S("L_ramie6"), S("L_ramie5")}, {S("L_ramie7"), S("L_ramie8")}, {S("L_ramie3"), S("L_ramie4")}, {S("L_ramie2"), S("L_ramie1")}}, 4},
    {{S("L_ramie1"), S("L_ramie5"), S("L_ramie6")}, 0.0f, {{S("L_ramie8"), S("L_ramie5")}, {S("L_ramie7"), S("L_ramie6")}, {S("L_ramie3"), S("L_ramie2")}, {S("L_ramie4"), S("L_ramie1")}}, 4},
    {{S("L_ramie5"), S("L_ramie8"), S("L_ramie7")}, 0.0f, {{S("L_ramie1"), S("L_ramie5")}, {S("L_ramie2"), S("L_ramie6")}, {S("L_ramie3"), S("L_ramie7")}, {S("L_ramie4"), S("L_ramie8")}}, 4},
};
constexpr PlaneGroup kRightForearm[] = {
    {{S("P_przedramie5"), S("P_przedramie7"), S("P_przedramie6")}, 0.0f, {{S("P_przedramie4"), S("P_przedramie7")}, {S("P_przedramie3"), S("P_przedramie6")}, {S("P_przedramie2"), S("P_przedramie5")}, {S("P_przedramie1"), S("P_przedramie8")}}, 4},
    {{S("P_przedramie1"), S("P_przedramie4"), S("P_przedramie7")}, 0.0f, {{S("P_przedramie3"), S("P_przedramie4")}, {S("P_przedramie6"), S("P_przedramie7")}, {S("P_przedramie5"), S("P_przedramie8")}, {S("P_przedramie2"), S("P_przedramie1")}}, 4},
    {{S("P_przedramie3"), S("P_przedramie6"), S("P_przedramie7")}, 0.0f, {{S("P_przedramie1"), S("P_przedramie4")}, {S("P_przedramie2"), S("P_przedramie3")}, {S("P_przedramie5"), S("P_przedramie6")}, {S("P_przedramie8"), S("P_przedramie7")}}, 4},
};
constexpr PlaneGroup kRightUpperArm[] = {
    {{S("P_ramie1"), S("P_ramie5"), S("P_ramie8")}, 0.0f, {{S("P_ramie6"), S("P_ramie5")}, {S("P_ramie7"), S("P_ramie8")}, {S("P_ramie3"), S("P_ramie4")}, {S("P_ramie2"), S("P_ramie1")}}, 4},
    {{S("P_ramie2"), S("P_ramie6"), S("P_ramie5")}, 0.0f, {{S("P_ramie8"), S("P_ramie5")}, {S("P_ramie7"), S("P_ramie6")}, {S("P_ramie3"), S("P_ramie2")}, {S("P_ramie4"), S("P_ramie1")}}, 4},
    {{S("P_ramie6"), S("P_ramie7"), S("P_ramie8")}, 0.0f, {{S("P_ramie1"), S("P_ramie5")}, {S("P_ramie2"), S("P_ramie6")}, {S("P_ramie3"), S("P_ramie7")}, {S("P_ramie4"), S("P_ramie8")}}, 4},
};
#undef S

// The neck keeps the head cage at least 30 units from the torso's top corners.
constexpr int kNeckPairs[4][2] = {{RD::Slot("P_tulow1"), RD::Slot("glowa5")},
                                  {RD::Slot("L_tulow1"), RD::Slot("glowa6")},
                                  {RD::Slot("L_tulow4"), RD::Slot("glowa7")},
                                  {RD::Slot("P_tulow4"), RD::Slot("glowa8")}};
constexpr float kNeckLength2 = 900.0f;

bool ApplyGroup(RD& r, const PlaneGroup& g) {
    const DV o = r.At(g.plane[0]);
    const DV n = pmath::Cross(r.At(g.plane[1]) - o, r.At(g.plane[2]) - o);
    bool fired = false;
    for (int i = 0; i < g.count; ++i) {
        DV& x = r.At(g.pairs[i][0]);
        DV& y = r.At(g.pairs[i][1]);
        if (pmath::Dot(x - y, n) <= 0.0f) continue;
        const DV m = (x + y) * 0.5f;
        x = m - n * g.push;
        y = m + n * g.push;
        fired = true;
    }
    return fired;
}

template <size_t N>
bool ApplyGroups(RD& r, const PlaneGroup (&groups)[N]) {
    bool fired = false;
    for (const PlaneGroup& g : groups) fired = ApplyGroup(r, g) || fired;
    return fired;
}

void KeepNeckLength(RD& r) {
    for (const auto& pair : kNeckPairs) {
        DV& t = r.At(pair[0]);
        DV& h = r.At(pair[1]);
        const DV d = h - t;
        const float dd = pmath::Dot(d, d);
        if (dd >= kNeckLength2) continue;
        const float k = kNeckLength2 / (dd + kNeckLength2) - 0.5f;
        t -= d * k;
        h += d * k;
    }
}

DV UnitOrAsIs(const DV& v) {
    const float l = pmath::Length(v);
    return v * (1.0f / (l == 0.0f ? 1.0f : l));
}

}  // namespace

void ECharacterRagDoll::LimitLeftKnee() { ApplyGroups(*this, kLeftKnee); }

void ECharacterRagDoll::LimitRightKnee() { ApplyGroups(*this, kRightKnee); }

void ECharacterRagDoll::LimitLeftHip() { ApplyGroups(*this, kLeftHip); }

void ECharacterRagDoll::LimitRightHip() { ApplyGroups(*this, kRightHip); }

void ECharacterRagDoll::LimitLeftElbow() { ApplyGroups(*this, kLeftElbow); }

void ECharacterRagDoll::LimitRightElbow() { ApplyGroups(*this, kRightElbow); }

void ECharacterRagDoll::LimitTorso() {
    if (ApplyGroups(*this, kTorso)) m_uTorsoLimitCount = 1;
}

void ECharacterRagDoll::LimitHead() {
    if (ApplyGroups(*this, kHead)) m_uHeadLimitCount = 1;
    KeepNeckLength(*this);
}

void ECharacterRagDoll::LimitLeftCalf() { ApplyGroups(*this, kLeftCalf); }

void ECharacterRagDoll::LimitLeftThigh() { ApplyGroups(*this, kLeftThigh); }

void ECharacterRagDoll::LimitRightCalf() { ApplyGroups(*this, kRightCalf); }

void ECharacterRagDoll::LimitRightThigh() { ApplyGroups(*this, kRightThigh); }

void ECharacterRagDoll::LimitLeftForearm() { ApplyGroups(*this, kLeftForearm); }

void ECharacterRagDoll::LimitLeftUpperArm() { ApplyGroups(*this, kLeftUpperArm); }

void ECharacterRagDoll::LimitRightForearm() { ApplyGroups(*this, kRightForearm); }

void ECharacterRagDoll::LimitRightUpperArm() { ApplyGroups(*this, kRightUpperArm); }

// A body lying on its side is rolled a little every sub-step until its shoulder line is level
// within 30 degrees; meanwhile the early rest test may not stop it.
void ECharacterRagDoll::RollOffSide() {
    if (m_dRestTimer < 0.3 || !m_pOwner) return;
    DV lc, rc, lt, rt;
    m_pOwner->GetNodeWorldPosition("Bip01_L_Clavicle", &lc);
    m_pOwner->GetNodeWorldPosition("Bip01_R_Clavicle", &rc);
    m_pOwner->GetNodeWorldPosition("Bip01_L_Thigh", &lt);
    m_pOwner->GetNodeWorldPosition("Bip01_R_Thigh", &rt);
    const DV shoulders = rc - lc;
    const float length = pmath::Length(shoulders);
    const float steepness = shoulders.y / (length == 0.0f ? 1.0f : length);
    if (steepness >= -0.5f && steepness <= 0.5f) {
        m_bNeverStopEarly = 0;
        return;
    }
    m_bNeverStopEarly = 1;
    m_uRollDirection = steepness >= 0.0f ? 1 : 0;
    if (pmath::Dot(lc - rc, lt - rt) < 0.0f) return;
    const DV m1 = (lc + rc) * 0.5f, m2 = (lt + rt) * 0.5f;
    const DV axis = UnitOrAsIs(m1 - m2);
    const DV centre = (m1 + m2) * 0.5f;
    const pmath::Matrix turn = pmath::MatrixFromAxisAngle(axis, m_uRollDirection == 1 ? -0.0012f : 0.0012f);
    for (ZParticle* p = m_iNumParticles ? m_pParticles : nullptr; p; p = p->m_pNext) {
        p->m_vPosition = pmath::TransformDirection(p->m_vPosition - centre, turn) + centre;
        p->m_vPosition.y += 0.005f;
    }
}

// In the first 0.4 s a skeleton whose parts face opposite ways is recorded as a pose fault.
void ECharacterRagDoll::CheckTwist() {
    if (m_bSkipEarlyChecks || m_dRestTimer > 0.4 || !m_pOwner) return;
    auto node = [&](const char* name) {
        DV p;
        m_pOwner->GetNodeWorldPosition(name, &p);
        return p;
    };
    const DV s = UnitOrAsIs(node("Bip01_R_Clavicle") - node("Bip01_L_Clavicle"));
    const DV a = UnitOrAsIs(node("Bip01_R_UpperArm") - node("Bip01_L_UpperArm"));
    const DV b = UnitOrAsIs(node("Bip01_R_Calf") - node("Bip01_L_Calf"));
    const DV h = UnitOrAsIs(node("Bip01_R_Thigh") - node("Bip01_L_Thigh"));
    const DV hd = UnitOrAsIs(node("Bip01_HeadNub") - node("Bip01_Head"));
    const DV nd = UnitOrAsIs(node("Bip01_Head") - node("Bip01_Neck"));
    const DV up = UnitOrAsIs((node("Bip01_R_UpperArm") + node("Bip01_L_UpperArm")) * 0.5f -
                             (node("Bip01_R_Thigh") + node("Bip01_L_Thigh")) * 0.5f);
    if (pmath::Dot(s, h) <= 0.0f || pmath::Dot(a, h) <= 0.0f || pmath::Dot(a, s) <= 0.0f || pmath::Dot(b, s) <= 0.0f ||
        pmath::Dot(up, hd) <= 0.0f || pmath::Dot(up, nd) <= 0.0f)
        m_bEarlyPoseFault = 1;
}
