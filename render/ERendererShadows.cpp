// The shadow-map pass: depth from the sky light into map 1 (static objects, drawn again only when
// the map was re-aimed) and map 0 (moving objects and skinned meshes, every frame).
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "render/CShadowMaps.h"
#include "render/D3DDevice.h"
#include "render/ERenderStateCache.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "render/RenderHooks.h"

namespace {

bool Reduced() { return g_Settings.m_bSimpleRender && !g_Settings.m_bRendererSwitch; }

// The sub-passes' start: the layout, the technique, depth tested and written.
bool BeginShadowPass(HEFFECT e, const char* technique, const gfx::VertexDeclaration* layout) {
    gfx::Device& device = *g_pd3dDevice;
    device.SetFVF(0);
    device.SetVertexDeclaration(layout);
    bool begun = g_RenderStateCache.BeginEffectTechnique(e->m_pEffect.get(), technique, false);
    device.SetRenderState(gfx::RS_ZENABLE, 1);
    device.SetRenderState(gfx::RS_ZWRITEENABLE, 1);
    return begun;
}

bool CastsAnyShadow(const DrawVisibility& o) {
    return o.m_pDrawMesh && o.m_pDrawMesh->geometry && !o.m_bShadowSkip && !(o.m_uFlags & FLAG_NO_SHADOW);
}

// Adds the object's opaque casting subsets; true when it has alpha-tested ones, which are left
// for the pass that draws them with their textures.
bool AddCastingSubsets(EDrawBatch& batch, const DrawMesh& mesh) {
    bool alphaTested = false;
    for (uint32_t s = 0; s < mesh.subsetCount; ++s) {
        const DrawSubset& subset = mesh.subsets[s];
        if (!subset.enabled || subset.noShadow || subset.blended) continue;
        if (subset.alphaTested) alphaTested = true;
        else batch.Add(mesh, s);
    }
    return alphaTested;
}

}  // namespace

void ERenderer::RenderShadowMaps(int map) {
    int i = map == 0 ? 0 : 1;
    if (Reduced() || !g_ShadowMaps.m_bEnabled || g_ShadowMaps.m_bRendered[i] || !g_pd3dDevice) return;
    HEFFECT e = g_EffectMgr.GetEffect("SkyDepth");
    if (!e || !e->m_pEffect) return;
    gfx::Effect& fx = *e->m_pEffect;
    const pmath::Matrix& view = g_ShadowMaps.m_mView[i];
    pmath::Matrix inverse = pmath::Identity();
    pmath::Inverse(view, &inverse);
    const DV eye{inverse.m[3][0], inverse.m[3][1], inverse.m[3][2]};
    DV direction = pmath::Normalize(pmath::TransformDirection(g_ShadowMaps.m_vLightDir, view));
    DV eyeInView = pmath::TransformPoint(eye, view);
    const float lightDir[4] = {direction.x, direction.y, direction.z, 0.0f};
    const float lightPos[4] = {eyeInView.x, eyeInView.y, eyeInView.z, 1.0f};
    const float worldLightPos[4] = {eye.x, eye.y, eye.z, 0.0f};
    fx.SetVector(Param(e, "g_vLightDir"), lightDir);
    fx.SetVector(Param(e, "g_vLightPos"), lightPos);
    fx.SetMatrix(Param(e, "g_mProj"), &g_ShadowMaps.m_mProj[i].m[0][0]);
    fx.SetVector(e->g_LightPos, worldLightPos);
    fx.SetMatrix(Param(e, "g_mView"), &view.m[0][0]);
    uint32_t size = 0;
    float bias = 0;
    g_ShadowMaps.GetMap(i, &size, nullptr, nullptr, &bias);
    fx.SetFloat(e->SMAP_SIZE, static_cast<float>(size));
    fx.SetFloat(e->SMAP_SIZE1, size == 0 ? 1.0f : 1.0f / static_cast<float>(size));
    fx.SetFloat(e->SHADOW_EPSILON, bias * 0.0037f);
    // Without its target the map is left as it was and tried again next frame.
    if (!g_ShadowMaps.BeginRender(i)) return;
    if (i == 1) {
        g_RenderStateCache.EndTransparent(e);
        if (RenderShadowStatic(view)) RenderShadowTransparent(view);
    } else {
        if (m_bSkinMeshesInShadowRange) RenderSkinMeshShadow(view);
        if (m_bMeshesInShadowRange) RenderShadowDynamic(view);
    }
    g_ShadowMaps.EndRender();
    g_ShadowMaps.m_bRendered[i] = 1;
}

bool ERenderer::RenderShadowStatic(const pmath::Matrix&) {
    HEFFECT e = g_EffectMgr.GetEffect("SkyDepth");
    if (!e || !e->m_pEffect) return false;
    BeginShadowPass(e, "RenderShadow", g_pVertexDeclaration.get());
    DrawObjectTable objects = g_RenderHooks.objectTable();
    bool alphaTested = false;
    for (uint32_t i = 0; i < objects.count; ++i) {
        const DrawVisibility& o = objects[i];
        if (!CastsAnyShadow(o) || o.m_bNoStaticShadow) continue;
        alphaTested |= AddCastingSubsets(m_Batch, *o.m_pDrawMesh);
    }
    m_Batch.Draw(e);
    g_RenderStateCache.EndEffect(e->m_pEffect.get());
    return alphaTested;
}

void ERenderer::RenderShadowTransparent(const pmath::Matrix&) {
    HEFFECT e = g_EffectMgr.GetEffect("SkyDepth");
    if (!e || !e->m_pEffect) return;
    BeginShadowPass(e, "RenderShadowT", g_pVertexDeclaration.get());
    for (uint32_t i = 0; i < kMergedListSize && m_pMergedTextures[i]; ++i) {
        const strtexture* t = m_pMergedTextures[i];
        if (!t->m_bTransparent || t->m_bTranslucent || t->m_bWater || t->m_bAdditive || t->m_bStain ||
            t->m_bDoNotCastShadow)
            continue;
        bool first = true;
        for (const strlistameshy* entry = t->m_pMeshes; entry; entry = entry->m_pNext) {
            const DrawVisibility* o = entry->m_hObject;
            const DrawMesh* mesh = entry->m_pDrawMesh;
            if (!mesh || !mesh->geometry || !o || !(o->m_uFlags & FLAG_VISIBLE) || (o->m_uFlags & FLAG_NO_SHADOW) ||
                o->m_bNoStaticShadow)
                continue;
            if (first) g_pd3dDevice->SetTexture(0, t->DeviceTexture());
            first = false;
            m_Batch.Add(*mesh, entry->m_uSubset);
        }
        m_Batch.Draw(e);
    }
    g_RenderStateCache.EndTransparent(e);
    g_RenderStateCache.EndEffect(e->m_pEffect.get());
}

void ERenderer::RenderSkinMeshShadow(const pmath::Matrix&) {
    HEFFECT e = g_EffectMgr.GetEffect("SkyDepth");
    if (!e || !e->m_pEffect) {
        g_Console.Print("No skinnedmesh depth effect!");
        return;
    }
    BeginShadowPass(e, "RenderSkinMeshShadow", g_pSkinVertexDeclaration.get());
    DV d = pmath::Normalize(g_Sky.m_vSkyLightDirection);
    const float direction[4] = {d.x, d.y, d.z, 0.0f};
    e->m_pEffect->SetVector(e->g_SkyLightDir, direction);
    for (uint32_t i = 0; i < kListSize && m_pSkinTextures[i]; ++i) {
        strtexture* t = m_pSkinTextures[i];
        if (t->m_bTransparent || t->m_bAdditive || t->m_bStain || t->m_bTranslucent) continue;
        for (const strlistaskinmeshy* entry = t->m_pSkinMeshes; entry; entry = entry->m_pNext) {
            const DrawVisibility* o = entry->m_hObject;
            if (!entry->m_pDrawSkin || !o || !o->m_bVisibleThisFrame || (o->m_uFlags & FLAG_NO_SHADOW) ||
                !o->m_bInShadowRange)
                continue;
            entry->m_pDrawSkin->Render(t->m_uId, entry->m_uContainer, e);
        }
    }
    g_RenderStateCache.EndEffect(e->m_pEffect.get());
    g_pd3dDevice->SetVertexDeclaration(g_pVertexDeclaration.get());
}

void ERenderer::RenderShadowDynamic(const pmath::Matrix&) {
    HEFFECT e = g_EffectMgr.GetEffect("SkyDepth");
    if (!e || !e->m_pEffect) return;
    BeginShadowPass(e, "RenderShadow", g_pVertexDeclaration.get());
    g_RenderStateCache.SetCulling(false);
    DrawObjectTable objects = g_RenderHooks.objectTable();
    for (uint32_t i = 0; i < objects.count; ++i) {
        const DrawVisibility& o = objects[i];
        if (CastsAnyShadow(o) && o.m_bInShadowRange) AddCastingSubsets(m_Batch, *o.m_pDrawMesh);
    }
    m_Batch.Draw(e);
    g_RenderStateCache.SetCulling(true);
    g_RenderStateCache.EndEffect(e->m_pEffect.get());
}
