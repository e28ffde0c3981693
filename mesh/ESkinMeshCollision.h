#pragma once
// The collision elements of skinned characters: spheres on a node, capsules between two nodes
// ("cylinder" elements) and small rigid meshes tied to a node, each naming the hit zone a hit on it
// reports. A model reads its elements once ("collisions.txt", else "physics.txt" in its folder);
// every instance binds them to its own nodes, moves them with its pose and answers the segment
// test of the segment queries.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/DV.h"
#include "platform/math/Matrix.h"

class EObjectSlot;
class ESkinMesh;
class SkinMeshHit;

constexpr int MAX_SKINMESH_COLLISIONS_ELEMENTS = 100;

enum SkinMeshElementKind : uint32_t { ELEMENT_SPHERE = 1, ELEMENT_CYLINDER = 2, ELEMENT_MESH = 3 };

// One element of a model; the fields of the other kinds stay empty.
struct strSkinMeshCollisionElement {
    uint32_t uKind = 0;
    char szName[64] = {};
    char szHitZoneName[64] = {};
    // The sphere's node, the cylinder's start node, the mesh's tie node.
    char szNodeName[128] = {};
    char szFinishNodeName[128] = {};
    char szPrefabFileName[256] = {};
    // The sphere's radius, the cylinder's thickness.
    double dRadius = 0.0;
    // Mesh elements: three vertices per triangle in the tie node's space once placed, the
    // placement (translation, rotation in degrees in file order) and its rotation matrix.
    std::vector<DV> vVerticesLocalSpace;
    DV vTranslation;
    DV vRotation;
    pmath::Matrix mRotation = pmath::Identity();
};

// The elements of a model.
class ESkinMeshCollision {
public:
    ESkinMeshCollision() = default;
    ~ESkinMeshCollision();
    ESkinMeshCollision(const ESkinMeshCollision&) = delete;
    ESkinMeshCollision& operator=(const ESkinMeshCollision&) = delete;

    // Keyword blocks; false when the file cannot be opened. Prefabs are not loaded here.
    bool ReadCollisionsFile(const char* path);
    // One sphere per line: node, a positive integer, radius, hit zone.
    bool ReadPhysicsFile(const char* path);
    // The triangles of every mesh element's prefab; modelPath names the model in messages.
    void LoadPrefabs(const char* modelPath);
    void Write(FILE* file) const;
    void Clear();

    uint32_t Count() const { return static_cast<uint32_t>(m_Elements.size()); }
    const strSkinMeshCollisionElement& Element(uint32_t i) const { return *m_Elements[i]; }

private:
    strSkinMeshCollisionElement* Add(uint32_t kind, const char* name);

    std::vector<std::unique_ptr<strSkinMeshCollisionElement>> m_Elements;
};

// The segment a query tests, as the query holds it while it runs.
struct SkinMeshSegment {
    DV start;
    DV end;
    DV direction;  // end - start
    float length = 0.0f;
    DV boxMin;
    DV boxMax;

    static SkinMeshSegment Between(const DV& start, const DV& end);
};

// The elements of one instance, bound to its nodes' combined matrices.
class ESkinMeshCollisionSet {
public:
    struct BoundSphere {
        DV centre;
        double radius = 0.0;
        DV boxMin, boxMax;
        const pmath::Matrix* node = nullptr;
        const strSkinMeshCollisionElement* element = nullptr;
    };
    struct BoundCapsule {
        DV start, end;
        double thickness = 0.0;
        DV boxMin, boxMax;
        const pmath::Matrix* startNode = nullptr;
        const pmath::Matrix* finishNode = nullptr;
        const strSkinMeshCollisionElement* element = nullptr;
    };
    struct BoundMesh {
        std::vector<DV> vVerticesWorldSpace;
        std::vector<DV> vFacesAABBmin, vFacesAABBmax;
        DV boxMin, boxMax;
        const pmath::Matrix* tieNode = nullptr;
        const strSkinMeshCollisionElement* element = nullptr;
    };

    // Binds the model's elements to the instance's nodes (by name, ignoring case); a node that is
    // missing is reported and leaves its element unbound.
    void Bind(EObjectSlot* owner, const ESkinMesh& instance, const ESkinMeshCollision& model);
    // Moves the bound elements with their nodes' combined matrices; false when none is bound
    // (the box is then left as it was).
    bool UpdateWorld(DV* boxMin, DV* boxMax);
    // The nearest element the segment hits, into hit when hit holds nothing nearer.
    void TestSegment(const SkinMeshSegment& segment, SkinMeshHit& hit) const;
    // Writes the model's elements into folder + "\collisions.txt".
    bool WriteCollisions(const char* folder) const;
    void Clear();

    const std::vector<BoundSphere>& Spheres() const { return m_Spheres; }
    const std::vector<BoundCapsule>& Capsules() const { return m_Capsules; }
    const std::vector<BoundMesh>& Meshes() const { return m_Meshes; }

private:
    EObjectSlot* m_pOwner = nullptr;
    const ESkinMeshCollision* m_pModel = nullptr;
    std::vector<BoundSphere> m_Spheres;
    std::vector<BoundCapsule> m_Capsules;
    std::vector<BoundMesh> m_Meshes;
};
