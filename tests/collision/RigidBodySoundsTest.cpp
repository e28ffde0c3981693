#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "RigidBodyTest.h"

namespace test {
namespace {

struct Played {
    std::string name;
    float value;
};
std::vector<Played> g_played;
bool g_channelsPlaying = false;
// What became of a body's own sound.
struct OwnSound {
    std::string file;
    float distance = 0, secondDistance = 0;
    int plays = 0;
    bool playing = false;
    bool released = false;
    std::vector<DV> moves;
};
OwnSound g_own;

class RigidBodySoundsTest : public RigidBodyTest {
protected:
    void SetUp() override {
        RigidBodyTest::SetUp();
        g_played.clear();
        g_channelsPlaying = false;
        g_RigidBodyHooks.playSoundAt = [](const char* file, const DV&, float volume, float) {
            if (std::string(file) == "broken.wav") return false;
            g_played.push_back({file, volume});
            return true;
        };
        g_RigidBodyHooks.impactChannelPlaying = [](const void*, int) { return g_channelsPlaying; };
        g_RigidBodyHooks.playImpactChannel = [](const void*, int channel, float db) {
            g_played.push_back({"channel" + std::to_string(channel), db});
        };
        g_own = OwnSound{};
        g_RigidBodyHooks.createBodySound = [](const char* file, float distance, float second) -> void* {
            g_own.file = file;
            g_own.distance = distance;
            g_own.secondDistance = second;
            return &g_own;
        };
        g_RigidBodyHooks.playBodySound = [](void* sound) { ++static_cast<OwnSound*>(sound)->plays; };
        g_RigidBodyHooks.bodySoundPlaying = [](void* sound) { return static_cast<OwnSound*>(sound)->playing; };
        g_RigidBodyHooks.moveBodySound = [](void* sound, const DV& at) { static_cast<OwnSound*>(sound)->moves.push_back(at); };
        g_RigidBodyHooks.releaseBodySound = [](void* sound) { static_cast<OwnSound*>(sound)->released = true; };
        m_box = AddBox({0, 100, 0}, 32);
        m_box->m_Params.m_fCollisionSoundDistance = 1000;
        m_box->m_dTimeSinceCollisionSound = 1;
    }
    // One colliding contact at the point, approaching at the speed.
    void Collide(double dVrel, const Vec3d& p = {}) {
        RigidBodyContactReport& list = g_RigidBodySimulation.m_Colliding;
        list.count = 1;
        list.contacts[0] = RigidBodyContact{1, m_box, nullptr, p, {0, 1, 0}, {}, {}, dVrel};
    }
    // A box high in the air with its own sound of the silence and sound flag, asleep.
    ERigidBodyPhysics* AddHummingBox(float silence, uint8_t soundFlag) {
        FakeObject& f = m_objects.emplace_back();
        BodyObject& o = m_bodyObjects[f.Handle()];
        o.name = "humming";
        o.position = {500, 1000, 0};
        o.localMin = {-16, -16, -16};
        o.localMax = {16, 16, 16};
        o.params.m_uBodyKind = ERigidBodyPhysics::BOX;
        std::snprintf(o.params.m_szSoundFileName, sizeof o.params.m_szSoundFileName, "hum.wav");
        o.params.m_fSoundParam = 100;
        o.params.m_bSound = soundFlag;
        o.params.m_fSilenceBetweenSounds = silence;
        o.fake = &f;
        return g_RigidBodySimulation.AddBody(f.Handle());
    }
    ERigidBodyPhysics* m_box = nullptr;
};

TEST_F(RigidBodySoundsTest, FastApproachesSoundWithAVolumeFromTheirSpeed) {
    std::snprintf(m_box->m_Params.m_szCollisionSound, sizeof m_box->m_Params.m_szCollisionSound, "thud.wav");
    Collide(-5);
    g_RigidBodySimulation.GenerateSoundsFromCollisions_VER_2(m_box);
    EXPECT_TRUE(g_played.empty());
    Collide(-60);
    g_RigidBodySimulation.GenerateSoundsFromCollisions_VER_2(m_box);
    ASSERT_EQ(g_played.size(), 1u);
    EXPECT_EQ(g_played[0].name, "thud.wav");
    EXPECT_FLOAT_EQ(g_played[0].value, 0.5f);
    // Too soon after the last one.
    g_RigidBodySimulation.GenerateSoundsFromCollisions_VER_2(m_box);
    EXPECT_EQ(g_played.size(), 1u);

    m_box->m_dTimeSinceCollisionSound = 1;
    std::snprintf(m_box->m_Params.m_szCollisionSound, sizeof m_box->m_Params.m_szCollisionSound, "broken.wav");
    g_RigidBodySimulation.GenerateSoundsFromCollisions_VER_2(m_box);
    EXPECT_TRUE(Logged("Error in ERigidBodySimulation::GenerateSoundsFromCollisions_VER_2(): sound not created..."));
}

TEST_F(RigidBodySoundsTest, ImpactsAreAttenuatedByStrengthAndDistanceAndTakeAQuieterChannel) {
    const struct {
        double distance;
        float db;
    } cases[] = {{250, 15}, {600, 30}, {960, 15 + 30 + 70 * 10 / 50.0f}};
    for (const auto& c : cases) {
        g_played.clear();
        Collide(-110, {c.distance, 0, 0});
        g_RigidBodySimulation.GenerateImpactSounds(m_box);
        ASSERT_EQ(g_played.size(), 1u) << c.distance;
        EXPECT_NEAR(g_played[0].value, c.db, 1e-3) << c.distance;
    }
    g_played.clear();
    Collide(-110, {1001, 0, 0});
    g_RigidBodySimulation.GenerateImpactSounds(m_box);
    EXPECT_TRUE(g_played.empty());

    g_channelsPlaying = true;
    m_box->m_fImpactAttenuation[0] = 10;
    m_box->m_fImpactAttenuation[1] = 20;
    Collide(-110, {250, 0, 0});
    g_RigidBodySimulation.GenerateImpactSounds(m_box);
    ASSERT_EQ(g_played.size(), 1u);
    EXPECT_EQ(g_played[0].name, "channel1");
    m_box->m_fImpactAttenuation[1] = 12;
    g_RigidBodySimulation.GenerateImpactSounds(m_box);
    EXPECT_EQ(g_played.size(), 1u);
}

TEST_F(RigidBodySoundsTest, TheBodysOwnSoundStartsOnWakingAgainAfterItsSilenceAndFollowsTheBody) {
    ERigidBodyPhysics* box = AddHummingBox(0.5f, 1);
    ASSERT_TRUE(box);
    EXPECT_EQ(g_own.file, "hum.wav");
    EXPECT_FLOAT_EQ(g_own.distance, 200);
    EXPECT_FLOAT_EQ(g_own.secondDistance, 100);
    EXPECT_EQ(g_own.plays, 0);
    g_own.playing = true;
    box->Activate();
    box->Activate();
    EXPECT_EQ(g_own.plays, 1);

    // Still playing: not started again, but moved along with the falling body every 0.15 s.
    Run(0.5);
    EXPECT_EQ(g_own.plays, 1);
    ASSERT_GE(g_own.moves.size(), 3u);
    EXPECT_LE(g_own.moves.size(), 4u);
    for (size_t i = 1; i < g_own.moves.size(); ++i) EXPECT_LT(g_own.moves[i].y, g_own.moves[i - 1].y) << i;
    EXPECT_LT(g_own.moves.back().y, 1000.0f);

    // Ended: it waits out its silence, then starts once more.
    g_own.playing = false;
    Run(0.45);
    EXPECT_EQ(g_own.plays, 1);
    Run(0.1);
    EXPECT_EQ(g_own.plays, 2);

    g_RigidBodySimulation.RemoveObjectBody(box->m_hObject);
    EXPECT_TRUE(g_own.released);
}

TEST_F(RigidBodySoundsTest, WithoutItsSoundFlagTheBodysSoundPlaysOnlyOnWaking) {
    ERigidBodyPhysics* box = AddHummingBox(0.0f, 0);
    ASSERT_TRUE(box);
    box->Activate();
    Run(1.0);
    EXPECT_EQ(g_own.plays, 1);
    EXPECT_FALSE(g_own.moves.empty());
}

}  // namespace
}  // namespace test
