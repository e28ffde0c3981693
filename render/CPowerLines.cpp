#include "render/CPowerLines.h"

CPowerLines g_PowerLines;

// No power-line script is read yet: a world has no lines to load, move or release.
void CPowerLines::OnStartWorld() {}
void CPowerLines::Update() {}
void CPowerLines::Release() {}
