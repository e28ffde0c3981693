// The demo game's own machines, from the assembled game's vehicle types, models and sockets: the
// tractor stands on its wheels on the demo ground and tows the trailer, its driver in the seat.
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "PhysicsFixture.h"
#include "core/EConsole.h"
#include "core/FrameFacts.h"
#include "vehicles/CPlayer.h"
#include "vehicles/MachineRecord.h"
#include "vehicles/VehiclesHooks.h"

namespace test {
namespace {

class DemoMachinesTest : public PhysicsTest {
protected:
    void SetUp() override {
        PhysicsTest::SetUp();
        for (const char* folder : {"prefabs", "scripts", "models"})
            std::filesystem::copy(std::filesystem::path(FURROW_GAME_DIR) / folder, m_dir.path() / folder,
                                  std::filesystem::copy_options::recursive |
                                      std::filesystem::copy_options::overwrite_existing);
        g_MeshSocketsMgr.LoadAll();
        g_Physics.Init();
    }

    EObjectSlot* Machine(const char* model, DV at) {
        EObjectSlot* o = AddObject(model, at);
        EXPECT_NE(o, nullptr) << model;
        EXPECT_NE(o ? o->m_hTruck : nullptr, nullptr) << model;
        return o;
    }
};

// The drivable machines come first, so the profiles' machine numbers keep their types; the
// combine and the implements follow.
TEST_F(DemoMachinesTest, TheTypesAreTheTractorsTheTrailersTheCombineAndTheImplements) {
    const char* const names[] = {"Race Tractor", "Field Tractor", "Farm Trailer", "Grain Trailer",
                                 "Combine Harvester", "Plough", "Seeder", "Potato Planter", "Mower",
                                 "Round Baler", "Cube Baler", "Loader Tractor", "Intro Tractor"};
    ASSERT_EQ(g_Physics.m_uVehicleCount, std::size(names));
    for (uint32_t i = 0; i < std::size(names); ++i) EXPECT_STREQ(g_Physics.m_Vehicles[i].m_szName, names[i]);
    EXPECT_STREQ(g_Physics.PickRandomVehicle(false, true, 1), "prefabs\\racer\\body_nocenter.x");
    EXPECT_STREQ(g_Physics.PickRandomVehicle(true, false, 0), "prefabs\\combine\\body_nocenter.x");
    for (uint32_t i = 0; i < 4; ++i) {
        const VehicleType& t = g_Physics.m_Vehicles[i];
        EXPECT_EQ(t.m_uWheelCount, 4u) << t.m_szName;
        const std::string sound = t.m_szEngineSound;
        const std::string file = sound.substr(sound.find_last_of('\\') + 1);
        EXPECT_TRUE(sound.empty() || std::filesystem::exists(std::filesystem::path(FURROW_GAME_DIR) / "sounds" / file))
            << t.m_szName;
    }
}

// Every part a machine hangs on its body finds its socket there: wheels, steering wheel, hooks and
// the trailer's hitch for every type, and for the types a player drives also the cockpit eye
// ("kamera"), the driver's seat ("kierowca") and the exhaust ("rura"). The eye sits at a seated
// driver's eye height above the seat, inside the body, and every wheel's socket at the height of
// its model's axle, so that the drawn wheel stands where the physics holds it.
TEST_F(DemoMachinesTest, EveryTypeCarriesTheSocketsItsPartsHangOn) {
    ASSERT_GT(g_Physics.m_uVehicleCount, 0u);
    for (uint32_t i = 0; i < g_Physics.m_uVehicleCount; ++i) {
        const VehicleType& type = g_Physics.m_Vehicles[i];
        const DV at{10.0f * i, 0.3f, 0};
        EObjectSlot* m = Machine(type.m_szPrefab, at);
        ASSERT_TRUE(m && m->Mesh() && m->m_hTruck) << type.m_szName;
        auto socket = [&](const char* name, DV& local) {
            DV world;
            const bool found = g_Engine.GetObjectSocket(m, name, &world, nullptr);
            local = world - at;
            return found;
        };
        std::vector<std::string> names;
        for (uint32_t k = 0; k < type.m_uWheelCount; ++k) names.push_back(type.m_szWheelSocket[k]);
        if (type.m_szSteeringWheelModel[0]) names.push_back(type.m_szSteeringWheelSocket);
        for (const VehicleType::Hook& hook : type.m_Hooks)
            if (hook.m_bSet) names.push_back(hook.m_szSocket);
        if (type.m_szHitchPrefab[0]) names.push_back(type.m_szHitchSocket);
        if (type.m_bPlayerCanDrive)
            for (const char* name : {"kamera", "kierowca", "rura"}) names.push_back(name);
        DV local;
        for (const std::string& name : names) EXPECT_TRUE(socket(name.c_str(), local)) << type.m_szName << ": " << name;

        for (uint32_t k = 0; k < type.m_uWheelCount; ++k) {
            ASSERT_TRUE(socket(type.m_szWheelSocket[k], local));
            EXPECT_NEAR(local.y, m->m_hTruck->m_fWheelRadius[k], 0.03f) << type.m_szName << ": " << type.m_szWheelSocket[k];
        }
        if (!type.m_bPlayerCanDrive) continue;
        DV eye, seat, wheel;
        ASSERT_TRUE(socket("kamera", eye) && socket("kierowca", seat) && socket(type.m_szSteeringWheelSocket, wheel));
        EXPECT_GT(eye.y - seat.y, 0.6f) << type.m_szName;
        EXPECT_LT(eye.y - seat.y, 1.0f) << type.m_szName;
        EXPECT_LT(std::fabs(eye.x), 0.3f) << type.m_szName;
        EXPECT_GT(wheel.z, seat.z) << type.m_szName << ": the steering wheel is in front of the seat";
        const EMesh* body = m->Mesh();
        auto along = [](const DV& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; };
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_GT(along(eye, axis), along(body->m_vMin, axis)) << type.m_szName << ": the eye is outside the body";
            EXPECT_LT(along(eye, axis), along(body->m_vMax, axis)) << type.m_szName << ": the eye is outside the body";
        }
    }
}

TEST_F(DemoMachinesTest, TheTractorSettlesOnItsWheelsAndTowsTheTrailer) {
    EObjectSlot* ground = AddObject("prefabs\\ground\\field.x", {});
    g_Physics.CreateStaticTriMeshes();
    ASSERT_NE(ground->m_pPhysicsBody, nullptr);
    EObjectSlot* tractor = Machine("prefabs\\tractor\\body_nocenter.x", {0, 0.3f, 0});
    // The drawbar (1.5 long) reaches from the trailer's socket, 2.1 ahead of it, to the tractor's
    // hook 1.5 behind the tractor.
    EObjectSlot* trailer = Machine("prefabs\\trailer\\trailer_nocenter.x", {0, 0.3f, -5.1f});
    EObjectSlot* racer = Machine("prefabs\\racer\\body_nocenter.x", {8, 0.3f, 0});
    g_Physics.CoupleImplement(tractor, trailer);
    ASSERT_EQ(trailer->m_hTruck->m_pPartner, tractor);
    Step(180);
    ASSERT_NE(tractor->m_hTruck->m_pDriver, nullptr);
    EXPECT_NE(tractor->m_hTruck->m_pDriver->SkinMesh(), nullptr);
    for (const EObjectSlot* m : {tractor, trailer, racer}) {
        EXPECT_NEAR(m->m_vPosition.y, kRestHeight, 0.01f) << m->m_szFileName;
        EXPECT_GT(m->m_Orientation.m_Up.y, 0.999f) << m->m_szFileName;
    }
    EXPECT_NEAR(trailer->m_vPosition.z, -5.1f, 0.1f);
    for (const char* broken : {"Can't read", "Failed", "FAILED", "has not enough wheels"})
        EXPECT_EQ(ConsoleLog().find(broken), std::string::npos) << broken;

    // A machine at rest sleeps; the one a driver takes is kept awake, as the player's is.
    g_Physics.DisableTruckDeactivation(tractor);
    g_Physics.ReleaseTruckControls(tractor);
    Drive(tractor, 2000);
    Step(240);
    EXPECT_GT(tractor->m_vPosition.z, 8.0f);
    EXPECT_GT(trailer->m_vPosition.z, 3.0f);
    EXPECT_LT(pmath::Length(trailer->m_hTruck->m_vHitchTractorSocketWorld - tractor->m_hTruck->m_vHookWorld), 0.3f);
}

// The implements hang on the field tractor where the player's set-up puts them (4 behind the
// tractor, the working tools raised 1.6) and settle there upright; the grain trailer follows the
// tractor through a turn on its drawbar.
TEST_F(DemoMachinesTest, TheImplementsCoupleToTheTractorAndTheGrainTrailerFollowsThroughATurn) {
    EObjectSlot* ground = AddObject("prefabs\\ground\\field.x", {});
    g_Physics.CreateStaticTriMeshes();
    ASSERT_NE(ground->m_pPhysicsBody, nullptr);
    struct Case {
        const char* model;
        float lift;
    } cases[] = {{"prefabs\\pojazdy\\przyczepa_ov\\przyczepa_ov_nocenter.x", 0},
                 {"prefabs\\pojazdy\\plug_ov\\plug_ov_nocenter.x", 1.6f},
                 {"prefabs\\pojazdy\\siewnik_ov\\siewnik_ov_nocenter.x", 1.6f},
                 {"prefabs\\pojazdy\\sadzarka_ov\\sadzarka_nocenter.x", 1.6f},
                 {"prefabs\\pojazdy\\kosa_ov\\kosa_ov_nocenter.x", 1.6f},
                 {"prefabs\\pojazdy\\prasa_ov\\prasa_ov_nocenter.x", 0},
                 {"prefabs\\pojazdy\\prasa_kostka\\prasa_kostka_nocenter.x", 0}};
    std::vector<std::pair<EObjectSlot*, EObjectSlot*>> pairs;
    float x = -60;
    for (const Case& c : cases) {
        EObjectSlot* tractor = Machine("prefabs\\tractor\\body_nocenter.x", {x, 0.3f, 0});
        EObjectSlot* implement = Machine(c.model, {x, 0.3f + c.lift, -4});
        g_Physics.CoupleImplement(tractor, implement);
        EXPECT_EQ(implement->m_hTruck->m_pPartner, tractor) << c.model;
        pairs.emplace_back(tractor, implement);
        x += 20;
    }
    Step(180);
    for (const auto& [tractor, implement] : pairs) {
        SCOPED_TRACE(implement->m_szFileName);
        EXPECT_GT(implement->m_Orientation.m_Up.y, 0.9f);
        EXPECT_LT(pmath::Length(implement->m_vPosition - tractor->m_vPosition), 6.0f);
        EXPECT_GT(tractor->m_Orientation.m_Up.y, 0.98f);
    }
    for (const char* broken : {"Can't read", "Failed", "FAILED", "has not enough wheels"})
        EXPECT_EQ(ConsoleLog().find(broken), std::string::npos) << broken;

    auto [tractor, trailer] = pairs[0];
    g_Physics.DisableTruckDeactivation(tractor);
    g_Physics.ReleaseTruckControls(tractor);
    Drive(tractor, 2000);
    Step(180);
    Drive(tractor, 2000, 0.4f);
    Step(180);
    const Truck* t = trailer->m_hTruck;
    EXPECT_GT(Yaw(tractor), 1.0f) << "the tractor turned";
    EXPECT_GT(Yaw(trailer), 0.5f) << "the trailer turned after it";
    EXPECT_LT(pmath::Length(t->m_vHitchTractorSocketWorld - tractor->m_hTruck->m_vHookWorld), 0.3f);
    EXPECT_GT(trailer->m_Orientation.m_Up.y, 0.98f);
}

// The loader tractor's arms come down, take the round bale lying before its nose as they rise,
// carry it up and set it down again with a push.
TEST_F(DemoMachinesTest, TheFrontLoaderLiftsARoundBaleAndSetsItDown) {
    EObjectSlot* ground = AddObject("prefabs\\ground\\field.x", {});
    g_Physics.CreateStaticTriMeshes();
    ASSERT_NE(ground->m_pPhysicsBody, nullptr);
    EObjectSlot* tractor = Machine("prefabs\\ladowacz\\body_nocenter.x", {0, 0.3f, 0});
    Truck* t = tractor->m_hTruck;
    ASSERT_TRUE(t->m_bTur);
    EObjectSlot* loader = t->m_pSkinAttachments[0];
    ASSERT_TRUE(loader && loader->SkinMesh());
    // As the player's machine its loader's animation is stepped before each frame is drawn.
    g_Player.m_pVehicle = tractor;
    g_Physics.DisableTruckDeactivation(tractor);
    g_FrameFacts.frameTime = kStep;
    const auto frame = [] {
        Step(1);
        g_Physics.UpdatePlayerFrontLoader();
    };
    for (int i = 0; i < 60; ++i) frame();
    float frameTime = kStep;
    g_Physics.ToggleFrontLoader(frameTime, tractor, 0);
    EXPECT_EQ(t->m_iFrontLoaderState, 3);
    int frames = 0;
    for (; t->m_iFrontLoaderState == 3 && frames < 300; ++frames) frame();
    EXPECT_EQ(t->m_iFrontLoaderState, 1);
    EXPECT_NEAR(frames * kStep, 1.5f, 0.1f);
    DV down;
    ASSERT_TRUE(g_Engine.GetObjectSocket(loader, "bela", &down, nullptr));
    EXPECT_LT(down.y, 1.2f) << "the grab comes down to a lying bale";
    EXPECT_GT(down.z, 2.5f) << "before the tractor's nose";

    EObjectSlot* bale = AddObject("prefabs\\obiekty\\bala.x", down);
    g_Physics.ToggleFrontLoader(frameTime, tractor, 1);
    EXPECT_EQ(t->m_pHeldBale, bale);
    for (frames = 0; t->m_iFrontLoaderState == 2 && frames < 300; ++frames) frame();
    EXPECT_EQ(t->m_iFrontLoaderState, 4);
    EXPECT_GT(bale->m_vPosition.y, down.y + 1.5f) << "carried up on the grab";

    g_Physics.ToggleFrontLoader(frameTime, tractor, 0);
    for (frames = 0; t->m_iFrontLoaderState == 3 && frames < 300; ++frames) frame();
    EXPECT_EQ(t->m_pHeldBale, nullptr);
    ASSERT_NE(bale->m_pPhysicsBody, nullptr);
    for (int i = 0; i < 120; ++i) frame();
    EXPECT_LT(bale->m_vPosition.y, 1.0f) << "set down on the ground";
    for (const char* broken : {"Tur nie ma socketa", "FAILED", "ERROR"})
        EXPECT_EQ(ConsoleLog().find(broken), std::string::npos) << broken;
    g_FrameFacts = FrameFacts{};
}

}  // namespace
}  // namespace test

namespace test {
namespace {

// The player's machine comes from the current machine record's vehicle type; a record pointing
// past the loaded types (a damaged or older profile) gets the first type, and says so.
TEST_F(DemoMachinesTest, ThePlayersMachineFollowsItsRecordAndAnUnknownTypeFallsBackToTheFirst) {
    static MachineRecord s_machine;
    g_VehiclesHooks.currentMachine = [] { return static_cast<const MachineRecord*>(&s_machine); };
    struct Case {
        uint32_t type;
        const char* model;
        bool warned;
    } cases[] = {{1, "prefabs\\tractor\\body_nocenter.x", false}, {4, "prefabs\\combine\\body_nocenter.x", false},
                 {13, "prefabs\\racer\\body_nocenter.x", true},
                 {0xFFFFFFFFu, "prefabs\\racer\\body_nocenter.x", true}};
    for (const Case& c : cases) {
        s_machine.m_uVehicleType = c.type;
        TworzPostacGracza();
        ASSERT_NE(g_Player.m_pVehicle, nullptr) << c.type;
        EXPECT_STREQ(g_Player.m_pVehicle->m_szFileName, c.model);
        EXPECT_STREQ(g_Player.m_pVehicle->m_szName, "PlayerTruck");
        EXPECT_NE(g_Player.m_pVehicle->m_hTruck, nullptr);
        bool warned = false;
        for (int i = 0; i < 8; ++i)
            warned = warned || std::string(g_Console.RecentLine(i)).find("the first type is used") != std::string::npos;
        EXPECT_EQ(warned, c.warned) << c.type;
        g_Engine.DeleteObject(g_Player.m_pVehicle);
        g_Console.Print("-");
    }
    // No record: no machine.
    g_VehiclesHooks.currentMachine = [] { return static_cast<const MachineRecord*>(nullptr); };
    TworzPostacGracza();
    EXPECT_EQ(g_Player.m_pVehicle, nullptr);
}

}  // namespace
}  // namespace test
