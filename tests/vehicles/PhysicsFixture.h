#pragma once
// The machines' world in a temporary start directory: a null device, a fresh engine whose hooks
// reach the real Physics, a flat static ground, and small box models with their sockets for a
// tractor, a trailer with its drawbar, and their wheels. Frames are stepped at a fixed 1/60 s.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "collision/ECollisionMgr.h"
#include "collision/EIntersectSegment.h"
#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "mesh/EMesh.h"
#include "mesh/EMeshMgr.h"
#include "mesh/EMeshSocketsMgr.h"
#include "mesh/MeshHooks.h"
#include "platform/os/Random.h"
#include "support/DeviceTest.h"
#include "vehicles/CPlayer.h"
#include "vehicles/FieldModels.h"
#include "vehicles/Physics.h"
#include "vehicles/VehiclesHooks.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"
#include "world/EEngineObject.h"
#include "world/ObjectCreateParams.h"
#include "world/WorldHooks.h"

namespace test {

// A flat square of the given half size at height 0 (two triangles).
inline std::string GroundModel(float half) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "xof 0303txt 0032\nMesh {\n 4;\n %g;0;%g;, %g;0;%g;, %g;0;%g;, %g;0;%g;;\n"
                  " 2;\n 3;0,1,2;, 3;0,2,3;;\n}\n",
                  -half, -half, -half, half, half, half, half, -half);
    return text;
}

constexpr float kStep = 1.0f / 60.0f;
constexpr float kWheelRadius = 0.5f;
// Where a machine's origin rests on flat ground: the suspension's rest length less its sag under
// the machine's weight (stiffness 100 per wheel and unit of mass, gravity 10, four wheels).
constexpr float kRestHeight = 0.01f - 10.0f / (4 * 100.0f);

constexpr const char* kTractorModel = "prefabs\\t\\tractor.x";
constexpr const char* kTrailerModel = "prefabs\\t\\trailer.x";
constexpr const char* kHitchModel = "prefabs\\t\\hitch.x";
constexpr const char* kGroundModel = "prefabs\\t\\ground.x";

inline const std::string kTractorType =
    "Vehicle Test Tractor\n"
    "prefab prefabs\\t\\tractor.x\n"
    "traktor\nplayer_can_drive\nMass 800\n"
    "steering_wheel prefabs\\t\\wheel.x kierownica\n"
    "front_wheel prefabs\\t\\wheel.x kolo_lp 0.5 0 0\n"
    "front_wheel prefabs\\t\\wheel.x kolo_pp 0.5 0 0\n"
    "wheel prefabs\\t\\wheel.x kolo_lt 0.5 0 0\n"
    "wheel prefabs\\t\\wheel.x kolo_pt 0.5 0 0\n"
    "hak hak\n";

inline const std::string kTrailerType =
    "Vehicle Test Trailer\n"
    "prefab prefabs\\t\\trailer.x\n"
    "przyczepa\nMass 600\n"
    "front_wheel prefabs\\t\\wheel.x kolo_lp 0.5 0 0\n"
    "front_wheel prefabs\\t\\wheel.x kolo_pp 0.5 0 0\n"
    "wheel prefabs\\t\\wheel.x kolo_lt 0.5 0 0\n"
    "wheel prefabs\\t\\wheel.x kolo_pt 0.5 0 0\n"
    "hak hak\n"
    "zaczep prefabs\\t\\hitch.x zaczep zaczep_przyczepa zaczep_traktor\n";

class PhysicsTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        s_Driven.clear();
        s_Force = s_Steering = s_Brake = 0;
        ASSERT_TRUE(CreateDevice());
        ResetGlobal(g_Debug);
        ResetGlobal(g_Engine);
        ResetGlobal(g_EngineObject);
        ResetGlobal(g_CollisionMgr);
        ResetGlobal(g_RoutesMgr);
        ResetGlobal(g_Player);
        ResetGlobal(g_MeshSocketsMgr);
        g_MeshMgr.ReleaseAll();
        plat::SeedRandom(1);
        InstallHooks();
        WriteModels();
    }

    void TearDown() override {
        for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
        g_Physics.OnExitWorld();
        ResetGlobal(g_Physics);
        g_MeshMgr.ReleaseAll();
        g_WorldHooks = WorldHooks{};
        g_MeshHooks = MeshHooks{};
        g_VehiclesHooks = VehiclesHooks{};
        ResetGlobal(g_Engine);
        ResetGlobal(g_EngineObject);
        ResetGlobal(g_RoutesMgr);
        ResetGlobal(g_Player);
        ResetGlobal(g_Debug);
        DeviceTest::TearDown();
    }

    // The engine reaches the physics as the game's own hooks do; meshes read their objects.
    static void InstallHooks() {
        WorldHooks& h = g_WorldHooks;
        h = WorldHooks{};
        h.createTruckForObject = [](EObjectSlot* o) { g_Physics.CreateTruckForObject(o); };
        h.createObjectBody = [](EObjectSlot* o, const RigidBodyPhysicsParams* p) { g_Physics.CreateObjectBody(o, p); };
        h.removeObjectBody = [](EObjectSlot* o) { g_Physics.RemoveObjectBody(o); };
        h.setObjectBodyTransform = [](EObjectSlot* o, const DV& p, const EOrientation& r) {
            g_Physics.SetObjectBodyTransform(o, p, r);
        };
        h.physicsDeleteObject = [](EObjectSlot* o) { g_Physics.OnDeleteObject(o); };
        h.applyImpulseToObject = [](EObjectSlot* o, const DV& impulse) { g_Physics.ApplyImpulseToObject(o, &impulse); };
        MeshHooks& m = g_MeshHooks;
        m = MeshHooks{};
        m.ownerVisibility = [](const EObjectSlot* o) -> const DrawVisibility* { return o; };
        m.ownerPlacement = [](const EObjectSlot* o) {
            MeshOwnerPlacement placement;
            if (o) placement.position = o->m_vPosition;
            return placement;
        };
        m.ownerTransformed = [](EObjectSlot* o, const DV& scale, const pmath::Quaternion& rotation) {
            if (!o) return;
            o->m_vScale = scale;
            o->m_Orientation.SetQuaternion(&rotation);
        };
        m.setOwnerRadius = [](EObjectSlot* o, float radius) {
            if (o) o->m_fRadius = radius;
        };
        m.objectMesh = [](const EObjectSlot* o) -> EMesh* { return o && o->m_bUsed ? o->Mesh() : nullptr; };
    }

    // Tractor: 1.6 wide, 3 long, front +z, hook behind. Trailer: 2 wide, 4 long, its drawbar's
    // socket ahead of it. Drawbar: 1.5 long, its trailer end at its origin's height 0.6.
    void WriteModels() const {
        WriteFile(kGroundModel, GroundModel(200));
        WriteFile("prefabs\\t\\wheel.x", BoxModel({-0.2f, -kWheelRadius, -kWheelRadius}, {0.2f, kWheelRadius, kWheelRadius}));
        WriteFile(kTractorModel, BoxModel({-0.8f, 0.4f, -1.5f}, {0.8f, 2.0f, 1.5f}));
        WriteFile(kTrailerModel, BoxModel({-1, 0.8f, -2}, {1, 2.0f, 2}));
        WriteFile(kHitchModel, BoxModel({-0.1f, 0.5f, 0}, {0.1f, 0.7f, 1.5f}));
        WriteFile("scripts\\mesh_sockets\\tractor.txt",
                  "mesh_filename prefabs\\t\\tractor.x\n"
                  "socket kolo_lp -0.9 0.5 1.0\nsocket kolo_pp 0.9 0.5 1.0\n"
                  "socket kolo_lt -0.9 0.5 -1.0\nsocket kolo_pt 0.9 0.5 -1.0\n"
                  "socket hak 0 0.6 -1.9\nsocket kierownica 0 1.6 0.4\nsocket kierowca 0 1.4 0\n");
        WriteFile("scripts\\mesh_sockets\\trailer.txt",
                  "mesh_filename prefabs\\t\\trailer.x\n"
                  "socket kolo_lp -1.1 0.5 1.5\nsocket kolo_pp 1.1 0.5 1.5\n"
                  "socket kolo_lt -1.1 0.5 -1.5\nsocket kolo_pt 1.1 0.5 -1.5\n"
                  "socket hak 0 0.6 -2.2\nsocket zaczep 0 0.6 2.3\n");
        WriteFile("scripts\\mesh_sockets\\hitch.txt",
                  "mesh_filename prefabs\\t\\hitch.x\n"
                  "socket zaczep_przyczepa 0 0.6 0\nsocket zaczep_traktor 0 0.6 1.5\n");
    }

    // The sockets are read, the given vehicle files written and the world built.
    void InitPhysics(const std::vector<std::pair<std::string, std::string>>& vehicleFiles = {
                         {"tractor.txt", kTractorType}, {"trailer.txt", kTrailerType}}) {
        for (const auto& [name, text] : vehicleFiles) WriteFile("scripts\\vehicles\\" + name, text);
        g_MeshSocketsMgr.LoadAll();
        g_Physics.Init();
    }

    // A static ground of 400 x 400 at height 0.
    static EObjectSlot* AddGround(DV scale = {1, 1, 1}) {
        EObjectSlot* ground = AddObject(kGroundModel, {}, 0, "ground");
        g_Engine.SetObjectScaling(ground, scale);
        g_Physics.CreateStaticTriMesh(ground);
        return ground;
    }

    // A mesh object placed and turned (yaw about up) before it is made, so that a machine's
    // truck starts there.
    static EObjectSlot* AddObject(const char* model, DV position, float yaw = 0, const char* name = nullptr) {
        ObjectCreateParams params;
        params.m_bKind = OT_MESH;
        std::snprintf(params.m_szFileName, sizeof params.m_szFileName, "%s", model);
        params.m_uFlags = kDefaultObjectFlags;
        params.m_vPosition = position;
        params.m_Orientation = EOrientation::EOrientationFromYawPitchRoll(yaw, 0, 0);
        EObjectSlot* o = g_Engine.AddObject(&params);
        if (o && name) std::snprintf(o->m_szName, sizeof o->m_szName, "%s", name);
        return o;
    }

    // Frames of the machines' world: the drivers' wishes applied, then one step.
    static void Step(int frames, float frameTime = kStep) {
        for (int i = 0; i < frames; ++i) {
            g_Engine.m_fFrameTime = frameTime;
            for (EObjectSlot* driven : s_Driven) {
                g_Physics.SetTruckDrive(driven, s_Force, s_Steering);
                g_Physics.SetTruckBrake(driven, s_Brake);
                g_Physics.SetTruckControls(driven);
            }
            g_Physics.Update();
        }
    }

    // Drives the machine with these wishes on every following frame.
    static void Drive(EObjectSlot* machine, float force, float steering = 0, float brake = 0) {
        if (std::find(s_Driven.begin(), s_Driven.end(), machine) == s_Driven.end()) s_Driven.push_back(machine);
        s_Force = force;
        s_Steering = steering;
        s_Brake = brake;
    }

    static float Yaw(const EObjectSlot* o) { return std::atan2(o->m_Orientation.m_Front.x, o->m_Orientation.m_Front.z); }

    static inline std::vector<EObjectSlot*> s_Driven;
    static inline float s_Force = 0, s_Steering = 0, s_Brake = 0;

};

}  // namespace test
