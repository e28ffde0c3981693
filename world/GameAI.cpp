#include "world/GameAI.h"

GameAI g_GameAI;

// No level script is read yet, so no variable exists.
bool GameAI::IsSet(const char*, int*) const { return false; }
