#pragma once
// The shared resources of skinned models (up to 1000, each loaded once and counted by the
// instances that use it) and the common clip cache: the clips below "models\common", loaded on
// first use and offered to every model.
#include <cstdint>
#include <string>
#include <vector>

#include "mesh/ESkinMeshAnimation.h"

class ESkinMesh;
class ESkinMeshBase;

class ESkinMeshMgr {
public:
    static constexpr int kMaxResources = 1000;

    ESkinMeshMgr() = default;
    ~ESkinMeshMgr();
    ESkinMeshMgr(const ESkinMeshMgr&) = delete;
    ESkinMeshMgr& operator=(const ESkinMeshMgr&) = delete;

    // Clears the tables and scans the common folder.
    void Init();
    // Gives the instance the resource of the model, loading it on first use; whether the
    // instance has one.
    bool LoadBaseSkinMesh(const char* path, ESkinMesh* instance);
    void ReleaseSkinMesh(ESkinMeshBase* resource);
    // Frees every resource and every common clip (engine release and exit).
    void DeleteAll();

    // Loads a common clip once and puts it into every loaded model's clip table.
    void LoadAnimationToCommonCache(const char* name);
    bool IsCommonName(const char* name) const;
    // The common clip of that name, or null.
    strSkinMeshAnimation* FindCommonAnimation(const char* name) const;

    // Diagnostics nothing in the game calls: the consistency of every clip table, the
    // "standard_params" files of the common clips, and the removal of one common clip.
    bool TestIntegrity() const;
    void WriteCommonParams() const;
    void RemoveCommonAnimation(const char* name);

    ESkinMeshBase* m_pResources[kMaxResources] = {};
    // Set only while a model loads.
    ESkinMeshBase* m_pCreating = nullptr;
    ESkinMesh* m_pCreatingFor = nullptr;
    uint32_t m_uTotalAnimationBytes = 0;
    int32_t m_iTotalNumberOfLoadedAnimations = 0;
    int32_t m_iNumAnimations = 0;
    strSkinMeshAnimation* m_tAnimations[MAX_ANIMATIONS_IN_SKINMESHBASE] = {};
    std::vector<std::string> m_szCommonNames;

private:
    void ReadCommonParams(strSkinMeshAnimation* clip) const;
    void DestroyResource(int slot);
};

extern ESkinMeshMgr g_SkinMeshMgr;

// The common clips' folder.
constexpr const char* kCommonAnimationFolder = ".\\models\\common";
