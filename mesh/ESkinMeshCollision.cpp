#include "mesh/ESkinMeshCollision.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/GeometryHelpers.h"
#include "core/IntersectionTests.h"
#include "core/SegmentHit.h"
#include "core/StringHelpers.h"
#include "mesh/EMeshMgr.h"
#include "mesh/ESkinMesh.h"
#include "mesh/MeshHooks.h"
#include "mesh/SkinMeshPrint.h"
#include "platform/os/Files.h"

namespace {

constexpr const char* kElementTag = "pElement";
constexpr int kLineLength = 2000;

template <size_t N>
void CopyBounded(char (&to)[N], const std::string& from) {
    std::snprintf(to, N, "%s", from.c_str());
}

// The line's first word and the rest after it, both without surrounding blanks.
void SplitKeyword(const char* line, std::string& keyword, std::string& value) {
    const char* p = line;
    while (*p == ' ' || *p == '\t') ++p;
    const char* start = p;
    while (*p && *p != ' ' && *p != '\t') ++p;
    keyword.assign(start, p);
    while (*p == ' ' || *p == '\t') ++p;
    value = p;
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r' || value.back() == '\n'))
        value.pop_back();
}

DV ThreeNumbers(const std::string& text) {
    char* end = nullptr;
    DV v;
    v.x = std::strtof(text.c_str(), &end);
    v.y = std::strtof(end, &end);
    v.z = std::strtof(end, &end);
    return v;
}

// Every line of a text file.
template <class Visit>
bool ForEachLine(const char* path, Visit&& visit) {
    FILE* f = plat::OpenFile(path, "rt");
    if (!f) return false;
    std::vector<char> line(kLineLength + 1);
    while (std::fgets(line.data(), kLineLength, f))
        if (!visit(line.data())) break;
    std::fclose(f);
    return true;
}

DV Min(const DV& a, const DV& b) { return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)}; }
DV Max(const DV& a, const DV& b) { return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)}; }
DV Translation(const pmath::Matrix& m) { return {m.m[3][0], m.m[3][1], m.m[3][2]}; }

bool BoxesMeet(const DV& aMin, const DV& aMax, const DV& bMin, const DV& bMax) {
    return aMin.x <= bMax.x && aMax.x >= bMin.x && aMin.y <= bMax.y && aMax.y >= bMin.y && aMin.z <= bMax.z &&
           aMax.z >= bMin.z;
}

// Keeps the hit when it is the first or nearer than the one held.
void Offer(SkinMeshHit& hit, EObjectSlot* owner, const SkinMeshSegment& s, const DV& point, float distance,
           const strSkinMeshCollisionElement& e) {
    if (hit.m_bHit && distance >= hit.m_fDistance) return;
    hit.m_bHit = 1;
    hit.m_pObject = owner;
    hit.m_vPoint = point;
    hit.m_fDistance = distance;
    hit.m_vNormal = s.direction * (-1.0f / (s.length == 0.0f ? 1.0f : s.length));
    std::snprintf(hit.m_szNodeName, sizeof hit.m_szNodeName, "%s", e.szNodeName);
    std::snprintf(hit.m_szHitZoneName, sizeof hit.m_szHitZoneName, "%s", e.szHitZoneName);
}

}  // namespace

// ---- Model elements -------------------------------------------------------------------------------

ESkinMeshCollision::~ESkinMeshCollision() { Clear(); }

strSkinMeshCollisionElement* ESkinMeshCollision::Add(uint32_t kind, const char* name) {
    auto& e = m_Elements.emplace_back(std::make_unique<strSkinMeshCollisionElement>());
    g_Debug.AddAlloc(kElementTag);
    e->uKind = kind;
    CopyBounded(e->szName, name);
    return e.get();
}

bool ESkinMeshCollision::ReadCollisionsFile(const char* path) {
    strSkinMeshCollisionElement* current = nullptr;
    return ForEachLine(path, [&](const char* line) {
        std::string keyword, value;
        SplitKeyword(line, keyword, value);
        const char* k = keyword.c_str();
        uint32_t kind = 0;
        if (StrICmp(k, "sphere") == 0) kind = ELEMENT_SPHERE;
        else if (StrICmp(k, "cylinder") == 0) kind = ELEMENT_CYLINDER;
        else if (StrICmp(k, "mesh") == 0) kind = ELEMENT_MESH;
        if (kind) {
            if (m_Elements.size() >= MAX_SKINMESH_COLLISIONS_ELEMENTS) {
                g_Console.Print("ERROR in ESkinMeshCollision: iNumCollisionElements>=MAX_SKINMESH_COLLISIONS_ELEMENTS");
                SkinMeshPrint("filename: %s", path);
                return false;
            }
            current = Add(kind, value.c_str());
            return true;
        }
        if (!current) return true;
        const uint32_t is = current->uKind;
        if (StrICmp(k, "hit_zone_name") == 0) CopyBounded(current->szHitZoneName, value);
        else if (StrICmp(k, "node_name") == 0 && is == ELEMENT_SPHERE) CopyBounded(current->szNodeName, value);
        else if (StrICmp(k, "start_node_name") == 0 && is == ELEMENT_CYLINDER) CopyBounded(current->szNodeName, value);
        else if (StrICmp(k, "finish_node_name") == 0 && is == ELEMENT_CYLINDER) CopyBounded(current->szFinishNodeName, value);
        else if (StrICmp(k, "tie_node_name") == 0 && is == ELEMENT_MESH) CopyBounded(current->szNodeName, value);
        else if (StrICmp(k, "prefab_filename") == 0 && is == ELEMENT_MESH) CopyBounded(current->szPrefabFileName, value);
        else if (StrICmp(k, "radius") == 0 && is == ELEMENT_SPHERE) current->dRadius = std::strtod(value.c_str(), nullptr);
        else if (StrICmp(k, "thickness") == 0 && is == ELEMENT_CYLINDER) current->dRadius = std::strtod(value.c_str(), nullptr);
        else if (StrICmp(k, "translation") == 0 && is == ELEMENT_MESH) current->vTranslation = ThreeNumbers(value);
        else if (StrICmp(k, "rotation") == 0 && is == ELEMENT_MESH) {
            current->vRotation = ThreeNumbers(value);
            current->mRotation = DescriptionRotation(current->vRotation.x, current->vRotation.y, current->vRotation.z);
        }
        return true;
    });
}

bool ESkinMeshCollision::ReadPhysicsFile(const char* path) {
    return ForEachLine(path, [&](const char* line) {
        char node[128] = {}, zone[64] = {};
        long count = 0;
        double radius = 0.0;
        if (std::sscanf(line, "%127s %ld %lf %63s", node, &count, &radius, zone) < 2 || count <= 0) return true;
        if (m_Elements.size() >= MAX_SKINMESH_COLLISIONS_ELEMENTS) {
            g_Console.Print("ERROR in ESkinMeshCollision: iNumCollisionElements>=MAX_SKINMESH_COLLISIONS_ELEMENTS");
            SkinMeshPrint("filename: %s", path);
            return false;
        }
        strSkinMeshCollisionElement* e = Add(ELEMENT_SPHERE, (std::string("sphere_") + node).c_str());
        CopyBounded(e->szNodeName, node);
        CopyBounded(e->szHitZoneName, zone);
        e->dRadius = radius;
        return true;
    });
}

void ESkinMeshCollision::LoadPrefabs(const char* modelPath) {
    for (auto& e : m_Elements) {
        if (e->uKind != ELEMENT_MESH) continue;
        const int32_t index = g_MeshMgr.GetMesh(e->szPrefabFileName);
        const xfile::Mesh* mesh = index < 0 ? nullptr : g_MeshMgr.GetMeshObject(index);
        if (!mesh) {
            SkinMeshPrint("ERROR in SkinMeshCollisions: SkinMesh=%s", modelPath);
            SkinMeshPrint("Collision Element Prefab Not Found: %s", e->szPrefabFileName);
            continue;
        }
        e->vVerticesLocalSpace.clear();
        const uint32_t stride = mesh->GetNumBytesPerVertex();
        for (uint32_t i = 0; i < mesh->GetNumFaces() * 3; ++i) {
            const float* p = reinterpret_cast<const float*>(mesh->VertexData() + mesh->IndexData()[i] * stride);
            e->vVerticesLocalSpace.push_back({p[0], p[1], p[2]});
        }
        if (e->vVerticesLocalSpace.empty()) {
            SkinMeshPrint("Skin Mesh Collisions: %s", modelPath);
            SkinMeshPrint("Collision Element Prefab Name: %s", e->szPrefabFileName);
            g_Console.Print("There's no vertices!");
        }
    }
}

void ESkinMeshCollision::Write(FILE* f) const {
    for (const auto& e : m_Elements) {
        switch (e->uKind) {
            case ELEMENT_SPHERE:
                std::fprintf(f, "sphere %s\nnode_name %s\nhit_zone_name %s\nradius %lf\n", e->szName, e->szNodeName,
                             e->szHitZoneName, e->dRadius);
                break;
            case ELEMENT_CYLINDER:
                std::fprintf(f, "cylinder %s\nstart_node_name %s\nfinish_node_name %s\nhit_zone_name %s\nthickness %lf\n",
                             e->szName, e->szNodeName, e->szFinishNodeName, e->szHitZoneName, e->dRadius);
                break;
            default:
                std::fprintf(f, "mesh %s\nprefab_filename %s\ntie_node_name %s\nhit_zone_name %s\n", e->szName,
                             e->szPrefabFileName, e->szNodeName, e->szHitZoneName);
                std::fprintf(f, "translation %f %f %f\nrotation %f %f %f\n", e->vTranslation.x, e->vTranslation.y,
                             e->vTranslation.z, e->vRotation.x, e->vRotation.y, e->vRotation.z);
                break;
        }
        std::fprintf(f, "\n");
    }
}

void ESkinMeshCollision::Clear() {
    for (size_t i = 0; i < m_Elements.size(); ++i) g_Debug.RemoveAlloc(kElementTag);
    m_Elements.clear();
}

// ---- Instance set ---------------------------------------------------------------------------------

SkinMeshSegment SkinMeshSegment::Between(const DV& start, const DV& end) {
    SkinMeshSegment s;
    s.start = start;
    s.end = end;
    s.direction = end - start;
    s.length = pmath::Length(s.direction);
    s.boxMin = Min(start, end);
    s.boxMax = Max(start, end);
    return s;
}

void ESkinMeshCollisionSet::Bind(EObjectSlot* owner, const ESkinMesh& instance, const ESkinMeshCollision& model) {
    Clear();
    m_pOwner = owner;
    m_pModel = &model;
    auto node = [&](const char* name) -> const pmath::Matrix* {
        if (const ESkinMesh::strNode* n = instance.FindNode(name)) return &n->mCombined;
        g_Console.Print("ERROR in SkinMeshCollisions: Node not found!");
        if (instance.m_pSkinMeshBase) SkinMeshPrint("skin mesh: %s", instance.m_pSkinMeshBase->m_szKeyPath);
        else SkinMeshPrint("object name: %s", g_MeshHooks.ownerName(owner));
        SkinMeshPrint("bad node name: %s", name);
        return nullptr;
    };
    for (uint32_t i = 0; i < model.Count(); ++i) {
        const strSkinMeshCollisionElement& e = model.Element(i);
        if (e.uKind == ELEMENT_SPHERE) {
            m_Spheres.push_back({{}, e.dRadius, {}, {}, node(e.szNodeName), &e});
        } else if (e.uKind == ELEMENT_CYLINDER) {
            m_Capsules.push_back({{}, {}, e.dRadius, {}, {}, node(e.szNodeName), node(e.szFinishNodeName), &e});
        } else {
            BoundMesh& m = m_Meshes.emplace_back();
            m.vVerticesWorldSpace = e.vVerticesLocalSpace;
            m.vFacesAABBmin.resize(e.vVerticesLocalSpace.size() / 3);
            m.vFacesAABBmax.resize(e.vVerticesLocalSpace.size() / 3);
            m.tieNode = node(e.szNodeName);
            m.element = &e;
        }
    }
}

bool ESkinMeshCollisionSet::UpdateWorld(DV* boxMin, DV* boxMax) {
    bool any = false;
    DV lo, hi;
    auto grow = [&](const DV& a, const DV& b) {
        lo = any ? Min(lo, a) : a;
        hi = any ? Max(hi, b) : b;
        any = true;
    };
    // An element with a node that is missing stays where it is and out of the box: it is never hit.
    for (BoundSphere& s : m_Spheres) {
        if (!s.node) continue;
        const auto r = static_cast<float>(s.radius);
        s.centre = Translation(*s.node);
        s.boxMin = s.centre - DV{r, r, r};
        s.boxMax = s.centre + DV{r, r, r};
        grow(s.boxMin, s.boxMax);
    }
    for (BoundCapsule& c : m_Capsules) {
        if (!c.startNode || !c.finishNode) continue;
        const auto t = static_cast<float>(c.thickness);
        c.start = Translation(*c.startNode);
        c.end = Translation(*c.finishNode);
        c.boxMin = Min(c.start, c.end) - DV{t, t, t};
        c.boxMax = Max(c.start, c.end) + DV{t, t, t};
        grow(c.boxMin, c.boxMax);
    }
    for (BoundMesh& m : m_Meshes) {
        if (!m.tieNode || m.vFacesAABBmin.empty()) continue;
        const strSkinMeshCollisionElement& e = *m.element;
        pmath::Matrix placement = e.mRotation;
        placement.m[3][0] = e.vTranslation.x;
        placement.m[3][1] = e.vTranslation.y;
        placement.m[3][2] = e.vTranslation.z;
        const pmath::Matrix world = placement * *m.tieNode;
        for (size_t v = 0; v < e.vVerticesLocalSpace.size(); ++v)
            m.vVerticesWorldSpace[v] = pmath::TransformPoint(e.vVerticesLocalSpace[v], world);
        for (size_t f = 0; f < m.vFacesAABBmin.size(); ++f) {
            const DV* t = &m.vVerticesWorldSpace[f * 3];
            m.vFacesAABBmin[f] = Min(Min(t[0], t[1]), t[2]);
            m.vFacesAABBmax[f] = Max(Max(t[0], t[1]), t[2]);
            m.boxMin = f == 0 ? m.vFacesAABBmin[f] : Min(m.boxMin, m.vFacesAABBmin[f]);
            m.boxMax = f == 0 ? m.vFacesAABBmax[f] : Max(m.boxMax, m.vFacesAABBmax[f]);
        }
        grow(m.boxMin, m.boxMax);
    }
    if (any) {
        *boxMin = lo;
        *boxMax = hi;
    }
    return any;
}

void ESkinMeshCollisionSet::TestSegment(const SkinMeshSegment& s, SkinMeshHit& hit) const {
    for (const BoundSphere& e : m_Spheres) {
        float t = 0.0f;
        if (!e.node || !BoxesMeet(s.boxMin, s.boxMax, e.boxMin, e.boxMax) ||
            !SegmentSphereHit(&s.start, &s.end, &e.centre, static_cast<float>(e.radius), &t))
            continue;
        const DV point = s.start + s.direction * t;
        Offer(hit, m_pOwner, s, point, pmath::Length(point - s.start), *e.element);
    }
    for (const BoundCapsule& e : m_Capsules) {
        if (!e.startNode || !e.finishNode || !BoxesMeet(s.boxMin, s.boxMax, e.boxMin, e.boxMax)) continue;
        float onAxis = 0.0f, t = 0.0f;
        const float squared = SegmentSegmentDistance(&e.start, &e.end, &s.start, &s.end, &onAxis, &t);
        if (squared >= static_cast<float>(e.thickness * e.thickness)) continue;
        Offer(hit, m_pOwner, s, s.start + s.direction * t, t * s.length, *e.element);
    }
    for (const BoundMesh& e : m_Meshes) {
        if (!e.tieNode || e.vFacesAABBmin.empty() || !BoxesMeet(s.boxMin, s.boxMax, e.boxMin, e.boxMax)) continue;
        for (size_t f = 0; f < e.vFacesAABBmin.size(); ++f) {
            if (!BoxesMeet(s.boxMin, s.boxMax, e.vFacesAABBmin[f], e.vFacesAABBmax[f])) continue;
            const DV* v = &e.vVerticesWorldSpace[f * 3];
            DV point;
            float t = 0.0f;
            if (SegmentTriangleHit(&s.start, &s.end, &v[0], &v[1], &v[2], &point, &t))
                Offer(hit, m_pOwner, s, point, t * s.length, *e.element);
        }
    }
}

bool ESkinMeshCollisionSet::WriteCollisions(const char* folder) const {
    if (!m_pModel) return false;
    FILE* f = plat::OpenFile(std::string(folder) + "\\collisions.txt", "wt");
    if (!f) return false;
    m_pModel->Write(f);
    return std::fclose(f) == 0;
}

void ESkinMeshCollisionSet::Clear() {
    m_Spheres.clear();
    m_Capsules.clear();
    m_Meshes.clear();
    m_pOwner = nullptr;
    m_pModel = nullptr;
}
