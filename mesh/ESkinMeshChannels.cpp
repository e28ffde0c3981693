// The animation channels of a skinned instance: starting and blending clips, the state machine,
// and the per-frame advance and evaluation of channel 0.
#include <algorithm>
#include <cstdio>

#include "core/CoreHooks.h"
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "mesh/ESkinMesh.h"
#include "mesh/ESkinMeshMgr.h"
#include "mesh/MeshHooks.h"

namespace {

constexpr uint32_t kClassNeverAnimated = 1024;
constexpr uint32_t kClassesStoppingLate[] = {256, 64};
constexpr uint32_t kStopFrame = 350;
constexpr uint32_t kFlagKeepsAnimating = 0x1;

}  // namespace

const strSkinMeshAnimation* ESkinMesh::Clip(int index) const {
    if (!m_pSkinMeshBase || index < 0 || index >= m_pSkinMeshBase->m_iNumAnimations) return nullptr;
    return m_pSkinMeshBase->m_tAnimations[index];
}

int ESkinMesh::FindAnimationAndLoadIfNotPresent(const char* name) {
    ESkinMeshBase* base = m_pSkinMeshBase;
    if (!base || !name) return -1;
    int slot = base->FindAnimation(name);
    if (slot >= 0) return slot;
    if (base->HasAnimationName(name)) {
        base->LoadOwnAnimation(name);
        for (ESkinMesh* instance : LiveInstances()) instance->ResolveLinkFields();
        slot = base->FindAnimation(name);
        if (slot < 0) g_Console.Print("FATAL INTERNAL ERROR in FindAnimationAndLoadIfNotPresent(): #1");
        return slot;
    }
    if (g_SkinMeshMgr.IsCommonName(name)) {
        g_SkinMeshMgr.LoadAnimationToCommonCache(name);
        slot = base->FindAnimation(name);
        if (slot < 0) g_Console.Print("FATAL INTERNAL ERROR in FindAnimationAndLoadIfNotPresent(): #2");
        return slot;
    }
    return -1;
}

void ESkinMesh::StartChannel(int channel, int clip, const char* name, bool loop) {
    strAnimPlayingParams& c = m_AnimPlayingParams[channel];
    c = strAnimPlayingParams{};
    c.uMaskMode = static_cast<uint32_t>(channel);
    c.iAktAnim = clip;
    c.bLoop = loop ? 1 : 0;
    std::snprintf(c.szName, sizeof c.szName, "%s", name);
}

void ESkinMesh::SetAnimation(const char* name, bool loop) {
    const int clip = FindAnimationAndLoadIfNotPresent(name);
    if (clip < 0) return;
    for (int j = 1; j < kChannels; ++j) m_uChannelState[j] = CHANNEL_IDLE;
    StartChannel(0, clip, name, loop);
    m_uChannelState[0] = CHANNEL_PLAYING;
}

void ESkinMesh::BlendToAnimation(const char* name, bool loop, float blendTime) { BlendChannel(0, name, loop, blendTime); }

void ESkinMesh::BlendChannel(int channel, const char* name, bool loop, float blendTime) {
    const int clip = FindAnimationAndLoadIfNotPresent(name);
    if (clip < 0) return;
    StartChannel(channel, clip, name, loop);
    strAnimPlayingParams& c = m_AnimPlayingParams[channel];
    c.dBlendTime = c.dBlendLeft = blendTime;
    m_uChannelState[channel] = CHANNEL_BLENDING;
    if (channel == 0)
        for (int j = 1; j < kChannels; ++j) m_uChannelState[j] = CHANNEL_IDLE;
    // From where every node stands now to the clip's first pose.
    for (strNode& n : m_pNodes) {
        n.vFromT = n.vT;
        n.qFrom = n.qR;
        n.vFromS = n.vS;
    }
    ResetLinkFields();
    SampleAnimation(*Clip(clip), c);
    for (strNode& n : m_pNodes) {
        if (channel != 0 && !n.bMask[channel - 1]) continue;
        const strLinkField* f = n.pLinkField;
        n.vToT = f ? f->vTranslation : DV{};
        n.qTo = f ? f->qRotation : pmath::Quaternion{};
        n.vToS = f ? f->vScale : DV{1.0f, 1.0f, 1.0f};
    }
}

bool ESkinMesh::IsAnimationFinished() const {
    switch (m_uChannelState[0]) {
        case CHANNEL_NONE:
        case CHANNEL_IDLE: return true;
        case CHANNEL_PLAYING:
        case CHANNEL_PLAYING_ALT: return m_AnimPlayingParams[0].bFinished != 0;
        default: return false;
    }
}

void ESkinMesh::ResolveChannels() {
    for (strAnimPlayingParams& c : m_AnimPlayingParams)
        if (c.szName[0] && m_pSkinMeshBase) c.iAktAnim = m_pSkinMeshBase->FindAnimation(c.szName);
}

void ESkinMesh::Pose(strNode& node, const DV& t, const pmath::Quaternion& r, const DV& s) {
    node.vT = t;
    node.qR = r;
    node.vS = s;
    node.mLocal = pmath::MatrixFromTransformation(s, r, t);
}

void ESkinMesh::UpdateAnimation() {
    if (!m_bCreated || !g_Settings.m_bUpdateModels || g_Settings.m_bGamePause || !m_hObject) return;
    m_dFrameDelta = g_FrameFacts.frameTime;
    const uint32_t ownerClass = g_MeshHooks.ownerClass(m_hObject);
    if (ownerClass == kClassNeverAnimated) return;
    if (std::find(std::begin(kClassesStoppingLate), std::end(kClassesStoppingLate), ownerClass) !=
            std::end(kClassesStoppingLate) &&
        g_CoreHooks.gameFrame() > kStopFrame && !(g_MeshHooks.ownerFlags(m_hObject) & kFlagKeepsAnimating))
        return;
    AdvanceBlend();
    EvaluateChannel0();
    m_bPoseChanged = 1;
    ++s_uPosesEvaluated;
}

void ESkinMesh::AdvanceBlend() {
    if (m_uChannelState[0] != CHANNEL_BLENDING) return;
    strAnimPlayingParams& c = Channel0();
    c.dBlendLeft -= m_dFrameDelta * g_Settings.m_fSkinMeshSpeed;
    if (c.dBlendLeft < 0.0) {
        m_uChannelState[0] = CHANNEL_PLAYING;
        c.dBlendLeft = 0.0;
        c.dTime = 0.0;
        return;
    }
    const float w =
        c.dBlendTime > 0.0 ? std::clamp(static_cast<float>(1.0 - c.dBlendLeft / c.dBlendTime), 0.0f, 1.0f) : 0.0f;
    for (strNode& n : m_pNodes)
        Pose(n, n.vFromT + (n.vToT - n.vFromT) * w, pmath::Slerp(n.qFrom, n.qTo, w), n.vFromS + (n.vToS - n.vFromS) * w);
    if (const strSkinMeshAnimation* clip = Clip(c.iAktAnim)) m_pNodes[0].mLocal = m_pNodes[0].mLocal * clip->mDescRotation;
}

void ESkinMesh::EvaluateChannel0() {
    const uint32_t state = m_uChannelState[0];
    if (state != CHANNEL_PLAYING && state != CHANNEL_HOLD) return;
    strAnimPlayingParams& c = Channel0();
    const strSkinMeshAnimation* clip = Clip(c.iAktAnim);
    if (!clip) return;
    if (!m_bAdvanceTime) {
        c.dStep = 0.0;
        c.dTime = m_dExternalTime;
    } else if (state == CHANNEL_PLAYING) {
        c.dStep = m_dFrameDelta * g_Settings.m_fSkinMeshSpeed * clip->dDescValue;
        c.dTime += c.dStep;
    }
    ResetLinkFields();
    SampleAnimation(*clip, c);
    for (strNode& n : m_pNodes) {
        if (const strLinkField* f = n.pLinkField) {
            n.mLocal = f->mLocal;
            n.vT = f->vTranslation;
            n.qR = f->qRotation;
            n.vS = f->vScale;
        } else if (m_uDefaultPose) {
            n.mLocal = n.mLoad;
        } else {
            Pose(n, {}, {}, {1.0f, 1.0f, 1.0f});
        }
    }
    m_pNodes[0].mLocal = m_pNodes[0].mLocal * clip->mDescRotation;
}
