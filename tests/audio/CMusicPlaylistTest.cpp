#include "audio/CMusicPlaylist.h"

#include <algorithm>
#include <string>
#include <vector>

#include "audio/CMusicSource.h"
#include "audio/CMusicThread.h"
#include "SoundFixture.h"
#include "platform/os/Random.h"

namespace {

class MusicPlaylistTest : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        g_SoundMgr.Initialize(nullptr);
    }
    // Three short tracks, listed in name order.
    void InitWithTracks() {
        for (const char* name : {"Music\\b.ogg", "Music\\a.ogg", "Music\\C.ogg"}) WriteTrack(name, 0.1f);
        g_MusicPlaylist.Init();
    }
    static std::string Playing() {
        if (!g_SoundMgr.m_pMusic || !g_SoundMgr.m_pMusic->m_pSource) return "";
        return g_SoundMgr.m_pMusic->m_pSource->m_szName;
    }
    // A frame of the main game after the music may start.
    static void Frame(float seconds = 1.0f / 60) {
        g_SoundGame.frame = 300;
        g_FrameFacts.frameTime = seconds;
        g_MusicPlaylist.Update();
    }
};

TEST_F(MusicPlaylistTest, ScanListsTheOggFilesOfTheMusicDirectory) {
    for (int i = 0; i < 70; ++i) WriteFile("Music\\t" + std::to_string(100 + i) + ".ogg", "");
    WriteFile("Music\\.hidden.ogg", "");
    WriteFile("Music\\notes.txt", "");
    WriteFile("Music\\dir.ogg\\x", "");
    g_MusicPlaylist.Init();
    EXPECT_EQ(g_MusicPlaylist.m_uCount, 63u);
    EXPECT_STREQ(g_MusicPlaylist.m_szEntries[0], "Music\\t100.ogg");
    EXPECT_STREQ(g_MusicPlaylist.m_szEntries[62], "Music\\t162.ogg");
    EXPECT_EQ(g_MusicPlaylist.m_uCurrent, CMusicPlaylist::kNone);

    test::ResetGlobal(g_MusicPlaylist);
    g_MusicPlaylist.Add("a.o");
    g_MusicPlaylist.Add(nullptr);
    g_MusicPlaylist.Add("a.og");
    EXPECT_EQ(g_MusicPlaylist.m_uCount, 1u);
}

TEST_F(MusicPlaylistTest, NextAndPreviousWrapAroundTheList) {
    InitWithTracks();
    g_MusicPlaylist.Next();
    EXPECT_EQ(Playing(), "Music\\a.ogg");
    EXPECT_TRUE(Logged("Playing Music\\a.ogg"));
    g_MusicPlaylist.Previous();
    EXPECT_EQ(Playing(), "Music\\C.ogg");
    g_MusicPlaylist.Next();
    EXPECT_EQ(Playing(), "Music\\a.ogg");
}

// Previous plays its track once like every other, so the list moves on after it.
TEST_F(MusicPlaylistTest, PreviousPlaysOnceAndStartsFromTheLastWithNoneChosen) {
    InitWithTracks();
    g_MusicPlaylist.m_fTimer = 1.5f;
    g_MusicPlaylist.Previous();
    EXPECT_EQ(Playing(), "Music\\C.ogg");
    EXPECT_EQ(g_SoundMgr.m_pMusic->m_bLooping, 0);
    EXPECT_EQ(g_MusicPlaylist.m_fTimer, 0.0f);
    EXPECT_FALSE(Logged("ERROR in CSoundMgr::Music_Play(): Music file doesn't exist!"));
}

TEST_F(MusicPlaylistTest, AnEmptyListPlaysNothing) {
    g_MusicPlaylist.Init();
    g_MusicPlaylist.Next();
    g_MusicPlaylist.Previous();
    for (int i = 0; i < 200; ++i) Frame();
    EXPECT_EQ(g_SoundMgr.m_pMusic, nullptr);
    EXPECT_EQ(Log().find("Music_Play"), std::string::npos);
}

// A machine without a sound device: the list does not step through its tracks every 2 s, each
// step logging the sound manager's complaint; an explicit Next (the menu's) still tries once.
TEST_F(MusicPlaylistTest, WithoutASoundDeviceTheListDoesNotCycle) {
    g_SoundMgr.Release();
    snd::NullBackend().noDevice = true;
    g_SoundMgr.Initialize(nullptr);
    InitWithTracks();
    auto complaints = [this] {
        const std::vector<std::string> lines = test::LinesOf(Log());
        return std::count(lines.begin(), lines.end(), "Music_Play !m_pDS");
    };
    for (int i = 0; i < 60 * 60; ++i) Frame();  // a minute of play
    EXPECT_EQ(complaints(), 0);
    EXPECT_EQ(Log().find("Playing "), std::string::npos);
    g_MusicPlaylist.Next();
    for (int i = 0; i < 60 * 60; ++i) Frame();
    EXPECT_EQ(complaints(), 1);
    EXPECT_EQ(g_SoundMgr.m_pMusic, nullptr);
}

TEST_F(MusicPlaylistTest, TheIntroPlaysItsOwnTrackButLogsTheEntry) {
    InitWithTracks();
    WriteTrack("music\\1.ogg", 0.1f);
    g_Settings.m_bGameMode = 1;
    g_MusicPlaylist.Next();
    EXPECT_EQ(Playing(), "music\\1.ogg");
    EXPECT_TRUE(Logged("Playing Music\\a.ogg"));
}

TEST_F(MusicPlaylistTest, TheFirstTrackFollowsTwoSecondsOfCountedFrames) {
    InitWithTracks();
    plat::SeedRandom(1);
    g_SoundGame.frame = 219;
    g_FrameFacts.frameTime = 1.0f / 60;
    for (int i = 0; i < 200; ++i) g_MusicPlaylist.Update();
    EXPECT_EQ(g_MusicPlaylist.m_fTimer, 0.0f);
    Frame(0.5f);  // a loading hitch is not counted
    EXPECT_EQ(g_MusicPlaylist.m_fTimer, 0.0f);
    for (int i = 0; i < 22; ++i) Frame(0.09f);  // 1.98 s
    EXPECT_EQ(g_SoundMgr.m_pMusic, nullptr);
    EXPECT_NE(g_MusicPlaylist.m_uCurrent, CMusicPlaylist::kNone);
    uint32_t picked = g_MusicPlaylist.m_uCurrent;
    Frame(0.09f);
    ASSERT_NE(g_SoundMgr.m_pMusic, nullptr);
    EXPECT_EQ(g_MusicPlaylist.m_uCurrent, (picked + 1) % 3);
    EXPECT_EQ(g_MusicPlaylist.m_fTimer, 0.0f);
}

TEST_F(MusicPlaylistTest, ANearlySilentSettingPausesTheMusicUntilRaised) {
    WriteTrack("Music\\long.ogg", 1.0f);
    g_MusicPlaylist.Init();
    g_MusicPlaylist.Next();
    ASSERT_TRUE(g_SoundMgr.Music_IsPlaying());
    g_Settings.m_fMusicVolume = 0.03f;
    Frame();
    EXPECT_TRUE(g_MusicPlaylist.m_bPaused);
    EXPECT_FALSE(g_SoundMgr.Music_IsPlaying());
    g_SoundMgr.Music_Resume();
    Frame();
    EXPECT_FALSE(g_SoundMgr.Music_IsPlaying());
    g_Settings.m_fMusicVolume = 0.04f;
    Frame();
    EXPECT_FALSE(g_MusicPlaylist.m_bPaused);
    EXPECT_TRUE(g_SoundMgr.Music_IsPlaying());
    EXPECT_EQ(Playing(), "Music\\long.ogg");
}

}  // namespace
