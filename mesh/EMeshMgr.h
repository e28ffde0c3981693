#pragma once
// The cache of static mesh geometry: each model file is loaded once into a shared record, in the
// engine's vertex layout, either from the model file (cleaned, welded, validated, prefabs
// centred) or from its optimised copy under "!opt\" when UseOPT is set and the copy exists.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/DV.h"
#include "platform/gfx/Material.h"
#include "platform/xfile/ExtendedMaterial.h"
#include "platform/xfile/Mesh.h"
#include "render/D3DDevice.h"

class EObjectSlot;

// The engine's vertex layout of static meshes: 36 bytes of position, colour, normal and texture
// coordinates, the layout the renderer's passes draw.
inline constexpr const auto& kMeshVertexLayout = kMeshVertexElements;

// One model file's geometry, shared by every mesh object made from it.
struct strmesh {
    static constexpr int kMaxSubsets = 256;

    strmesh();
    ~strmesh();
    strmesh(const strmesh&) = delete;
    strmesh& operator=(const strmesh&) = delete;

    uint32_t m_uIndex = 0;
    char m_szName[256] = {};
    uint8_t m_bCentered = 0;
    uint8_t m_bFromCache = 0;
    std::shared_ptr<xfile::Mesh> m_pMesh;
    // Level-of-detail slots 0-2: nothing fills them.
    std::shared_ptr<xfile::Mesh> m_pLodMeshes[3];
    uint8_t m_SubsetMap[kMaxSubsets] = {};
    uint8_t m_bSubsetMapBuilt = 0;
    std::shared_ptr<gfx::IndexBuffer> m_pIB;
    std::shared_ptr<gfx::VertexBuffer> m_pVB;
    xfile::AttributeRange m_AttribTable[kMaxSubsets] = {};
    uint32_t m_uAttribTableSize = 0;
    uint32_t m_uFirstVertex[kMaxSubsets] = {};
    uint32_t m_uVertexCount[kMaxSubsets] = {};
    uint32_t m_uFirstIndex[kMaxSubsets] = {};
    uint32_t m_uFaceCount[kMaxSubsets] = {};
    // The materials as the file gave them, texture names included.
    std::vector<xfile::ExtendedMaterial> m_MaterialsBuffer;
    uint32_t m_uMaterialCount = 0;
    // Copies of the first m_uMaterialCount materials with ambient set to diffuse.
    gfx::Material* m_pMaterials = nullptr;
    DV m_vMin;
    DV m_vMax;
    DV m_vSphereCenter;
    float m_fRadius = 0.0f;
    strmesh* m_pNext = nullptr;
    strmesh* m_pPrev = nullptr;
};

class EMeshMgr {
public:
    static constexpr int kMaxMeshes = 1024;

    EMeshMgr();
    virtual ~EMeshMgr();

    // The record index of the model file, loading it on first use; -1 when it cannot be had.
    int32_t GetMesh(const char* fileName);
    strmesh* FindMesh(const char* name) const;
    strmesh* GetRecord(int32_t index) const;
    xfile::Mesh* GetMeshObject(int32_t index) const;
    xfile::Mesh* GetVideoMeshObject(int32_t index) const;
    strmesh* GetObjectRecord(const EObjectSlot* object) const;
    std::shared_ptr<xfile::Mesh>* GetObjectLodSlot(const EObjectSlot* object, int level) const;

    // The two load paths; both fill the head record.
    bool ReadMeshFromXFile(const char* fileName, bool centre);
    bool ReadMeshFromYFile(const char* fileName);
    void CreateMeshVideoObject(int32_t index);

    bool SaveOpt(const char* fileName);
    void SaveAllOpts();
    void SaveBullet(const EObjectSlot* object);

    void PrepareObjectLods(EObjectSlot* object);
    bool EnsureLods(const EObjectSlot* object);
    void BuildSubsetMap(EObjectSlot* object);
    void SetObjectLod(EObjectSlot* object, int level);

    void ReleaseRecord(strmesh* record);
    void ReleaseAll();
    void Shutdown() { ReleaseAll(); }
    void Init() {}
    void OnWorldStarted() {}

    // "!opt\" and the model name with its folders joined by "_", then "vx.x"; "" for a null name
    // or one shorter than 2 characters. Static buffer, overwritten by the next call.
    static const char* OptPath(const char* name);
    // The level-of-detail file of level 0-2: the cache name ending "vx0.x" and so on.
    static const char* LodPath(const char* name, int level);
    // The version every optimised copy carries. A copy of any other version (older copies carry
    // none) is not read but made again from its model file; raise it whenever the copies change.
    static constexpr uint32_t kOptVersion = 1;

    strmesh* m_pHead = nullptr;
    strmesh* m_pTable[kMaxMeshes] = {};

private:
    // The short path refuses meshes this big outside "menu" and "pojazdy" paths.
    static constexpr uint32_t kMaxCachedSize = 30000;

    bool CheckName(const char* fileName);
    bool LoadXFile(const char* path, const char* name, std::shared_ptr<xfile::Mesh>& mesh);
    bool CloneToEngineLayout(const char* fileName, std::shared_ptr<xfile::Mesh>& mesh);
    void CopyMaterials(strmesh* record);
    // Box and sphere of the record's vertices; centred first when centre is set.
    bool ComputeBounds(strmesh* record, bool centre, const char* unlockFailure);
    bool SaveRecord(const strmesh* record, const char* path);
};

extern EMeshMgr g_MeshMgr;

// The mesh manager's steps around a device reset. Its meshes live in the managed pool and
// survive a reset, so both do nothing.
void MeshMgrLostDevice();
void MeshMgrResetDevice();
