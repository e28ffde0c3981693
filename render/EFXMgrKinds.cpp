// The effect kinds with steps of their own: blood drops that stain the ground, tracers that stop
// where they hit, bullet shells that bounce, falling bombs, shells and rockets that explode where
// they hit, mortar explosions chosen by the ground, effects placed by their owner, the ground
// test, the fire sound, light sprites hidden by what stands before them, spinning sprites, and
// the colour and alpha keys over an instance's life.
#include <cfloat>
#include <cmath>
#include <cstdio>

#include "core/NumericHelpers.h"
#include "render/EFXMgr.h"
#include "render/ERenderer.h"
#include "render/RenderHooks.h"

namespace {

constexpr float kTwoPi = 6.2831855f;

bool Segment(const DV& from, const DV& to, EffectRay ray, EffectHit& hit, const DrawVisibility* ignore = nullptr,
             float range = 5000.0f) {
    EffectSegment query;
    query.from = from;
    query.to = to;
    query.ray = ray;
    query.ignore = ignore;
    query.range = range;
    return g_RenderHooks.effectSegment(query, hit);
}

// A key's value between keys: at t of the life, by the keys' times (two keys: straight from the
// first to the second); the last key holds after the last time.
template <class Value, class Mix>
Value AtTime(const Value* keys, const float* times, uint32_t count, float t, Mix mix) {
    if (count <= 1) return keys[0];
    if (count == 2) return mix(keys[0], keys[1], t < 0 ? 0.0f : (t > 1 ? 1.0f : t));
    for (uint32_t k = 0; k + 1 < count; ++k) {
        if (times[k + 1] < t) continue;
        float span = times[k + 1] - times[k];
        float f = span > 0 ? (t - times[k]) / span : 1.0f;
        return mix(keys[k], keys[k + 1], f < 0 ? 0.0f : (f > 1 ? 1.0f : f));
    }
    return keys[count - 1];
}

// The mortar explosion that suits a ground material.
const char* MortarEffect(uint32_t material) {
    return material == MATERIAL_SAND || material == MATERIAL_COAL ? "z_wybuch_mozdzierz_piasek"
                                                                  : "z_wybuch_mozdzierz_cement_caly";
}

}  // namespace

uint32_t InterpolateKeys(const EFXInstance& fx, float t) {
    uint32_t colours = fx.m_uColorCount < EFXDefinition::kKeys ? fx.m_uColorCount : EFXDefinition::kKeys;
    uint32_t alphas = fx.m_uAlphaCount < EFXDefinition::kKeys ? fx.m_uAlphaCount : EFXDefinition::kKeys;
    float alpha = AtTime(fx.m_fAlphas, fx.m_fAlphaTimes, alphas, t, [](float a, float b, float f) { return a + (b - a) * f; });
    DV colour = AtTime(fx.m_vColors, fx.m_fColorTimes, colours, t,
                       [](const DV& a, const DV& b, float f) { return a + (b - a) * f; });
    return ChannelByte(alpha) << 24 | VectorToRGB(&colour, false);
}

int IntersectSegmentFiltered(DV* from, DV* to, const DrawVisibility* ignore, bool skipClass4,
                             const DrawVisibility* ignore2, bool skipClass2And32, bool skipClass16, bool flag) {
    if (!from || !to) return 0;
    if (std::fabs(from->x - to->x) + std::fabs(from->y - to->y) + std::fabs(from->z - to->z) < 1.0f) return 0;
    EffectSegment query;
    query.from = *from;
    query.to = *to;
    query.ray = EffectRay::Configurable;
    query.ignore = ignore;
    query.ignore2 = ignore2;
    query.skipClass4 = skipClass4;
    query.skipClass2And32 = skipClass2And32;
    query.skipClass16 = skipClass16;
    query.flag = flag;
    EffectHit hit;
    if (!g_RenderHooks.effectSegment(query, hit)) return 0;
    *from = hit.point;
    *to = hit.normal;
    return hit.solid ? 2 : 1;
}

// ---- Spawned by code ---------------------------------------------------------------------------

EFXInstance* EFXMgr::AddBomb(const DV& position, const DV& direction) {
    EFXDefinition bomb;
    std::snprintf(bomb.m_szName, sizeof bomb.m_szName, "bomba");
    bomb.m_uType = FX_MESH;
    std::snprintf(bomb.m_szFileNames[0], sizeof bomb.m_szFileNames[0], "prefabs\\special\\bomba.x");
    bomb.m_uFileNameCount = 1;
    bomb.m_vScale = DV{0.7f, 0.7f, 0.7f};
    bomb.m_bBigBomb = 1;
    bomb.m_fLifeTime = 10.0f;
    bomb.m_vPos = position;
    bomb.m_vVel = DV{220.0f * direction.x, -80.0f, 220.0f * direction.z};
    bomb.m_Orientation = EOrientation::EOrientationFromDirection(&direction);
    return AddFX(&bomb, nullptr, nullptr, false);
}

void EFXMgr::AddMortarExplosion(const DrawVisibility* ignore, const DV& position, bool big) {
    const char* name = "z_wybuch_mozdzierz_big";
    if (!big) {
        EffectHit hit;
        if (Segment(position, position - DV{0.0f, 48.0f, 0.0f}, EffectRay::StaticMeshes, hit, ignore)) {
            const strtexture* texture = g_Renderer.GetTexture(hit.textureId);
            name = MortarEffect(texture ? texture->m_uMaterial : MATERIAL_CEMENT);
        } else {
            name = "z_wybuch_mozdzierz_powietrze";
        }
    }
    AddFXByName(name, &position, nullptr);
}

// ---- Steps of their own ------------------------------------------------------------------------

bool EFXMgr::StepOwnRoutine(EFXInstance& fx, bool& ended) {
    if (fx.m_uType == FX_PLACED) {
        StepPlaced(fx);
        return true;
    }
    if (fx.m_bStopOnGround && StepGroundTest(fx)) return true;
    if (fx.m_bRocket) ended = StepRocket(fx);
    else if (fx.m_bShell) ended = StepShell(fx);
    else if (fx.m_bBigBomb) ended = StepBigBomb(fx);
    else return false;
    return true;
}

// Its owner moves it: only its direction of motion follows.
void EFXMgr::StepPlaced(EFXInstance& fx) {
    ShiftTrail(fx);
    DV motion = fx.m_vPosition - fx.m_vTrail[1];
    if (!(motion == DV{})) RebuildFrame(fx, motion);
    fx.m_vDrawPosition = fx.m_vPosition;
}

bool EFXMgr::StepGroundTest(EFXInstance& fx) {
    if (!fx.m_bGroundKnown) {
        EffectHit hit;
        bool ground = Segment(fx.m_vPosition, fx.m_vPosition - DV{0.0f, 80.0f, 0.0f}, EffectRay::NotClass128, hit);
        fx.m_fGroundHeight = ground ? hit.point.y + 0.75f : -FLT_MAX;
        fx.m_bGroundKnown = 1;
    }
    return fx.m_vPosition.y < fx.m_fGroundHeight;
}

void EFXMgr::StepBulletShell(EFXInstance& fx) {
    if (!fx.m_bMove) return;
    const float dt = m_fFrameStep;
    DV next = fx.m_vPosition + fx.m_vVelocity * dt;
    fx.m_vVelocity.y -= fx.m_fGravity * dt;
    const DrawVisibility* own = fx.m_pMeshObject;
    if (!fx.m_bShellGroundKnown) {
        DV& v = fx.m_vVelocity;
        bool dropping = v.y < 0 && std::fabs(v.x) + std::fabs(v.z) < 0.55f * std::fabs(v.y);
        if (!dropping) {
            DV from = fx.m_vPosition, to = next;
            if (!IntersectSegmentFiltered(&from, &to, own, true, fx.m_pExcluded, true, false, false)) {
                fx.m_vPosition = next;
                if (own) g_RenderHooks.moveObject(own, fx.m_vPosition);
                return;
            }
        }
        v.x = v.z = 0;
        DV from = fx.m_vPosition + DV{0.0f, 0.3f, 0.0f};
        DV to = from - DV{0.0f, 20.0f, 0.0f};
        float below = to.y - 100.0f;
        fx.m_fShellGround = IntersectSegmentFiltered(&from, &to, own, true, fx.m_pExcluded, true, false, true)
                                ? from.y + 0.02f
                                : below;
        fx.m_bShellGroundKnown = 1;
    }
    next = fx.m_vPosition + fx.m_vVelocity * dt;
    if (next.y > fx.m_fShellGround) {
        fx.m_vPosition = next;
    } else if (fx.m_vVelocity.y < -1.5f) {
        fx.m_vPosition.y += 0.03f;
        fx.m_vVelocity.y *= -0.35f;
        g_RenderHooks.playSound3D("sounds\\weapons\\luska1.wav", fx.m_vPosition, 20.0f);
    } else {
        fx.m_vPosition.y = fx.m_fShellGround;
        fx.m_bMove = 0;
    }
    if (own) g_RenderHooks.moveObject(own, fx.m_vPosition);
}

bool EFXMgr::StepBloodDrop(EFXInstance& fx) {
    const float dt = m_fFrameStep;
    fx.m_vVelocity.y -= fx.m_fGravity * dt;
    DV from = fx.m_vPosition;
    DV to = from + fx.m_vVelocity * dt;
    EffectHit hit;
    if (!Segment(from, to, EffectRay::BloodDrop, hit)) {
        fx.m_vPosition = fx.m_vDrawPosition = to;
        return false;
    }
    if (hit.normal.y >= 0.75f && m_uBloodGroundCount > 0 && !(hit.object && hit.paintTarget)) TestStain(hit.point);
    return true;
}

// A stain only where the ground is flat under all of it: four probes around the point must meet
// the ground within 0.1 of its height.
void EFXMgr::TestStain(const DV& point) {
    const DV at = point + DV{0.0f, 0.02f, 0.0f};
    const float offsets[4][2] = {{0.25f, 0.25f}, {-0.25f, 0.25f}, {0.25f, -0.25f}, {-0.25f, -0.25f}};
    for (const auto& o : offsets) {
        DV from = at + DV{o[0], 0.6f, o[1]};
        DV to = at + DV{o[0], -0.6f, o[1]};
        if (!IntersectSegmentFiltered(&from, &to, nullptr, true, nullptr, true, false, false)) return;
        if (std::fabs(from.y - at.y) > 0.1f) return;
    }
    AddFXByName("krew_na_ziemi", &at, nullptr);
}

bool EFXMgr::StepTracer(EFXInstance& fx) {
    const float dt = m_fFrameStep;
    bool near = pmath::Length(fx.m_vPreviousPosition - g_DrawCamera.position) < 10.0f;
    fx.m_vPreviousPosition += fx.m_vVelocity * (dt * (near ? 0.3f : 0.5f));
    DV from = fx.m_vPosition;
    fx.m_vPosition += fx.m_vVelocity * dt;
    fx.m_vDrawPosition = fx.m_vPosition;
    EffectHit hit;
    if (fx.m_bNoCollision || !Segment(from, fx.m_vPosition, EffectRay::NotIgnoredActive, hit, fx.m_pExcluded, 100.0f))
        return false;
    fx.m_vPosition = fx.m_vDrawPosition = hit.point;
    return true;
}

bool EFXMgr::StepMortarGround(EFXInstance& fx) {
    DV from = fx.m_vPosition;
    fx.m_vPosition += fx.m_vVelocity * m_fFrameStep;
    fx.m_vDrawPosition = fx.m_vPosition;
    EffectHit hit;
    if (!Segment(from, fx.m_vPosition, EffectRay::NotIgnoredActive, hit, fx.m_pExcluded, 2000.0f)) return false;
    AddFXByName("z_wybuch_mozdzierz_cement_caly", &hit.point, nullptr);
    return true;
}

void EFXMgr::MakeObjectNonColliding(EFXInstance& fx) {
    if (fx.m_bObjectNonColliding) return;
    g_RenderHooks.setObjectFlags(fx.m_pMeshObject, 0x80, 0x80);
    fx.m_bObjectNonColliding = 1;
}

bool EFXMgr::StepShell(EFXInstance& fx) {
    if (!fx.m_pMeshObject) return false;
    MakeObjectNonColliding(fx);
    fx.m_vVelocity.y -= 296.0f * m_fFrameStep;
    DV from = fx.m_vPosition;
    fx.m_vPosition += fx.m_vVelocity * m_fFrameStep;
    ShiftTrail(fx);
    EffectHit hit;
    if (Segment(from, fx.m_vPosition, EffectRay::Everything, hit)) {
        AddMortarExplosion(fx.m_pMeshObject, from, fx.m_bBigExplosion);
        return true;
    }
    g_RenderHooks.moveObject(fx.m_pMeshObject, fx.m_vPosition);
    return false;
}

bool EFXMgr::StepBigBomb(EFXInstance& fx) {
    if (!fx.m_pMeshObject) return false;
    MakeObjectNonColliding(fx);
    fx.m_vVelocity.y -= 400.0f * m_fFrameStep;
    if (fx.m_vVelocity.y < -900.0f) fx.m_vVelocity.y = -900.0f;
    DV from = fx.m_vPosition;
    fx.m_vPosition += fx.m_vVelocity * m_fFrameStep;
    ShiftTrail(fx);
    EffectHit hit;
    if (Segment(from, fx.m_vPosition, EffectRay::Everything, hit, nullptr, 2000.0f)) {
        AddFXByName("r_e_wybuch_duzy", &hit.point, nullptr);
        return true;
    }
    g_RenderHooks.moveObject(fx.m_pMeshObject, fx.m_vPosition);
    DV motion = fx.m_vPosition - from;
    if (!(motion == DV{})) {
        EOrientation heading = EOrientation::EOrientationFromDirection(&motion);
        fx.m_Orientation.Slerp(&heading, 0.5f);
        g_RenderHooks.turnObject(fx.m_pMeshObject, fx.m_Orientation);
    }
    return false;
}

bool EFXMgr::StepRocket(EFXInstance& fx) {
    if (!fx.m_pMeshObject) return false;
    const float dt = m_fFrameStep;
    MakeObjectNonColliding(fx);
    fx.m_vVelocity.y -= fx.m_fGravity * dt;
    DV from = fx.m_vPosition;
    fx.m_vPosition += fx.m_vVelocity * dt;
    fx.m_fWobble[0] = std::fmod(fx.m_fWobble[0] + 13.0f * dt, kTwoPi);
    fx.m_fWobble[1] = std::fmod(fx.m_fWobble[1] + 11.0f * dt, kTwoPi);
    fx.m_vPosition += fx.m_Orientation.m_Side * (0.8f * std::sin(fx.m_fWobble[0]) * dt) +
                      fx.m_Orientation.m_Up * (0.8f * std::sin(fx.m_fWobble[1]) * dt);
    ShiftTrail(fx);
    // The trail along the way covered: smoke behind, fire in the middle, the flash at the head.
    DV smoke = LerpDV(&from, &fx.m_vPosition, 1.0f / 3.0f), fire = LerpDV(&from, &fx.m_vPosition, 2.0f / 3.0f);
    AddFXByName("rakieta_dym", &smoke, nullptr);
    AddFXByName("rakieta_ogien", &fire, nullptr);
    AddFXByName("rakieta_blik", &fx.m_vPosition, nullptr);
    EffectHit hit;
    if (Segment(from, fx.m_vPosition, EffectRay::Everything, hit, nullptr, 2000.0f)) {
        AddMortarExplosion(fx.m_pMeshObject, from, fx.m_bBigExplosion);
        return true;
    }
    g_RenderHooks.moveObject(fx.m_pMeshObject, fx.m_vPosition);
    return false;
}

// ---- Sound, light and spin ---------------------------------------------------------------------

void EFXMgr::DriveFireSound(EFXInstance& fx) {
    if (fx.m_fCameraDistance > 1200.0f) {
        if (fx.m_pSound) g_RenderHooks.releaseSound(fx.m_pSound);
        fx.m_pSound = nullptr;
        return;
    }
    if (!fx.m_pSound) fx.m_pSound = g_RenderHooks.startLoopingSound3D("sounds\\special\\ogien.wav", fx.m_vPosition, 30.0f);
}

// Whether the camera sees it, looked at again the sooner the nearer it is.
void EFXMgr::TestLightSprite(EFXInstance& fx) {
    fx.m_fLightTimer -= m_fFrameStep;
    if (fx.m_fLightTimer > 0) return;
    fx.m_fLightTimer = fx.m_fCameraDistance / 6048.0f;
    EffectHit hit;
    fx.m_bLightVisible = !Segment(g_DrawCamera.position, fx.m_vPosition, EffectRay::MeshesAndLiveSkinMeshes, hit);
}

void EFXMgr::Spin(EFXInstance& fx) {
    fx.m_fSpinAngle = std::fmod(fx.m_fSpinAngle + fx.m_fSpinSpeed * m_fFrameStep, kTwoPi);
    DV view = fx.m_vPosition - g_DrawCamera.position;
    EOrientation o = EOrientation::EOrientationFromDirection(&view);
    DV axis = o.m_Front;
    o.RotateAxis(&axis, fx.m_fSpinAngle);
    fx.m_Orientation = o;
    fx.m_vFront = o.m_Front;
    fx.m_vSide = o.m_Side;
    fx.m_vUp = o.m_Up;
    if (fx.m_pMeshObject && !fx.m_bApplyPhysicsToMesh) g_RenderHooks.turnObject(fx.m_pMeshObject, o);
}
