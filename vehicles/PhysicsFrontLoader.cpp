// The front loader: its arm goes up and down with the loader's animations; raising picks up a
// round bale lying at the loader's socket, the bale rides on the socket while the arm is up, and
// comes down with a push when the arm is lowered; the lowering arm shoves bales under it away.
#include <cmath>
#include <cstring>
#include <strings.h>

#include "core/EConsole.h"
#include "mesh/ESkinMesh.h"
#include "mesh/MeshParams.h"
#include "vehicles/Physics.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"

namespace {

enum LoaderState : int32_t { kLowered = 1, kRaising = 2, kLowering = 3, kRaised = 4 };

constexpr const char* kBaleSocket = "bela";
constexpr const char* kRoundBaleFile = "bala.x";
// Only objects this small count as bales.
constexpr float kMaxBaleRadius = 5.0f;
constexpr float kGrabReach = 1.05f;
constexpr float kPushReach = 3.6f;
constexpr float kPushBelowSocket = 0.3f;
constexpr float kPushAcross = 46.0f;
constexpr float kPushUp = 4.6f;
constexpr float kDropPush = 20.0f;
constexpr float kDroppedBaleMass = 400.0f;

// Whether the model file is a round bale's, ignoring case; no copies, as it runs every frame.
bool IsRoundBaleFile(const char* file) {
    const size_t n = std::strlen(kRoundBaleFile);
    for (const char* p = file; *p; ++p)
        if (strncasecmp(p, kRoundBaleFile, n) == 0) return true;
    return false;
}

bool IsBaleCandidate(const EObjectSlot& o) {
    return o.m_bUsed && o.Type == OT_MESH && o.m_fRadius <= kMaxBaleRadius;
}

void ReportMissingSocket() { g_Console.PrintStr2("Tur nie ma socketa ", "\"bela\""); }

}  // namespace

void Physics::ToggleFrontLoader(float&, EObjectSlot* object, uint8_t raise) {
    Truck* t = object ? object->m_hTruck : nullptr;
    EObjectSlot* loader = t && t->m_bTur ? t->m_pSkinAttachments[0] : nullptr;
    if (!loader) return;
    ESkinMesh* skin = loader->SkinMesh();
    if (skin) skin->EnableDefaultPoseRestore();
    if (raise) {
        FrontLoaderGrabBale(object);
        g_Engine.SetObjectAnimation(loader, "podnosi", false, 0);
        t->m_iFrontLoaderState = kRaising;
    } else {
        g_Engine.SetObjectAnimation(loader, "opuszcza", false, 0);
        t->m_iFrontLoaderState = kLowering;
    }
    if (!skin) return;
    skin->EnableDefaultPoseRestore();
    skin->UpdateAnimation();
    skin->UpdateFrameMatrices();
}

void Physics::FrontLoaderGrabBale(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    EObjectSlot* loader = t && t->m_bTur && !t->m_pHeldBale ? t->m_pSkinAttachments[0] : nullptr;
    if (!loader) return;
    DV socket;
    if (!ReadSocket(loader, kBaleSocket, &socket, nullptr)) return ReportMissingSocket();
    for (int i = 0; i < g_Engine.m_iMeshMark; ++i) {
        EObjectSlot& o = g_Engine.m_Objects[i];
        if (!IsBaleCandidate(o) || pmath::Length(o.m_vPosition - socket) > kGrabReach) continue;
        if (!IsRoundBaleFile(o.m_szFileName)) continue;
        t->m_pHeldBale = &o;
        t->m_fHeldBaleTimer = 0;
        g_Engine.RemoveObjectPhysics(&o);
        return;
    }
}

// The bale lies across the loader, its axis along the machine's side.
void Physics::HoldFrontLoaderBale(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    EObjectSlot* loader = t && t->m_bTur && t->m_pHeldBale ? t->m_pSkinAttachments[0] : nullptr;
    if (!loader) return;
    DV socket;
    if (!ReadSocket(loader, kBaleSocket, &socket, nullptr)) return ReportMissingSocket();
    const DV side = object->m_Orientation.m_Side, front = object->m_Orientation.m_Front;
    EOrientation o = EOrientation::EOrientationFromDirection(&side);
    o.RotateAxis(&front, static_cast<float>(M_PI) / 2);
    g_Engine.SetObjectTransform(t->m_pHeldBale, socket, o, true, false);
}

void Physics::FrontLoaderDropBale(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !t->m_pHeldBale) return;
    RigidBodyPhysicsParams params;
    params.m_fMass = kDroppedBaleMass;
    params.m_uBodyKind = 2;
    g_Engine.SetRigidBodyPhysicsParams(t->m_pHeldBale, &params);
    g_Engine.PutForceToObject(t->m_pHeldBale, object->m_Orientation.m_Front * kDropPush);
    t->m_pHeldBale = nullptr;
}

void Physics::FrontLoaderPushBales(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    EObjectSlot* loader = t && t->m_bTur ? t->m_pSkinAttachments[0] : nullptr;
    if (!loader) return;
    DV socket;
    if (!ReadSocket(loader, kBaleSocket, &socket, nullptr)) return ReportMissingSocket();
    socket.y -= kPushBelowSocket;
    for (int i = 0; i < g_Engine.m_iMeshMark; ++i) {
        EObjectSlot& o = g_Engine.m_Objects[i];
        if (!IsBaleCandidate(o) || o.m_vPosition.y > socket.y) continue;
        const DV reach{o.m_vPosition.x - socket.x, 0, o.m_vPosition.z - socket.z};
        if (pmath::Length(reach) > kPushReach || !IsRoundBaleFile(o.m_szFileName)) continue;
        DV away{o.m_vPosition.x - object->m_vPosition.x, 0, o.m_vPosition.z - object->m_vPosition.z};
        const float l = pmath::Length(away);
        away = away * (1.0f / (l > 0 ? l : 1.0f));
        g_Engine.PutForceToObject(&o, DV{kPushAcross * away.x, kPushUp, kPushAcross * away.z});
    }
}

void Physics::UpdateFrontLoader(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    EObjectSlot* loader = t && t->m_bTur ? t->m_pSkinAttachments[0] : nullptr;
    if (!loader) return;
    int32_t& state = t->m_iFrontLoaderState;
    if (state == kLowering) FrontLoaderPushBales(object);
    if (state == kRaising || state == kLowering) {
        if (g_Engine.IsObjectAnimationFinished(loader)) {
            if (state == kRaising) {
                state = kRaised;
            } else {
                state = kLowered;
                FrontLoaderDropBale(object);
            }
        }
    } else if (state != kLowered && state != kRaised) {
        ToggleFrontLoader(m_fFrameTime, object, 1);
    }
    if (!t->m_pHeldBale && (state == kRaising || state == kRaised)) FrontLoaderGrabBale(object);
    if (!object->m_pLinkedObject && (state == kRaising || state == kRaised)) HoldFrontLoaderBale(object);
}
