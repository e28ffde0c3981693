#include "render/ERenderStateCache.h"

#include "core/D3DMain.h"

ERenderStateCache g_RenderStateCache;

void ERenderStateCache::ForceCulling() {
    if (g_pd3dDevice) g_pd3dDevice->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CCW);
    m_bCullingOn = 1;
}
