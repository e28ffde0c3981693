#include "audio/CSoundCache.h"

#include "SoundFixture.h"

namespace {

using SoundCacheTest = SoundTest;

TEST_F(SoundCacheTest, ANameInAnotherLetterCaseIsTheSameEntry) {
    WriteWave("sounds\\horn.wav");
    ASSERT_TRUE(PreloadSound("sounds\\horn.wav"));
    ASSERT_TRUE(g_SoundCache.LoadToCache("SOUNDS\\Horn.WAV"));
    int used = 0;
    for (const auto& e : g_SoundCache.m_Entries) used += e.m_bUsed;
    EXPECT_EQ(used, 1);
    EXPECT_TRUE(g_SoundCache.IsCached("Sounds\\HORN.wav"));
    EXPECT_FALSE(g_SoundCache.IsCached(nullptr));
    const CSoundCache::Entry* entry = nullptr;
    ASSERT_TRUE(g_SoundCache.Find("sounds\\horn.wav", entry));
    EXPECT_EQ(entry->m_pWave->m_uDataSize, 400u);
}

TEST_F(SoundCacheTest, AFullCacheGivesUpTheEntryLoadedEarliest) {
    auto name = [](int i) { return "s\\" + std::to_string(i) + ".wav"; };
    for (int i = 0; i <= CSoundCache::kEntries; ++i) {
        WriteWave(name(i));
        // The second file loaded is the earliest: eviction goes by load time, not by slot.
        g_SoundGame.levelTime = i == 1 ? 1.0f : 10.0f + i;
        ASSERT_TRUE(g_SoundCache.LoadToCache(name(i).c_str())) << i;
    }
    EXPECT_FALSE(g_SoundCache.IsCached(name(1).c_str()));
    EXPECT_TRUE(g_SoundCache.IsCached(name(0).c_str()));
    EXPECT_TRUE(g_SoundCache.IsCached(name(CSoundCache::kEntries).c_str()));
    EXPECT_STREQ(g_SoundCache.m_Entries[1].m_szName, name(CSoundCache::kEntries).c_str());
}

TEST_F(SoundCacheTest, AFailedLoadIsLoggedAndNotCached) {
    EXPECT_FALSE(PreloadSound("missing.wav"));
    EXPECT_FALSE(PreloadSound(nullptr));
    EXPECT_FALSE(g_SoundCache.IsCached("missing.wav"));
    EXPECT_TRUE(Logged("ERROR in CSoundCache::LoadToCache(): LoadWaveFromFile() failed..."));
    EXPECT_TRUE(Logged("missing.wav"));
}

TEST_F(SoundCacheTest, EmptyingTheCacheLeavesPlayingSoundsTheirSamples) {
    WriteWave("hit.wav");
    ASSERT_TRUE(PreloadSound("hit.wav"));
    const CSoundCache::Entry* entry = nullptr;
    ASSERT_TRUE(g_SoundCache.Find("hit.wav", entry));
    std::vector<uint8_t> samples(entry->m_pWave->m_pData.get(), entry->m_pWave->m_pData.get() + 400);

    g_SoundMgr.Initialize(nullptr);
    SoundRecord* sound = g_SoundMgr.CreateSound("hit.wav", false);
    ASSERT_NE(sound, nullptr);
    g_SoundMgr.PlaySound(sound, true);
    ClearSoundCache();
    EXPECT_FALSE(g_SoundCache.IsCached("hit.wav"));
    EXPECT_TRUE(g_SoundMgr.IsPlaying(sound));
    EXPECT_EQ(sound->m_pBuffer->Data(), samples);
}

}  // namespace
