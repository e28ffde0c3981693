#pragma once
// A null device, a fresh engine and object passes, and world hooks that record what the engine
// asks of the floors above it, in order.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "collision/ECollisionMgr.h"
#include "core/CoreHooks.h"
#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "mesh/EMeshMgr.h"
#include "render/CShadowMaps.h"
#include "render/ERenderer.h"
#include "render/RenderHooks.h"
#include "support/DeviceTest.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/EEngineObject.h"
#include "world/WorldHooks.h"

namespace test {

// The hook calls the engine made, by name; "name arg" where the call has one worth telling.
inline std::vector<std::string> g_EngineCalls;
// What the recording hooks answer.
inline uint32_t g_LevelFrame = 0;
inline bool g_MenuActive = false;
inline bool g_HasPlayerMachine = false;
inline DV g_PlayerMachine;
inline bool g_HudForcedLook = false;
inline float g_Steering = 0;

inline void Record(const std::string& call) { g_EngineCalls.push_back(call); }
inline std::string Name(const EObjectSlot* o) { return o ? o->m_szName : "(null)"; }

inline void InstallRecordingWorldHooks() {
    g_EngineCalls.clear();
    g_LevelFrame = 0;
    g_MenuActive = g_HasPlayerMachine = g_HudForcedLook = false;
    g_Steering = 0;
    WorldHooks& h = g_WorldHooks;
    h = WorldHooks{};
    h.mainGameInit = [] { Record("mainGameInit"); };
    h.mainGameWorldStart = [] { Record("mainGameWorldStart"); };
    h.mainGameLoadResources = [] { Record("mainGameLoadResources"); };
    h.mainGameReleaseResources = [] { Record("mainGameReleaseResources"); };
    h.mainGameUpdateMusic = [] { Record("mainGameUpdateMusic"); };
    h.mainGamePlayMusic = [](const char* file) { Record(std::string("mainGamePlayMusic ") + (file ? file : "(null)")); };
    h.levelFrame = [] { return g_LevelFrame; };
    h.menuInit = [] { Record("menuInit"); };
    h.menuRelease = [] { Record("menuRelease"); };
    h.menuActive = [] { return g_MenuActive; };
    h.beginLoadingScreen = [](const char* world) { Record(std::string("beginLoadingScreen ") + world); };
    h.createLoadingBar = [] { Record("createLoadingBar"); };
    h.autoMapLoad = [] { Record("autoMapLoad"); };
    h.autoMapRelease = [] { Record("autoMapRelease"); };
    h.autoMapUpdate = [] { Record("autoMapUpdate"); };
    h.hudForcedLook = [](bool on) { g_HudForcedLook = on; };
    h.physicsInit = [] { Record("physicsInit"); };
    h.physicsShutdown = [] { Record("physicsShutdown"); };
    h.physicsExitWorld = [] { Record("physicsExitWorld"); };
    h.physicsResetRunCounters = [] { Record("physicsResetRunCounters"); };
    h.createTruckForObject = [](EObjectSlot* o) { Record("createTruckForObject " + Name(o)); };
    h.createObjectBody = [](EObjectSlot* o, const RigidBodyPhysicsParams*) { Record("createObjectBody " + Name(o)); };
    h.removeObjectBody = [](EObjectSlot* o) { Record("removeObjectBody " + Name(o)); };
    h.applyImpulseToObject = [](EObjectSlot* o, const DV&) { Record("applyImpulseToObject " + Name(o)); };
    h.physicsDeleteObject = [](EObjectSlot* o) { Record("physicsDeleteObject " + Name(o)); };
    h.releaseTruckControls = [](EObjectSlot* o) { Record("releaseTruckControls " + Name(o)); };
    h.disableTruckDeactivation = [](EObjectSlot* o) { Record("disableTruckDeactivation " + Name(o)); };
    h.truckHitchToMarker = [](EObjectSlot* o) { Record("truckHitchToMarker " + Name(o)); };
    h.truckUnhitchFromMarker = [](EObjectSlot* o) { Record("truckUnhitchFromMarker " + Name(o)); };
    h.driveTruck = [](EObjectSlot* o, float, float steering) {
        Record("driveTruck " + Name(o));
        g_Steering = steering;
    };
    h.playerMachinePosition = [](DV& position) {
        position = g_PlayerMachine;
        return g_HasPlayerMachine;
    };
    h.plantLoadGrass = [] { Record("plantLoadGrass"); };
    h.plantRelease = [] { Record("plantRelease"); };
    h.plantUpdateFieldWork = [] { Record("plantUpdateFieldWork"); };
    h.groundInit = [] { Record("groundInit"); };
    h.groundResolveTextures = [] { Record("groundResolveTextures"); };
    h.groundClearEffects = [] { Record("groundClearEffects"); };
    h.groundTrimDefinitions = [] { Record("groundTrimDefinitions"); };
    h.groundUpdateVB = [] { Record("groundUpdateVB"); };
    h.groundRender = [] { Record("groundRender"); };
}

// A model file the mesh loader reads: one triangle.
inline constexpr const char* kTriangleModel =
    "xof 0303txt 0032\n"
    "Mesh {\n 3;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 0.0;0.0;1.0;;\n 1;\n 3;0,1,2;;\n}\n";

class EngineTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_TRUE(CreateDevice());
        ResetGlobal(g_Debug);
        ResetGlobal(g_Engine);
        ResetGlobal(g_EngineObject);
        ResetGlobal(g_Camera);
        // The tests place their objects around an eye at the origin, not at the camera's start.
        g_Camera.m_vPosition = DV{};
        ResetGlobal(g_CollisionMgr);
        ResetGlobal(g_ShadowMaps);
        InstallRecordingWorldHooks();
        g_CoreHooks = CoreHooks{};
        g_CoreHooks.hasFocus = [] { return true; };
        WriteFile("m\\box.x", kTriangleModel);
    }

    void TearDown() override {
        for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
        g_EngineObject.OnEndWorld();
        // Models cached by one test must not stand in for files the next test lacks.
        g_MeshMgr.ReleaseAll();
        g_WorldHooks = WorldHooks{};
        g_CoreHooks = CoreHooks{};
        ResetGlobal(g_Engine);
        ResetGlobal(g_EngineObject);
        ResetGlobal(g_Camera);
        ResetGlobal(g_ShadowMaps);
        ResetGlobal(g_Debug);
        DeviceTest::TearDown();
    }

    static EObjectSlot* AddMesh(const char* name, DV position = {}, const char* file = "m\\box.x") {
        EObjectSlot* o = g_Engine.CreateObject(OT_MESH, file, kDefaultObjectFlags, 0, &position, nullptr);
        if (o && name) std::snprintf(o->m_szName, sizeof o->m_szName, "%s", name);
        return o;
    }

    static EObjectSlot* AddLight(const char* name, DV position = {}) {
        ObjectCreateParams params;
        params.m_bKind = OT_LIGHT;
        params.m_vPosition = position;
        EObjectSlot* o = g_Engine.AddObject(&params);
        if (o && name) std::snprintf(o->m_szName, sizeof o->m_szName, "%s", name);
        return o;
    }

    // The calls recorded since the last look, then forgotten.
    static std::vector<std::string> TakeCalls() {
        std::vector<std::string> calls;
        calls.swap(g_EngineCalls);
        return calls;
    }

    std::vector<std::string> ConsoleLines() const { return ReadLines("!console.txt"); }

    // Heap blocks counted under the tag in the allocation registry.
    static uint32_t TagCount(const char* tag) {
        for (int i = 0; i < EDebug::kTagSlots; ++i)
            if (g_Debug.m_bTagUsed[i] && std::strcmp(g_Debug.m_szTagNames[i], tag) == 0) return g_Debug.m_uTagCounts[i];
        return 0;
    }
};

}  // namespace test
