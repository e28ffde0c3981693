#pragma once
// The world loader: reads a world file and creates its objects.
class EWorldMgr {
public:
    // False when the world file cannot be read.
    bool LoadWorld(const char* fileName);
};

extern EWorldMgr g_WorldMgr;
