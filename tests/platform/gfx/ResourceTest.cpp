// Buffers, textures and targets of the recording device, and textures made from image files.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gfx/Image.h"
#include "platform/gfx/NullSystem.h"
#include "support/TestSupport.h"
#include "support/TextureFiles.h"

namespace {

class ResourceTest : public test::StartDirTest {
protected:
    void SetUp() override {
        StartDirTest::SetUp();
        m_system = gfx::CreateSystem();
        gfx::PresentParameters pp;
        pp.backBufferWidth = 64;
        pp.backBufferHeight = 32;
        ASSERT_EQ(m_system->CreateDevice(nullptr, 0, pp, m_device), gfx::OK);
    }
    void TearDown() override {
        m_device.reset();
        StartDirTest::TearDown();
    }
    std::unique_ptr<gfx::System> m_system;
    std::unique_ptr<gfx::Device> m_device;
};

TEST_F(ResourceTest, BufferLocksAreOneAtATimeAndInsideTheBuffer) {
    std::unique_ptr<gfx::IndexBuffer> indices;
    ASSERT_EQ(m_device->CreateIndexBuffer(64, 0, gfx::FMT_INDEX16, gfx::POOL_MANAGED, indices), gfx::OK);
    void* data = nullptr;
    struct Case {
        uint32_t offset, size;
        bool ok;
    } cases[] = {{0, 0, true}, {16, 48, true}, {16, 49, false}, {65, 0, false}, {64, 0, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(indices->Lock(c.offset, c.size, &data, 0) == gfx::OK, c.ok) << c.offset << "+" << c.size;
        if (c.ok) {
            EXPECT_EQ(indices->Unlock(), gfx::OK);
        }
    }
    ASSERT_EQ(indices->Lock(0, 0, &data, 0), gfx::OK);
    EXPECT_NE(indices->Lock(0, 0, &data, 0), gfx::OK);
    std::memset(data, 7, 64);
    EXPECT_EQ(indices->Unlock(), gfx::OK);
    EXPECT_NE(indices->Unlock(), gfx::OK);
    EXPECT_EQ(indices->Data()[63], 7);
    EXPECT_NE(m_device->CreateIndexBuffer(64, 0, static_cast<gfx::IndexFormat>(5), gfx::POOL_MANAGED, indices),
              gfx::OK);
}

TEST_F(ResourceTest, RenderTargetsAreDefaultPoolAndNotLockable) {
    std::unique_ptr<gfx::Texture> target, plain;
    EXPECT_NE(m_device->CreateTexture(8, 8, 1, gfx::USAGE_RENDERTARGET, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, target),
              gfx::OK);
    ASSERT_EQ(m_device->CreateTexture(8, 8, 1, gfx::USAGE_RENDERTARGET, gfx::FMT_R32F, gfx::POOL_DEFAULT, target),
              gfx::OK);
    gfx::LockedRect rect;
    EXPECT_NE(target->LockRect(0, rect, 0), gfx::OK);
    ASSERT_EQ(m_device->CreateTexture(8, 4, 0, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, plain), gfx::OK);
    EXPECT_EQ(plain->GetLevelCount(), 4u);
    EXPECT_EQ(plain->LevelHeight(3), 1u);
    ASSERT_EQ(plain->LockRect(1, rect, 0), gfx::OK);
    EXPECT_EQ(rect.pitch, 16);
    EXPECT_EQ(plain->UnlockRect(1), gfx::OK);
    // Only a render target's level can be drawn into.
    std::unique_ptr<gfx::Surface> level;
    ASSERT_EQ(plain->GetSurfaceLevel(0, level), gfx::OK);
    EXPECT_NE(m_device->SetRenderTarget(0, level.get()), gfx::OK);
    // A target that goes while it is set leaves the device on its back buffer.
    ASSERT_EQ(target->GetSurfaceLevel(0, level), gfx::OK);
    ASSERT_EQ(m_device->SetRenderTarget(0, level.get()), gfx::OK);
    level.reset();
    target.reset();
    std::unique_ptr<gfx::Surface> current;
    ASSERT_EQ(m_device->GetRenderTarget(0, current), gfx::OK);
    EXPECT_EQ(current->GetKind(), gfx::Surface::Kind::BackBuffer);
    current.reset();
    EXPECT_EQ(m_device->LiveDefaultPoolResources(), 0);
}

TEST_F(ResourceTest, ImageFilesMakeTexturesWithTheirWholeMipChain) {
    WriteFile("t\\red.tga", test::TgaFile(8, 2, 0xFFFF0000u));
    gfx::ImageInfo info;
    ASSERT_EQ(gfx::GetImageInfoFromFile("T\\RED.TGA", info), gfx::OK);
    EXPECT_EQ(info.width, 8u);
    EXPECT_EQ(info.height, 2u);
    std::unique_ptr<gfx::Texture> texture;
    ASSERT_EQ(gfx::CreateTextureFromFile(*m_device, "t\\red.tga", texture), gfx::OK);
    EXPECT_EQ(texture->GetLevelCount(), 4u);
    gfx::LockedRect rect;
    ASSERT_EQ(texture->LockRect(3, rect, 0), gfx::OK);
    EXPECT_EQ(*static_cast<uint32_t*>(rect.bits), 0xFFFF0000u);
    WriteFile("t\\junk.tga", "not an image");
    EXPECT_EQ(gfx::CreateTextureFromFile(*m_device, "t\\junk.tga", texture), gfx::ERR_INVALIDDATA);
    EXPECT_NE(gfx::GetImageInfoFromFile("t\\none.tga", info), gfx::OK);
}

TEST_F(ResourceTest, AnImageLargerThanTheDeviceTakesIsRefusedFromItsHeader) {
    // A TGA header claiming 32768 x 12672 texels, with no pixel data behind it.
    std::string header = test::TgaFile(1, 1, 0).substr(0, 18);
    header[12] = 0;
    header[13] = '\x80';
    header[14] = '\x80';
    header[15] = '\x31';
    WriteFile("t\\huge.tga", header);
    gfx::ImageInfo info;
    ASSERT_EQ(gfx::GetImageInfoFromFile("t\\huge.tga", info), gfx::OK);
    EXPECT_EQ(info.width, 32768u);
    std::unique_ptr<gfx::Texture> texture;
    EXPECT_EQ(gfx::CreateTextureFromFile(*m_device, "t\\huge.tga", texture), gfx::ERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);
    std::unique_ptr<gfx::CubeTexture> cube;
    EXPECT_EQ(gfx::CreateCubeTextureFromFile(*m_device, "t\\huge.tga", cube), gfx::ERR_INVALIDCALL);
}

// stb would decode the missing end of a file as black pixels: the 18 bytes of a TGA header claiming
// 4096 x 4096 x 32 bits would become a quarter of a gigabyte of texture with all its levels.
TEST_F(ResourceTest, AnImageFileShorterThanThePixelsItsHeaderClaimsIsRefused) {
    std::string headerOnly = test::TgaFile(1, 1, 0).substr(0, 18);
    headerOnly[12] = headerOnly[14] = 0;
    headerOnly[13] = headerOnly[15] = 0x10;
    const std::string tga = test::TgaFile(2, 2, 0xFF336699u);
    // 200 x 1 pixels of 24 bits, run-length coded: no fewer than two packets (128 and 72 pixels).
    std::string runLength(18, '\0');
    runLength[2] = 10;
    runLength[12] = static_cast<char>(200);
    runLength[14] = 1;
    runLength[16] = 24;
    runLength += std::string("\xFF\x01\x02\x03\xC7\x04\x05\x06", 8);
    const std::string bmp = test::BmpFile(3, 2, 0x804020);
    const struct {
        const char* what;
        const char* file;
        std::string bytes;
        gfx::Result expected;
    } cases[] = {
        {"TGA header only", "t\\a.tga", headerOnly, gfx::ERR_INVALIDDATA},
        {"TGA a byte short", "t\\a.tga", tga.substr(0, tga.size() - 1), gfx::ERR_INVALIDDATA},
        {"TGA whole", "t\\a.tga", tga, gfx::OK},
        {"run-length TGA a packet short", "t\\a.tga", runLength.substr(0, runLength.size() - 4), gfx::ERR_INVALIDDATA},
        {"run-length TGA whole", "t\\a.tga", runLength, gfx::OK},
        {"BMP a byte short", "t\\a.bmp", bmp.substr(0, bmp.size() - 1), gfx::ERR_INVALIDDATA},
        {"BMP whole", "t\\a.bmp", bmp, gfx::OK},
    };
    for (const auto& c : cases) {
        WriteFile(c.file, c.bytes);
        std::unique_ptr<gfx::Texture> texture;
        EXPECT_EQ(gfx::CreateTextureFromFile(*m_device, c.file, texture), c.expected) << c.what;
        EXPECT_EQ(texture != nullptr, c.expected == gfx::OK) << c.what;
        std::unique_ptr<gfx::CubeTexture> cube;
        if (c.expected != gfx::OK) {
            EXPECT_EQ(gfx::CreateCubeTextureFromFile(*m_device, c.file, cube), c.expected) << c.what;
        }
    }
}

}  // namespace
