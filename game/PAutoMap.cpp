#include "game/PAutoMap.h"

#include <cmath>

#include "collision/EIntersectSegment.h"
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/StringHelpers.h"
#include "game/CHudPanel.h"
#include "render/D3DDevice.h"
#include "render/ERenderStateCache.h"
#include "render/ERenderer.h"
#include "vehicles/CPlayer.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/PGroundMgr.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"

PAutoMap g_AutoMap;

namespace {

constexpr const char* kMarkerFile = "prefabs\\special\\marker_sferyczny.x";
constexpr const char* kEffect = "SimplestMesh";
constexpr const char* kTechnique = "AutoMap";
// Beyond the view's far end the map shows this.
constexpr uint32_t kClearColour = 0xFF26321F;
// The view: from 64 above the player towards a point 120 ahead, 200 x 200 units, 1 to 120 deep.
constexpr float kEyeHeight = 64.0f;
constexpr float kLookAhead = 120.0f;
constexpr float kViewSize = 200.0f;
constexpr float kNear = 1.0f;
constexpr float kFar = 120.0f;
// What of the scenery is drawn: big enough (or tinted) and near enough.
constexpr float kSceneryMinSize = 5.0f;
constexpr float kSceneryReach = 280.0f;
constexpr float kTintedMinSize = 2.0f;
constexpr float kTintedReach = 580.0f;
constexpr float kPlayerMarkerRadius = 4.0f;
constexpr float kFieldColour[4] = {0.4f, 0.3f, 0.1f, 0.8f};
constexpr float kStripColour[4] = {0.4f, 0.3f, 0.99f, 0.8f};
constexpr float kHayMarks[4] = {0.8f, 0.7f, 0.4f, 0.8f};
constexpr float kPloughMarks[4] = {0.8f, 0.7f, 0.4f, 0.8f};
constexpr float kSowingMarks[4] = {0.5f, 0.99f, 0.4f, 0.8f};
constexpr float kPlantingMarks[4] = {0.6f, 0.5f, 0.2f, 0.8f};
constexpr float kCropField[4] = {0.7f, 0.6f, 0.2f, 0.8f};
constexpr float kGrassField[4] = {0.2f, 0.99f, 0.2f, 0.8f};
// The instance array's rows of the identity: the strip is in world coordinates.
constexpr float kIdentityRows[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};

void SetState(gfx::RenderState state, uint32_t value) { g_pd3dDevice->SetRenderState(state, value); }

// A slot's colour on the map: its own map colour, else the tint the machines' physics gave it.
uint32_t MapTint(const EObjectSlot& o) { return o.m_uMapTint ? o.m_uMapTint : o.m_uTint; }

void ColourOf(uint32_t argb, float (&rgba)[4]) {
    rgba[0] = static_cast<float>(argb >> 16 & 0xFF) / 255.0f;
    rgba[1] = static_cast<float>(argb >> 8 & 0xFF) / 255.0f;
    rgba[2] = static_cast<float>(argb & 0xFF) / 255.0f;
    rgba[3] = static_cast<float>(argb >> 24) / 255.0f;
}

float HorizontalDistance(const DV& a, const DV& b) { return std::hypot(a.x - b.x, a.z - b.z); }

// A static mesh of the scenery, near enough to the player (its size taken off the distance).
bool NearStaticMesh(const EObjectSlot& o, float minSize, float reach, bool tinted) {
    if (!o.m_bUsed || o.Type != OT_MESH || !(o.m_uFlags & FLAG_VISIBLE) || o.m_hTruck || o.m_bTree || !o.Mesh())
        return false;
    if (o.m_fRadius < minSize && !tinted) return false;
    return HorizontalDistance(o.m_vPosition, g_Player.m_vPosition) - o.m_fRadius <= reach;
}

// A subset drawn by the renderer this frame, with its object; null otherwise.
const EObjectSlot* DrawnObject(const strlistameshy* e) {
    if (!e->m_pDrawMesh || !e->m_pDrawMesh->geometry || !e->m_hObject || !e->m_hObject->m_bVisibleThisFrame)
        return nullptr;
    return static_cast<const EObjectSlot*>(e->m_hObject);
}

// What the map's walk over the renderer's list leaves out: translucent and special surfaces.
bool MappedTexture(const strtexture* t) {
    return !t->m_bTranslucent && !t->m_bWater && !t->m_pLava && !t->m_bAdditive && !t->m_bStain && !t->m_bRayOfLight;
}

class MapPass {
public:
    explicit MapPass(HEFFECT effect)
        : m_effect(effect), m_fx(*effect->m_pEffect), m_colour(Param(effect, "g_vMapColour")),
          m_switch(Param(effect, "g_bMapColour")), m_mowing(Param(effect, "g_bKoszenie")) {}

    void Colour(const float (&rgba)[4]) {
        m_fx.SetVector(m_colour, rgba);
        m_fx.SetBool(m_switch, true);
    }
    void Plain() { m_fx.SetBool(m_switch, false); }
    void Mowing(bool on) { m_fx.SetBool(m_mowing, on); }
    // What is drawn next lies in world coordinates.
    void InWorld() { m_fx.SetFloatArray(m_effect->m_hInstanceWorld, kIdentityRows, 12); }
    void Commit() { m_fx.CommitChanges(); }
    void DrawBatch() { g_Renderer.m_Batch.Draw(m_effect); }
    // Every subset of the object's mesh.
    void AddObject(const EObjectSlot& o) {
        const DrawMesh* mesh = o.m_pDrawMesh;
        if (!mesh || !mesh->geometry) return;
        for (uint32_t s = 0; s < mesh->geometry->rangeCount; ++s) g_Renderer.m_Batch.Add(*mesh, s);
    }
private:
    HEFFECT m_effect;
    gfx::Effect& m_fx;
    gfx::FxHandle m_colour;
    gfx::FxHandle m_switch;
    gfx::FxHandle m_mowing;
};

void DrawScenery(MapPass& pass, const EObjectSlot* field) {
    pass.Plain();
    for (uint32_t i = 0; i < ERenderer::kListSize && g_Renderer.m_pMeshTextures[i]; ++i) {
        const strtexture* t = g_Renderer.m_pMeshTextures[i];
        if (!MappedTexture(t)) continue;
        for (const strlistameshy* e = t->m_pMeshes; e; e = e->m_pNext) {
            const EObjectSlot* o = DrawnObject(e);
            if (!o || o == field || !NearStaticMesh(*o, kSceneryMinSize, kSceneryReach, MapTint(*o) != 0)) continue;
            g_Renderer.m_Batch.Add(*e->m_pDrawMesh, e->m_uSubset);
        }
    }
    pass.DrawBatch();
    if (!field || !field->m_bVisibleThisFrame || !NearStaticMesh(*field, kSceneryMinSize, kSceneryReach, MapTint(*field) != 0))
        return;
    pass.Colour(kFieldColour);
    pass.AddObject(*field);
    pass.DrawBatch();
}

void DrawStrip(MapPass& pass) {
    const CHudPanel& hud = g_HudPanel;
    if (!hud.m_pMapVB || hud.m_uMapTriangles == 0) return;
    pass.Colour(kStripColour);
    pass.InWorld();
    pass.Commit();
    gfx::Device& device = *g_pd3dDevice;
    device.SetStreamSource(0, hud.m_pMapVB.get(), 0, CHudPanel::kMapVertexBytes);
    device.SetStreamSourceFreq(0, 1);
    device.DrawPrimitive(gfx::PT_TRIANGLELIST, 0, hud.m_uMapTriangles);
}

// The marks the route's task leaves (every map entry draws all the kinds of mark).
void DrawGroundMarks(MapPass& pass, const RouteRecord& route) {
    struct Layer {
        uint8_t RouteRecord::*task;
        const float (&colour)[4];
        void (PGroundMgr::*draw)();
    };
    const Layer layers[] = {{&RouteRecord::m_bBaling, kHayMarks, &PGroundMgr::RenderAutoMapPloughing},
                            {&RouteRecord::m_bPloughing, kPloughMarks, &PGroundMgr::RenderAutoMapPloughing},
                            {&RouteRecord::m_bSowing, kSowingMarks, &PGroundMgr::RenderAutoMapSowing},
                            {&RouteRecord::m_bPlanting, kPlantingMarks, &PGroundMgr::RenderAutoMapPlanting}};
    for (const Layer& layer : layers) {
        if (!(route.*layer.task)) continue;
        pass.InWorld();
        pass.Colour(layer.colour);
        pass.Commit();
        (g_GroundMgr.*layer.draw)();
    }
}

// The crop or grass field of a mowing route, as a wire mesh.
void DrawField(MapPass& pass, const RouteRecord& route) {
    if (!route.m_bMowing && !route.m_bGrassMowing) return;
    SetState(gfx::RS_FILLMODE, gfx::FILL_WIREFRAME);
    pass.Mowing(true);
    pass.InWorld();
    pass.Colour(route.m_bMowing ? kCropField : kGrassField);
    pass.Commit();
    g_PlantMgr.RenderFieldOnAutoMap();
    pass.Mowing(false);
    SetState(gfx::RS_FILLMODE, gfx::FILL_SOLID);
}

// The player's place: the marker sphere round the player's machine, in the machine's colour, so
// that a machine a few units long stays plain to see on a map 200 units across.
void DrawPlayerMarker(MapPass& pass, const EObjectSlot* marker) {
    const EObjectSlot* machine = g_Player.m_pVehicle;
    const DrawMesh* mesh = marker && marker->m_bUsed ? marker->m_pDrawMesh : nullptr;
    if (!machine || !mesh || !mesh->geometry || !MapTint(*machine)) return;
    pmath::Matrix world = pmath::Identity();
    world.m[0][0] = world.m[1][1] = world.m[2][2] = kPlayerMarkerRadius;
    world.m[3][0] = machine->m_vPosition.x;
    world.m[3][1] = machine->m_vPosition.y;
    world.m[3][2] = machine->m_vPosition.z;
    float colour[4];
    ColourOf(MapTint(*machine), colour);
    pass.Colour(colour);
    for (uint32_t s = 0; s < mesh->geometry->rangeCount; ++s) g_Renderer.m_Batch.Add(*mesh, s, world);
    pass.DrawBatch();
}

void DrawTinted(MapPass& pass) {
    float colour[4];
    for (int i = 0; i < g_Engine.m_iMeshMark; ++i) {
        const EObjectSlot& o = g_Engine.m_Objects[i];
        const uint32_t tint = o.m_bUsed ? MapTint(o) : 0;
        if (!tint) continue;
        ColourOf(tint, colour);
        pass.Colour(colour);
        pass.AddObject(o);
        pass.DrawBatch();
    }
    for (uint32_t i = 0; i < ERenderer::kListSize && g_Renderer.m_pMeshTextures[i]; ++i)
        for (const strlistameshy* e = g_Renderer.m_pMeshTextures[i]->m_pMeshes; e; e = e->m_pNext) {
            const EObjectSlot* o = DrawnObject(e);
            if (!o || !MapTint(*o) || !NearStaticMesh(*o, kTintedMinSize, kTintedReach, false)) continue;
            ColourOf(MapTint(*o), colour);
            pass.Colour(colour);
            g_Renderer.m_Batch.Add(*e->m_pDrawMesh, e->m_uSubset);
            pass.DrawBatch();
        }
}

}  // namespace

PAutoMap::PAutoMap() : m_pMarker(nullptr) {}

PAutoMap::~PAutoMap() = default;

void PAutoMap::CreateTarget() {
    if (!g_pd3dDevice) return;
    gfx::Device& device = *g_pd3dDevice;
    if (gfx::Failed(device.CreateTexture(kSize, kSize, 1, gfx::USAGE_RENDERTARGET, gfx::FMT_A8R8G8B8, gfx::POOL_DEFAULT,
                                         m_pTexture))) {
        m_pTexture.reset();
        g_Console.Print("PAutoMap: Failed creating pTex");
        return;
    }
    if (gfx::Failed(m_pTexture->GetSurfaceLevel(0, m_pSurface))) {
        m_pSurface.reset();
        g_Console.Print("PAutoMap: Failed creating m_pSurf");
        return;
    }
    if (gfx::Failed(device.CreateDepthStencilSurface(kSize, kSize, g_d3dpp.autoDepthStencilFormat, true, m_pDepth))) {
        m_pDepth.reset();
        g_Console.Print("Failed to create AutoMap Depth Stencil");
    }
}

void PAutoMap::ReleaseTarget() {
    m_pDepth.reset();
    m_pSurface.reset();
    m_pTexture.reset();
}

void PAutoMap::Load() {
    CreateTarget();
    // The map draws the marker's mesh where the player is; the object itself is hidden, out of
    // the render lists, far outside the world and never hit by a segment.
    const DV away{1e11f, 1e11f, 1e11f};
    m_pMarker = g_Engine.CreateObject(OT_MESH, kMarkerFile, 0, EIntersectSegment::kFlag2NeverHit, &away, nullptr);
}

void PAutoMap::Release() {
    ReleaseTarget();
    // The world's end may have deleted it already; a slot no longer in use is left alone.
    if (m_pMarker && m_pMarker->m_bUsed && StrICmp(m_pMarker->m_szFileName, kMarkerFile) == 0)
        g_Engine.DeleteObject(m_pMarker);
    m_pMarker = nullptr;
}

void PAutoMap::Update() {}

void PAutoMap::OnLostDevice() { ReleaseTarget(); }

void PAutoMap::OnResetDevice() { CreateTarget(); }

void PAutoMap::RenderToTarget() {
    if (!m_pTexture || !m_pSurface || !m_pDepth || !g_pd3dDevice || g_Settings.m_bEditor || !g_Engine.m_bWorldRunning ||
        !g_Player.m_pVehicle)
        return;
    DV ahead{g_Player.m_vFront.x, 0, g_Player.m_vFront.z};
    const float length = pmath::Length(ahead);
    // A machine pointing straight up or down has no way ahead: the map looks north.
    ahead = length > 0 ? ahead * (1.0f / length) : DV{0, 0, 1};
    const DV eye = g_Player.m_vPosition + DV{0, kEyeHeight, 0};
    const pmath::Matrix view = pmath::LookAtLH(eye, g_Player.m_vPosition + ahead * kLookAhead, DV{0, 1, 0});
    const pmath::Matrix projection = pmath::OrthoLH(kViewSize, kViewSize, kNear, kFar);
    gfx::Device& device = *g_pd3dDevice;
    gfx::Viewport saved;
    device.GetViewport(saved);
    std::unique_ptr<gfx::Surface> savedTarget, savedDepth;
    device.GetRenderTarget(0, savedTarget);
    device.GetDepthStencilSurface(savedDepth);
    device.SetRenderTarget(0, m_pSurface.get());
    device.SetDepthStencilSurface(m_pDepth.get());
    device.SetViewport(gfx::Viewport{0, 0, kSize, kSize, 0.0f, 1.0f});
    device.Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, kClearColour, 1.0f, 0);
    Render(view, projection);
    device.SetViewport(saved);
    if (savedTarget) device.SetRenderTarget(0, savedTarget.get());
    if (savedDepth) device.SetDepthStencilSurface(savedDepth.get());
}

void PAutoMap::Render(const pmath::Matrix& view, const pmath::Matrix& projection) {
    HEFFECT e = g_Renderer.PassEffect(kEffect, "simplest mesh");
    if (!e) return;
    g_RenderStateCache.EndTranslucent(e);
    g_RenderStateCache.EndTransparent(e);
    if (!g_Renderer.BeginPass(e, kTechnique)) return;
    gfx::Effect& fx = *e->m_pEffect;
    fx.SetMatrix(e->g_mView, &view.m[0][0]);
    fx.SetMatrix(e->g_mProj, &projection.m[0][0]);
    SetState(gfx::RS_ZENABLE, 1);
    SetState(gfx::RS_ZWRITEENABLE, 1);
    SetState(gfx::RS_ALPHABLENDENABLE, 1);
    SetState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    SetState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    SetState(gfx::RS_BLENDOP, gfx::BLENDOP_ADD);
    SetState(gfx::RS_ALPHATESTENABLE, 0);
    SetState(gfx::RS_ALPHAFUNC, gfx::CMP_ALWAYS);
    MapPass pass(e);
    const RouteRecord* route = g_RoutesMgr.m_pCurrentRoute;
    const EObjectSlot* field = nullptr;
    if (route && (route->m_bPloughing || route->m_bPlanting || route->m_bSowing))
        field = g_Engine.FindObject(route->m_szField, false);
    DrawScenery(pass, field);
    DrawStrip(pass);
    if (route) {
        DrawGroundMarks(pass, *route);
        DrawField(pass, *route);
    }
    DrawPlayerMarker(pass, m_pMarker);
    DrawTinted(pass);
    SetState(gfx::RS_ALPHABLENDENABLE, 0);
    SetState(gfx::RS_ZENABLE, 0);
    SetState(gfx::RS_ZWRITEENABLE, 0);
    g_RenderStateCache.EndTransparent(e);
    g_RenderStateCache.EndTranslucent(e);
    g_RenderStateCache.ForceCulling();
    g_RenderStateCache.EndEffect(&fx);
}
