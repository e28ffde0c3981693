// Power lines: the world's script read onto its poles and sockets, the cables built between
// consecutive poles near the camera (sag, ribbons and their sway words), and the spans left out
// when a pole or a socket is missing.
#include <gtest/gtest.h>

#include <string>

#include "core/FrameFacts.h"
#include "platform/gfx/Resource.h"
#include "platform/os/Random.h"
#include "render/CPowerLines.h"
#include "support/DeviceTest.h"
#include "support/FakeEngine.h"

namespace {

using test::g_FakeEngine;

class CPowerLinesTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_TRUE(CreateDevice());
        g_FakeEngine.worldName = "worlds\\test.w";
        plat::SeedRandom(5);
    }
    void TearDown() override {
        g_FrameFacts = FrameFacts{};
        DeviceTest::TearDown();
    }
    // A pole with sockets a and b, 1 and 2 above it.
    static void Pole(const std::string& name, const DV& at) {
        test::FakeObject& pole = g_FakeEngine.AddObject(name, at);
        pole.sockets["a"] = DV{-1, 10, 0};
        pole.sockets["b"] = DV{1, 10, 0};
    }
    void Script(const std::string& lines) { WriteFile("scripts\\slupy\\test.txt", "world worlds\\test.w\n" + lines); }
    static void Start() {
        g_PowerLines.OnStartWorld();
        g_PowerLines.Update();
    }
    static const CableVertex* Vertices() {
        return reinterpret_cast<const CableVertex*>(g_PowerLines.m_pVB->Data());
    }
};

TEST_F(CPowerLinesTest, ThreePolesWithTwoSocketsMakeFourCablesOf120Vertices) {
    for (int i = 0; i < 3; ++i) Pole("p" + std::to_string(i), DV{20.0f * i, 0, 0});
    Script("linia\nsocket a\nsocket b\nslup p0\nslup p1\nslup p2\n");
    Start();
    EXPECT_EQ(g_PowerLines.m_uVertexCount, 480u);
    EXPECT_EQ(g_PowerLines.m_uTriangleCount, 160u);
}

TEST_F(CPowerLinesTest, OnlySpansWithAPoleWithin1200OfTheCameraAreBuilt) {
    const float xs[] = {0, 1100, 2500, 4000};
    for (int i = 0; i < 4; ++i) Pole("p" + std::to_string(i), DV{xs[i], 0, 0});
    Script("linia\nsocket a\nslup p0\nslup p1\nslup p2\nslup p3\n");
    Start();
    EXPECT_EQ(g_PowerLines.m_uVertexCount, 2u * 120);
}

TEST_F(CPowerLinesTest, ATwentyUnitSpanWithSagOneDips048AtItsMiddle) {
    Pole("p0", DV{0, 0, 0});
    Pole("p1", DV{20, 0, 0});
    Script("linia\nsocket a\nslup p0\nslup p1\n");
    g_PowerLines.OnStartWorld();
    g_PowerLines.m_pLines->m_pPoles->m_fSag[0] = 1.0f;
    g_PowerLines.Update();
    ASSERT_EQ(g_PowerLines.m_uVertexCount, 120u);
    // Segment 5 starts at the middle point; its first corner is the point moved sideways only.
    const CableVertex& middle = Vertices()[5 * 12];
    EXPECT_NEAR(middle.position.y, 10.0f - 0.48f, 1e-4f);
    EXPECT_NEAR(middle.position.x, 9.0f, 1e-3f);
    // The poles' own points do not dip.
    EXPECT_NEAR(Vertices()[0].position.y, 10.0f, 1e-5f);
}

TEST_F(CPowerLinesTest, CablesThinnerThanAHundredthAreNotBuilt) {
    Pole("p0", DV{0, 0, 0});
    Pole("p1", DV{20, 0, 0});
    Script("linia\ngrubosc_kabla 0.005\nsocket a\nslup p0\nslup p1\nlinia\ngrubosc_kabla 0.5\nsocket b\nslup p0\nslup p1\n");
    Start();
    EXPECT_EQ(g_PowerLines.m_uVertexCount, 120u);
}

// A pole or socket that is not there leaves its spans out: they would otherwise run to the
// world's origin across the map.
TEST_F(CPowerLinesTest, SpansToAMissingPoleOrSocketAreLeftOut) {
    Pole("p0", DV{0, 0, 0});
    Pole("p2", DV{40, 0, 0});
    Pole("p3", DV{60, 0, 0});
    g_FakeEngine.effectObjects.back().sockets.erase("b");
    Script("linia\nsocket a\nsocket b\nslup p0\nslup p1\nslup p2\nslup p3\n");
    Start();
    // p0-p1 and p1-p2 go with the missing pole; p2-p3 keeps socket a only.
    EXPECT_EQ(g_PowerLines.m_uVertexCount, 120u);
    EXPECT_TRUE(Logged("Brak slupa p1"));
    EXPECT_TRUE(Logged("Slup p3 - brak socketa b"));
    for (uint32_t i = 0; i < g_PowerLines.m_uVertexCount; ++i) EXPECT_GE(Vertices()[i].position.x, 39.0f);
}

TEST_F(CPowerLinesTest, ASocketNamedAfterAPoleHasNoPlaceOnIt) {
    Pole("p0", DV{0, 0, 0});
    Pole("p1", DV{20, 0, 0});
    Script("linia\nsocket a\nslup p0\nsocket b\nslup p1\n");
    Start();
    EXPECT_EQ(g_PowerLines.m_uVertexCount, 120u);
}

TEST_F(CPowerLinesTest, ASocketNameLongerThanItsFieldKeepsItsFirst63Characters) {
    std::string name(80, 's');
    test::FakeObject& p0 = g_FakeEngine.AddObject("p0", DV{0, 0, 0});
    test::FakeObject& p1 = g_FakeEngine.AddObject("p1", DV{20, 0, 0});
    p0.sockets[name.substr(0, 63)] = p1.sockets[name.substr(0, 63)] = DV{0, 5, 0};
    Script("linia\nsocket " + name + "\nslup p0\nslup p1\n");
    Start();
    EXPECT_STREQ(g_PowerLines.m_pLines->m_szSockets[0], name.substr(0, 63).c_str());
    EXPECT_EQ(g_PowerLines.m_uVertexCount, 120u);
}

// The sway word keeps each field in its own byte: the weight, the phase as a share of a turn, the
// upper-edge mark; the top byte stays clear.
TEST_F(CPowerLinesTest, SwayWordsKeepTheirFieldsApart) {
    for (int i = 0; i < 8; ++i) Pole("p" + std::to_string(i), DV{20.0f * i, 0, 0});
    Script("linia\nsocket a\nsocket b\nslup p0\nslup p1\nslup p2\nslup p3\nslup p4\nslup p5\nslup p6\nslup p7\n");
    g_PowerLines.OnStartWorld();
    g_PowerLines.m_pLines->m_pPoles->m_fPhase[0] = 6.28f;
    g_PowerLines.Update();
    uint32_t highestPhase = 0, marks = 0;
    for (uint32_t i = 0; i < g_PowerLines.m_uVertexCount; ++i) {
        uint32_t word = Vertices()[i].sway;
        EXPECT_EQ(word >> 24, 0u);
        EXPECT_LE(word & 0xFF, 102u);  // 0.4 x 255
        uint32_t mark = (word >> 16) & 0xFF;
        EXPECT_TRUE(mark == 0 || mark == 0xFF);
        marks += mark == 0xFF;
        highestPhase = std::max(highestPhase, (word >> 8) & 0xFF);
    }
    EXPECT_EQ(highestPhase, 254u);
    EXPECT_EQ(marks, g_PowerLines.m_uVertexCount / 4);
}

TEST_F(CPowerLinesTest, OnlyTheScriptOfTheRunningWorldIsRead) {
    Pole("ours", DV{0, 0, 0});
    Pole("ours2", DV{20, 0, 0});
    WriteFile("scripts\\slupy\\a_other.txt", "world worlds\\other.w\nlinia\nsocket a\nslup elsewhere\nslup ours\n");
    WriteFile("scripts\\slupy\\b_ours.txt", "world worlds\\other.w\nworld WORLDS\\TEST.W\nlinia\nsocket a\nslup ours\nslup ours2\n");
    WriteFile("scripts\\slupy\\c_also.txt", "world worlds\\test.w\nlinia\nsocket b\nslup ours\nslup ours2\n");
    Start();
    ASSERT_NE(g_PowerLines.m_pLines, nullptr);
    EXPECT_EQ(g_PowerLines.m_pLines->m_pNext, nullptr);
    EXPECT_STREQ(g_PowerLines.m_pLines->m_szSockets[0], "a");
    EXPECT_FALSE(Logged("Brak slupa elsewhere"));
}

TEST_F(CPowerLinesTest, TheCablesAreRebuiltAfterTenUnitsOfCameraTravelAndSwayOnEveryFrame) {
    Pole("p0", DV{0, 0, 0});
    Pole("p1", DV{20, 0, 0});
    Script("linia\nsocket a\nslup p0\nslup p1\n");
    Start();
    ASSERT_EQ(g_PowerLines.m_vLastBuild, (DV{}));
    g_FakeEngine.cameraPosition = DV{9, 0, 0};
    g_FrameFacts.frameTime = 2.0f;
    g_PowerLines.Update();
    EXPECT_EQ(g_PowerLines.m_vLastBuild, (DV{}));
    EXPECT_NEAR(g_PowerLines.m_fSwayPhase, 3.2f, 1e-5f);
    g_PowerLines.Update();
    EXPECT_NEAR(g_PowerLines.m_fSwayPhase, 6.4f - 6.2831855f, 1e-5f);
    g_FakeEngine.cameraPosition = DV{10.5f, 0, 0};
    g_PowerLines.Update();
    EXPECT_EQ(g_PowerLines.m_vLastBuild, (DV{10.5f, 0, 0}));
}

TEST_F(CPowerLinesTest, TheWorldsEndFreesEverything) {
    Pole("p0", DV{0, 0, 0});
    Pole("p1", DV{20, 0, 0});
    Script("linia\nsocket a\nslup p0\nslup p1\n");
    Start();
    g_PowerLines.OnEndWorld();
    EXPECT_EQ(g_PowerLines.m_pLines, nullptr);
    EXPECT_EQ(g_PowerLines.m_pVB, nullptr);
    EXPECT_EQ(g_PowerLines.m_uTriangleCount, 0u);
}

}  // namespace
