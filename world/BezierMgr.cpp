#include "world/BezierMgr.h"

BezierMgr g_BezierMgr;

// No path file is read yet: there are no nodes, so nothing is found, placed, moved or freed.
BezierNode* BezierMgr::FindNode(const char*) const { return nullptr; }
void BezierMgr::PlaceObjectAtNode(EObjectSlot*, BezierNode*) {}
void BezierMgr::UpdateAll() {}
void BezierMgr::Release() {}
