// The program's hooks reach the real components: the key bindings' stored options land in the
// player's, main game's and camera's own fields, and the frames of the loading screen and the
// mouse follow the main game and the menu.
#include "app/FloorHooks.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "collision/CollisionHooks.h"
#include "collision/ECollisionMgr.h"
#include "collision/EIntersectSegment.h"
#include "core/CCommandMgr.h"
#include "core/CoreHooks.h"
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "game/CMainGame.h"
#include "game/CHudPanel.h"
#include "game/CMenu.h"
#include "mesh/EMesh.h"
#include "mesh/ESkinMesh.h"
#include "mesh/MeshHooks.h"
#include "render/RenderHooks.h"
#include "support/AppHooks.h"
#include "support/ConsoleLogTest.h"
#include "vehicles/CPlayer.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/WorldHooks.h"

namespace {

class FloorHooksTest : public test::ConsoleLogTest {
protected:
    void SetUp() override {
        ConsoleLogTest::SetUp();
        ResetComponents();
        InstallFloorHooks();
    }
    void TearDown() override {
        ResetComponents();
        test::ResetFloorHooks();
        ConsoleLogTest::TearDown();
    }
    static void ResetComponents() {
        test::ResetGlobal(g_CommandMgr);
        test::ResetGlobal(g_Camera);
        test::ResetGlobal(g_Player);
        test::ResetGlobal(g_MainGame);
        test::ResetGlobal(g_Menu);
        test::ResetGlobal(g_Engine);
        test::ResetGlobal(g_CollisionMgr);
        test::ResetGlobal(g_IntersectSegment);
    }
};

TEST_F(FloorHooksTest, KeysFileOptionsAreThePlayersMainGamesAndCamerasFields) {
    g_Camera.SetGamma(1.5f);
    g_Player.m_bHudOption = 0;
    g_Player.m_bOption2 = 7;
    g_Player.m_uCameraMode = 2;
    g_MainGame.m_bGameOption1 = 1;
    g_MainGame.m_fGameOptionValue1 = 0.25f;
    g_MainGame.m_fGameOptionValue2 = 0.75f;
    g_MainGame.m_fGameOptionLevel = 0.5f;
    g_CommandMgr.SaveKeys();
    // The camera mode is the player's 32-bit value, after the two option bytes.
    const std::string file = ReadFile("save\\keys.cfg");
    ASSERT_EQ(file.size(), 3148u);
    uint32_t mode = 0;
    std::memcpy(&mode, &file[3126], sizeof mode);
    EXPECT_EQ(mode, 2u);
    ResetComponents();
    g_CommandMgr.LoadKeys();
    EXPECT_FLOAT_EQ(g_Camera.m_fGamma, 1.5f);
    EXPECT_EQ(g_Player.m_bHudOption, 0);
    EXPECT_EQ(g_Player.m_bOption2, 7);
    EXPECT_EQ(g_Player.m_uCameraMode, 2u);
    EXPECT_EQ(g_MainGame.m_bGameOption1, 1);
    EXPECT_FLOAT_EQ(g_MainGame.m_fGameOptionValue1, 0.25f);
    EXPECT_FLOAT_EQ(g_MainGame.m_fGameOptionValue2, 0.75f);
    EXPECT_EQ(g_MainGame.m_bGameOption2, 1);  // forced on by loading
    EXPECT_FLOAT_EQ(g_MainGame.m_fGameOptionLevel, 0.5f);
}

TEST_F(FloorHooksTest, LowerFloorsSeeTheGameStateAndReachTheEngine) {
    g_MainGame.m_uFrameCounter = 321;
    g_Menu.m_bActive = 1;
    EXPECT_EQ(g_CoreHooks.gameFrame(), 321u);
    EXPECT_TRUE(g_CoreHooks.menuActive());
    EXPECT_TRUE(g_RenderHooks.menuActive());
    g_RenderHooks.quitOnError("a texture is missing");
    EXPECT_EQ(g_Engine.m_bQuit, 1);
    g_Engine.m_bQuit = 0;
    g_CoreHooks.quitOnError("a model's name is bad");
    EXPECT_EQ(g_Engine.m_bQuit, 1);
    g_CoreHooks.requestScreenshot();
    EXPECT_EQ(g_Engine.m_bScreenshot, 1);
}

TEST_F(FloorHooksTest, TheRendererWalksTheEngineObjectTableAndSetsTheCamera) {
    DrawObjectTable table = g_RenderHooks.objectTable();
    ASSERT_EQ(table.count, static_cast<uint32_t>(EEngine::kObjectSlots));
    g_Engine.m_Objects[4321].m_bNoStaticShadow = 1;
    EXPECT_EQ(&table[4321], static_cast<const DrawVisibility*>(&g_Engine.m_Objects[4321]));
    EXPECT_EQ(table[4321].m_bNoStaticShadow, 1);
    g_RenderHooks.setCameraFarZ(750.0f);
    float farZ = 0;
    g_Camera.GetFarZ(farZ);
    EXPECT_EQ(farZ, 750.0f);
    g_RenderHooks.setClearColour(0x00406080u);
    EXPECT_EQ(g_Engine.m_uBackgroundColour, 0x00406080u);
}

TEST_F(FloorHooksTest, TheEngineSeesTheMainGamesFramesTheMenuAndTheHudAndFillsTheShaderLights) {
    g_MainGame.m_uFrameCounter = 151;
    g_Menu.m_bActive = 1;
    EXPECT_EQ(g_WorldHooks.levelFrame(), 151u);
    EXPECT_TRUE(g_WorldHooks.menuActive());
    g_WorldHooks.mainGameWorldStart();
    EXPECT_EQ(g_MainGame.m_uFrameCounter, 0u);
    g_WorldHooks.hudForcedLook(true);
    EXPECT_EQ(g_HudPanel.m_bForcedLook, 1);
    g_WorldHooks.hudForcedLook(false);
    EXPECT_EQ(g_HudPanel.m_bForcedLook, 0);
    g_Camera.SetPosition(DV{3, 4, 5});
    ShaderLights constants;
    g_RenderHooks.setShaderLights(constants);
    EXPECT_EQ(constants.m_vCameraPosition.z, 5.0f);
}

// An action that ends the game reaches the main game: its end picture and credits start.
TEST_F(FloorHooksTest, TheEngineEndsTheMainGame) {
    g_MainGame.m_fEndGameTimer = 5.0f;
    g_WorldHooks.mainGameEndGame();
    EXPECT_EQ(g_MainGame.m_bEndGame, 1);
    EXPECT_EQ(g_MainGame.m_fEndGameTimer, 0.0f);
}

// Objects that fire when touched ask where the player's machine is; before it exists there is none.
TEST_F(FloorHooksTest, TouchesSeeThePlayersMachineOnceItExists) {
    DV position{7, 7, 7};
    g_Player.m_pVehicle = nullptr;
    EXPECT_FALSE(g_WorldHooks.playerMachinePosition(position));
    EObjectSlot machine;
    machine.m_vPosition = {45, 0.5f, -50};
    g_Player.m_pVehicle = &machine;
    EXPECT_TRUE(g_WorldHooks.playerMachinePosition(position));
    EXPECT_EQ(position, machine.m_vPosition);
    g_Player.m_pVehicle = nullptr;
}

TEST_F(FloorHooksTest, AMeshSeesTheObjectThatOwnsIt) {
    EObjectSlot object;
    EMesh mesh;
    object.Object = &mesh;
    object.m_vPosition = {1, 2, 3};
    EXPECT_EQ(g_MeshHooks.objectMesh(&object), nullptr);  // not in use
    object.m_bUsed = 1;
    EXPECT_EQ(g_MeshHooks.objectMesh(&object), &mesh);
    object.Type = OT_SKINMESH;
    EXPECT_EQ(g_MeshHooks.objectMesh(&object), nullptr);
    EXPECT_EQ(g_MeshHooks.ownerVisibility(&object), &object);
    EXPECT_EQ(g_MeshHooks.ownerPlacement(&object).position, (DV{1, 2, 3}));
    // The mesh turns by the object's turns, its swing about the up axis and its knob's turn.
    object.m_vExtraAngles = {1, 2, 3};
    object.m_fSwingAngle = 40;
    object.m_fKnobAngle = 10;
    const MeshOwnerPlacement placement = g_MeshHooks.ownerPlacement(&object);
    EXPECT_EQ((DV{placement.extraAngles[0], placement.extraAngles[1], placement.extraAngles[2]}), (DV{11, 2, 43}));
    g_MeshHooks.setOwnerRadius(&object, 7.5f);
    EXPECT_FLOAT_EQ(object.m_fRadius, 7.5f);
}

TEST_F(FloorHooksTest, CollisionSeesTheObjectsMeshesAndFlagsAndFollowsTheirMoves) {
    EObjectSlot& object = g_Engine.m_Objects[3];
    EMesh mesh;
    mesh.m_vWorldMin = {-1, -1, -1};
    mesh.m_vWorldMax = {1, 1, 1};
    object.Object = &mesh;
    object.m_uFlags = 0x5;
    EXPECT_EQ(g_CollisionHooks.objectFacts(&object).kind, CollisionObjectFacts::NONE);  // not in use
    object.m_bUsed = 1;
    const CollisionObjectFacts facts = g_CollisionHooks.objectFacts(&object);
    EXPECT_EQ(facts.kind, CollisionObjectFacts::MESH);
    EXPECT_EQ(facts.flags, 0x5u);
    EXPECT_EQ(facts.indices, &object.m_CollisionIndices);
    EXPECT_EQ(facts.worldMax, (DV{1, 1, 1}));
    CollisionGeometry geometry;
    EXPECT_FALSE(g_CollisionHooks.objectGeometry(&object, &geometry));  // a mesh without its model
    int visited = 0;
    g_CollisionHooks.forEachObject([](EObjectSlot*, void* count) { ++*static_cast<int*>(count); }, &visited);
    EXPECT_EQ(visited, 1);

    const DV min{100, 100, 100}, max{110, 110, 110};
    ECollisionFinder* finder = g_CollisionMgr.AddBoxFinder(&min, &max);
    EXPECT_EQ(finder->m_iFirstTouch, -1);
    mesh.m_vWorldMin = {99, 99, 99};
    mesh.m_vWorldMax = {101, 101, 101};
    g_MeshHooks.ownerTransformed(&object, DV{1, 1, 1}, pmath::Quaternion{});
    EXPECT_NE(finder->m_iFirstTouch, -1);
    object = EObjectSlot{};
}

TEST_F(FloorHooksTest, ASkinnedMeshSeesTheObjectThatOwnsIt) {
    EObjectSlot object;
    ESkinMesh skin;
    object.Object = &skin;
    object.Type = OT_SKINMESH;
    object.m_uFlags3 = 256;
    object.m_uFlags = 0x81;
    object.m_uFlags2 = 0x1000;
    std::snprintf(object.m_szName, sizeof object.m_szName, "kura1");
    EXPECT_EQ(g_MeshHooks.objectSkinMesh(&object), nullptr);  // not in use
    object.m_bUsed = 1;
    EXPECT_EQ(g_MeshHooks.objectSkinMesh(&object), &skin);
    EXPECT_EQ(g_MeshHooks.ownerClass(&object), 256u);
    EXPECT_EQ(g_MeshHooks.ownerFlags(&object), 0x81u);
    EXPECT_EQ(g_MeshHooks.ownerFlags2(&object), 0x1000u);
    EXPECT_STREQ(g_MeshHooks.ownerName(&object), "kura1");
    object.Type = OT_MESH;
    EXPECT_EQ(g_MeshHooks.objectSkinMesh(&object), nullptr);
    object.Object = nullptr;
}

TEST_F(FloorHooksTest, EffectsAndPowerLinesSeeTheEnginesObjectsAndWorld) {
    std::snprintf(g_Engine.m_szStartingWorld, sizeof g_Engine.m_szStartingWorld, "worlds\\farm.w");
    EXPECT_STREQ(g_RenderHooks.worldName(), "worlds\\farm.w");
    EObjectSlot& pole = g_Engine.m_Objects[7];
    pole.m_bUsed = 1;
    std::snprintf(pole.m_szName, sizeof pole.m_szName, "slup_01");
    pole.m_vPosition = DV{4, 0, 9};
    pole.m_fCameraDistance = 600;
    pole.m_bAlwaysUpdate = 1;
    const DrawVisibility* found = g_RenderHooks.findObject("SLUP_01");
    ASSERT_EQ(found, static_cast<const DrawVisibility*>(&pole));
    EffectObject facts;
    ASSERT_TRUE(g_RenderHooks.effectObject(found, facts));
    EXPECT_EQ(facts.position, (DV{4, 0, 9}));
    EXPECT_FLOAT_EQ(facts.cameraDistance, 600.0f);
    EXPECT_TRUE(facts.alwaysRelevant);
    g_RenderHooks.setObjectFlags(found, 0x80, 0x80);
    EXPECT_EQ(pole.m_uFlags & 0x80, 0x80u);
    pole.m_bUsed = 0;
    EXPECT_FALSE(g_RenderHooks.effectObject(found, facts));
}

}  // namespace
