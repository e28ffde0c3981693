#pragma once
// Field work on fixture fields: the plants fixture with the ground marks made, a current route of
// the task, the player's machine as a bare truck record, and implements and combines as engine
// objects with truck records and the sockets the work reads.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "mesh/EMeshSocketsMgr.h"
#include "mesh/MeshHooks.h"
#include "vehicles/CPlayer.h"
#include "vehicles/PGroundMgr.h"
#include "vehicles/PlantsFixture.h"
#include "vehicles/Truck.h"
#include "world/CRoutesMgr.h"

namespace test {

class FieldWorkTest : public PlantsTest {
protected:
    static constexpr float kFrame = 1.0f / 30;

    void SetUp() override {
        PlantsTest::SetUp();
        ResetGlobal(g_Player);
        ResetGlobal(g_GroundMgr);
        ResetGlobal(g_MeshSocketsMgr);
        g_GroundMgr.Init();
        g_MeshHooks.objectMesh = [](const EObjectSlot* o) -> EMesh* { return o && o->m_bUsed ? o->Mesh() : nullptr; };
        m_Route.Reset();
        g_RoutesMgr.m_pCurrentRoute = &m_Route;
        m_Vehicle.m_hTruck = &m_VehicleTruck;
        g_Player.m_pVehicle = &m_Vehicle;
        g_Engine.m_fFrameTime = kFrame;
    }
    void TearDown() override {
        for (EObjectSlot& o : g_Engine.m_Objects) o.m_hTruck = nullptr;
        m_Vehicle.m_hTruck = nullptr;
        g_RoutesMgr.m_pCurrentRoute = nullptr;
        ResetGlobal(g_Player);
        g_GroundMgr.Shutdown();
        ResetGlobal(g_GroundMgr);
        ResetGlobal(g_MeshSocketsMgr);
        PlantsTest::TearDown();
    }

    // The route works the field named.
    void Task(uint8_t RouteRecord::*flag, const char* field = "pole01") {
        m_Route.*flag = 1;
        std::snprintf(m_Route.m_szField, sizeof m_Route.m_szField, "%s", field);
    }

    // An engine object with a truck record of its own, made from a box model whose sockets are
    // given as "name x y z" lines.
    EObjectSlot* Machine(const char* name, const std::string& sockets = "", DV at = {}) {
        const std::string model = std::string("m\\") + name + ".x";
        WriteFile(model, QuadModel(-0.5f, -0.5f, 0.5f, 0.5f, 50, 50, "field.tga"));
        if (!sockets.empty()) {
            WriteFile(std::string("scripts\\mesh_sockets\\") + name + ".txt", "mesh_filename " + model + "\n" + sockets);
            g_MeshSocketsMgr.LoadAll();
        }
        EObjectSlot* o = AddMesh(name, at, model.c_str());
        if (!o) return nullptr;
        // Out of the way of the rays that find the fields.
        o->m_uFlags &= ~FLAG_STATIC_LEVEL_MESH;
        m_Trucks.push_back(std::make_unique<Truck>());
        o->m_hTruck = m_Trucks.back().get();
        return o;
    }

    // The implement coupled behind the player's machine.
    void Couple(EObjectSlot* implement) {
        m_VehicleTruck.m_pPartner = implement;
        g_Player.m_pImplement = implement;
    }

    // Moves an object (its sockets follow).
    static void MoveTo(EObjectSlot* o, DV at) { g_Engine.SetObjectPosition(o, at, false); }

    // One frame of the main game's field work, then the engine's hub.
    static void Frame() {
        g_PlantMgr.UpdateHarvest();
        g_PlantMgr.UpdateGrassMowing();
        g_PlantMgr.UpdateBaling();
        g_PlantMgr.UpdatePloughing();
        g_PlantMgr.UpdatePlanting();
        g_PlantMgr.UpdateSowing();
        g_PlantMgr.UpdateFieldWork();
    }

    static float Progress(EPlantMgr::Progress p) { return g_PlantMgr.m_fProgress[p]; }

    RouteRecord m_Route;
    EObjectSlot m_Vehicle;
    Truck m_VehicleTruck;
    std::vector<std::unique_ptr<Truck>> m_Trucks;
};

}  // namespace test
