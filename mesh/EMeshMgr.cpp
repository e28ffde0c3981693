#include "mesh/EMeshMgr.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/CoreHooks.h"
#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "mesh/EMesh.h"
#include "mesh/MeshHooks.h"
#include "platform/os/Files.h"
#include "platform/xfile/MeshLoader.h"
#include "platform/xfile/MeshOperations.h"
#include "platform/xfile/XFileWriter.h"
#include "render/D3DDevice.h"


EMeshMgr g_MeshMgr;

namespace {

constexpr const char* kRecordTag = "strmesh";
constexpr const char* kMaterialsTag = "m_pMeshMaterials ";
constexpr const char* kLockTag = "LockVB";
constexpr const char* kOptFolder = "!opt";

// Welding of loaded meshes: positions and normals within 0.1, everything else exact.
xfile::WeldEpsilons MeshWeldEpsilons() {
    xfile::WeldEpsilons eps;
    eps.Position = 0.1f;
    eps.Normal = 0.1f;
    return eps;
}

std::vector<uint32_t> Adjacency(const xfile::Mesh& mesh) {
    std::vector<uint32_t> adjacency(mesh.GetNumFaces() * 3);
    mesh.GenerateAdjacency(0.0f, adjacency.data());
    return adjacency;
}

// An optimised copy's faces come grouped by attribute in ascending order, each group on vertices
// of its own: its attribute table is read off the faces as they are. False (the table left alone)
// when the faces are not grouped so.
bool TableOfGroupedFaces(xfile::Mesh& mesh) {
    const uint32_t faces = mesh.GetNumFaces();
    const uint32_t* attributes = mesh.AttributeData();
    std::vector<xfile::AttributeRange> table;
    for (uint32_t f = 0; f < faces; ++f) {
        if (!table.empty() && table.back().AttribId == attributes[f]) {
            ++table.back().FaceCount;
            continue;
        }
        if (!table.empty() && table.back().AttribId > attributes[f]) return false;
        table.push_back({attributes[f], f, 1, 0, 0});
    }
    mesh.SetAttributeTable(std::move(table));
    mesh.RefreshVertexRanges();
    return true;
}

}  // namespace

strmesh::strmesh() { g_Debug.AddAlloc("EMeshMgr::strmesh"); }

strmesh::~strmesh() {
    if (m_pMaterials) {
        delete[] m_pMaterials;
        g_Debug.RemoveAlloc(kMaterialsTag);
    }
    g_Debug.RemoveAlloc("EMeshMgr::strmesh");
}

EMeshMgr::EMeshMgr() {}

EMeshMgr::~EMeshMgr() = default;

const char* EMeshMgr::OptPath(const char* name) {
    static char path[600];
    path[0] = 0;
    if (!name || std::strlen(name) < 2) return path;
    std::string cache = std::string("!opt\\") + name;
    std::replace(cache.begin() + 5, cache.end(), '\\', '_');
    std::snprintf(path, sizeof path, "%svx.x", cache.c_str());
    return path;
}

const char* EMeshMgr::LodPath(const char* name, int level) {
    static char path[600];
    std::string cache = OptPath(name);
    path[0] = 0;
    if (cache.size() < 2) return path;
    std::snprintf(path, sizeof path, "%s%i.x", cache.substr(0, cache.size() - 2).c_str(), level);
    return path;
}

int32_t EMeshMgr::GetMesh(const char* fileName) {
    if (!fileName || !*fileName) return -1;
    if (const strmesh* found = FindMesh(fileName)) return static_cast<int32_t>(found->m_uIndex);
    int32_t slot = 0;
    while (slot < kMaxMeshes && m_pTable[slot]) ++slot;
    if (slot == kMaxMeshes) {
        g_Console.Print("Too many different meshes!");
        return -1;
    }
    auto* record = new strmesh();
    g_Debug.AddAlloc(kRecordTag);
    record->m_pNext = m_pHead;
    if (m_pHead) m_pHead->m_pPrev = record;
    m_pHead = record;
    record->m_uIndex = static_cast<uint32_t>(slot);
    std::snprintf(record->m_szName, sizeof record->m_szName, "%s", fileName);

    const bool centre = !StrIContains(fileName, "_nocenter");
    bool loaded;
    if (g_Settings.m_bUseOPT && xfile::ReadHeaderVersion(OptPath(fileName)) == kOptVersion) {
        loaded = ReadMeshFromYFile(fileName);
        // A copy the short path refuses (or cannot read) would leave the object empty in every
        // world; the model file is loaded instead, which writes the copy again.
        if (!loaded) {
            g_Console.PrintStr3("Loading ", fileName, " from its model file instead of its optimised copy");
            loaded = ReadMeshFromXFile(fileName, centre);
        }
    } else {
        loaded = ReadMeshFromXFile(fileName, centre);
    }
    if (loaded) return slot;
    m_pTable[slot] = nullptr;
    m_pHead = record->m_pNext;
    if (m_pHead) m_pHead->m_pPrev = nullptr;
    delete record;
    g_Debug.RemoveAlloc(kRecordTag);
    return -1;
}

strmesh* EMeshMgr::FindMesh(const char* name) const {
    for (strmesh* r = m_pHead; r; r = r->m_pNext)
        if (StrICmp(r->m_szName, name) == 0) return r;
    return nullptr;
}

strmesh* EMeshMgr::GetRecord(int32_t index) const {
    return index >= 0 && index < kMaxMeshes ? m_pTable[index] : nullptr;
}

xfile::Mesh* EMeshMgr::GetMeshObject(int32_t index) const {
    const strmesh* r = GetRecord(index);
    return r ? r->m_pMesh.get() : nullptr;
}

xfile::Mesh* EMeshMgr::GetVideoMeshObject(int32_t index) const { return GetMeshObject(index); }

strmesh* EMeshMgr::GetObjectRecord(const EObjectSlot* object) const {
    const EMesh* mesh = object ? g_MeshHooks.objectMesh(object) : nullptr;
    return mesh ? mesh->m_pRecord : nullptr;
}

std::shared_ptr<xfile::Mesh>* EMeshMgr::GetObjectLodSlot(const EObjectSlot* object, int level) const {
    strmesh* r = GetObjectRecord(object);
    return r && level >= 0 && level < 3 ? &r->m_pLodMeshes[level] : nullptr;
}

bool EMeshMgr::CheckName(const char* fileName) {
    if (IsValidName(fileName)) return true;
    LogError(fileName);
    g_CoreHooks.quitOnError(InvalidNameReason("model", fileName).c_str());
    return false;
}

bool EMeshMgr::LoadXFile(const char* path, const char* name, std::shared_ptr<xfile::Mesh>& mesh) {
    std::vector<xfile::ExtendedMaterial> materials;
    std::string reason;
    const gfx::Result r =
        xfile::LoadMeshFromX(path, xfile::MESH_SYSTEMMEM, g_pd3dDevice.get(), materials, mesh, &reason);
    if (gfx::Failed(r)) {
        g_Console.PrintStr3("D3DXLoadMeshFromX ", name, " failed");
        if (r == gfx::ERR_INVALIDCALL) g_Console.Print("D3DERR_INVALIDCALL");
        if (r == gfx::ERR_OUTOFMEMORY) g_Console.Print("E_OUTOFMEMORY");
        if (!reason.empty()) g_Console.PrintStr3(path, ": ", reason.c_str());
        return false;
    }
    m_pHead->m_MaterialsBuffer = std::move(materials);
    return true;
}

bool EMeshMgr::CloneToEngineLayout(const char* fileName, std::shared_ptr<xfile::Mesh>& mesh) {
    std::shared_ptr<xfile::Mesh> clone;
    if (gfx::Failed(mesh->CloneMesh(xfile::MESH_MANAGED, kMeshVertexLayout, g_pd3dDevice.get(), clone))) {
        LogError(fileName);
        LogError("CloneMesh failed");
        g_Console.Print("CloneMesh failed");
        return false;
    }
    mesh = std::move(clone);
    return true;
}

void EMeshMgr::CopyMaterials(strmesh* record) {
    record->m_uMaterialCount = std::min<uint32_t>(static_cast<uint32_t>(record->m_MaterialsBuffer.size()),
                                                  strmesh::kMaxSubsets);
    if (record->m_pMaterials) {
        delete[] record->m_pMaterials;
        g_Debug.RemoveAlloc(kMaterialsTag);
    }
    record->m_pMaterials = new gfx::Material[record->m_uMaterialCount];
    g_Debug.AddAlloc(kMaterialsTag);
    for (uint32_t i = 0; i < record->m_uMaterialCount; ++i) {
        record->m_pMaterials[i] = record->m_MaterialsBuffer[i].MatD3D;
        record->m_pMaterials[i].Ambient = record->m_pMaterials[i].Diffuse;
    }
}

bool EMeshMgr::ComputeBounds(strmesh* record, bool centre, const char* unlockFailure) {
    xfile::Mesh& mesh = *record->m_pMesh;
    void* data = nullptr;
    if (gfx::Failed(mesh.LockVertexBuffer(0, &data))) return false;
    g_Debug.AddAlloc(kLockTag);
    const uint32_t stride = mesh.GetNumBytesPerVertex();
    auto position = [&](uint32_t v) { return reinterpret_cast<float*>(static_cast<uint8_t*>(data) + v * stride); };
    auto bounds = [&] {
        float radiusSq = 0.0f;
        for (uint32_t v = 0; v < mesh.GetNumVertices(); ++v) {
            const float* p = position(v);
            const DV point{p[0], p[1], p[2]};
            if (v == 0) record->m_vMin = record->m_vMax = point;
            record->m_vMin = {std::min(record->m_vMin.x, p[0]), std::min(record->m_vMin.y, p[1]),
                              std::min(record->m_vMin.z, p[2])};
            record->m_vMax = {std::max(record->m_vMax.x, p[0]), std::max(record->m_vMax.y, p[1]),
                              std::max(record->m_vMax.z, p[2])};
            radiusSq = std::max(radiusSq, pmath::Dot(point, point));
        }
        record->m_vSphereCenter = DV{};
        record->m_fRadius = std::sqrt(radiusSq);
    };
    bounds();
    if (centre) {
        const DV middle = (record->m_vMin + record->m_vMax) * 0.5f;
        for (uint32_t v = 0; v < mesh.GetNumVertices(); ++v) {
            float* p = position(v);
            p[0] -= middle.x;
            p[1] -= middle.y;
            p[2] -= middle.z;
        }
        bounds();
    }
    g_Debug.RemoveAlloc(kLockTag);
    if (gfx::Failed(mesh.UnlockVertexBuffer())) g_Console.Print(unlockFailure);
    return true;
}

bool EMeshMgr::ReadMeshFromXFile(const char* fileName, bool centre) {
    const bool isPrefab = StrIContains(fileName, "prefabs");
    if (!fileName || !*fileName || !m_pHead || !CheckName(fileName)) return false;
    strmesh* record = m_pHead;
    std::shared_ptr<xfile::Mesh> clone;
    if (!LoadXFile(fileName, fileName, clone)) return false;
    m_pTable[record->m_uIndex] = record;
    record->m_bCentered = centre;
    if (!CloneToEngineLayout(fileName, clone)) return false;

    std::vector<uint32_t> adjacency = Adjacency(*clone), cleanAdjacency(adjacency.size());
    if (gfx::Failed(xfile::CleanMesh(xfile::CLEAN_SIMPLIFICATION, clone, adjacency.data(), record->m_pMesh,
                                     cleanAdjacency.data()))) {
        g_Console.Print("D3DXCleanMesh failed!");
        return false;
    }
    clone.reset();
    const xfile::WeldEpsilons eps = MeshWeldEpsilons();
    xfile::WeldVertices(*record->m_pMesh, xfile::WELDEPSILONS_WELDPARTIALMATCHES, &eps, nullptr, nullptr);
    adjacency = Adjacency(*record->m_pMesh);
    if (gfx::Failed(xfile::ValidMesh(*record->m_pMesh, adjacency.data()))) {
        g_Console.PrintStr3("D3DXValidMesh ", fileName, " failed");
        g_Console.Print(record->m_szName);
        record->m_pMesh.reset();
        return false;
    }
    CopyMaterials(record);
    ComputeBounds(record, isPrefab && centre, "FAILED to unlock ReadMeshFromXFile VB");
    CreateMeshVideoObject(static_cast<int32_t>(record->m_uIndex));
    SaveOpt(fileName);
    return true;
}

bool EMeshMgr::ReadMeshFromYFile(const char* fileName) {
    if (!fileName || !*fileName || !m_pHead || !CheckName(fileName)) return false;
    strmesh* record = m_pHead;
    const std::string cache = OptPath(fileName);
    std::shared_ptr<xfile::Mesh> mesh;
    if (!LoadXFile(cache.c_str(), cache.c_str(), mesh)) return false;
    // The copy was welded, cleaned and optimised before it was written: it is taken as it is.
    if (!StrIContains(fileName, "menu") && !StrIContains(fileName, "pojazdy") &&
        (mesh->GetNumFaces() > kMaxCachedSize || mesh->GetNumVertices() > kMaxCachedSize)) {
        g_Console.PrintStr3(cache.c_str(), ": ", "too many faces or vertices for an optimised copy");
        return false;
    }
    if (!CloneToEngineLayout(fileName, mesh)) return false;
    record->m_bFromCache = 1;
    m_pTable[record->m_uIndex] = record;
    record->m_pMesh = std::move(mesh);
    record->m_bCentered = !StrIContains(cache.c_str(), "_nocenter");
    CopyMaterials(record);
    ComputeBounds(record, false, "FAILED to unlock ReadMeshFromYFile VB!");
    CreateMeshVideoObject(static_cast<int32_t>(record->m_uIndex));
    return true;
}

void EMeshMgr::CreateMeshVideoObject(int32_t index) {
    strmesh* record = GetRecord(index);
    if (!record || !record->m_pMesh) return;
    xfile::Mesh& mesh = *record->m_pMesh;
    record->m_pIB.reset();
    record->m_pVB.reset();
    // Our optimiser orders faces without their adjacency, so none is made for it. An optimised
    // copy is drawn in the order it was written.
    if (!record->m_bFromCache || !TableOfGroupedFaces(mesh)) {
        mesh.OptimizeInplace(xfile::MESHOPT_ATTRSORT, nullptr, nullptr);
        mesh.OptimizeInplace(xfile::MESHOPT_ATTRSORT | xfile::MESHOPT_VERTEXCACHE, nullptr, nullptr);
    }
    record->m_pIB = mesh.GetIndexBuffer();
    record->m_pVB = mesh.GetVertexBuffer();
    // The record's table is read after the optimisation, so its ranges are the ones drawn and
    // the ones collision builds its boxes from.
    record->m_uAttribTableSize = strmesh::kMaxSubsets;
    mesh.GetAttributeTable(record->m_AttribTable, &record->m_uAttribTableSize);
    for (uint32_t s = 0; s < strmesh::kMaxSubsets; ++s) {
        record->m_uFirstVertex[s] = record->m_uVertexCount[s] = record->m_uFirstIndex[s] = record->m_uFaceCount[s] = 0;
        if (s >= record->m_uMaterialCount) continue;
        for (uint32_t i = 0; i < record->m_uAttribTableSize; ++i) {
            const xfile::AttributeRange& range = record->m_AttribTable[i];
            if (range.AttribId != s) continue;
            record->m_uFirstVertex[s] = range.VertexStart;
            record->m_uVertexCount[s] = range.VertexCount;
            record->m_uFirstIndex[s] = range.FaceStart * 3;
            record->m_uFaceCount[s] = range.FaceCount;
            break;
        }
    }
}

bool EMeshMgr::SaveRecord(const strmesh* record, const char* path) {
    if (!record || !record->m_pMesh || !*path) return false;
    if (!plat::DirectoryExists(kOptFolder)) plat::CreateDirectory(kOptFolder);
    // Every material goes into the copy, also beyond the 256 a record uses, so that every face's
    // attribute names a material when the copy is read back.
    return !gfx::Failed(xfile::SaveMeshToX(path, *record->m_pMesh, nullptr, record->m_MaterialsBuffer.data(),
                                           static_cast<uint32_t>(record->m_MaterialsBuffer.size()),
                                           xfile::FILEFORMAT_BINARY, kOptVersion));
}

bool EMeshMgr::SaveOpt(const char* fileName) {
    if (!g_Settings.m_bUseOPT) return true;
    const std::string path = OptPath(fileName);
    if (!SaveRecord(m_pHead, path.c_str())) g_Console.PrintStr2("Failed to save ", path.c_str());
    return true;
}

void EMeshMgr::SaveAllOpts() {
    g_Console.Print("EMeshMgr::SaveAllOpts");
    for (const strmesh* r = m_pHead; r; r = r->m_pNext) {
        const std::string path = OptPath(r->m_szName);
        g_Console.PrintStr3("  ", path.c_str(), SaveRecord(r, path.c_str()) ? " - OK" : " - FAILED");
    }
}

void EMeshMgr::SaveBullet(const EObjectSlot* object) {
    const EMesh* mesh = object ? g_MeshHooks.objectMesh(object) : nullptr;
    if (!mesh) return;
    const std::string cache = OptPath(mesh->m_szFileName);
    const std::string bullet = cache + ".bullet";
    if (plat::FileExists(bullet)) plat::DeleteFile(bullet);
    const strmesh* record = FindMesh(mesh->m_szFileName);
    if (!record) {
        g_Console.PrintStr2("Nie znaleziono mesha ", mesh->m_szFileName);
        return;
    }
    if (!SaveRecord(record, cache.c_str())) g_Console.PrintStr2("Failed to save ", cache.c_str());
}

void EMeshMgr::PrepareObjectLods(EObjectSlot* object) {
    if (!g_Settings.m_bUseLod || !g_MeshHooks.objectMesh(object)) return;
    EnsureLods(object);
    BuildSubsetMap(object);
}

bool EMeshMgr::EnsureLods(const EObjectSlot* object) {
    const strmesh* record = GetObjectRecord(object);
    if (!record) return false;
    if (!record->m_pLodMeshes[0]) {
        if (!plat::FileExists(LodPath(record->m_szName, 0))) return false;
        // Levels 1 and 2 are only looked for: nothing makes or loads them.
        plat::FileExists(LodPath(record->m_szName, 1));
        plat::FileExists(LodPath(record->m_szName, 2));
    }
    return true;
}

void EMeshMgr::BuildSubsetMap(EObjectSlot* object) {
    strmesh* record = GetObjectRecord(object);
    if (!record) return;
    if (!record->m_bSubsetMapBuilt) {
        uint8_t next = 0;
        for (uint32_t m = 0; m < record->m_uMaterialCount; ++m)
            if (record->m_uFaceCount[m] > 0 && record->m_uVertexCount[m] > 0) record->m_SubsetMap[m] = next++;
        record->m_bSubsetMapBuilt = 1;
    }
    g_MeshHooks.setObjectSubsetMap(object, record->m_SubsetMap);
}

void EMeshMgr::SetObjectLod(EObjectSlot* object, int level) {
    if (g_MeshHooks.objectMesh(object)) g_MeshHooks.setObjectLod(object, 0);
}

void EMeshMgr::ReleaseRecord(strmesh* record) {
    if (!record) return;
    // Unlinked through both neighbours, so a record released from the middle of the list leaves
    // nothing pointing at it.
    if (record->m_pPrev) record->m_pPrev->m_pNext = record->m_pNext;
    else if (m_pHead == record) m_pHead = record->m_pNext;
    if (record->m_pNext) record->m_pNext->m_pPrev = record->m_pPrev;
    if (record->m_uIndex < kMaxMeshes && m_pTable[record->m_uIndex] == record) m_pTable[record->m_uIndex] = nullptr;
    delete record;
    g_Debug.RemoveAlloc(kRecordTag);
}

void EMeshMgr::ReleaseAll() {
    while (m_pHead) ReleaseRecord(m_pHead);
}

void MeshMgrLostDevice() {}
void MeshMgrResetDevice() {}
