#include "vehicles/PGroundMgr.h"

PGroundMgr g_GroundMgr;

// No machine leaves marks yet: there is nothing to set up, fill, draw or clear.
void PGroundMgr::Init() {}
void PGroundMgr::ResolveTextures() {}
void PGroundMgr::ClearEffects() {}
void PGroundMgr::TnijGroundDefs() {}
void PGroundMgr::UpdateVB() {}
void PGroundMgr::Render() {}
void PGroundMgr::RenderAutoMapPloughing() {}
void PGroundMgr::RenderAutoMapSowing() {}
void PGroundMgr::RenderAutoMapPlanting() {}
