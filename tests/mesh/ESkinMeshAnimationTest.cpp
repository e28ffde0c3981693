// Clips: the ".bin" file read and written, the sampler, the link fields, the folder scan and the
// search for a clip by name.
#include "mesh/ESkinMeshAnimation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "SkinMeshTest.h"
#include "core/EDebug.h"
#include "platform/os/Files.h"
#include "support/MathSupport.h"

namespace {

// One track "n" with translation keys at the given ticks, x = the key's index times 10, and one
// rotation key per time turning about y by the index times 90 degrees.
strSkinMeshAnimation Track(std::vector<float> ticks, double ticksPerSecond = 30.0, double period = 1.0) {
    strSkinMeshAnimation clip;
    clip.dTicksPerSecond = ticksPerSecond;
    clip.dPeriod = period;
    tNodeAnim& t = clip.tTracks.emplace_back();
    std::snprintf(t.szNodeName, sizeof t.szNodeName, "n");
    t.pLinkField = FindOrCreateLinkField("n");
    t.fTimeTranslation = ticks;
    t.fTimeRotation = ticks;
    for (size_t i = 0; i < ticks.size(); ++i) {
        t.vTranslation.push_back({10.0f * i, 0, 0});
        t.qRotation.push_back(pmath::QuaternionFromYawPitchRoll(1.5707963f * i, 0, 0));
    }
    clip.iNumTracks = 1;
    return clip;
}

class ESkinMeshAnimationTest : public test::SkinMeshTest {
protected:
    // The link field of "n" after sampling the clip at t.
    const strLinkField& At(const strSkinMeshAnimation& clip, double t, bool loop = false) {
        m_channel.dTime = t;
        m_channel.bLoop = loop ? 1 : 0;
        ResetLinkFields();
        SampleAnimation(clip, m_channel);
        return *FindLinkField("n");
    }
    std::string Bytes(const char* gamePath) const { return ReadFile(gamePath); }

    strAnimPlayingParams m_channel;
};

TEST_F(ESkinMeshAnimationTest, AWrittenClipReadsBackAndWritesTheSameBytes) {
    const skinned::Model arm = test::Arm();
    strSkinMeshAnimation clip = test::ArmBend(arm, "bend", 90);
    clip.tTracks[1].fTimeScale = {0, 15};
    clip.tTracks[1].vScale = {{1, 1, 1}, {2, 2, 2}};
    WriteClip("a.bin", clip);
    strSkinMeshAnimation read;
    ASSERT_TRUE(ESkinMeshAnimation::Load_Animation_From_Bin_File("a.bin", &read));
    EXPECT_EQ(read.iNumTracks, 3u);
    EXPECT_DOUBLE_EQ(read.dTicksPerSecond, 30.0);
    EXPECT_DOUBLE_EQ(read.dPeriod, 1.0);
    EXPECT_STREQ(read.tTracks[2].szNodeName, "lower");
    EXPECT_EQ(read.tTracks[1].vScale.size(), 2u);
    EXPECT_EQ(read.tTracks[2].pLinkField, FindLinkField("LOWER"));
    // 208 a track, 4 a key time, 12 a vector key and 16 a rotation key.
    EXPECT_EQ(read.uBytes, 3 * 208 + 3 * (4 + 4 + 12 + 16) * 2 + (4 + 12) * 2);
    WriteClip("b.bin", read);
    EXPECT_EQ(Bytes("a.bin"), Bytes("b.bin"));
    EXPECT_EQ(Bytes("a.bin").size(), 28 + 3 * 180 + 3 * 2 * (4 + 4 + 12 + 16) + 2 * (4 + 12));
}

TEST_F(ESkinMeshAnimationTest, FilesThatAreNoClipsAreRefusedWithTheirLine) {
    const std::string header = std::string("BINA") + std::string("\x02\0\0\0", 4);
    const struct {
        const char* name;
        std::string bytes;
        const char* line;
    } cases[] = {
        {"version 1", std::string("BINA") + std::string("\x01\0\0\0\0\0\0\0", 8), "Wrong version of file format!"},
        {"magic", std::string("BIN!") + std::string("\x02\0\0\0", 4), "File is not BIN animation!"},
        // Counts are checked against what the file holds before anything is allocated.
        {"track count", header + std::string("\xFF\xFF\xFF\x0F", 4) + std::string(16, '\0'), "File is not BIN animation!"},
        {"key counts", header + std::string("\x01\0\0\0", 4) + std::string(16, '\0') + std::string(168, 'n') +
                           std::string("\xFF\xFF\xFF\x7F\0\0\0\0\0\0\0\0", 12),
         "File is not BIN animation!"},
        {"short header", std::string("BIN"), "File is not BIN animation!"},
    };
    for (const auto& c : cases) {
        WriteFile("c.bin", c.bytes);
        strSkinMeshAnimation clip;
        EXPECT_FALSE(ESkinMeshAnimation::Load_Animation_From_Bin_File("c.bin", &clip)) << c.name;
        EXPECT_EQ(clip.iNumTracks, 0u) << c.name;
        EXPECT_EQ(LoggedContaining(c.line), 1) << c.name;
        WriteFile("!console.txt", "");
    }
    // A clip of no tracks reads, and a missing file is no clip, silently.
    WriteFile("empty.bin", header + std::string(4, '\0'));
    strSkinMeshAnimation clip;
    EXPECT_TRUE(ESkinMeshAnimation::Load_Animation_From_Bin_File("empty.bin", &clip));
    EXPECT_EQ(clip.iNumTracks, 0u);
    EXPECT_FALSE(ESkinMeshAnimation::Load_Animation_From_Bin_File("missing.bin", &clip));
    EXPECT_EQ(LoggedContaining("ERROR"), 0);
}

TEST_F(ESkinMeshAnimationTest, TheSamplerInterpolatesBetweenTheKeysAroundTheTime) {
    const strSkinMeshAnimation clip = Track({0, 30});
    const strLinkField& half = At(clip, 0.5);
    EXPECT_TRUE(test::Near(half.vTranslation, {5, 0, 0}));
    EXPECT_TRUE(test::SameRotation(half.qRotation, pmath::QuaternionFromYawPitchRoll(0.7853982f, 0, 0)));
    EXPECT_TRUE(test::Near(half.vScale, {1, 1, 1}));  // no scale keys
    // The local matrix is scale, rotation, translation.
    EXPECT_TRUE(test::Near(half.mLocal, pmath::MatrixFromTransformation({1, 1, 1}, half.qRotation, {5, 0, 0})));
    // Keys at every tick of a 30-tick clip: one key per 1/30 s.
    const strSkinMeshAnimation ticks = Track({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    EXPECT_TRUE(test::Near(At(ticks, 7.0 / 30.0).vTranslation, {70, 0, 0}, 1e-3f));
    // A single key holds at every time.
    const strSkinMeshAnimation single = Track({12});
    for (double t : {0.0, 0.4, 5.0}) EXPECT_TRUE(test::Near(At(single, t).vTranslation, {0, 0, 0}));
}

TEST_F(ESkinMeshAnimationTest, BeforeTheFirstKeyTheFirstKeyHolds) {
    // Keys at ticks 15 and 30 only: the start of the clip shows the first key, not the last.
    const strSkinMeshAnimation late = Track({15, 30});
    EXPECT_TRUE(test::Near(At(late, 0.0).vTranslation, {0, 0, 0}));
    EXPECT_TRUE(test::Near(At(late, 0.25).vTranslation, {0, 0, 0}));
    EXPECT_TRUE(test::Near(At(late, 0.75).vTranslation, {5, 0, 0}));
}

TEST_F(ESkinMeshAnimationTest, LoopingWrapsAndCountsLoopsWhilePlayingOnceHoldsTheEnd) {
    const strSkinMeshAnimation clip = Track({0, 30}, 30.0, 1.0);
    At(clip, 2.5, true);
    EXPECT_DOUBLE_EQ(m_channel.dLocalTime, 0.5);
    EXPECT_EQ(m_channel.iLoopCount, 2);
    At(clip, 3.25, true);
    EXPECT_EQ(m_channel.iPrevLoopCount, 2);
    EXPECT_EQ(m_channel.iLoopCount, 3);
    EXPECT_EQ(m_channel.bFinished, 0);
    EXPECT_TRUE(test::Near(At(clip, 1.5, false).vTranslation, {10, 0, 0}));
    EXPECT_DOUBLE_EQ(m_channel.dLocalTime, 1.0);
    EXPECT_EQ(m_channel.bFinished, 1);
    At(clip, 0.9, false);
    EXPECT_EQ(m_channel.bFinished, 0);
}

TEST_F(ESkinMeshAnimationTest, AMaskModeSamplesOnlyTheNodesOfItsMask) {
    const strSkinMeshAnimation clip = Track({0, 30});
    strLinkField* f = FindLinkField("n");
    f->bMask[1] = 0;
    m_channel.uMaskMode = 2;
    EXPECT_TRUE(test::Near(At(clip, 0.5).vTranslation, {0, 0, 0}));  // left at its reset value
    m_channel.uMaskMode = 1;
    EXPECT_TRUE(test::Near(At(clip, 0.5).vTranslation, {5, 0, 0}));
    m_channel.uMaskMode = 0;
    EXPECT_TRUE(test::Near(At(clip, 0.5).vTranslation, {5, 0, 0}));
}

TEST_F(ESkinMeshAnimationTest, TheFolderScanNamesEveryClipBelowItAndItsDefault) {
    for (const char* file : {"anims\\walk_DEFAULT.bin", "anims\\b\\Run.BIN", "anims\\a\\jump.bin", "anims\\notes.txt",
                             "anims\\c\\JUMP.bin", "anims\\x.bi"})
        WriteFile(file, "");
    AnimationNameScan scan;
    Przejrzyj_Katalog("anims", scan);
    EXPECT_EQ(scan.names, (std::vector<std::string>{"jump", "Run", "JUMP", "walk"}));
    EXPECT_EQ(scan.defaultName, "walk");
    ReportDuplicateAnimationNames(scan, "anims");
    EXPECT_EQ(LoggedContaining("ERROR: Two animations with the same name!!!"), 1);
    EXPECT_EQ(LoggedContaining("Duplicated name: jump"), 1);
}

TEST_F(ESkinMeshAnimationTest, AScanStopsAt999Names) {
    for (int i = 0; i < 1000; ++i) WriteFile("many\\c" + std::to_string(i) + ".bin", "");
    AnimationNameScan scan;
    Przejrzyj_Katalog("many", scan);
    EXPECT_EQ(scan.names.size(), 999u);
    EXPECT_EQ(LoggedContaining("MAX_ANIMATIONS_IN_SKINMESHBASE exceeded!"), 1);
}

TEST_F(ESkinMeshAnimationTest, SearchingLoadsTheFirstFileOfTheNameIntoTheFirstFreeSlot) {
    const skinned::Model arm = test::Arm();
    WriteFile("clips\\a\\bend.bin", "garbage");
    WriteClip("clips\\b\\Bend_DEFAULT.bin", test::ArmBend(arm, "x", 90));
    WriteClip("clips\\c\\bend.bin", test::ArmBend(arm, "x", 45));
    strSkinMeshAnimation* table[MAX_ANIMATIONS_IN_SKINMESHBASE] = {};
    strSkinMeshAnimation placeholder;
    table[0] = &placeholder;
    int32_t count = 2;
    const int slot = SearchAndLoadAnimation("clips", "BEND", table, count);
    ASSERT_EQ(slot, 1);
    EXPECT_EQ(count, 2);
    EXPECT_STREQ(table[1]->szName, "Bend");
    EXPECT_EQ(table[1]->bDefault, 1);
    // The broken file was reported and passed over; the third one was never read.
    EXPECT_EQ(LoggedContaining("Problem with skinmesh's animation: bend"), 1);
    EXPECT_TRUE(test::Near(table[1]->tTracks[2].vTranslation[0], {10, 0, 0}));
    EXPECT_EQ(SearchAndLoadAnimation("clips", "swim", table, count), -1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(LoggedContaining("Animation not found or corrupted!"), 1);
    DeleteAnimation(table[1]);
}

TEST_F(ESkinMeshAnimationTest, FixRewritesFrameNumberedKeyTimesOverTheClip) {
    strSkinMeshAnimation clip = Track({0, 1, 2, 3, 4, 5}, 30.0, 99.0);
    WriteClip("fix.bin", clip);
    ASSERT_TRUE(FIX_Animation("fix.bin"));
    EXPECT_EQ(LoggedContaining("FIX_Animation:: EXPORT need fixing!"), 1);
    strSkinMeshAnimation fixed;
    ASSERT_TRUE(ESkinMeshAnimation::Load_Animation_From_Bin_File("fix.bin", &fixed));
    EXPECT_DOUBLE_EQ(fixed.dPeriod, 6.0 / 30.0);
    // i x duration x ticks per second / n: six keys over 6 ticks.
    EXPECT_FLOAT_EQ(fixed.tTracks[0].fTimeTranslation[5], 5.0f);
    EXPECT_FLOAT_EQ(fixed.tTracks[0].fTimeRotation[2], 2.0f);
    // Every array has keys spread over the ticks: nothing to fix (an empty array would need it).
    strSkinMeshAnimation spread = Track({0, 15, 30});
    spread.tTracks[0].fTimeScale = {0, 30};
    spread.tTracks[0].vScale = {{1, 1, 1}, {1, 1, 1}};
    WriteClip("spread.bin", spread);
    EXPECT_TRUE(FIX_Animation("spread.bin"));
    EXPECT_EQ(LoggedContaining("FIX_Animation:: EXPORT don't need fixing!"), 1);
}

}  // namespace
