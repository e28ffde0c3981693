// The demo models load on the GL device too: their buffers are the device's, and the second
// round reads them from "!opt\".
#include <gtest/gtest.h>

#include "DemoModels.h"
#include "core/EConsole.h"
#include "platform/os/Files.h"
#include "render/D3DDevice.h"
#include "support/GlDeviceTest.h"
#include "support/TestSupport.h"

namespace {

class DemoModelsGlTest : public test::GlDeviceTest {
protected:
    void SetUp() override {
        GlDeviceTest::SetUp();
        plat::SetStartDirectory(m_dir.path());
        test::ResetGlobal(g_Settings);
        g_pd3dDevice = std::move(m_device);
    }
    void TearDown() override {
        g_MeshMgr.ReleaseAll();
        g_pd3dDevice.reset();
        GlDeviceTest::TearDown();
    }
    test::TempDir m_dir;
};

TEST_F(DemoModelsGlTest, EveryModelLoadsIntoDeviceBuffers) {
    test::LoadDemoModelsTwice(test::CopyDemoModels(m_dir.path()));
    int records = 0;
    for (const strmesh* r = g_MeshMgr.m_pHead; r; r = r->m_pNext, ++records) {
        ASSERT_TRUE(r->m_pVB && r->m_pIB) << r->m_szName;
        EXPECT_NE(r->m_pVB->Native(), 0u) << r->m_szName;
        EXPECT_NE(r->m_pIB->Native(), 0u) << r->m_szName;
    }
    EXPECT_GE(records, 9);
}

}  // namespace
