#include "mesh/ESkinMesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "core/StringHelpers.h"
#include "mesh/ESkinMeshMgr.h"
#include "mesh/MeshHooks.h"
#include "mesh/SkinMeshPrint.h"
#include "render/EEffectMgr.h"
#include "render/ERenderer.h"

namespace {

constexpr const char* kNodesTag = "m_pNodes";
constexpr const char* kMeshesTag = "m_pMeshes";
constexpr const char* kPaletteTag = "pBoneMatrices[iAttrib]";
constexpr uint32_t kClassNeverDrawn = 1024;
constexpr int kRandomCounters = ESkinMeshBase::kRandomCounters;

std::vector<ESkinMesh*> g_LiveInstances;

// The biped's node names, one per slot; the head slot falls back to "Bip01_glowa".
constexpr const char* kBipedNames[ESkinMesh::kBipedSlots] = {
    "Bip01", "Bip01_Pelvis", "Bip01_Spine", "Bip01_Spine1", "Bip01_Spine2", "Bip01_L_Thigh", "Bip01_R_Thigh",
    "Bip01_R_Calf", "Bip01_R_Foot", "Bip01_R_Toe0", "Bip01_R_Toe0Nub", "Bip01_L_Calf", "Bip01_L_Foot",
    "Bip01_L_Toe0", "Bip01_L_Toe0Nub", "Bip01_Neck", "Bip01_Head", "Bip01_HeadNub", "Bip01_L_Clavicle",
    "Bip01_R_Clavicle", "Bip01_R_UpperArm", "Bip01_R_Forearm", "Bip01_R_Hand", "Bip01_L_UpperArm",
    "Bip01_L_Forearm", "Bip01_L_Hand", "Bip01_R_Finger0", "Bip01_R_Finger01", "Bip01_R_Finger02",
    "Bip01_R_Finger0Nub", "Bip01_R_Finger1", "Bip01_R_Finger11", "Bip01_R_Finger12", "Bip01_R_Finger1Nub",
    "Bip01_R_Finger2", "Bip01_R_Finger21", "Bip01_R_Finger22", "Bip01_R_Finger2Nub", "Bip01_L_Finger0",
    "Bip01_L_Finger01", "Bip01_L_Finger02", "Bip01_L_Finger0Nub", "Bip01_L_Finger1", "Bip01_L_Finger11",
    "Bip01_L_Finger12", "Bip01_L_Finger1Nub", "Bip01_L_Finger2", "Bip01_L_Finger21", "Bip01_L_Finger22",
    "Bip01_L_Finger2Nub",
};

DV Translation(const pmath::Matrix& m) { return {m.m[3][0], m.m[3][1], m.m[3][2]}; }

DV NormalisedOrX(const DV& v) {
    const float l = pmath::Length(v);
    return v * (1.0f / (l == 0.0f ? 1.0f : l));
}

}  // namespace

const std::vector<ESkinMesh*>& ESkinMesh::LiveInstances() { return g_LiveInstances; }

ESkinMesh::ESkinMesh() {
    for (int j = 0; j < kChannels; ++j) m_AnimPlayingParams[j].uMaskMode = static_cast<uint32_t>(j);
}

ESkinMesh::~ESkinMesh() { Destroy(); }

bool ESkinMesh::Create(const char* path) {
    if (m_bCreated) return true;
    if (!g_SkinMeshMgr.LoadBaseSkinMesh(path, this)) {
        SkinMeshPrint("ERROR in ESkinMesh::Create(): skin mesh=%s loading error!", path ? path : "");
        return false;
    }
    m_iNumNodes = static_cast<int32_t>(m_pSkinMeshBase->m_uFrameCounter);
    if (m_iNumNodes == 0) {
        SkinMeshPrint("ERROR in ESkinMesh::Create(): m_iNumNodes==0 - Nie ma Nodesow..., file=%s", path);
        g_SkinMeshMgr.ReleaseSkinMesh(m_pSkinMeshBase);
        m_pSkinMeshBase = nullptr;
        return false;
    }
    m_pNodes.assign(static_cast<size_t>(m_iNumNodes), strNode{});
    g_Debug.AddAlloc(kNodesTag);
    FillNodesTable();
    SetMasks();
    MakeMeshRecords();
    ResolveLinkFields();
    for (int j = 0; j < kChannels; ++j) {
        m_AnimPlayingParams[j] = strAnimPlayingParams{};
        m_AnimPlayingParams[j].uMaskMode = static_cast<uint32_t>(j);
        m_uChannelState[j] = CHANNEL_NONE;
    }
    m_WorldMatrix = pmath::Identity();
    m_Collisions.Bind(m_hObject, *this, m_pSkinMeshBase->m_Collisions);
    UpdateCombinedMatrices();
    UpdateCollisionElements();
    FillBipedSlots();
    TakeLegMeasurements();
    BuildBodyFrame();
    m_bCreated = 1;
    g_LiveInstances.push_back(this);
    CopySockets();
    CreateRagDoll();
    StartDefaultAnimation();
    ChooseTextureVariants();
    return true;
}

void ESkinMesh::Destroy() {
    if (!m_bCreated) return;
    DestroyRagDoll();
    g_MeshHooks.releaseCharacterBody(this);
    g_Renderer.RemoveSkinMeshFromLists(this);
    RemoveAllSockets();
    if (!m_pNodes.empty()) g_Debug.RemoveAlloc(kNodesTag);
    m_pNodes.clear();
    m_iNumNodes = m_iAktNodeIdx = 0;
    for (const strMeshRecord& r : m_pMeshes)
        for (size_t i = 0; i < r.pBoneMatrices.size(); ++i) g_Debug.RemoveAlloc(kPaletteTag);
    if (!m_pMeshes.empty()) g_Debug.RemoveAlloc(kMeshesTag);
    m_pMeshes.clear();
    m_Collisions.Clear();
    std::fill(std::begin(m_pBiped), std::end(m_pBiped), nullptr);
    g_SkinMeshMgr.ReleaseSkinMesh(m_pSkinMeshBase);
    m_pSkinMeshBase = nullptr;
    g_LiveInstances.erase(std::remove(g_LiveInstances.begin(), g_LiveInstances.end(), this), g_LiveInstances.end());
    m_bCreated = 0;
}

// ---- Nodes ----------------------------------------------------------------------------------------

void ESkinMesh::FillNodesTable() {
    m_iAktNodeIdx = 0;
    bool stopped = false;
    m_pSkinMeshBase->ForEachFrame([&](D3DXFRAME_DERIVED& frame, int32_t parent, int32_t depth) {
        if (stopped) return;
        if (m_iAktNodeIdx >= m_iNumNodes) {
            g_Console.Print("ERROR in ESkinMesh::FillNodesTable(): m_iAktNodeIdx>=m_iNumNodes");
            stopped = true;
            return;
        }
        if (parent >= 0 && m_iAktNodeIdx <= parent)
            SkinMeshPrint("ERROR in ESkinMesh::FillNodesTable(): m_iAktNodeIdx=%d >= iParentNodeIdx=%d", m_iAktNodeIdx,
                          parent);
        if (static_cast<int32_t>(frame.iFrameIdx) != m_iAktNodeIdx)
            g_Console.Print("ERROR in ESkinMesh::FillNodesTable(): pFrame->iFrameIdx!=m_iAktNodeIdx.....");
        strNode& node = m_pNodes[static_cast<size_t>(m_iAktNodeIdx)];
        std::snprintf(node.szName, sizeof node.szName, "%s", frame.Name.c_str());
        node.iIndex = m_iAktNodeIdx;
        node.iParent = parent;
        node.iDepth = depth;
        if (parent >= 0 && parent < m_iNumNodes) ++m_pNodes[static_cast<size_t>(parent)].iNumChildren;
        node.pFrame = &frame;
        node.mLoad = node.mLocal = frame.TransformationMatrix;
        node.mCombined = pmath::Identity();
        if (frame.pFrameSibling) node.iSibling = static_cast<int32_t>(static_cast<D3DXFRAME_DERIVED*>(frame.pFrameSibling)->iFrameIdx);
        if (frame.pFrameFirstChild)
            node.iFirstChild = static_cast<int32_t>(static_cast<D3DXFRAME_DERIVED*>(frame.pFrameFirstChild)->iFrameIdx);
        auto* container = static_cast<D3DXMESHCONTAINER_DERIVED*>(frame.pMeshContainer);
        node.pMeshContainer = container;
        if (container && container->pNextMeshContainer)
            g_Console.Print("Dziwna sprawa w ESkinMesh::FillNodesTable(): pNextMeshContainer nie jest NULL...");
        ++m_iAktNodeIdx;
    });
}

void ESkinMesh::SetMasks() {
    for (strNode& n : m_pNodes) {
        n.bMask[0] = 0;
        n.bMask[1] = 1;
        n.bMask[2] = 0;
    }
    m_pNodes[0].bMask[1] = 0;
    std::vector<uint8_t> upper(m_pNodes.size(), 0);
    if (const strNode* neck = FindNode("Bip01_Neck"))
        for (int32_t i = neck->iIndex; i >= 0; i = m_pNodes[static_cast<size_t>(i)].iSibling) upper[static_cast<size_t>(i)] = 1;
    // Parents come before their children in the table.
    for (strNode& n : m_pNodes) {
        if (n.iParent >= 0 && upper[static_cast<size_t>(n.iParent)]) upper[static_cast<size_t>(n.iIndex)] = 1;
        if (upper[static_cast<size_t>(n.iIndex)] || std::strcmp(n.szName, "Bip01_Spine1") == 0) {
            n.bMask[0] = 1;
            n.bMask[1] = 0;
        }
        if (std::strncmp(n.szName, "Bone", 4) == 0) n.bMask[2] = 1;
    }
}

void ESkinMesh::MakeMeshRecords() {
    for (strNode& node : m_pNodes) {
        D3DXMESHCONTAINER_DERIVED* c = node.pMeshContainer;
        if (!c) continue;
        strMeshRecord& r = m_pMeshes.emplace_back();
        r.iNode = node.iIndex;
        r.pContainer = c;
        size_t groups = c->pBoneCombinationBuf.size();
        if (groups > MAX_NUM_ATTRIBUTE_GROUPS) {
            g_Console.Print("ERROR in SkinMesh: MAX_NUM_ATTRIBUTE_GROUPS exceeded!");
            groups = MAX_NUM_ATTRIBUTE_GROUPS;
        }
        r.pBoneMatrices.assign(groups, std::vector<pmath::Matrix>(c->NumPaletteEntries, pmath::Identity()));
        for (const auto& palette : r.pBoneMatrices) {
            r.pPalettes.push_back(palette.data());
            g_Debug.AddAlloc(kPaletteTag);
        }
    }
    if (!m_pMeshes.empty()) g_Debug.AddAlloc(kMeshesTag);
}

void ESkinMesh::ResolveLinkFields() {
    for (strNode& n : m_pNodes) {
        n.pLinkField = FindLinkField(n.szName);
        if (n.pLinkField) std::copy(std::begin(n.bMask), std::end(n.bMask), n.pLinkField->bMask);
    }
}

ESkinMesh::strNode* ESkinMesh::FindNode(const char* name) {
    return const_cast<strNode*>(static_cast<const ESkinMesh*>(this)->FindNode(name));
}

const ESkinMesh::strNode* ESkinMesh::FindNode(const char* name) const {
    if (!name) return nullptr;
    for (const strNode& n : m_pNodes)
        if (StrICmp(n.szName, name) == 0) return &n;
    return nullptr;
}

bool ESkinMesh::GetNodeWorldPosition(const char* name, DV* out) const {
    const strNode* n = FindNode(name);
    if (!n) return false;
    if (out) *out = Translation(n->mCombined);
    return true;
}

void ESkinMesh::FillBipedSlots() {
    for (int s = 0; s < kBipedSlots; ++s) m_pBiped[s] = FindNode(kBipedNames[s]);
    if (!m_pBiped[BIP01_HEAD]) m_pBiped[BIP01_HEAD] = FindNode("Bip01_glowa");
}

// The lengths of both legs' segments, the vectors from the pelvis, and their ratios.
void ESkinMesh::TakeLegMeasurements() {
    const int legs[2][4] = {{BIP01_L_THIGH, BIP01_L_CALF, BIP01_L_FOOT, BIP01_L_TOE0},
                            {BIP01_R_THIGH, BIP01_R_CALF, BIP01_R_FOOT, BIP01_R_TOE0}};
    for (int slot : {BIP01_PELVIS, BIP01_SPINE, BIP01_NECK})
        if (!m_pBiped[slot]) return;
    for (const auto& leg : legs)
        for (int slot : leg)
            if (!m_pBiped[slot]) return;
    const DV pelvis = Translation(m_pBiped[BIP01_PELVIS]->mCombined);
    for (int side = 0; side < 2; ++side) {
        DV p[4];
        for (int k = 0; k < 4; ++k) p[k] = Translation(m_pBiped[legs[side][k]]->mCombined);
        m_vPelvisToThigh[side] = p[0] - pelvis;
        m_vPelvisToFoot[side] = p[2] - pelvis;
        float* l = m_fLegLengths + side * 6;
        l[0] = pmath::Length(p[1] - p[0]);
        l[1] = pmath::Length(p[2] - p[1]);
        l[2] = pmath::Length(p[3] - p[2]);
        l[3] = pmath::Length(p[0] - pelvis);
        l[4] = pmath::Length(p[2] - p[0]);
        l[5] = l[0] + l[1];
    }
    auto ratio = [](float a, float b) { return b == 0.0f ? 0.0f : a / b; };
    m_fLegRatios[0] = ratio(m_fLegLengths[0], m_fLegLengths[1]);
    m_fLegRatios[1] = ratio(m_fLegLengths[6], m_fLegLengths[7]);
    m_fLegRatios[2] = ratio(m_fLegLengths[5], m_fLegLengths[11]);
    m_bLegsMeasured = 1;
}

// The frame of the body at rest (side, up, forward) in which every parent keeps the direction to
// its first child, for the ragdoll.
void ESkinMesh::BuildBodyFrame() {
    if (!m_pBiped[BIP01] || !m_pBiped[BIP01_L_THIGH] || !m_pBiped[BIP01_R_THIGH] || !m_pBiped[BIP01_NECK]) return;
    const DV side = NormalisedOrX(Translation(m_pBiped[BIP01_R_THIGH]->mCombined) - Translation(m_pBiped[BIP01_L_THIGH]->mCombined));
    const DV up0 = NormalisedOrX(Translation(m_pBiped[BIP01_NECK]->mCombined) - Translation(m_pBiped[BIP01]->mCombined));
    const DV forward = NormalisedOrX(pmath::Cross(side, up0));
    const DV up = NormalisedOrX(pmath::Cross(forward, side));
    for (strNode& n : m_pNodes) {
        if (n.iFirstChild < 0) continue;
        const DV d = Translation(m_pNodes[static_cast<size_t>(n.iFirstChild)].mCombined) - Translation(n.mCombined);
        n.control.vRest[0] = {pmath::Dot(d, side), pmath::Dot(d, up), pmath::Dot(d, forward)};
        n.control.vRest[1] = side;
        n.control.vRest[2] = up;
        n.control.vRest[3] = forward;
        // The ragdoll turns the node with the body axis its bone runs closest to.
        const DV r = n.control.vRest[0];
        const float ax = std::fabs(r.x), ay = std::fabs(r.y), az = std::fabs(r.z);
        n.uAxisCode = ay >= ax && ay >= az ? 1 : (ax >= az ? 2 : 0);
    }
}

bool ESkinMesh::ValidateRagDollNodes() const {
    std::vector<int> slots = {BIP01, BIP01_PELVIS, BIP01_SPINE, BIP01_SPINE1};
    for (int s = BIP01_L_THIGH; s <= BIP01_R_FINGER0; ++s) slots.push_back(s);
    slots.push_back(BIP01_L_FINGER0);
    for (int s : slots)
        if (!m_pBiped[s]) {
            g_Console.PrintStr2("ERROR in RagDoll: something wrong with node: ", kBipedNames[s]);
            return false;
        }
    return true;
}

// ---- Textures -------------------------------------------------------------------------------------

const char* ESkinMesh::TextureVariant(const char* texture, int& counter) {
    for (uint32_t i = 0; i < m_uNumTextureSubstitutions; ++i)
        if (StrICmp(m_szTextureSubstitutions[i][0], texture) == 0) return m_szTextureSubstitutions[i][1];
    const strtexturesubstitutes* variants = g_Renderer.FindTextureSubstitutes(texture);
    const uint32_t n = variants ? std::min(variants->m_uCount, strtexturesubstitutes::kMaxSubstitutes) : 0;
    if (n == 0) return texture;
    int32_t& shared = m_pSkinMeshBase->m_iRandom[counter];
    counter = (counter + 1) % kRandomCounters;
    const uint32_t index = std::min(static_cast<uint32_t>(shared) % n, n - 1);
    shared = static_cast<int32_t>((index + 1) % n);
    const char* chosen = variants->m_szSubstitutes[index];
    // The table keeps 31 choices; further textures are chosen again for every material.
    if (m_uNumTextureSubstitutions < kMaxTextureSubstitutions) {
        char(&pair)[2][256] = m_szTextureSubstitutions[m_uNumTextureSubstitutions++];
        std::snprintf(pair[0], sizeof pair[0], "%s", texture);
        std::snprintf(pair[1], sizeof pair[1], "%s", chosen);
    }
    return chosen;
}

void ESkinMesh::ChooseTextureVariants() {
    int counter = 0;
    for (strNode& node : m_pNodes) {
        D3DXMESHCONTAINER_DERIVED* c = node.pMeshContainer;
        if (!c) continue;
        if (!c->pSkinInfo) g_Console.Print("ERROR in SkinMesh: pMeshContainer->pSkinInfo is NULL!");
        node.pTextureIDs.assign(c->NumTextureNames, 0);
        for (uint32_t m = 0; m < c->NumTextureNames; ++m) {
            const char* texture = c->pTextureNames[m].data();
            if (!*texture) continue;
            DrawRecord record{this, m_pSkinMeshBase->m_szKeyPath, m, g_MeshHooks.ownerVisibility(m_hObject), nullptr, this};
            node.pTextureIDs[m] = g_Renderer.AddSkinMeshToTextureLists(TextureVariant(texture, counter), record);
        }
    }
}

// ---- Transform and drawing ------------------------------------------------------------------------

void ESkinMesh::SetPosition(const DV& position) {
    m_vPosition = position;
    SetWorldTransform();
}

void ESkinMesh::SetScale(const DV& scale) {
    m_vScale = scale;
    SetWorldTransform();
}

void ESkinMesh::SetOrientation(const EOrientation& orientation) {
    m_Orientation = orientation;
    SetWorldTransform();
}

void ESkinMesh::SetWorldTransform() {
    m_WorldMatrix = pmath::MatrixFromTransformation(m_vScale, m_Orientation.m_Quaternion, m_vPosition);
    if (!m_bCreated) return;
    // The elements follow the new placement at once, not the matrices of the last frame; the
    // segment tables learn that the character moved.
    UpdateCombinedMatrices();
    UpdateCollisionElements();
    g_MeshHooks.ownerTransformed(m_hObject, m_vScale, m_Orientation.m_Quaternion);
}

void ESkinMesh::UpdateCombinedMatrices() {
    for (strNode& n : m_pNodes)
        n.mCombined = n.mLocal * (n.iParent < 0 ? m_WorldMatrix : m_pNodes[static_cast<size_t>(n.iParent)].mCombined);
}

// The elements' box gives the radius (without elements it keeps its value).
bool ESkinMesh::UpdateCollisionElements() {
    if (!m_Collisions.UpdateWorld(&m_vCollisionMin, &m_vCollisionMax)) return false;
    m_dRadius = std::max(pmath::Length(m_vCollisionMin - m_vPosition), pmath::Length(m_vCollisionMax - m_vPosition));
    return true;
}

void ESkinMesh::UpdateFrameMatrices() {
    if (g_Settings.m_bGamePause || m_pNodes.empty() || !m_pSkinMeshBase || !m_hObject) return;
    // Drawing always takes this frame's pose.
    m_bPoseChanged = 1;
    FollowPose();
    for (strMeshRecord& r : m_pMeshes) {
        const D3DXMESHCONTAINER_DERIVED* c = r.pContainer;
        if (!c->pSkinInfo) continue;
        for (size_t i = 0; i < r.pBoneMatrices.size(); ++i) {
            const std::vector<uint32_t>& bones = c->pBoneCombinationBuf[i].BoneId;
            for (uint32_t k = 0; k < c->NumPaletteEntries; ++k) {
                const uint32_t b = bones[k];
                if (b == xfile::kUnusedBone) continue;
                r.pBoneMatrices[i][k] =
                    c->pBoneOffsetMatrices[b] * m_pNodes[c->tBonesIndexes[b]].mCombined;
            }
        }
    }
}

void ESkinMesh::FollowPose() {
    if (!m_bPoseChanged || !m_bCreated) return;
    m_bPoseChanged = 0;
    // A ragdoll writes the combined matrices itself.
    if (m_uChannelState[0] != CHANNEL_RAGDOLL) UpdateCombinedMatrices();
    if (UpdateCollisionElements()) g_MeshHooks.ownerTransformed(m_hObject, m_vScale, m_Orientation.m_Quaternion);
}

void ESkinMesh::Render(uint32_t textureId, uint32_t attribute, EffectRecord* effect) {
    SkinEffectContext context;
    if (effect) context = {effect->m_pEffect.get(), effect->mWorldMatrixArray, effect->CurNumBones};
    Render(context, textureId, attribute);
}

void ESkinMesh::Render(const SkinEffectContext& effect, uint32_t textureId, uint32_t attribute) {
    if (!m_bCreated || !g_Settings.m_bDrawModels || !m_pSkinMeshBase) return;
    if (g_MeshHooks.ownerClass(m_hObject) == kClassNeverDrawn) return;
    if (g_Settings.m_bReducedMode && !m_bDrawInReducedMode) return;
    for (strMeshRecord& r : m_pMeshes) {
        D3DXMESHCONTAINER_DERIVED* c = r.pContainer;
        strNode& node = m_pNodes[static_cast<size_t>(r.iNode)];
        c->ppBoneMatrices = r.pPalettes.data();
        c->NumBoneMatrixArrays = static_cast<uint32_t>(r.pPalettes.size());
        if (c->bOneBone) node.pFrame->CombinedTransformationMatrix = node.mCombined;
        c->pTextureIDs = node.pTextureIDs.data();
        m_pSkinMeshBase->DrawMeshContainer(c, effect, attribute, textureId);
    }
}
