// Our DDS reader: headers, block decoding, cube faces and mip skipping.
#include "platform/gfx/DdsReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "support/TextureFiles.h"

namespace {

using test::DdsFile;

// One DXT1 block: colour 0 pure red, colour 1 pure blue, every texel index `index`.
std::vector<uint8_t> Dxt1Block(uint8_t index) {
    uint8_t bits = static_cast<uint8_t>(index | index << 2 | index << 4 | index << 6);
    return {0x00, 0xF8, 0x1F, 0x00, bits, bits, bits, bits};
}

TEST(DdsReaderTest, Dxt1BlocksDecodeToTheirFourColours) {
    struct Case {
        uint8_t index;
        uint32_t expected;
    } cases[] = {{0, 0xFFFF0000u}, {1, 0xFF0000FFu}, {2, 0xFFAA0055u}, {3, 0xFF5500AAu}};
    for (const Case& c : cases) {
        std::vector<uint8_t> file = DdsFile(4, 4, gfx::FMT_DXT1, 1, false, Dxt1Block(c.index));
        gfx::DdsImage image;
        ASSERT_TRUE(gfx::ReadDds(file.data(), file.size(), 0, image));
        ASSERT_EQ(image.levels.size(), 1u);
        EXPECT_EQ(image.levels[0][0], c.expected) << int(c.index);
        EXPECT_EQ(image.levels[0][15], c.expected) << int(c.index);
    }
}

TEST(DdsReaderTest, SkippedLevelsLeaveTheSmallerOnesWithTheirSize) {
    // 4 x 4, 2 x 2 and 1 x 1 levels of 32-bit texels, each level one colour.
    std::vector<uint8_t> payload;
    for (auto [texels, colour] : {std::pair{16, 0xFF111111u}, {4, 0xFF222222u}, {1, 0xFF333333u}})
        for (int i = 0; i < texels; ++i)
            payload.insert(payload.end(), reinterpret_cast<const uint8_t*>(&colour),
                           reinterpret_cast<const uint8_t*>(&colour) + 4);
    std::vector<uint8_t> file = DdsFile(4, 4, 0, 3, false, payload);
    gfx::DdsImage image;
    ASSERT_TRUE(gfx::ReadDds(file.data(), file.size(), 2, image));
    EXPECT_EQ(image.info.width, 1u);
    EXPECT_EQ(image.info.mipLevels, 1u);
    ASSERT_EQ(image.levels.size(), 1u);
    EXPECT_EQ(image.levels[0][0], 0xFF333333u);
    // Skipping more levels than the file has keeps its last one.
    ASSERT_TRUE(gfx::ReadDds(file.data(), file.size(), 7, image));
    EXPECT_EQ(image.levels[0][0], 0xFF333333u);
}

TEST(DdsReaderTest, CubeMapsHaveSixFaces) {
    std::vector<uint8_t> payload;
    for (uint8_t face = 0; face < 6; ++face) {
        std::vector<uint8_t> block = Dxt1Block(face % 2);
        payload.insert(payload.end(), block.begin(), block.end());
    }
    std::vector<uint8_t> file = DdsFile(4, 4, gfx::FMT_DXT1, 1, true, payload);
    gfx::DdsImage image;
    ASSERT_TRUE(gfx::ReadDds(file.data(), file.size(), 0, image));
    EXPECT_EQ(image.info.resourceType, gfx::RTYPE_CUBETEXTURE);
    ASSERT_EQ(image.levels.size(), 6u);
    EXPECT_EQ(image.levels[5][0], 0xFF0000FFu);
}

TEST(DdsReaderTest, TruncatedOrForeignFilesAreRefused) {
    std::vector<uint8_t> whole = DdsFile(8, 8, gfx::FMT_DXT5, 1, false, std::vector<uint8_t>(64));
    gfx::DdsImage image;
    EXPECT_TRUE(gfx::ReadDds(whole.data(), whole.size(), 0, image));
    EXPECT_FALSE(gfx::ReadDds(whole.data(), whole.size() - 1, 0, image));
    EXPECT_FALSE(gfx::ReadDds(whole.data(), 100, 0, image));
    std::vector<uint8_t> other = DdsFile(8, 8, 0x32545844 /* DXT2 */, 1, false, std::vector<uint8_t>(64));
    EXPECT_FALSE(gfx::ReadDds(other.data(), other.size(), 0, image));
}

}  // namespace
