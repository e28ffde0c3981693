// The parts that ride on a machine: trailer steering, the driver's pose, the steering wheel,
// grain heaps and unloading, and the machines' sounds.
#include "PhysicsFixture.h"

#include "audio/CSoundMgr.h"
#include "mesh/ESkinMesh.h"
#include "platform/sound/NullSound.h"
#include "tools/SoundSynth.h"

namespace test {
namespace {

const std::string kCombineType =
    "Vehicle Combine\nprefab prefabs\\t\\combine.x\nkombajn\nplayer_can_drive\n"
    "wheel prefabs\\t\\wheel.x kolo_lt 0.5 0 0\n"
    "rotate_cmd1 1.2 0\nattachment prefabs\\t\\wheel.x rura\n"
    "attachment_zboze prefabs\\t\\wheel.x kupa\nattachment prefabs\\t\\wheel.x nowhere\n";
const std::string kGrainTrailerType = "Vehicle Grain\nprefab prefabs\\t\\grain.x\nprzyczepa\nattachment_zboze prefabs\\t\\wheel.x kupa\n";
const std::string kLargeTrailerType =
    "Vehicle Large\nprefab prefabs\\t\\large.x\nprzyczepa\nprzyczepa_duza\nattachment_zboze prefabs\\t\\wheel.x kupa\n";

class AccessoriesTest : public PhysicsTest {
protected:
    void SetUp() override {
        PhysicsTest::SetUp();
        for (const char* model : {"prefabs\\t\\combine.x", "prefabs\\t\\grain.x", "prefabs\\t\\large.x"})
            WriteFile(model, BoxModel({-1, 0.3f, -1}, {1, 1, 1}));
        for (const char* name : {"combine", "grain", "large"})
            WriteFile(std::string("scripts\\mesh_sockets\\") + name + ".txt",
                      std::string("mesh_filename prefabs\\t\\") + name + ".x\n"
                      "socket kolo_lt 0 0.5 0\nsocket rura 0 2 0\nsocket kupa 0 1 0\nsocket zboze 0 3 1\n");
        InitPhysics({{"tractor.txt", kTractorType}, {"trailer.txt", kTrailerType}, {"combine.txt", kCombineType},
                     {"grain.txt", kGrainTrailerType}, {"large.txt", kLargeTrailerType}});
        g_Engine.m_fFrameTime = kStep;
    }

    // A skinned driver on the machine: skinned models cannot be read yet, so the slot is made
    // by hand and the engine deletes it as its own.
    static EObjectSlot* HandMadeDriver(Truck* t) {
        EObjectSlot* d = &g_Engine.m_Objects[EEngine::kFirstSkinMeshSlot];
        d->m_bUsed = 1;
        d->Type = OT_SKINMESH;
        auto* skin = new ESkinMesh;
        skin->m_hObject = d;
        d->Object = skin;
        g_Debug.AddAlloc("ESkinMesh");
        t->m_pDriver = d;
        return d;
    }
};

TEST_F(AccessoriesTest, ATowedTrailerSteersByTheAngleToItsTractorUpToAcosOfSixTenths) {
    EObjectSlot* tractor = AddObject(kTractorModel, {0, 0, 0});
    EObjectSlot* trailer = AddObject(kTrailerModel, {0, 0, -5.7f});
    g_Physics.CoupleImplement(tractor, trailer);
    ASSERT_EQ(trailer->m_hTruck->m_pTowing, tractor);
    struct Case {
        float tractorYaw;
        float steering;
    };
    const float widest = std::acos(0.6f);
    for (const Case c : {Case{0, 0}, Case{0.3f, 0.3f}, Case{-0.3f, -0.3f}, Case{1.5708f, widest}, Case{-1.5708f, -widest},
                         Case{3.0f, widest}}) {
        tractor->m_Orientation = EOrientation::EOrientationFromYawPitchRoll(c.tractorYaw, 0, 0);
        g_Physics.UpdateTrailerSteering();
        EXPECT_NEAR(trailer->m_hTruck->m_fTargetSteering, c.steering, 1e-4f) << c.tractorYaw;
        EXPECT_NEAR(trailer->m_hTruck->m_pVehicle->getWheelInfo(0).m_steering, c.steering, 1e-4f) << c.tractorYaw;
        EXPECT_FLOAT_EQ(trailer->m_hTruck->m_pVehicle->getWheelInfo(2).m_steering, 0) << "rear wheels never steer";
    }
}

TEST_F(AccessoriesTest, TheDriverTurnsWithTheSteeringOnlyNearTheCamera) {
    EObjectSlot* tractor = AddObject(kTractorModel, {0, 0, 0});
    Truck* t = tractor->m_hTruck;
    EObjectSlot* driver = HandMadeDriver(t);
    const ESkinMesh* skin = driver->SkinMesh();
    struct Case {
        float steering;
        const char* animation;
        float held;
    };
    const Case cases[] = {{-0.0041f, "turn_left", 0.025625f}, {0.004f, "drive", 0}, {0.08f, "turn_right", 0.5f},
                          {-0.004f, "drive", 0}};
    for (const Case& c : cases) {
        t->m_fCurrentSteering = c.steering;
        g_Physics.UpdateDriver(kStep, tractor);
        EXPECT_STREQ(driver->m_szAnimation, c.animation) << c.steering;
        EXPECT_NEAR(skin->m_dExternalTime, c.held, 1e-5f) << c.steering;
        EXPECT_FALSE(skin->m_bAdvanceTime) << c.steering;
    }
    // On its socket; 30 or more from the camera it keeps its pose.
    EXPECT_NEAR(driver->m_vPosition.y, 1.4f, 1e-5f);
    tractor->m_fCameraDistance = 30;
    t->m_fCurrentSteering = 0.5f;
    g_Physics.UpdateDriver(kStep, tractor);
    EXPECT_STREQ(driver->m_szAnimation, "drive");
    // The player's own driver sinks out of sight in the cockpit cameras once the countdown is over.
    g_Player.m_pVehicle = tractor;
    g_Physics.UpdateDriver(kStep, tractor);
    EXPECT_NEAR(driver->m_vPosition.y, 1.4f, 1e-4f);
    g_Player.m_iCountdown = -1;
    g_Physics.UpdateDriver(kStep, tractor);
    EXPECT_NEAR(driver->m_vPosition.y, 1.4f - 16, 1e-4f);
}

TEST_F(AccessoriesTest, TheSteeringWheelTurnsWithTheSteeringOnItsSocket) {
    EObjectSlot* tractor = AddObject(kTractorModel, {0, 0, 0});
    Truck* t = tractor->m_hTruck;
    t->m_fSteeringCorrection = 0;
    t->m_fCurrentSteering = 0.2f;
    g_Physics.UpdateSteeringWheel(tractor);
    const EObjectSlot* wheel = t->m_pSteeringWheel;
    EXPECT_EQ(wheel->m_vPosition, (DV{0, 1.6f, 0.4f}));
    EXPECT_NEAR(std::atan2(wheel->m_Orientation.m_Front.x, wheel->m_Orientation.m_Front.z), 0.5f, 1e-4f);
    std::snprintf(t->m_szSteeringWheelSocket, sizeof t->m_szSteeringWheelSocket, "gone");
    g_Physics.UpdateSteeringWheel(tractor);
    EXPECT_TRUE(Logged("FAILED reading socket gone dla Test Tractor"));
}

TEST_F(AccessoriesTest, AGrainHeapGrowsAndRisesWithTheFill) {
    struct Case {
        const char* model;
        double fill;
        float scale;
        float rise;
    };
    const Case cases[] = {{"prefabs\\t\\grain.x", 0, 1, 0},
                          {"prefabs\\t\\grain.x", 0.5, 6, 0.25f},
                          {"prefabs\\t\\grain.x", 1.0, 11, 0.5f},
                          {"prefabs\\t\\grain.x", 3.0, 11, 0.5f},
                          {"prefabs\\t\\large.x", 1.0, 12, 1.2f}};
    float x = 0;
    for (const Case& c : cases) {
        EObjectSlot* trailer = AddObject(c.model, {x += 10, 0, 0});
        Truck* t = trailer->m_hTruck;
        t->m_dGrainFill = c.fill;
        g_Physics.UpdateTruckAttachments(kStep, trailer);
        const EObjectSlot* heap = t->m_pAttachments[0];
        EXPECT_EQ(heap->m_vScale, (DV{1, c.scale, 1})) << c.model << " " << c.fill;
        EXPECT_NEAR(heap->m_vPosition.y, 1 + c.rise, 1e-5f) << c.model << " " << c.fill;
    }
}

TEST_F(AccessoriesTest, UnloadingEmptiesALowTankInOneStepAndStopsTheFrameAfter) {
    EObjectSlot* combine = AddObject("prefabs\\t\\combine.x", {0, 0, 0});
    Truck* t = combine->m_hTruck;
    t->m_dGrainFill = 0.004;
    g_Physics.SetCombinePipeOut(combine, 1);
    g_Physics.SetCombineUnloading(combine, 1);
    g_Physics.UpdateTruckAttachments(0.06f, combine);
    EXPECT_EQ(t->m_dGrainFill, 0.0);
    EXPECT_TRUE(t->m_bUnloading);
    EXPECT_NEAR(t->m_fSwingAngle[0], 0.9f * 0.06f, 1e-6f) << "the pipe swings out at 0.9 per second";
    g_Physics.UpdateTruckAttachments(0.06f, combine);
    EXPECT_FALSE(t->m_bUnloading);
    // An attachment whose socket is missing is still placed, and said so every frame.
    EXPECT_TRUE(Logged("FAILED reading attachment socket nowhere dla Combine"));
}

TEST_F(AccessoriesTest, HarvestingTwiceLeavesOneRunningSound) {
    snd::ResetNullSoundBackend();
    ResetGlobal(g_SoundMgr);
    g_SoundMgr.Initialize(nullptr);
    std::vector<float> samples(400, 0.1f);
    WriteFile("sounds\\combine_mowing.wav", synth::Wave(1, 22050, 16, synth::Pcm16(samples)));
    EObjectSlot* combine = AddObject("prefabs\\t\\combine.x", {0, 0, 0});
    auto sounds = [] {
        int n = 0;
        for (SoundRecord* s = g_SoundMgr.m_pSounds; s; s = s->m_pNext) ++n;
        return n;
    };
    g_Physics.SetCombineHarvesting(combine, true);
    g_Physics.SetCombineHarvesting(combine, true);
    EXPECT_EQ(sounds(), 1);
    EXPECT_NE(combine->m_hTruck->m_pSound, nullptr);
    g_Physics.ToggleCombineHarvesting(combine);
    EXPECT_EQ(sounds(), 0);
    EXPECT_FALSE(combine->m_hTruck->m_bMowingOn);
    g_Physics.SetCombineHarvesting(combine, true);
    g_Engine.DeleteObject(combine);
    EXPECT_EQ(sounds(), 0);
    g_SoundMgr.Release();
}

TEST_F(AccessoriesTest, TheFrontAxlePointLiesBetweenTheTwoSteeredWheels) {
    EObjectSlot* tractor = AddObject(kTractorModel, {5, 0, 5}, static_cast<float>(M_PI) / 2);
    DV point;
    g_Physics.GetFrontAxlePoint(tractor, &point, 0, 1);
    EXPECT_NEAR(point.x, 6, 1e-4f);
    EXPECT_NEAR(point.z, 5, 1e-4f);
    g_Physics.GetFrontAxlePoint(tractor, &point, 2, 0);
    EXPECT_NEAR(point.z, 3, 1e-4f) << "in the mesh's own frame, 2 further ahead";
    // With one steered wheel shown, the machine's own position (moved ahead).
    g_Engine.DeleteObject(tractor->m_hTruck->m_pWheelObjects[1]);
    tractor->m_hTruck->m_pWheelObjects[1] = nullptr;
    g_Physics.GetFrontAxlePoint(tractor, &point, 1, 1);
    EXPECT_NEAR(point.x, 6, 1e-4f);
    EXPECT_NEAR(point.z, 5, 1e-4f);
}

}  // namespace
}  // namespace test
