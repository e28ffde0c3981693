#include "mesh/ESkinMeshBase.h"

#include <cstdlib>
#include <cstring>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "core/FileCacheManager.h"
#include "core/StringHelpers.h"
#include "mesh/ESkinMeshMgr.h"
#include "mesh/SkinMeshPrint.h"
#include "platform/os/Random.h"
#include "render/D3DDevice.h"

namespace {

constexpr const char* kSocketTag = "strSkinMeshSocket";
constexpr const char* kDescFile = "animations\\animations_desc.txt";
constexpr const char* kSocketsFile = "sockets.txt";
constexpr const char* kDeathFiles[] = {"death\\particles.txt", "death\\distance_constraints.txt",
                                       "death\\selfcollision_constraints.txt"};
constexpr uint32_t kLineLength = 2000;
constexpr float kDegrees = 3.1415927410125732f / 180.0f;

// The blank- or tab-separated words of a line.
std::vector<std::string> Words(const char* line) {
    std::vector<std::string> words;
    for (const char* p = line; *p;) {
        while (*p == ' ' || *p == '\t') ++p;
        const char* start = p;
        while (*p && *p != ' ' && *p != '\t') ++p;
        if (p > start) words.emplace_back(start, p);
    }
    return words;
}

float Number(const std::vector<std::string>& words, size_t i) {
    return i < words.size() ? std::strtof(words[i].c_str(), nullptr) : 0.0f;
}

// Every line of a cached file.
template <class Visit>
void ForEachCachedLine(const std::string& path, Visit&& visit) {
    FileCacheManager::Handle* file = g_FileCacheManager.Open(path.c_str());
    if (!file) return;
    std::vector<char> line(kLineLength + 1);
    while (!g_FileCacheManager.Eof(file)) {
        line[0] = '\0';
        g_FileCacheManager.ReadLine(file, line.data(), kLineLength);
        if (!visit(line.data())) break;
    }
    g_FileCacheManager.Close(file);
}

template <size_t N>
void CopyBounded(char (&to)[N], const std::string& from) {
    std::snprintf(to, N, "%s", from.c_str());
}

}  // namespace

pmath::Matrix DescriptionRotation(float first, float second, float third) {
    return pmath::MatrixFromYawPitchRoll(second * kDegrees, first * kDegrees, third * kDegrees);
}

ESkinMeshBase::~ESkinMeshBase() {
    m_iReferenceCount = 0;
    Destroy();
}

std::string ESkinMeshBase::FolderPath(const char* name) const {
    return m_szFolder[0] ? std::string(m_szFolder) + "\\" + name : std::string(name);
}

bool ESkinMeshBase::Create(const char* path) {
    if (m_bCreated) return true;
    std::snprintf(m_szKeyPath, sizeof m_szKeyPath, "%s", path ? path : "");
    const char* cut = std::strrchr(m_szKeyPath, '\\');
    std::snprintf(m_szFileName, sizeof m_szFileName, "%.*s", static_cast<int>(sizeof m_szFileName - 1),
                  cut ? cut + 1 : m_szKeyPath);
    std::snprintf(m_szFolder, sizeof m_szFolder, "%.*s", cut ? static_cast<int>(cut - m_szKeyPath) : 0, m_szKeyPath);
    if (!LoadHierarchy()) return false;
    ForEachFrame([this](D3DXFRAME_DERIVED& frame, int32_t, int32_t) { frame.iFrameIdx = m_uFrameCounter++; });
    if (!SetupBoneIndices()) {
        SkinMeshPrint("SetupBoneMatrixPointers failed, File=%s", m_szFileName);
        return false;
    }
    m_iReferenceCount = 1;
    m_bCreated = 1;

    g_FileCacheManager.LoadFile(FolderPath(kDescFile).c_str());
    g_FileCacheManager.LoadFile(FolderPath(kSocketsFile).c_str());
    for (int i = 0; i < g_SkinMeshMgr.m_iNumAnimations && g_SkinMeshMgr.m_tAnimations[i]; ++i)
        m_tAnimations[m_iNumAnimations++] = g_SkinMeshMgr.m_tAnimations[i];
    m_szDefaultAnimation[0] = '\0';
    ScanAnimations();
    ReadDescriptions();
    ReadSockets();
    ReadCollisionElements();
    g_FileCacheManager.FreeFile(FolderPath(kDescFile).c_str());
    for (const char* file : kDeathFiles) g_FileCacheManager.LoadFile(FolderPath(file).c_str());
    for (int32_t& r : m_iRandom) r = plat::Random() % 100;
    return true;
}

bool ESkinMeshBase::LoadHierarchy() {
    gfx::Device* device = g_pd3dDevice.get();
    xfile::Frame* root = nullptr;
    std::string error;
    const gfx::Result r = xfile::LoadMeshHierarchyFromX(FolderPath(m_szFileName), device ? xfile::MESH_MANAGED : xfile::MESH_SYSTEMMEM,
                                                        device, &g_SkinMeshAllocateHierarchy, &root, &m_pAnimController, &error);
    if (gfx::Failed(r)) {
        SkinMeshPrint("D3DXLoadMeshHierarchyFromX failed, File=%s", m_szFileName);
        if (!error.empty()) g_Console.Print(error.c_str());
        return false;
    }
    m_pFrameRoot = static_cast<D3DXFRAME_DERIVED*>(root);
    if (!m_pFrameRoot) {
        SkinMeshPrint("ERROR in ESkinMeshBase::Create(): m_pFrameRoot==NULL, File=%s", m_szFileName);
        return false;
    }
    if (!g_Settings.m_bReducedMode) m_pAnimController.reset();
    return true;
}

bool ESkinMeshBase::SetupBoneIndices() {
    bool ok = true;
    ForEachFrame([&](D3DXFRAME_DERIVED& frame, int32_t, int32_t) {
        for (xfile::MeshContainer* m = frame.pMeshContainer; m && ok; m = m->pNextMeshContainer) {
            auto* c = static_cast<D3DXMESHCONTAINER_DERIVED*>(m);
            if (!c->pSkinInfo) continue;
            c->NumBones = c->pSkinInfo->GetNumBones();
            c->tBonesIndexes.assign(c->NumBones, 0);
            for (uint32_t b = 0; b < c->NumBones; ++b) {
                const auto* bone = c->bOneBone ? &frame
                                               : static_cast<D3DXFRAME_DERIVED*>(
                                                     xfile::FrameFind(m_pFrameRoot, c->pSkinInfo->GetBoneName(b)));
                if (!bone) {
                    g_Console.PrintStr2("ERROR in SkinMeshBase: Frame Not Found! Bad Bone Name:",
                                        c->pSkinInfo->GetBoneName(b));
                    ok = false;
                    return;
                }
                c->tBonesIndexes[b] = bone->iFrameIdx;
            }
        }
    });
    return ok;
}

void ESkinMeshBase::ScanAnimations() {
    AnimationNameScan scan;
    const std::string folder = FolderPath("animations");
    Przejrzyj_Katalog(folder.c_str(), scan);
    m_szAnimationNames = std::move(scan.names);
    CopyBounded(m_szDefaultAnimation, scan.defaultName);
    auto report = [&](const char* first, const std::string& name) {
        g_Console.Print(first);
        SkinMeshPrint("Duplicated name: %s", name.c_str());
        SkinMeshPrint("Skinmesh: %s", m_szKeyPath);
    };
    for (size_t i = 0; i < m_szAnimationNames.size(); ++i) {
        const std::string& name = m_szAnimationNames[i];
        for (size_t j = i + 1; j < m_szAnimationNames.size(); ++j)
            if (StrICmp(name.c_str(), m_szAnimationNames[j].c_str()) == 0)
                report("ERROR: Two animations with the same name!!!", name);
        if (g_SkinMeshMgr.IsCommonName(name.c_str()))
            report("ERROR: Animation's name conflict with common animation!!!", name);
    }
}

void ESkinMeshBase::ReadDescriptions() {
    m_tDescriptions.clear();
    ForEachCachedLine(FolderPath(kDescFile), [&](const char* line) {
        if (m_tDescriptions.size() >= kMaxDescriptions) {
            SkinMeshPrint("ERROR in ESkinMeshBase: MAX_ANIMATION_DESCRIPTIONS exceeded!, File=%s", m_szKeyPath);
            return false;
        }
        const std::vector<std::string> words = Words(line);
        strAnimationDesc& d = m_tDescriptions.emplace_back();
        if (!words.empty()) CopyBounded(d.szName, words[0]);
        d.a = Number(words, 1);
        d.b = Number(words, 2);
        d.c = Number(words, 3);
        d.d = words.size() > 4 ? std::strtod(words[4].c_str(), nullptr) : 0.0;
        d.mRotation = DescriptionRotation(d.a, d.b, d.c);
        return true;
    });
}

void ESkinMeshBase::ReadSockets() {
    ForEachCachedLine(FolderPath(kSocketsFile), [&](const char* line) {
        const std::vector<std::string> words = Words(line);
        if (words.empty()) return true;
        strSkinMeshSocket socket;
        CopyBounded(socket.szName, words[0]);
        if (words.size() > 1) CopyBounded(socket.szNodeName, words[1]);
        for (int i = 0; i < 3; ++i) {
            socket.vOffset[i] = Number(words, 2 + i);
            socket.fAngles[i] = Number(words, 5 + i);
        }
        AddSocket(socket);
        return true;
    });
}

void ESkinMeshBase::ReadCollisionElements() {
    if (!m_Collisions.ReadCollisionsFile(FolderPath("collisions.txt").c_str()))
        m_Collisions.ReadPhysicsFile(FolderPath("physics.txt").c_str());
    m_Collisions.LoadPrefabs(m_szKeyPath);
}

void ESkinMeshBase::Destroy() {
    if (m_iReferenceCount >= 2) {
        SkinMeshPrint("ERROR in ESkinMeshBase::Destroy(): You are trying to delete SkinMeshBase: %s with "
                      "m_iReferenceCount>1",
                      m_szKeyPath);
        return;
    }
    if (m_pFrameRoot) xfile::FrameDestroy(m_pFrameRoot, &g_SkinMeshAllocateHierarchy);
    m_pFrameRoot = nullptr;
    m_pAnimController.reset();
    for (int i = 0; i < m_iNumAnimations; ++i)
        if (m_tAnimations[i] && !m_tAnimations[i]->bCommon) DeleteAnimation(m_tAnimations[i]);
    std::fill(std::begin(m_tAnimations), std::end(m_tAnimations), nullptr);
    m_iNumAnimations = 0;
    m_szAnimationNames.clear();
    m_tDescriptions.clear();
    RemoveAllSockets();
    m_Collisions.Clear();
    if (m_bCreated) {
        for (const char* file : kDeathFiles) g_FileCacheManager.FreeFile(FolderPath(file).c_str());
        g_FileCacheManager.FreeFile(FolderPath(kSocketsFile).c_str());
    }
    m_szFolder[0] = m_szFileName[0] = '\0';
    m_bCreated = 0;
}

void ESkinMeshBase::AddSocket(const strSkinMeshSocket& socket) {
    auto* s = new strSkinMeshSocket(socket);
    g_Debug.AddAlloc(kSocketTag);
    s->pNode = nullptr;
    s->pNext = m_pSockets;
    m_pSockets = s;
}

void RemoveSkinMeshSocket(strSkinMeshSocket*& list, const char* name, const char* tag) {
    for (strSkinMeshSocket** at = &list; *at; at = &(*at)->pNext) {
        if (StrICmp((*at)->szName, name) != 0) continue;
        strSkinMeshSocket* gone = *at;
        *at = gone->pNext;
        delete gone;
        g_Debug.RemoveAlloc(tag);
        return;
    }
}

void ESkinMeshBase::RemoveSocket(const char* name) { RemoveSkinMeshSocket(m_pSockets, name, kSocketTag); }

void ESkinMeshBase::RemoveAllSockets() {
    while (m_pSockets) RemoveSocket(m_pSockets->szName);
}

bool ESkinMeshBase::ApplyDescription(strSkinMeshAnimation* clip) const {
    if (!clip) return false;
    for (const strAnimationDesc& d : m_tDescriptions) {
        if (StrICmp(d.szName, clip->szName) != 0) continue;
        clip->fDescAngles[0] = d.a;
        clip->fDescAngles[1] = d.b;
        clip->fDescAngles[2] = d.c;
        clip->dDescValue = d.d;
        clip->mDescRotation = d.mRotation;
        return true;
    }
    return false;
}

int ESkinMeshBase::FindAnimation(const char* name) const {
    for (int i = 0; i < m_iNumAnimations; ++i)
        if (m_tAnimations[i] && StrICmp(m_tAnimations[i]->szName, name) == 0) return i;
    return -1;
}

bool ESkinMeshBase::HasAnimationName(const char* name) const {
    for (const std::string& n : m_szAnimationNames)
        if (StrICmp(n.c_str(), name) == 0) return true;
    return false;
}

int ESkinMeshBase::LoadOwnAnimation(const char* name) {
    const std::string folder = FolderPath("animations");
    const int slot = SearchAndLoadAnimation(folder.c_str(), name, m_tAnimations, m_iNumAnimations);
    if (slot >= 0) ApplyDescription(m_tAnimations[slot]);
    return slot;
}

void ESkinMeshBase::DrawMeshContainer(D3DXMESHCONTAINER_DERIVED* c, const SkinEffectContext& context,
                                      uint32_t attribute, uint32_t texture) const {
    if (!c || !c->pSkinInfo || !c->MeshData.pMesh) return;
    if (!context.effect) {
        g_Console.Print("Nie ma wlasciwego efektu!");
        return;
    }
    gfx::Effect& fx = *context.effect;
    for (uint32_t i = 0; i < c->pBoneCombinationBuf.size(); ++i) {
        const xfile::BoneCombination& group = c->pBoneCombinationBuf[i];
        if (group.AttribId != attribute || !c->pTextureIDs || group.AttribId >= c->NumTextureNames ||
            c->pTextureIDs[group.AttribId] != texture || i >= c->NumBoneMatrixArrays || !c->ppBoneMatrices[i])
            continue;
        fx.SetFloatArray(context.boneMatrices, &c->ppBoneMatrices[i]->m[0][0], 16 * c->NumPaletteEntries);
        fx.SetInt(context.boneCount, static_cast<int32_t>(c->NumInfl) - 1);
        fx.CommitChanges();
        c->MeshData.pMesh->DrawSubset(i);
    }
}
