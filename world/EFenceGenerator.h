#pragma once
// Lays fences along the roads of the world: every road path is walked, the edge of the road found
// on each side by ray tests against the scenery, and fence meshes laid one after another along it,
// each stretched to fit. Fence-definition objects placed in the world (objects with a fence block)
// choose the fence meshes where they stand.
#include <cstdint>

#include "core/DV.h"
#include "world/ObjectBlocks.h"

class EObjectSlot;
struct BezierNode;

class EFenceGenerator {
public:
    static constexpr int kMaxDefinitions = 255;
    static constexpr int kPrefabs = strPlotek::kPrefabs;
    static constexpr int kPrefabNameSize = 256;

    // The fence being laid on one side of the road: where it begins, the fence object and its
    // length and height (the mesh's box extents along z and y).
    struct Side {
        bool m_bActive = false;
        DV m_vStart;
        EObjectSlot* m_pFence = nullptr;
        float m_fLength = 0;
        float m_fHeight = 0;
    };
    // The fence meshes of one side.
    struct Prefabs {
        bool m_bUse = false;
        char m_szFiles[kPrefabs][kPrefabNameSize] = {};
        int m_iCount = 0;
    };

    EFenceGenerator();
    virtual ~EFenceGenerator();

    // Removes the old fences and generates fences along every road path.
    void Generate();
    // The world's hooks: the default fence meshes at its start, the frame step and its end.
    void OnStartWorld();
    void Update();
    void OnEndWorld();

    // Every object in use with a fence block that uses a side, in slot order, up to 255.
    void CollectDefinitions();
    // Fences along the road that begins at the node.
    void GenerujPlotkiBeziera(BezierNode* node);
    // Where the fence of a side stands at the distance along the road: the ground at the foot of
    // the road's edge; false when the road has no edge or ground there.
    bool PlaceFenceSegment(const BezierNode* road, double distance, bool left, DV* out);
    // A fence object made from a random prefab of the side, not yet placed; false when the side is
    // off, has no prefabs or the fence cannot be made.
    bool ChooseFence(Side& side, bool left);

    EObjectSlot* m_pDefinitions[kMaxDefinitions] = {};
    int m_iDefinitions = 0;
    Side m_Right;
    Side m_Left;
    char m_szPrefix[6] = "Plot_";
    Prefabs m_LeftPrefabs;
    Prefabs m_RightPrefabs;

private:
    void TakeDefinitionAt(const DV& point);
    void StartFence(const BezierNode* road, double distance, bool left);
    void ContinueFence(const BezierNode* road, double distance, bool left);
    void FinishFence(Side& side, const DV& end, bool left);
    // Deletes the fence a side was laying and leaves the side inactive.
    void Abandon(Side& side);
};

extern EFenceGenerator g_FenceGenerator;
