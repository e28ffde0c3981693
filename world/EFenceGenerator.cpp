#include "world/EFenceGenerator.h"

EFenceGenerator g_FenceGenerator;

EFenceGenerator::EFenceGenerator() = default;

EFenceGenerator::~EFenceGenerator() = default;

// Fences follow the worlds' road paths and fence definitions, which the world loader brings;
// until then no path asks for a fence and there is nothing to set up, step or clear.
void EFenceGenerator::Generate() {}
void EFenceGenerator::OnStartWorld() {}
void EFenceGenerator::Update() {}
void EFenceGenerator::OnEndWorld() {}
