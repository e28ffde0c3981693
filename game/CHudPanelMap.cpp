// The HUD's pieces that place the player in the world: the strip along the route that the
// overview map draws, the map's window in the lower left, and the marker that points at the
// current objective, over it on the screen or at the screen's edge.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "core/NumericHelpers.h"
#include "game/CHudPanel.h"
#include "game/HudCanvas.h"
#include "game/PAutoMap.h"
#include "render/D3DDevice.h"
#include "vehicles/CPlayer.h"
#include "vehicles/Truck.h"
#include "world/BezierMgr.h"
#include "world/CRoutesMgr.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"

namespace {

constexpr const char* kBufferTag = "PanelVB";
constexpr const char* kLockTag = "LockVB";
// The strip: 16 units wide, a sample every 8 units (fewer on a very long path), at most 4,998
// triangles.
constexpr float kStripHalfWidth = 8.0f;
constexpr double kStripStep = 8.0;
constexpr double kMaxSamples = 5000.0;
constexpr double kLongPathSamples = 5010.0;
constexpr uint32_t kLastTriangleCount = 4997;
constexpr uint32_t kMarkerColour = 0xFFA6FFFF;
constexpr uint32_t kArrowColour = 0xC0A6FFFF;
constexpr float kArrowMargin = 36.0f;
constexpr int kMaxOutwardSteps = 2000;

float Sx() { return g_Settings.m_fScaleX; }
float Sy() { return g_Settings.m_fScaleY; }

void PutVertex(uint8_t*& at, const DV& position) {
    std::memcpy(at, &position, sizeof position);
    at += CHudPanel::kMapVertexBytes;
}

// Nearer to the eye than to a point one unit in front of it: behind the camera.
bool BehindCamera(const DV& point) {
    const DV eye = g_Camera.m_vPosition;
    return pmath::Length(point - eye) < pmath::Length(point - (eye + g_Camera.m_vDirection));
}

DV ObjectPosition(const char* name, bool* found) {
    const EObjectSlot* o = g_Engine.FindObject(name, false);
    *found = o != nullptr;
    return o ? o->m_vPosition : DV{};
}

}  // namespace

void CHudPanel::ReleaseMapVB() {
    if (!m_pMapVB) return;
    m_pMapVB.reset();
    g_Debug.RemoveAlloc(kBufferTag);
}

void CHudPanel::BuildMapVB() {
    m_uMapTriangles = 0;
    const char* path = g_Player.m_szStartPath;
    const double length = g_BezierMgr.GetPathLength(path);
    if (length < 1.0) {
        g_Console.Print("Nie ma Beziera");
        return;
    }
    ReleaseMapVB();
    if (!g_pd3dDevice || gfx::Failed(g_pd3dDevice->CreateVertexBuffer(kMapVertices * kMapVertexBytes, gfx::USAGE_WRITEONLY,
                                                                       0, gfx::POOL_MANAGED, m_pMapVB))) {
        m_pMapVB.reset();
        g_Console.Print("Failed to create m_pMapVB!");
        return;
    }
    g_Debug.AddAlloc(kBufferTag);
    void* data = nullptr;
    if (gfx::Failed(m_pMapVB->Lock(0, 0, &data, 0))) {
        g_Console.Print("Failed to lock m_pMapVB!");
        return;
    }
    g_Debug.AddAlloc(kLockTag);
    const double step = length / kStripStep > kMaxSamples ? length / kLongPathSamples : kStripStep;
    auto edge = [&](double at, DV* left, DV* right) {
        DV point, direction;
        g_BezierMgr.EvaluatePoint(path, at, &point, &direction);
        const DV side = EOrientation::EOrientationFromDirection(&direction).m_Side * kStripHalfWidth;
        *left = point - side;
        *right = point + side;
    };
    DV oldLeft, oldRight;
    edge(0, &oldLeft, &oldRight);
    const RouteRecord* route = g_RoutesMgr.m_pCurrentRoute;
    if (route && route->m_bWithOpponents) {
        uint8_t* at = static_cast<uint8_t*>(data);
        for (double t = step; t < length && m_uMapTriangles <= kLastTriangleCount; t += step) {
            DV left, right;
            edge(t, &left, &right);
            for (const DV& corner : {left, right, oldLeft, oldLeft, right, oldRight}) PutVertex(at, corner);
            m_uMapTriangles += 2;
            oldLeft = left;
            oldRight = right;
        }
    }
    if (gfx::Failed(m_pMapVB->Unlock())) g_Console.Print("FAILED to unlock MapVB");
    else g_Debug.RemoveAlloc(kLockTag);
}

void CHudPanel::DrawMapWindow() {
    const float left = -220 * Sy(), right = 240 * Sy(), top = 540 * Sy(), bottom = 770 * Sy();
    const float x0 = Lerp(left, right, 0.5449219f), x1 = Lerp(left, right, 0.9316406f);
    const float y0 = Lerp(top, bottom, 0.11328125f), y1 = Lerp(top, bottom, 0.88671875f);
    if (const gfx::BaseTexture* map = g_AutoMap.m_pTexture.get()) {
        m_TempNeedle.SetColor(0xFFFFFFFF);
        m_TempNeedle.SetRect(x0, y0, x1, y1);
        m_pCanvas->QuadInViewport(m_TempNeedle, map, static_cast<uint32_t>(x0), static_cast<uint32_t>(y0),
                                  static_cast<uint32_t>(x1 - x0), static_cast<uint32_t>(y1 - y0));
    }
    m_MapFrame.SetColor(0xFFFFFFFF);
    m_MapFrame.SetRect(left, top, right, bottom);
    m_pCanvas->Quad(m_MapFrame);
}

void CHudPanel::DrawTarget() {
    const RouteRecord* route = g_RoutesMgr.m_pCurrentRoute;
    if (!g_Engine.m_bWorldRender || !route) return;
    const RouteRecord& r = *route;
    if (!r.m_bSlalom && !r.m_bMowing && !r.m_bPlanting && !r.m_bBaleCollecting && !r.m_bSowing && !r.m_bGrain) return;
    const Truck* machine = g_Player.m_pVehicle ? g_Player.m_pVehicle->m_hTruck : nullptr;
    const Truck* implement = g_Player.m_pImplement ? g_Player.m_pImplement->m_hTruck : nullptr;
    if (r.m_bMowing && !(machine && machine->m_bKombajn && machine->m_dGrainFill >= 0.8)) return;
    if ((r.m_bPlanting || r.m_bSowing) && !implement) return;
    // The slalom's gates and the receiving trailers (of harvesting, planting and sowing) are not
    // kept yet: those tasks have no objective to point at.
    if (r.m_bSlalom || r.m_bMowing || r.m_bPlanting || r.m_bSowing) return;
    bool found = false;
    DV objective;
    if (r.m_bBaleCollecting) {
        objective = ObjectPosition("waypoint", &found);
    } else {
        // Grain hauling: with the trailer filling up, to the unloading point of the combine; with
        // it full (the field work keeps no fill yet) to the "waypoint".
        const EObjectSlot* combine = g_Engine.FindObject("kombajn", false);
        if (!implement || !combine || !combine->m_hTruck) return;
        objective = combine->m_hTruck->m_vGrainSpout;
        found = true;
    }
    if (!found) return;
    m_pCanvas->BeginStates(m_White);
    float x = 0, y = 0;
    if (BehindCamera(objective) || !ProjectToScreen(objective, &x, &y) || x < 16 * Sx() || x > 1008 * Sx() ||
        y < 16 * Sy() || y > 752 * Sy()) {
        DrawEdgeArrow(objective);
    } else if (r.m_bGrain) {
        const float half = 24 * Sx();
        m_Waypoint3D.SetColor(kMarkerColour);
        m_Waypoint3D.SetRect(x - half, y - half, x + half, y + half);
        m_pCanvas->Quad(m_Waypoint3D);
        m_pCanvas->Quad(m_Waypoint3D);
    }
    m_pCanvas->EndStates(m_White);
}

void CHudPanel::DrawEdgeArrow(const DV& target) {
    const DV eye = g_Camera.m_vPosition;
    DV point = target;
    // A point behind: the camera's view turned part of the way towards it shows on which side.
    if (BehindCamera(target)) {
        const DV toward = pmath::Normalize(target - eye);
        const float fraction = 1.0f - std::abs(pmath::Dot(g_Camera.m_vDirection, toward)) / 2;
        EOrientation turned = g_Camera.m_Orientation;
        const EOrientation aim = EOrientation::EOrientationFromDirection(&toward);
        turned.Slerp(&aim, fraction);
        point = eye + turned.m_Front * 128.0f;
    }
    const float mx = kArrowMargin * Sx(), my = kArrowMargin * Sy();
    const float width = 1024 * Sx(), height = 768 * Sy(), cx = 512 * Sx(), cy = 384 * Sy();
    const float reach = width + height;
    float px = 0, py = 0;
    if (!ProjectToScreen(point, &px, &py)) {
        // On the camera's plane: the side it lies on in the view leads out of the screen.
        const pmath::Vec3 seen = pmath::TransformPoint(point, g_Camera.m_View);
        px = cx + seen.x * reach;
        py = cy - seen.y * reach;
    }
    float dx = px - cx, dy = py - cy;
    float distance = std::hypot(dx, dy);
    // At the centre there is no way out to follow: straight down.
    if (distance < 1.0f) {
        dx = 0;
        dy = 1;
    } else {
        dx /= distance;
        dy /= distance;
    }
    // A point far off the screen walks back along the same line from no farther than a screen's
    // width and height: the arrow ends where it would, in a bounded number of steps.
    if (distance > reach) {
        px = cx + dx * reach;
        py = cy + dy * reach;
        distance = reach;
    }
    auto inside = [&] { return mx < px && px < width - mx && my < py && py < height - my; };
    for (int i = 0; i < kMaxOutwardSteps && inside(); ++i) {
        px += dx;
        py += dy;
    }
    const int steps = static_cast<int>(distance);
    for (int i = 0; i < steps && !inside(); ++i) {
        px -= dx;
        py -= dy;
    }
    ERect* arrow = &m_ArrowLeft;
    if (py < 1.4f * my) arrow = &m_ArrowUp;
    else if (px > width - 1.4f * mx) arrow = &m_ArrowRight;
    else if (py > height - 1.4f * my) arrow = &m_ArrowDown;
    arrow->SetColor(kArrowColour);
    arrow->SetRect(px - mx, py - my, px + mx, py + my);
    m_pCanvas->Quad(*arrow);
}
