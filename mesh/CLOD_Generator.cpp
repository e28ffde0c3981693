#include "mesh/CLOD_Generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "core/EConsole.h"
#include "mesh/CEDITOR_CreateXFile.h"
#include "mesh/EMesh.h"
#include "mesh/EMeshMgr.h"
#include "mesh/MeshHooks.h"
#include "platform/xfile/MeshLoader.h"

namespace {

double Distance(const double* a, const double* b) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

double Dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Twice the area of the triangle in space: a wall seen edge-on from above keeps its area.
double DoubleArea(const double* a, const double* b, const double* c) {
    const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    return std::sqrt(Dot(n, n));
}

// Each vertex not yet in a cluster starts one and takes in the later vertices that lie within
// (1 - similarity) of the box's diagonal and whose normals agree by at least the similarity; the
// cluster becomes the average of its members.
void MergeClusters(XFileWorkRecord& record, double similarity) {
    auto& vertices = record.vertices;
    if (vertices.empty()) return;
    double lo[3], hi[3];
    for (int a = 0; a < 3; ++a) lo[a] = hi[a] = vertices[0].position[a];
    for (const auto& v : vertices)
        for (int a = 0; a < 3; ++a) lo[a] = std::min(lo[a], v.position[a]), hi[a] = std::max(hi[a], v.position[a]);
    const double reach = (1.0 - similarity) * Distance(lo, hi) * 0.5;
    // Vertices by x, so each seed only looks at those within reach along x.
    std::vector<uint32_t> byX(vertices.size());
    std::iota(byX.begin(), byX.end(), 0u);
    std::sort(byX.begin(), byX.end(), [&](uint32_t a, uint32_t b) { return vertices[a].position[0] < vertices[b].position[0]; });
    std::vector<uint32_t> cluster(vertices.size(), UINT32_MAX);
    std::vector<XFileWorkRecord::Vertex> merged;
    for (uint32_t seed = 0; seed < vertices.size(); ++seed) {
        if (cluster[seed] != UINT32_MAX) continue;
        const uint32_t id = static_cast<uint32_t>(merged.size());
        XFileWorkRecord::Vertex sum{};
        uint32_t members = 0;
        const auto& s = vertices[seed];
        auto first = std::lower_bound(byX.begin(), byX.end(), s.position[0] - reach,
                                      [&](uint32_t v, double x) { return vertices[v].position[0] < x; });
        for (auto it = first; it != byX.end() && vertices[*it].position[0] <= s.position[0] + reach; ++it) {
            const uint32_t v = *it;
            const auto& c = vertices[v];
            if (cluster[v] != UINT32_MAX || Distance(c.position, s.position) > reach ||
                (v != seed && Dot(c.normal, s.normal) < similarity))
                continue;
            cluster[v] = id;
            ++members;
            for (int a = 0; a < 3; ++a) sum.position[a] += c.position[a], sum.normal[a] += c.normal[a];
            for (int a = 0; a < 2; ++a) sum.uv[a] += c.uv[a];
            for (int a = 0; a < 4; ++a) sum.colour[a] += c.colour[a];
        }
        for (int a = 0; a < 3; ++a) sum.position[a] /= members;
        for (int a = 0; a < 2; ++a) sum.uv[a] /= members;
        for (int a = 0; a < 4; ++a) sum.colour[a] = std::clamp(sum.colour[a] / members, 0.0, 1.0);
        const double length = std::sqrt(Dot(sum.normal, sum.normal));
        for (int a = 0; a < 3; ++a) sum.normal[a] = length > 0 ? sum.normal[a] / length : 0.0;
        merged.push_back(sum);
    }
    std::vector<XFileWorkRecord::Face> faces;
    for (auto face : record.faces) {
        for (uint32_t& c : face.corners) c = cluster[c];
        const auto& m = merged;
        if (DoubleArea(m[face.corners[0]].position, m[face.corners[1]].position, m[face.corners[2]].position) > 0.0)
            faces.push_back(face);
    }
    record.vertices = std::move(merged);
    record.faces = std::move(faces);
}

}  // namespace

bool CLOD_Generator::GenerateLODPrefab(const EObjectSlot* object, double similarity, const char* outputName) {
    const EMesh* mesh = g_MeshHooks.objectMesh(object);
    if (!mesh) {
        g_Console.Print("ERROR #1 in CLOD_Generator::GenerateLODPrefab()");
        return false;
    }
    if (!mesh->m_pMesh) {
        g_Console.Print("ERROR #2 in CLOD_Generator::GenerateLODPrefab()");
        return false;
    }
    XFileWorkRecord record;
    // The work record holds 32,000 vertices and faces: a bigger mesh is refused, not overrun.
    if (!AppendMeshToWorkRecord(*mesh, nullptr, record, nullptr)) {
        g_Console.PrintStr2("CLOD_Generator::GenerateLODPrefab(): the mesh is too big for a level of detail: ",
                            mesh->m_szFileName);
        return false;
    }
    MergeClusters(record, std::clamp(similarity, -1.0, 1.0));
    return CEDITOR_CreateXFile::CreateXFile(outputName, record);
}

void CLOD_Generator::SearchLODPrefab(const EObjectSlot* object, int level, const char* outputName) {
    if (level < 0 || level > 2) return;
    const double percent[] = {0.7, 0.5, 0.3}, tolerance[] = {0.05, 0.1, 0.15}, start[] = {0.994, 0.98, 0.95},
                 steps[] = {0.001, 0.005, 0.01};
    const strmesh* record = g_MeshMgr.GetObjectRecord(object);
    if (!record) return g_Console.Print("Cannot retrieve *pstrmesh");
    if (!record->m_pMesh) return g_Console.Print("p->m_pMesh==0");
    const double p = percent[level], t = tolerance[level];
    double d = start[level], s = steps[level];
    const uint32_t faces = record->m_pMesh->GetNumFaces();
    g_Console.PrintFloat("GenerateLodPrefab for dPercent == ", static_cast<float>(p * 100.0));
    g_Console.PrintInt("Original num of faces == ", static_cast<int>(faces));
    const int upper = static_cast<int>((p + t) * faces), lower = static_cast<int>((p - t) * faces);
    char line[128];
    std::snprintf(line, sizeof line, "Chce trafic miedzy %i a %i.", upper, lower);
    g_Console.Print(line);
    bool tooMany = true, tooFew = false;
    for (int step = 0; step < 10; ++step) {
        std::snprintf(line, sizeof line, "step: %i, param: %f", step, d);
        g_Console.Print(line);
        GenerateLODPrefab(object, d, outputName);
        std::vector<xfile::ExtendedMaterial> materials;
        std::shared_ptr<xfile::Mesh> lod;
        if (gfx::Failed(xfile::LoadMeshFromX(outputName, xfile::MESH_SYSTEMMEM, nullptr, materials, lod))) {
            g_Console.Print("Nie udalo sie wczytac Loda!");
            d += s;
            continue;
        }
        const int count = static_cast<int>(lod->GetNumFaces());
        if (count > upper) {
            std::snprintf(line, sizeof line, "Osiagnalem %i scianek, za duzo!", count);
            g_Console.Print(line);
            if (tooFew && step > 0) s /= 2;
            d -= s;
            tooMany = true, tooFew = false;
        } else if (count < lower) {
            std::snprintf(line, sizeof line, "Osiagnalem %i scianek, za malo!", count);
            g_Console.Print(line);
            if (tooMany && step > 0) s /= 2;
            d += s;
            tooFew = true, tooMany = false;
        } else {
            g_Console.PrintInt("W przedziale! Ilosc scianek == ", count);
            return;
        }
    }
}
