#pragma once
// Reduced copies of a mesh object for levels of detail: nearby vertices with like normals are
// merged into their average, faces left without area are dropped, and the result is written as a
// text .x prefab. The search tunes the merge bound until the copy has about the wanted share of
// the original's faces.
class EObjectSlot;

class CLOD_Generator {
public:
    // similarity in -1..1: 1 keeps every vertex, smaller values merge more.
    static bool GenerateLODPrefab(const EObjectSlot* object, double similarity, const char* outputName);
    // Level 0, 1 or 2: about 70, 50 or 30 percent of the faces, in up to ten tries.
    static void SearchLODPrefab(const EObjectSlot* object, int level, const char* outputName);
};
