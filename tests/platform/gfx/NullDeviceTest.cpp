// The recording device: the bookkeeping that tests of device loss rely on.
#include <gtest/gtest.h>

#include "platform/gfx/NullSystem.h"
#include "support/TestSupport.h"

namespace {

class NullDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetPlatform();
        m_system = gfx::CreateSystem();
        ASSERT_EQ(m_system->CreateDevice(nullptr, gfx::CREATE_HARDWARE_VERTEXPROCESSING, Parameters(), m_device),
                  gfx::OK);
    }
    void TearDown() override { gfx::ResetNullBackend(); }

    static gfx::PresentParameters Parameters() {
        gfx::PresentParameters pp;
        pp.backBufferWidth = 320;
        pp.backBufferHeight = 200;
        return pp;
    }

    std::unique_ptr<gfx::System> m_system;
    std::unique_ptr<gfx::Device> m_device;
};

TEST_F(NullDeviceTest, ResetIsRefusedWhileDefaultPoolResourcesAreAlive) {
    struct Case {
        const char* what;
        gfx::Pool pool;
        bool backBuffer;
        gfx::Result whileHeld;
    } cases[] = {
        {"default-pool buffer", gfx::POOL_DEFAULT, false, gfx::ERR_INVALIDCALL},
        {"managed buffer", gfx::POOL_MANAGED, false, gfx::OK},
        {"system-memory buffer", gfx::POOL_SYSTEMMEM, false, gfx::OK},
        {"back-buffer surface", gfx::POOL_DEFAULT, true, gfx::ERR_INVALIDCALL},
    };
    for (const Case& c : cases) {
        std::unique_ptr<gfx::VertexBuffer> buffer;
        std::unique_ptr<gfx::Surface> surface;
        if (c.backBuffer) ASSERT_EQ(m_device->GetRenderTarget(0, surface), gfx::OK);
        else ASSERT_EQ(m_device->CreateVertexBuffer(256, 0, 0, c.pool, buffer), gfx::OK);
        EXPECT_EQ(m_device->Reset(Parameters()), c.whileHeld) << c.what;
        buffer.reset();
        surface.reset();
        EXPECT_EQ(m_device->LiveDefaultPoolResources(), 0) << c.what;
        EXPECT_EQ(m_device->Reset(Parameters()), gfx::OK) << c.what;
    }
}

TEST_F(NullDeviceTest, ResourcesMayOutliveTheirDevice) {
    std::unique_ptr<gfx::VertexBuffer> buffer;
    ASSERT_EQ(m_device->CreateVertexBuffer(256, 0, 0, gfx::POOL_DEFAULT, buffer), gfx::OK);
    m_device.reset();
    buffer.reset();  // must not touch the destroyed device
}

TEST_F(NullDeviceTest, FollowsTheScriptedLossAndAcceptsAResetOnlyOnceNotReset) {
    gfx::NullBackend().cooperativeLevels = {gfx::ERR_DEVICELOST, gfx::ERR_DEVICENOTRESET};
    EXPECT_EQ(m_device->TestCooperativeLevel(), gfx::ERR_DEVICELOST);
    EXPECT_EQ(m_device->Present(), gfx::ERR_DEVICELOST);
    EXPECT_EQ(m_device->Reset(Parameters()), gfx::ERR_DEVICELOST);
    EXPECT_EQ(m_device->TestCooperativeLevel(), gfx::ERR_DEVICENOTRESET);
    EXPECT_EQ(m_device->TestCooperativeLevel(), gfx::ERR_DEVICENOTRESET);  // stays until reset
    EXPECT_EQ(m_device->Reset(Parameters()), gfx::OK);
    EXPECT_EQ(m_device->TestCooperativeLevel(), gfx::OK);
    EXPECT_EQ(m_device->Present(), gfx::OK);
}

TEST_F(NullDeviceTest, ScriptedResetResultsComeBackInOrder) {
    gfx::NullBackend().resetResults = {gfx::ERR_OUTOFVIDEOMEMORY, gfx::ERR_DEVICELOST};
    EXPECT_EQ(m_device->Reset(Parameters()), gfx::ERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(m_device->Reset(Parameters()), gfx::ERR_DEVICELOST);
    EXPECT_EQ(m_device->TestCooperativeLevel(), gfx::ERR_DEVICELOST);
}

TEST_F(NullDeviceTest, ResetIsRefusedInsideAScene) {
    ASSERT_EQ(m_device->BeginScene(), gfx::OK);
    EXPECT_EQ(m_device->Reset(Parameters()), gfx::ERR_INVALIDCALL);
    ASSERT_EQ(m_device->EndScene(), gfx::OK);
    EXPECT_EQ(m_device->Reset(Parameters()), gfx::OK);
}

TEST_F(NullDeviceTest, ReadBackGivesTheLastClearColour) {
    m_device->Clear(gfx::CLEAR_TARGET, 0xFF102030u, 1.0f, 0);
    m_device->Clear(gfx::CLEAR_ZBUFFER, 0xFFFFFFFFu, 1.0f, 0);  // no target: colour unchanged
    uint32_t pixels[2] = {};
    ASSERT_EQ(m_device->ReadBackBuffer(318, 199, 2, 1, pixels), gfx::OK);
    EXPECT_EQ(pixels[0], 0xFF102030u);
    EXPECT_EQ(pixels[1], 0xFF102030u);
    EXPECT_EQ(m_device->ReadBackBuffer(319, 199, 2, 1, pixels), gfx::ERR_INVALIDCALL);
}

TEST_F(NullDeviceTest, VertexDeclarationsNeedAnEndAndKnownTypes) {
    const gfx::VertexElement good[] = {{0, 0, gfx::DECLTYPE_FLOAT3, 0, gfx::DECLUSAGE_POSITION, 0},
                                       {0, 12, gfx::DECLTYPE_FLOAT2, 0, gfx::DECLUSAGE_TEXCOORD, 0},
                                       gfx::DECL_END};
    const gfx::VertexElement unknownType[] = {
        {0, 0, static_cast<gfx::DeclType>(42), 0, gfx::DECLUSAGE_POSITION, 0}, gfx::DECL_END};
    std::unique_ptr<gfx::VertexDeclaration> declaration;
    ASSERT_EQ(m_device->CreateVertexDeclaration(good, declaration), gfx::OK);
    EXPECT_EQ(declaration->Elements().size(), 2u);
    EXPECT_EQ(m_device->CreateVertexDeclaration(unknownType, declaration), gfx::ERR_INVALIDCALL);
    EXPECT_EQ(m_device->CreateVertexDeclaration(nullptr, declaration), gfx::ERR_INVALIDCALL);
}

TEST_F(NullDeviceTest, EnumeratesTheScriptedDisplayModesOfOneFormat) {
    gfx::NullBackend().displayModes = {{800, 600, 60, gfx::FMT_X8R8G8B8}, {640, 480, 60, gfx::FMT_A8R8G8B8},
                                       {1024, 768, 75, gfx::FMT_X8R8G8B8}};
    ASSERT_EQ(m_system->GetAdapterModeCount(gfx::FMT_X8R8G8B8), 2u);
    gfx::DisplayMode mode;
    ASSERT_EQ(m_system->EnumAdapterModes(gfx::FMT_X8R8G8B8, 1, mode), gfx::OK);
    EXPECT_EQ(mode.width, 1024u);
    EXPECT_EQ(mode.refreshRate, 75u);
    EXPECT_EQ(m_system->EnumAdapterModes(gfx::FMT_X8R8G8B8, 2, mode), gfx::ERR_INVALIDCALL);
    EXPECT_EQ(m_system->GetAdapterModeCount(gfx::FMT_D16), 0u);
}

}  // namespace
