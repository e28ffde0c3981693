#include "collision/RigidBodyParametersMgr.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "collision/ECollisionMgr.h"
#include "collision/ECollisionObject.h"
#include "collision/Matrix3d.h"
#include "collision/RigidBodyHooks.h"
#include "core/EConsole.h"
#include "core/IntersectionTests.h"
#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "platform/os/Files.h"

RigidBodyParametersMgr g_RigidBodyParametersMgr;

namespace {

constexpr int kLineBuffer = 5000;
constexpr uint32_t kNameMax = 255;
constexpr int kSamplesPerAxis = 40;

bool ReadInt(const char* word, long* out) {
    char* end = nullptr;
    *out = std::strtol(word, &end, 10);
    return *word && end && !*end;
}

bool ReadReal(const char* word, double* out) {
    char* end = nullptr;
    *out = std::strtod(word, &end);
    return *word && end && !*end && std::isfinite(*out);
}

// What one file has told so far, to tell a whole file from one that was cut short or damaged.
struct FileProgress {
    std::string name;
    bool hasName = false;
    uint32_t ibodyRows = 0;
    uint32_t ibodyinvRows = 0;
    bool hasOldCount = false;
    bool hasNewCount = false;
    uint32_t newMapLines = 0;
    uint32_t oldMapLines = 0;
    bool corrupt = false;

    bool Complete(const RigidBodyParametersEntry& e) const {
        return !corrupt && hasName && ibodyRows == 7 && ibodyinvRows == 7 && hasOldCount && hasNewCount &&
               newMapLines >= e.num_new_vertices && oldMapLines >= e.num_old_vertices &&
               MapInRange(e.map_old_to_new, e.num_old_vertices, e.num_new_vertices) &&
               MapInRange(e.map_new_to_old, e.num_new_vertices, e.num_old_vertices);
    }
    // The maps start as the identity, which may point past the other count where lines are missing.
    static bool MapInRange(const uint32_t* map, uint32_t count, uint32_t otherCount) {
        for (uint32_t i = 0; i < count; ++i)
            if (map[i] >= otherCount) return false;
        return true;
    }
};

// A fresh identity map of n entries in place of the old one.
bool ReplaceMap(const char* countWord, uint32_t* count, uint32_t** map) {
    long n = 0;
    if (!ReadInt(countWord, &n) || n < 0 || n > static_cast<long>(RigidBodyParametersMgr::kMaxVertices)) return false;
    delete[] *map;
    *count = static_cast<uint32_t>(n);
    *map = new uint32_t[*count];
    for (uint32_t i = 0; i < *count; ++i) (*map)[i] = i;
    return true;
}

// Sets element a of the map to b when both are in range; false when the words do not read.
bool SetMapElement(const char* line, uint32_t* map, uint32_t count, uint32_t otherCount, uint32_t* applied) {
    long a = 0, b = 0;
    if (!ReadInt(GetWord(line, 1), &a) || !ReadInt(GetWord(line, 2), &b)) return false;
    if (map && static_cast<unsigned long>(a) < count && static_cast<unsigned long>(b) < otherCount) {
        map[a] = static_cast<uint32_t>(b);
        ++*applied;
    }
    return true;
}

bool SetTensorRow(const char* line, double* tensor, uint32_t* rows) {
    long r = 0;
    double v[3];
    if (!ReadInt(GetWord(line, 1), &r)) return false;
    for (int k = 0; k < 3; ++k)
        if (!ReadReal(GetWord(line, 2 + k), &v[k])) return false;
    r = r < 0 ? 0 : (r > 2 ? 2 : r);
    for (int k = 0; k < 3; ++k) tensor[r * 3 + k] = v[k];
    *rows |= 1u << r;
    return true;
}

void ReadParameterLine(const char* line, RigidBodyParametersEntry& e, FileProgress& p) {
    const char* keyword = GetWord(line, 0);
    if (keyword == kStringTooLong) {
        p.corrupt = true;
        return;
    }
    bool ok = true;
    if (StrICmp(keyword, "mesh_filename") == 0) {
        p.name = GetKeywordValue(line);
        p.hasName = true;
        // An entry of no name would fill a slot that no look-up can find.
        ok = !p.name.empty() && p.name.size() <= kNameMax;
    } else if (StrICmp(keyword, "ibody_row") == 0) {
        ok = SetTensorRow(line, e.ibody, &p.ibodyRows);
    } else if (StrICmp(keyword, "ibodyinv_row") == 0) {
        ok = SetTensorRow(line, e.ibodyinv, &p.ibodyinvRows);
    } else if (StrICmp(keyword, "num_old_vertices") == 0) {
        ok = p.hasOldCount = ReplaceMap(GetWord(line, 1), &e.num_old_vertices, &e.map_old_to_new);
        p.oldMapLines = 0;
    } else if (StrICmp(keyword, "num_new_vertices") == 0) {
        ok = p.hasNewCount = ReplaceMap(GetWord(line, 1), &e.num_new_vertices, &e.map_new_to_old);
        p.newMapLines = 0;
    } else if (StrICmp(keyword, "map_new_vertices_to_old") == 0) {
        ok = SetMapElement(line, e.map_new_to_old, e.num_new_vertices, e.num_old_vertices, &p.newMapLines);
    } else if (StrICmp(keyword, "map_old_vertices_to_new") == 0) {
        ok = SetMapElement(line, e.map_old_to_new, e.num_old_vertices, e.num_new_vertices, &p.oldMapLines);
    }
    if (!ok) p.corrupt = true;
}

// The point lies inside when a ray along +x, longer than the box, crosses an odd number of faces.
bool PointInside(const DV64& point, double rayLength, const std::vector<DV64>& corners) {
    const DV64 end{point.x + rayLength, point.y, point.z};
    uint32_t crossings = 0;
    DV64 hit;
    double t = 0;
    for (size_t f = 0; f + 2 < corners.size(); f += 3)
        if (SegmentTriangleHitD(&point, &end, &corners[f], &corners[f + 1], &corners[f + 2], &hit, &t)) ++crossings;
    return crossings % 2 == 1;
}

DV64 ToDV64(const DV& v) { return {v.x, v.y, v.z}; }

// Collision vertices closer than this share one distinct position.
constexpr float kWeldDistance = 1e-8f;

void WriteVertexMaps(FILE* file, const ECollisionObject& record) {
    const uint32_t n = record.m_uVertices;
    std::vector<uint32_t> oldToNew(n);
    std::vector<uint32_t> newToOld;
    newToOld.reserve(n);
    for (uint32_t i = 0; i < n; ++i) {
        const DV& v = record.CM_vVerticesLocal[i];
        uint32_t found = static_cast<uint32_t>(newToOld.size());
        for (uint32_t j = 0; j < newToOld.size(); ++j) {
            const DV d = v - record.CM_vVerticesLocal[newToOld[j]];
            if (std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z) < kWeldDistance) {
                found = j;
                break;
            }
        }
        if (found == newToOld.size()) newToOld.push_back(i);
        oldToNew[i] = found;
    }
    std::fprintf(file, "num_old_vertices %d\n", static_cast<int>(n));
    std::fprintf(file, "num_new_vertices %d\n", static_cast<int>(newToOld.size()));
    std::fprintf(file, " \n");
    for (uint32_t j = 0; j < newToOld.size(); ++j)
        std::fprintf(file, "map_new_vertices_to_old %d %d\n", static_cast<int>(j), static_cast<int>(newToOld[j]));
    std::fprintf(file, " \n");
    for (uint32_t i = 0; i < n; ++i)
        std::fprintf(file, "map_old_vertices_to_new %d %d\n", static_cast<int>(i), static_cast<int>(oldToNew[i]));
    std::fprintf(file, " \n");
}

void WriteTensor(FILE* file, const char* keyword, const double* m) {
    for (int r = 0; r < 3; ++r)
        std::fprintf(file, "%s %d %0.12lf %0.12lf %0.12lf\n", keyword, r, m[r * 3], m[r * 3 + 1], m[r * 3 + 2]);
    std::fprintf(file, " \n");
}

}  // namespace

void RigidBodyParametersMgr::ClearEntry(RigidBodyParametersEntry& entry) {
    delete[] entry.map_old_to_new;
    delete[] entry.map_new_to_old;
    entry = RigidBodyParametersEntry{};
}

void RigidBodyParametersMgr::Release() {
    for (uint32_t i = 0; i < m_uCount; ++i) ClearEntry(m_Entries[i]);
    m_uCount = 0;
}

uint32_t RigidBodyParametersMgr::Init() {
    if (!plat::DirectoryExists(kDirectory)) {
        // A fresh start directory may not have the cache folder's parent yet.
        plat::CreateDirectory("!opt");
        if (plat::CreateDirectory(kDirectory)) return 0;
    }
    const std::vector<std::string> files = plat::ListDirectory(kDirectory, "*.txt");
    if (files.empty()) return 0;
    Release();
    uint32_t loaded = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        if (i > 0 && m_uCount >= MAX_FILES_WITH_PARAMETERS) {
            g_Console.Print("ERROR in RigidBodyParametersMgr: Init(): MAX_FILES_WITH_PARAMETERS exceeded!");
            break;
        }
        const std::string path = std::string(kDirectory) + "\\" + files[i];
        if (LoadFile(path.c_str()))
            ++loaded;
        else
            g_Console.PrintStr2("\nProblem with Inertia Tensor file: ", path.c_str());
    }
    return loaded;
}

bool RigidBodyParametersMgr::LoadFile(const char* path) {
    if (m_uCount >= MAX_FILES_WITH_PARAMETERS) {
        g_Console.Print("ERROR in RigidBodyParametersMgr: LoadFile(): MAX_FILES_WITH_PARAMETERS exceeded!");
        return false;
    }
    FILE* file = plat::OpenFile(path, "rt");
    if (!file) return false;
    RigidBodyParametersEntry& e = m_Entries[m_uCount];
    ClearEntry(e);
    FileProgress progress;
    char line[kLineBuffer];
    for (;;) {
        std::memset(line, 0, sizeof line);
        ReadLine(file, line, kLineBuffer - 1, sizeof line);
        if (!line[0] && std::feof(file)) break;
        ReadParameterLine(line, e, progress);
    }
    std::fclose(file);
    if (!progress.Complete(e)) {
        ClearEntry(e);
        return false;
    }
    std::snprintf(e.mesh_filename, sizeof e.mesh_filename, "%s", progress.name.c_str());
    ++m_uCount;
    return true;
}

bool RigidBodyParametersMgr::FileNameOf(const char* meshFileName, char* out, uint32_t size) {
    std::string name = meshFileName;
    const size_t dot = name.find_last_of('.');
    const size_t separator = name.find_last_of("\\/");
    if (dot != std::string::npos && (separator == std::string::npos || dot > separator)) name.resize(dot);
    for (char& c : name)
        if (c == '\\') c = '_';
    const int n = std::snprintf(out, size, "%s\\%s.txt", kDirectory, name.c_str());
    return n > 0 && static_cast<uint32_t>(n) < size;
}

void RigidBodyParametersMgr::ComputeInertiaTensor(ECollisionObject& record, double* ibody) {
    for (int i = 0; i < 9; ++i) ibody[i] = 0.0;
    record.UpdateWorldFaces();
    const DV& min = record.m_vWorldMin;
    const DV& max = record.m_vWorldMax;
    if (!(max.x > min.x) || !(max.y > min.y) || !(max.z > min.z)) return;
    const double lo[3] = {min.x - 0.1, min.y - 0.1, min.z - 0.1};
    const double hi[3] = {max.x + 0.1, max.y + 0.1, max.z + 0.1};
    double step[3];
    int samples[3];
    for (int a = 0; a < 3; ++a) {
        const double extent = hi[a] - lo[a];
        step[a] = extent / kSamplesPerAxis;
        samples[a] = static_cast<int>(extent / step[a]) + 2;
    }
    const DV diagonal = max - min;
    const double rayLength = 2.0 * std::sqrt(double(diagonal.x) * diagonal.x + double(diagonal.y) * diagonal.y +
                                             double(diagonal.z) * diagonal.z);
    std::vector<DV64> corners;
    corners.reserve(record.m_uFaces * 3);
    for (uint32_t f = 0; f < record.m_uFaces * 3; ++f) corners.push_back(ToDV64(record.CM_vVerticesWorld[record.CM_dwFaces[f]]));

    double sums[9] = {};
    uint32_t inside = 0;
    double x = lo[0];
    for (int i = 0; i < samples[0]; ++i, x += step[0]) {
        double y = lo[1];
        for (int j = 0; j < samples[1]; ++j, y += step[1]) {
            double z = lo[2];
            for (int k = 0; k < samples[2]; ++k, z += step[2]) {
                if (!PointInside({x, y, z}, rayLength, corners)) continue;
                ++inside;
                sums[0] += y * y + z * z;
                sums[4] += x * x + z * z;
                sums[8] += x * x + y * y;
                sums[1] += -x * y;
                sums[2] += -x * z;
                sums[5] += -y * z;
            }
        }
    }
    if (!inside) return;
    sums[3] = sums[1];
    sums[6] = sums[2];
    sums[7] = sums[5];
    for (int i = 0; i < 9; ++i) ibody[i] = sums[i] / inside;
}

void RigidBodyParametersMgr::SaveRecord(ECollisionObject& record, const char* meshFileName) {
    double ibody[9], ibodyinv[9];
    ComputeInertiaTensor(record, ibody);
    Inverse3(ibody, ibodyinv);
    char path[512];
    if (!FileNameOf(meshFileName, path, sizeof path)) return;
    FILE* file = plat::OpenFile(path, "w");
    if (!file) return;
    std::fprintf(file, "mesh_filename %s\n", meshFileName);
    std::fprintf(file, " \n");
    WriteTensor(file, "ibody_row", ibody);
    WriteTensor(file, "ibodyinv_row", ibodyinv);
    WriteVertexMaps(file, record);
    std::fprintf(file, " \n");
    std::fclose(file);
}

void RigidBodyParametersMgr::SaveFile(EObjectSlot* object) {
    RigidBodyObjectFacts facts;
    if (!object || !g_RigidBodyHooks.objectFacts(object, &facts) || !facts.isMesh) return;
    if (ECollisionObject* record = g_CollisionMgr.GetObjectRecord(object)) SaveRecord(*record, facts.meshFileName);
}

void RigidBodyParametersMgr::ComputeAndSaveInertiaTensor(const char* meshFileName) {
    const double identity[4] = {0, 0, 0, 1};
    EObjectSlot* object = g_RigidBodyHooks.createMeshObject(meshFileName, "", DV{0, 0, 0}, identity, DV{1, 1, 1}, 12, 0);
    if (!object) {
        g_Console.PrintStr2("ERROR in ComputeAndSaveInertiaTensor(): mesh creation failed: ", meshFileName);
        return;
    }
    SaveFile(object);
    g_RigidBodyHooks.deleteObject(object);
}

RigidBodyParametersEntry* RigidBodyParametersMgr::Find(const char* meshFileName) {
    for (uint32_t i = 0; i < m_uCount; ++i)
        if (m_Entries[i].mesh_filename[0] && StrICmp(m_Entries[i].mesh_filename, meshFileName) == 0) return &m_Entries[i];
    return nullptr;
}

bool RigidBodyParametersMgr::GetParameters(const char* meshFileName, RigidBodyParametersEntry** out) {
    if (!meshFileName) return false;
    if (out) *out = nullptr;
    if (std::strlen(meshFileName) > kNameMax) return false;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (RigidBodyParametersEntry* e = Find(meshFileName)) {
            if (out) *out = e;
            return true;
        }
        if (attempt == 1) break;
        ComputeAndSaveInertiaTensor(meshFileName);
        char path[512];
        if (!FileNameOf(meshFileName, path, sizeof path) || !LoadFile(path)) continue;
        // A file that names another mesh (two names mangled alike) takes no entry.
        RigidBodyParametersEntry& loaded = m_Entries[m_uCount - 1];
        if (StrICmp(loaded.mesh_filename, meshFileName) != 0) {
            ClearEntry(loaded);
            --m_uCount;
        }
    }
    return false;
}

bool RigidBodyParametersMgr::GetInertiaTensors(const char* meshFileName, double* ibody, double* ibodyinv) {
    RigidBodyParametersEntry* e = nullptr;
    if (!GetParameters(meshFileName, &e)) return false;
    if (ibody) std::memcpy(ibody, e->ibody, sizeof e->ibody);
    if (ibodyinv) std::memcpy(ibodyinv, e->ibodyinv, sizeof e->ibodyinv);
    return true;
}
