#include <gtest/gtest.h>

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

}  // namespace
}  // namespace test
