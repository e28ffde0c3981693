#include "app/EDebugOverlays.h"

#include "collision/EIntersectSegment.h"
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "mesh/EMesh.h"
#include "render/CTTFonts.h"
#include "render/EFXMgr.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"
#include "world/IntersectFilters.h"

EDebugOverlays g_DebugOverlays;

namespace {

constexpr uint32_t kShadowColour = 0xFF000000;
constexpr uint32_t kVideoMemoryColour = 0xFFD0D0FF;
constexpr uint32_t kStatsColour = 0xFFFFFFD0;
constexpr uint32_t kMeshColour = 0xFFFFFFFF;
constexpr float kShadowShift = 2.0f;
constexpr float kLineSpacing = 20.0f;
// How far the light-count report looks along the view for the object to describe.
constexpr float kViewProbeLength = 40000.0f;

// Positions are in a 1024 x 768 layout scaled to the screen; the black copy underneath keeps
// the text readable on any background.
void DrawShadowedLine(float x, float y, uint32_t colour, const char* text) {
    float sx = g_Settings.m_fScaleX;
    float sy = g_Settings.m_fScaleY;
    g_TTFonts.DrawTextUnscaled(text, (x + kShadowShift) * sx, (y + kShadowShift) * sy, kShadowColour, false, false);
    g_TTFonts.DrawTextUnscaled(text, x * sx, y * sy, colour, false, false);
}

void DrawOverlay(const OverlayLines& lines, float x, float y, uint32_t colour) {
    g_TTFonts.SelectFont(0);
    for (int i = 0; i < lines.count; ++i) DrawShadowedLine(x, y + kLineSpacing * i, colour, lines.text[i]);
}

}  // namespace

void EDebugOverlays::ReportVideoMemory() {
    OverlayLines lines;
    g_Debug.FormatVideoMemory(lines);
    DrawOverlay(lines, 504, 260, kVideoMemoryColour);
}

void EDebugOverlays::ReportRenderStats() {
    OverlayLines lines;
    g_Debug.FormatRenderStats(lines);
    DrawOverlay(lines, 504, 390, kStatsColour);
}

void EDebugOverlays::FormatLightCounts(OverlayLines& lines) {
    int lightsOn = 0;
    for (int i = 0; i < EEngine::kLightSlots; ++i)
        if (g_Engine.m_bLightUsed[i] && g_Engine.m_bLightOn[i]) ++lightsOn;
    lines.Add("Total FX rendered: %i", g_FXMgr.m_iLiveCount);
    lines.Add("Total lights rendered: %i", lightsOn);
}

void EDebugOverlays::DrawLightCounts() {
    OverlayLines lines;
    FormatLightCounts(lines);
    DrawOverlay(lines, 520, 260, kStatsColour);

    const DV& from = g_Camera.m_vPosition;
    const DV& along = g_Camera.m_vDirection;
    DV start = from;
    DV end{from.x + kViewProbeLength * along.x, from.y + kViewProbeLength * along.y,
           from.z + kViewProbeLength * along.z};
    SegmentQuery query;
    query.m_pStart = &start;
    query.m_pEnd = &end;
    query.m_pFilter = IntersectFilterNotClass128;
    query.m_bCanSeeThru = 1;
    query.m_bCoarse = 1;
    query.m_fCoarseDistance = 1.0f;
    SegmentHit hit;
    if (!g_IntersectSegment.Intersect(&query, &hit) || !hit.m_pObject) return;
    int kind = hit.m_pObject->Type;
    if (kind == OT_MESH || kind == OT_SKINMESH) CheckParticularMesh(hit.m_pObject);
}

void EDebugOverlays::FormatMeshDescription(const EObjectSlot& object, OverlayLines& lines) {
    lines.Add("Name: %s (radius == %i)", object.m_szName, static_cast<int>(object.m_fRadius));
    const EMesh* mesh = object.Mesh();
    if (!mesh->m_pVideoMesh) lines.Add("!h->pVideoMesh");
    else lines.Add("LOD set: %i, displayed faces: %i", mesh->m_iLodSet, mesh->m_iDisplayedFaces);
    lines.Add(object.m_bSectorDisabled ? "Sector disabled!" : "Sector enabled!");
    lines.Add((object.m_uFlags & FLAG_VISIBLE) ? "FLAG_VISIBLE on!" : "FLAG_VISIBLE off!");
}

void EDebugOverlays::CheckParticularMesh(EObjectSlot* object) {
    if (!object || !object->Mesh()) return;
    g_Console.PrintStr2("CheckParticularMesh ", object->m_szName);
    OverlayLines lines;
    FormatMeshDescription(*object, lines);
    DrawOverlay(lines, 220, 300, kMeshColour);
    for (int i = 0; i < lines.count; ++i) g_Console.Print(lines.text[i]);
}

void EDebugOverlays::DrawSystemDebug() {}
