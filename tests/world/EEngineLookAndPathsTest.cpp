// The forced camera look, path starts with a truck's marker, numbered screenshots and the shader
// constants.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/gfx/Image.h"
#include "render/D3DDevice.h"
#include "render/ESky.h"
#include "render/RenderHooks.h"
#include "world/EngineFixture.h"

namespace {

using test::EngineTest;
using Lines = std::vector<std::string>;

class LookAndPaths : public EngineTest {};

TEST_F(LookAndPaths, ALookHidesTheObjectItLooksFromAndGivesItsFlagsBackWhenReplaced) {
    EObjectSlot* tower = AddMesh("tower", DV{0, 50, 0});
    EObjectSlot* crane = AddMesh("crane", DV{0, 20, 0});
    EObjectSlot* field = AddMesh("field", DV{100, 0, 0});
    tower->m_uFlags = 0x2D;
    crane->m_uFlags = 0x0D;
    g_Settings.m_fFOV = 2.0f;
    g_Engine.ForceCameraToLook(tower, field);
    EXPECT_EQ(tower->m_uFlags, FLAG_DEAD);
    EXPECT_EQ(tower->m_bVisibleThisFrame, 0);
    EXPECT_EQ(g_Settings.m_fFOV, g_Settings.m_fBaseFOV);  // the zoom back at its default
    EXPECT_EQ(g_Camera.m_vPosition, (DV{0, 50, 0}));

    g_Engine.PrepareCamera();
    EXPECT_EQ(g_Engine.m_bForcedLookActive, 1);
    EXPECT_TRUE(test::g_HudForcedLook);
    DV towards = pmath::Normalize(DV{100, -50, 0});
    EXPECT_NEAR(pmath::Dot(g_Camera.m_vDirection, towards), 1.0f, 1e-5f);

    g_Engine.ForceCameraToLook(crane, field);
    EXPECT_EQ(tower->m_uFlags, 0x2Du);
    EXPECT_EQ(crane->m_uFlags, FLAG_DEAD);
    g_Engine.ForceCameraToLook(nullptr, nullptr);
    EXPECT_EQ(crane->m_uFlags, 0x0Du);
    g_Engine.PrepareCamera();
    EXPECT_EQ(g_Engine.m_bForcedLookActive, 0);
    EXPECT_FALSE(test::g_HudForcedLook);
}

TEST_F(LookAndPaths, DeletingAnObjectOfTheLookEndsTheLook) {
    for (bool deleteTheViewer : {true, false}) {
        SetUp();
        EObjectSlot* tower = AddMesh("tower");
        EObjectSlot* field = AddMesh("field");
        tower->m_uFlags = 0x0D;
        g_Engine.ForceCameraToLook(tower, field);
        g_Engine.DeleteObject(deleteTheViewer ? tower : field);
        EXPECT_EQ(g_Engine.m_pLookFrom, nullptr);
        EXPECT_EQ(g_Engine.m_pLookAt, nullptr);
        // A new object in the freed slot is not taken for the old one.
        EObjectSlot* newcomer = AddMesh("newcomer");
        newcomer->m_uFlags = 0x0D;
        g_Engine.ForceCameraToLook(nullptr, nullptr);
        g_Engine.PrepareCamera();
        EXPECT_EQ(newcomer->m_uFlags, 0x0Du);
        EXPECT_EQ(g_Engine.m_bForcedLookActive, 0);
        if (!deleteTheViewer) {
            EXPECT_EQ(tower->m_uFlags, 0x0Du);  // its flags given back
        }
        TearDown();
    }
}

TEST_F(LookAndPaths, AWorldEndEndsTheLook) {
    EObjectSlot* tower = AddMesh("tower");
    g_Engine.ForceCameraToLook(tower, AddMesh("field"));
    g_Engine.EndWorld();
    EXPECT_EQ(g_Engine.m_pLookFrom, nullptr);
    EXPECT_EQ(g_Engine.m_bForcedLookActive, 0);
}

TEST_F(LookAndPaths, AnObjectStartsOnAPathOnlyFromANodeThatExists) {
    EObjectSlot* cart = AddMesh("cart");
    g_Engine.StartBezierMoving(cart);  // parameters not enabled: nothing
    EXPECT_FALSE(Logged("ERROR with Bezier Moving: Start node doesn't exist!"));
    cart->m_pBezierParams->m_bEnabled = 1;
    std::strcpy(cart->m_pBezierParams->m_szStartNode, "road_start");
    g_Engine.StartBezierMoving(cart);
    Lines log = ConsoleLines();
    Lines tail(log.end() - 3, log.end());
    EXPECT_EQ(tail, (Lines{"ERROR with Bezier Moving: Start node doesn't exist!", "object name: cart",
                           "bad node name: road_start"}));
    EXPECT_FALSE(g_Engine.IsBezierMoving(cart));
}

TEST_F(LookAndPaths, ATruckMovesThroughAMarkerThatASecondStartReplaces) {
    WriteFile("prefabs\\special\\marker.x", test::kTriangleModel);
    EObjectSlot* truck = AddMesh("truck", DV{10, 0, 5});
    truck->m_hTruck = reinterpret_cast<HTRUCK>(truck);
    truck->m_pBezierParams->m_bEnabled = 1;
    std::strcpy(truck->m_pBezierParams->m_szStartNode, "road_start");
    TakeCalls();
    g_Engine.StartBezierMoving(truck);
    EObjectSlot* marker = truck->m_pLinkedObject;
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker->m_pOwner, truck);
    EXPECT_STREQ(marker->m_szFileName, "prefabs\\special\\marker.x");
    EXPECT_EQ(marker->m_uFlags, 128u);
    EXPECT_EQ(marker->m_vPosition, (DV{10, 0, 5}));
    EXPECT_EQ(marker->m_vScale, (DV{0.5f, 0.5f, 0.5f}));
    EXPECT_STREQ(marker->m_pBezierParams->m_szStartNode, "road_start");
    EXPECT_TRUE(Logged("Created bezier dummy for truck"));
    EXPECT_EQ(TakeCalls(), (Lines{"releaseTruckControls truck", "disableTruckDeactivation truck",
                                  "createTruckForObject "}));

    g_Engine.StartBezierMoving(truck);
    EXPECT_EQ(g_Engine.TotalObjects, 2);  // the truck and one marker
    EXPECT_EQ(TakeCalls().front(), "truckUnhitchFromMarker truck");
    g_Engine.StopBezierMoving(truck);
    EXPECT_EQ(truck->m_pLinkedObject, nullptr);
    EXPECT_EQ(g_Engine.TotalObjects, 1);

    // Deleting the truck leaves no marker pointing at it.
    g_Engine.StartBezierMoving(truck);
    marker = truck->m_pLinkedObject;
    truck->m_hTruck = nullptr;
    g_Engine.DeleteObject(truck);
    EXPECT_EQ(marker->m_pOwner, nullptr);
}

TEST_F(LookAndPaths, AMarkerThatCannotBeMadeIsTold) {
    EObjectSlot* truck = AddMesh("truck");
    truck->m_hTruck = reinterpret_cast<HTRUCK>(truck);
    truck->m_pBezierParams->m_bEnabled = 1;
    g_Engine.StartBezierMoving(truck);
    EXPECT_TRUE(Logged("Failed to add hTruckJedzieZa for truck"));
    truck->m_hTruck = nullptr;
}

TEST_F(LookAndPaths, PathHelpersFollowATruckToItsMarker) {
    EObjectSlot* truck = AddMesh("truck");
    EObjectSlot* marker = AddMesh("marker");
    truck->m_hTruck = reinterpret_cast<HTRUCK>(truck);
    truck->m_pLinkedObject = marker;
    marker->m_pBezierState->m_bActive = 1;
    EXPECT_TRUE(g_Engine.IsBezierMoving(truck));
    g_Engine.SetBezierMode(truck, 1, 2.5);
    EXPECT_EQ(marker->m_pBezierState->m_iFadeMode, 1);
    EXPECT_EQ(marker->m_pBezierState->m_dFadeTime, 2.5);
    g_Engine.SetPassingThroughBlockers(marker, true);
    EXPECT_EQ(marker->m_pBezierState->m_bStopAtBlockers, 0);
    EObjectSlot* cart = AddMesh("cart");
    cart->m_pBezierState->m_bActive = 1;
    g_Engine.StopBezierMoving(cart);
    EXPECT_FALSE(g_Engine.IsBezierMoving(cart));
    truck->m_pLinkedObject = nullptr;
    truck->m_hTruck = nullptr;
}

TEST_F(LookAndPaths, ScreenshotsTakeTheFirstFreeNumberAndAreBmpsOfTheBackBuffer) {
    g_pd3dDevice->Clear(gfx::CLEAR_TARGET, 0xFF336699u, 1.0f, 0);
    for (int n = 0; n < 5; ++n) WriteFile("qv_screen000" + std::to_string(n) + ".bmp", "taken");
    g_Engine.m_bScreenshot = 1;
    EXPECT_EQ(g_Engine.SaveScreenshot(), gfx::OK);
    EXPECT_EQ(g_Engine.m_bScreenshot, 0);
    ASSERT_TRUE(Exists("qv_screen0005.bmp"));
    EXPECT_EQ(ReadFile("qv_screen0004.bmp"), "taken");
    gfx::ImageInfo info;
    ASSERT_EQ(gfx::GetImageInfoFromFile("qv_screen0005.bmp", info), gfx::OK);
    EXPECT_EQ(info.width, static_cast<uint32_t>(g_Settings.m_iScreenWidth));
    EXPECT_EQ(info.height, static_cast<uint32_t>(g_Settings.m_iScreenHeight));
    EXPECT_EQ(info.fileFormat, gfx::IFF_BMP);
    std::unique_ptr<gfx::Texture> picture;
    ASSERT_EQ(gfx::CreateTextureFromFile(*g_pd3dDevice, "qv_screen0005.bmp", picture), gfx::OK);
    gfx::LockedRect rect;
    ASSERT_EQ(picture->LockRect(0, rect, 0), gfx::OK);
    EXPECT_EQ(static_cast<const uint32_t*>(rect.bits)[0] & 0xFFFFFF, 0x336699u);
    picture->UnlockRect(0);
}

TEST_F(LookAndPaths, AfterAThousandScreenshotsTheLastIsKeptAndTheRefusalTold) {
    for (int n = 0; n < 1000; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "qv_screen%04d.bmp", n);
        WriteFile(name, "");
    }
    WriteFile("qv_screen0999.bmp", "the last one");
    EXPECT_NE(g_Engine.SaveScreenshot(), gfx::OK);
    EXPECT_EQ(ReadFile("qv_screen0999.bmp"), "the last one");
    EXPECT_TRUE(Logged("Screenshot not saved: qv_screen0000.bmp to qv_screen0999.bmp all exist"));
}

TEST_F(LookAndPaths, NoDeviceNoScreenshot) {
    g_pBackBuffer.reset();
    g_pd3dDevice.reset();
    g_Engine.m_bScreenshot = 1;
    EXPECT_NE(g_Engine.SaveScreenshot(), gfx::OK);
    EXPECT_EQ(g_Engine.m_bScreenshot, 0);
    EXPECT_FALSE(Exists("qv_screen0000.bmp"));
}

TEST_F(LookAndPaths, ShaderLightsCarryTheCameraAndEachVisibleMeshsMatrices) {
    g_Camera.SetPosition(DV{0, 10, -20});
    g_Camera.SetupProjection();
    g_Sky.m_uAmbientColour[2] = 0x80FF0033u;
    EObjectSlot* seen = AddMesh("seen");
    EObjectSlot* hidden = AddMesh("hidden");
    EObjectSlot* excluded = AddMesh("excluded");
    seen->m_bVisibleThisFrame = 1;
    hidden->m_bVisibleThisFrame = 0;
    excluded->m_bVisibleThisFrame = 1;
    excluded->m_bExcluded = 1;
    ShaderLights constants;
    g_Engine.SetShaderLights(constants);
    EXPECT_EQ(constants.m_vCameraPosition.w, 1.0f);
    EXPECT_EQ(constants.m_vCameraPosition.y, 10.0f);
    EXPECT_FLOAT_EQ(constants.m_vLightSets[2].x, 1.0f);
    EXPECT_FLOAT_EQ(constants.m_vLightSets[2].z, 0x33 / 255.0f);
    pmath::Matrix both = constants.m_View * constants.m_ViewInverse;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(both.m[r][c], r == c ? 1.0f : 0.0f, 1e-5f);
    // The mesh's world matrix is the identity here: its matrices are the camera's.
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(seen->m_WorldView.m[r][c] + 1, constants.m_View.m[r][c] + 1);
    EXPECT_EQ(seen->m_fCameraInObject[1], 10.0f);
    EXPECT_EQ(seen->m_fCameraInObject[3], 1.0f);
    EXPECT_EQ(hidden->m_fCameraInObject[3], 0.0f);
    EXPECT_EQ(excluded->m_fCameraInObject[3], 0.0f);
}

}  // namespace
