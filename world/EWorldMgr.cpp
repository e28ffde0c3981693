#include "world/EWorldMgr.h"

#include "core/StringHelpers.h"

EWorldMgr g_WorldMgr;

// The file's lines are not read yet: a world file that exists loads as an empty world.
bool EWorldMgr::LoadWorld(const char* fileName) { return FileExists(fileName); }
