// The placement cache "<world>.grs": the second start reads the plants the first one placed, and a
// cache that is short, of another version, or holds counts beyond their limits and grids is never
// trusted: the plants are placed again and the cache written anew.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "vehicles/PlantsFixture.h"

namespace {

class EPlantMgrCache : public test::PlantsTest {
protected:
    void SetUp() override {
        PlantsTest::SetUp();
        Field("pole01");
        Field("laka01", DV{60, 0, 0});
        Script(Wheat("pole01") + "grows trawa.tga\nwidth 1.4\nheight 0.6\ndensity 2\nrandom_seed 0.5\nmesh laka01\n");
    }

    std::vector<uint8_t> CacheFile() const {
        const std::string text = ReadFile(kCache);
        return std::vector<uint8_t>(text.begin(), text.end());
    }
    void WriteCache(const std::vector<uint8_t>& bytes) const {
        WriteFile(kCache, std::string(bytes.begin(), bytes.end()));
    }

    static void ExpectSamePlants(const std::vector<Plant>& a, const GrassKind& k) {
        ASSERT_EQ(a.size(), k.dwGrassesDefined);
        for (size_t i = 0; i < a.size(); ++i)
            ASSERT_EQ(std::memcmp(&a[i], &k.pPlants[i], sizeof(Plant)), 0) << "plant " << i;
    }
    static std::vector<Plant> PlantsOf(const GrassKind& k) {
        return std::vector<Plant>(k.pPlants.get(), k.pPlants.get() + k.dwGrassesDefined);
    }

    // How many times the plants were placed rather than read.
    int Placements() const {
        int n = 0;
        for (const std::string& line : ReadLines("!console.txt")) n += line == "Przeliczam trawe #0";
        return n;
    }

    static void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    static uint32_t GetU32(const std::vector<uint8_t>& b, size_t at) {
        return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
    }
};

// Kinds, each with its plants, then the terrain block: the file holds exactly these bytes.
TEST_F(EPlantMgrCache, TheFirstStartWritesThePlacementAndTheSecondReadsItBack) {
    Grow();
    const std::vector<Plant> wheat = PlantsOf(g_PlantMgr.m_Grass[0]), meadow = PlantsOf(g_PlantMgr.m_Grass[1]);
    ASSERT_GT(wheat.size(), 0u);
    ASSERT_GT(meadow.size(), 0u);
    const std::vector<uint8_t> file = CacheFile();
    ASSERT_EQ(file.size(), 8 + 2 * 1964 + 196 * (wheat.size() + meadow.size()) + 1128);
    EXPECT_EQ(GetU32(file, 0), 6u);
    EXPECT_EQ(GetU32(file, 4), 2u);
    EXPECT_EQ(file, g_PlantMgr.CacheBytes());
    // The run-time fields are stored as 0.
    EXPECT_EQ(GetU32(file, 8 + 256), 0u);
    for (size_t at = 8 + 1368; at < 8 + 1964; ++at) ASSERT_EQ(file[at], 0) << at;

    // Read with another seed: the placement is the cached one, not a new one.
    Grow(99, true);
    EXPECT_TRUE(Logged("CzytajDaneZPliku"));
    EXPECT_TRUE(Logged("Grass, m_dwGrass == 2"));
    ASSERT_EQ(g_PlantMgr.m_dwGrass, 2u);
    ExpectSamePlants(wheat, g_PlantMgr.m_Grass[0]);
    ExpectSamePlants(meadow, g_PlantMgr.m_Grass[1]);
    EXPECT_STREQ(g_PlantMgr.m_Grass[1].m_szMeshes[0], "laka01");
    EXPECT_NE(g_PlantMgr.m_Grass[0].m_uTexture, 0u);
    EXPECT_NE(g_PlantMgr.m_Grass[0].pVB, nullptr);
    EXPECT_EQ(g_PlantMgr.m_Grass[0].m_dwTriangles, 4 * wheat.size());
}

// The script is not read again when a cache is used: the cache says what grows.
TEST_F(EPlantMgrCache, ACacheFromAnOlderScriptIsStillUsed) {
    Grow();
    Script(Wheat("pole01"));
    Grow(11, true);
    EXPECT_EQ(g_PlantMgr.m_dwGrass, 2u);
}

// Every damaged or stale form of the cache gives the placement a fresh start: the plants are
// placed as the script says and the cache is written again, whole.
TEST_F(EPlantMgrCache, ACacheThatFailsAnyCheckIsPlacedAnewAndRewritten) {
    Grow();
    const std::vector<uint8_t> good = CacheFile();
    const std::vector<Plant> wheat = PlantsOf(g_PlantMgr.m_Grass[0]);
    const uint32_t plants = g_PlantMgr.m_Grass[0].dwGrassesDefined;
    const size_t secondKind = 8 + 1964 + 196 * plants, terrain = good.size() - 1128;
    const struct {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> damage;
    } cases[] = {
        {"of version 5", [](auto& b) { PutU32(b, 0, 5); }},
        {"empty", [](auto& b) { b.clear(); }},
        {"cut in its header", [](auto& b) { b.resize(6); }},
        {"cut in a kind", [](auto& b) { b.resize(8 + 1000); }},
        {"cut in the plants", [&](auto& b) { b.resize(secondKind - 100); }},
        {"without its last byte", [](auto& b) { b.pop_back(); }},
        {"with a byte too many", [](auto& b) { b.push_back(0); }},
        {"of 65 kinds", [](auto& b) { PutU32(b, 4, 65); }},
        {"of more kinds than it holds", [](auto& b) { PutU32(b, 4, 3); }},
        {"with more plants than the grid", [&](auto& b) { PutU32(b, 8 + 1364, GetU32(b, 8 + 312) + 1); }},
        {"with a grid unlike its rows", [&](auto& b) { PutU32(b, 8 + 304, GetU32(b, 8 + 304) + 1); }},
        {"with a huge plant count", [&](auto& b) {
             PutU32(b, 8 + 304, 65536);
             PutU32(b, 8 + 308, 65535);
             PutU32(b, 8 + 312, 65536u * 65535u);
             PutU32(b, 8 + 1364, 65536u * 65535u);
         }},
        {"with 16 fields to a kind", [](auto& b) { PutU32(b, 8 + 1340, 16); }},
        {"with tufts beyond its cells", [&](auto& b) { PutU32(b, terrain + 1124, 1); }},
        {"with 16 terrain textures", [&](auto& b) { PutU32(b, terrain + 1024, 16); }},
        {"naming a texture that is not there", [](auto& b) { std::memcpy(&b[8], "gone.tga", 9); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bad = good;
        c.damage(bad);
        WriteCache(bad);
        const int placed = Placements();
        Grow(11, true);
        EXPECT_EQ(Placements(), placed + 1);
        ASSERT_EQ(g_PlantMgr.m_dwGrass, 2u);
        ExpectSamePlants(wheat, g_PlantMgr.m_Grass[0]);
        EXPECT_EQ(CacheFile(), good);
    }
}

TEST_F(EPlantMgrCache, TheReaderRefusesBytesThatAreNotACache) {
    GrassCacheContents contents;
    EXPECT_FALSE(EPlantMgr::ReadGrassCache(nullptr, 0, contents));
    const uint8_t header[8] = {6, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(EPlantMgr::ReadGrassCache(header, sizeof header, contents));
    // No kinds and an empty terrain block is a cache of a world without plants.
    std::vector<uint8_t> empty(header, header + 8);
    empty.resize(8 + 1128);
    EXPECT_TRUE(EPlantMgr::ReadGrassCache(empty.data(), empty.size(), contents));
    EXPECT_TRUE(contents.kinds.empty());
}

}  // namespace
