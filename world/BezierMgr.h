#pragma once
// The Bezier paths of the world, read from its path file, and the objects moving along them.

struct BezierNode;
class EObjectSlot;

class BezierMgr {
public:
    // The first node of that name (case-insensitive); null for an empty name or none.
    BezierNode* FindNode(const char* name) const;
    // Places the object at the node's position.
    void PlaceObjectAtNode(EObjectSlot* object, BezierNode* node);
    // Advances every object moving along a path by the frame step.
    void UpdateAll();
    // Frees every node; at world end.
    void Release();
};

extern BezierMgr g_BezierMgr;
