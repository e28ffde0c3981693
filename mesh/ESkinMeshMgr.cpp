#include "mesh/ESkinMeshMgr.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/StringHelpers.h"
#include "mesh/ESkinMesh.h"
#include "mesh/ESkinMeshBase.h"
#include "mesh/MeshHooks.h"
#include "mesh/SkinMeshPrint.h"
#include "platform/os/Files.h"

ESkinMeshMgr g_SkinMeshMgr;

namespace {

constexpr const char* kResourceTag = "ESkinMeshBase";
constexpr const char* kCommonParamsFolder = "models\\common\\";
constexpr const char* kErrorFrame = "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx";

std::string CommonParamsPath(const char* name) { return std::string(kCommonParamsFolder) + name + ".txt"; }

// One past the last used slot of a clip table.
int UsedCount(strSkinMeshAnimation* const* table) {
    int count = 0;
    for (int i = 0; i < MAX_ANIMATIONS_IN_SKINMESHBASE; ++i)
        if (table[i]) count = i + 1;
    return count;
}

// Puts the clip into the first free slot of the table; false when the table is full.
bool OfferClip(strSkinMeshAnimation* clip, strSkinMeshAnimation** table, int32_t& count) {
    int slot = 0;
    while (slot < MAX_ANIMATIONS_IN_SKINMESHBASE && table[slot]) ++slot;
    if (slot == MAX_ANIMATIONS_IN_SKINMESHBASE) return false;
    table[slot] = clip;
    if (slot >= count) count = slot + 1;
    return true;
}

}  // namespace

ESkinMeshMgr::~ESkinMeshMgr() {
    DeleteAll();
    FreeLinkFields();
}

void ESkinMeshMgr::Init() {
    DeleteAll();
    AnimationNameScan scan;
    Przejrzyj_Katalog(kCommonAnimationFolder, scan);
    ReportDuplicateAnimationNames(scan, kCommonAnimationFolder);
    m_szCommonNames = std::move(scan.names);
}

bool ESkinMeshMgr::LoadBaseSkinMesh(const char* path, ESkinMesh* instance) {
    if (!path || !instance) return false;
    m_pCreatingFor = instance;
    int empty = -1;
    ESkinMeshBase* found = nullptr;
    for (int i = 0; i < kMaxResources && !found; ++i) {
        if (!m_pResources[i]) empty = i;
        else if (StrICmp(m_pResources[i]->m_szKeyPath, path) == 0) found = m_pResources[i];
    }
    if (found) {
        ++found->m_iReferenceCount;
        instance->m_pSkinMeshBase = found;
    } else if (empty < 0) {
        // Every slot holds a model: the new one is refused rather than written over another.
        SkinMeshPrint("ERROR: Loading Base Skin Mesh: <%s> Failed...", path);
        g_Console.Print("ERROR in ESkinMeshMgr: MAX_SKINMESHBASE exceeded!");
    } else {
        auto* base = new ESkinMeshBase;
        g_Debug.AddAlloc(kResourceTag);
        m_pResources[empty] = base;
        m_pCreating = base;
        if (base->Create(path)) {
            instance->m_pSkinMeshBase = base;
        } else {
            SkinMeshPrint("ERROR: Loading Base Skin Mesh: <%s> Failed...", path);
            DestroyResource(empty);
        }
    }
    m_pCreating = nullptr;
    m_pCreatingFor = nullptr;
    return instance->m_pSkinMeshBase != nullptr;
}

void ESkinMeshMgr::DestroyResource(int slot) {
    ESkinMeshBase* base = m_pResources[slot];
    if (!base) return;
    base->m_iReferenceCount = 0;
    base->Destroy();
    delete base;
    g_Debug.RemoveAlloc(kResourceTag);
    m_pResources[slot] = nullptr;
}

void ESkinMeshMgr::ReleaseSkinMesh(ESkinMeshBase* resource) {
    if (!resource) {
        g_Console.Print("ERROR in ESkinMeshMgr::LoadSkinMesh(): pSkinMeshBase==NULL");
        return;
    }
    for (int i = 0; i < kMaxResources; ++i) {
        if (m_pResources[i] != resource) continue;
        if (resource->m_iReferenceCount == 0)
            g_Console.Print("ERROR in ESkinMeshMgr::LoadSkinMesh(): You try to delete SkinMeshBase with m_iReferenceCount==0");
        else if (resource->m_iReferenceCount > 1)
            --resource->m_iReferenceCount;
        else
            DestroyResource(i);
        return;
    }
}

void ESkinMeshMgr::DeleteAll() {
    for (int i = 0; i < kMaxResources; ++i) DestroyResource(i);
    for (int i = 0; i < m_iNumAnimations; ++i) DeleteAnimation(m_tAnimations[i]);
    m_iNumAnimations = 0;
    m_szCommonNames.clear();
}

bool ESkinMeshMgr::IsCommonName(const char* name) const {
    for (const std::string& n : m_szCommonNames)
        if (StrICmp(n.c_str(), name) == 0) return true;
    return false;
}

strSkinMeshAnimation* ESkinMeshMgr::FindCommonAnimation(const char* name) const {
    for (int i = 0; i < m_iNumAnimations; ++i)
        if (m_tAnimations[i] && StrICmp(m_tAnimations[i]->szName, name) == 0) return m_tAnimations[i];
    return nullptr;
}

void ESkinMeshMgr::LoadAnimationToCommonCache(const char* name) {
    if (!name || FindCommonAnimation(name)) return;
    const int slot = SearchAndLoadAnimation(kCommonAnimationFolder, name, m_tAnimations, m_iNumAnimations);
    if (slot < 0 || !m_tAnimations[slot]) {
        g_Console.Print("INTERNAL ERROR in SkinMeshMgr::LoadAnimationToCommonCache()");
        g_Console.Print(slot < 0 ? "#1 SkinMeshCacheAnimation.LoadAnimation() failed..."
                                 : "#2 SkinMeshCacheAnimation.LoadAnimation() failed...");
        g_Console.Print(name);
        return;
    }
    strSkinMeshAnimation* clip = m_tAnimations[slot];
    clip->bCommon = 1;
    ReadCommonParams(clip);
    for (ESkinMeshBase* base : m_pResources) {
        if (!base || OfferClip(clip, base->m_tAnimations, base->m_iNumAnimations)) continue;
        g_Console.Print("INTERNAL ERROR in SkinMeshMgr::LoadAnimationToCommonCache()");
        g_Console.Print("There's no space for more animations!");
        g_Console.Print(name);
    }
    for (ESkinMesh* instance : ESkinMesh::LiveInstances()) {
        instance->ResolveLinkFields();
        instance->ResolveChannels();
    }
}

void ESkinMeshMgr::ReadCommonParams(strSkinMeshAnimation* clip) const {
    FILE* f = plat::OpenFile(CommonParamsPath(clip->szName), "rt");
    if (!f) return;
    char line[2048];
    while (std::fgets(line, sizeof line, f)) {
        char keyword[64] = {};
        float a = 0, b = 0, c = 0;
        double d = 1.0;
        if (std::sscanf(line, "%63s %f %f %f %lf", keyword, &a, &b, &c, &d) < 1 ||
            StrICmp(keyword, "standard_params") != 0)
            continue;
        clip->fDescAngles[0] = a;
        clip->fDescAngles[1] = b;
        clip->fDescAngles[2] = c;
        clip->dDescValue = d;
        clip->mDescRotation = DescriptionRotation(a, b, c);
    }
    std::fclose(f);
}

bool ESkinMeshMgr::TestIntegrity() const {
    bool ok = true;
    auto fail = [&](auto&&... lines) {
        g_Console.Print(kErrorFrame);
        (SkinMeshPrint("%s", lines), ...);
        g_Console.Print(kErrorFrame);
        ok = false;
    };
    auto number = [](const char* format, int value) {
        static char text[4][128];
        static int next = 0;
        char* out = text[next++ % 4];
        std::snprintf(out, 128, format, value);
        return out;
    };
    int total = 0;
    for (int i = 0; i < m_iNumAnimations; ++i) total += m_tAnimations[i] ? 1 : 0;
    if (m_iNumAnimations != UsedCount(m_tAnimations))
        fail("m_iNumAnimations is not good!", number("m_iNumAnimations: %d", m_iNumAnimations));
    const int common = total;
    for (const ESkinMeshBase* base : m_pResources) {
        if (!base) continue;
        for (int c = 0; c < m_iNumAnimations; ++c) {
            if (!m_tAnimations[c]) continue;
            int found = 0;
            for (int i = 0; i < base->m_iNumAnimations; ++i) found += base->m_tAnimations[i] == m_tAnimations[c] ? 1 : 0;
            if (found != 1) fail("iFound is not 1.", number("iFound: %d", found));
        }
        if (base->m_iNumAnimations != UsedCount(base->m_tAnimations))
            fail("pSMB->m_iNumAnimations is not good!", number("m_iNumAnimations: %d", base->m_iNumAnimations));
        for (int i = 0; i < base->m_iNumAnimations; ++i)
            total += base->m_tAnimations[i] && !base->m_tAnimations[i]->bCommon ? 1 : 0;
    }
    if (total != m_iTotalNumberOfLoadedAnimations)
        fail("Number of loaded animations mismatch!",
             number("m_iTotalNumberOfLoadedAnimations: %d", m_iTotalNumberOfLoadedAnimations),
             number("iNumAnimsTotal: %d", total), number("iNumAnimsSkinMeshMgr: %d", common));
    for (const ESkinMesh* instance : ESkinMesh::LiveInstances()) {
        const ESkinMeshBase* base = instance->m_pSkinMeshBase;
        for (int j = 0; j < ESkinMesh::kChannels && base; ++j) {
            const int32_t clip = instance->m_AnimPlayingParams[j].iAktAnim;
            const uint32_t state = instance->m_uChannelState[j];
            const bool playing = state == ESkinMesh::CHANNEL_PLAYING || state == ESkinMesh::CHANNEL_HOLD ||
                                 state == ESkinMesh::CHANNEL_BLENDING;
            if (!playing || (clip >= 0 && clip < base->m_iNumAnimations && base->m_tAnimations[clip])) continue;
            fail("FATAL ERROR in ESkinMeshMgr::TestIntegrity()",
                 "ESkinMesh is pointing at NULL animation in ESkinMeshBase::m_tAnimations",
                 number("pSM->m_AnimPlayingParams[j].iAktAnim: %d", clip), base->m_szKeyPath,
                 g_MeshHooks.ownerName(instance->m_hObject));
        }
    }
    return ok;
}

void ESkinMeshMgr::WriteCommonParams() const {
    for (const std::string& name : m_szCommonNames) {
        const std::string path = CommonParamsPath(name.c_str());
        const strSkinMeshAnimation* clip = FindCommonAnimation(name.c_str());
        if (!clip && plat::FileExists(path)) continue;
        FILE* f = plat::OpenFile(path, "wt");
        if (!f) continue;
        if (clip)
            std::fprintf(f, "standard_params       %f     %f     %f     %lf \n", clip->fDescAngles[0], clip->fDescAngles[1],
                         clip->fDescAngles[2], clip->dDescValue);
        else
            std::fprintf(f, "standard_params       0.0     180.0     0.0        1.0 \n");
        std::fclose(f);
    }
}

void ESkinMeshMgr::RemoveCommonAnimation(const char* name) {
    for (int c = 0; c < m_iNumAnimations; ++c) {
        strSkinMeshAnimation*& clip = m_tAnimations[c];
        if (!clip || StrICmp(clip->szName, name) != 0) continue;
        for (ESkinMesh* instance : ESkinMesh::LiveInstances())
            for (int j = 0; j < ESkinMesh::kChannels; ++j) {
                const int32_t slot = instance->m_AnimPlayingParams[j].iAktAnim;
                const ESkinMeshBase* base = instance->m_pSkinMeshBase;
                if (!base || slot < 0 || slot >= base->m_iNumAnimations || base->m_tAnimations[slot] != clip) continue;
                instance->m_AnimPlayingParams[j].iAktAnim = -1;
                instance->m_uChannelState[j] = ESkinMesh::CHANNEL_IDLE;
            }
        for (ESkinMeshBase* base : m_pResources)
            if (base)
                for (int i = 0; i < base->m_iNumAnimations; ++i)
                    if (base->m_tAnimations[i] == clip) base->m_tAnimations[i] = nullptr;
        DeleteAnimation(clip);
        return;
    }
}
