#pragma once
// The developer overlays drawn over the finished scene: video memory, render statistics, the
// light counts and a description of the mesh in the middle of the view. Their counters and texts
// are EDebug's; these draw them and walk the world's objects.
#include "core/EDebug.h"

class EObjectSlot;

class EDebugOverlays {
public:
    void ReportVideoMemory();
    void ReportRenderStats();
    // The light counts, then the description of the mesh or skinned mesh the view looks at.
    void DrawLightCounts();
    void CheckParticularMesh(EObjectSlot* object);
    void DrawSystemDebug();

    static void FormatLightCounts(OverlayLines& lines);
    static void FormatMeshDescription(const EObjectSlot& object, OverlayLines& lines);
};

extern EDebugOverlays g_DebugOverlays;
