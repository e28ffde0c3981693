#include "platform/input/EffectFile.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/input/InputResult.h"

namespace {

using plat::EffectDesc;
using plat::EffectType;

EffectDesc Sample(EffectType type) {
    EffectDesc e;
    e.name = "sample";
    e.type = type;
    e.flags = plat::effectflag::ObjectOffsets | plat::effectflag::Polar;
    e.duration = 250000;
    e.gain = 8000;
    e.startDelay = 1000;
    e.axes = {0, 4};
    e.directions = {9000, 0};
    if (plat::IsCondition(type)) {
        e.conditions = {{10, 6000, -5000, 9000, 8000, 300}, {0, 1, 2, 3, 4, 5}};
    } else if (plat::IsPeriodic(type)) {
        e.magnitude = 3000;
        e.offset = -200;
        e.phase = 18000;
        e.period = 40000;
    } else if (type == EffectType::Ramp) {
        e.rampStart = -4000;
        e.rampEnd = 4000;
    } else {
        e.magnitude = -7000;
        e.hasEnvelope = true;
        e.envelope = {10000, 5000, 0, 60000};
    }
    return e;
}

void ExpectSame(const EffectDesc& a, const EffectDesc& b) {
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.type, b.type);
    EXPECT_EQ(a.flags, b.flags);
    EXPECT_EQ(a.duration, b.duration);
    EXPECT_EQ(a.gain, b.gain);
    EXPECT_EQ(a.startDelay, b.startDelay);
    EXPECT_EQ(a.axes, b.axes);
    EXPECT_EQ(a.directions, b.directions);
    EXPECT_EQ(a.hasEnvelope, b.hasEnvelope);
    EXPECT_EQ(a.envelope.fadeTime, b.envelope.fadeTime);
    EXPECT_EQ(a.magnitude, b.magnitude);
    EXPECT_EQ(a.rampStart, b.rampStart);
    EXPECT_EQ(a.rampEnd, b.rampEnd);
    EXPECT_EQ(a.offset, b.offset);
    EXPECT_EQ(a.phase, b.phase);
    EXPECT_EQ(a.period, b.period);
    ASSERT_EQ(a.conditions.size(), b.conditions.size());
    for (size_t i = 0; i < a.conditions.size(); ++i) {
        EXPECT_EQ(a.conditions[i].negativeCoefficient, b.conditions[i].negativeCoefficient);
        EXPECT_EQ(a.conditions[i].deadBand, b.conditions[i].deadBand);
    }
}

TEST(EffectFile, EveryTypeRoundTripsInOneFile) {
    std::vector<EffectDesc> effects;
    for (int t = 0; t <= int(EffectType::Friction); ++t) effects.push_back(Sample(EffectType(t)));
    std::vector<EffectDesc> read;
    ASSERT_TRUE(plat::ParseEffectFile(plat::WriteEffectFile(effects), read));
    ASSERT_EQ(read.size(), effects.size());
    for (size_t i = 0; i < effects.size(); ++i) {
        SCOPED_TRACE(plat::EffectTypeName(effects[i].type));
        ExpectSame(read[i], effects[i]);
    }
}

TEST(EffectFile, RejectsWhatIsNoEffectFileAndChunksRunningPastTheirList) {
    std::vector<char> good = plat::WriteEffectFile({Sample(EffectType::Spring)});
    std::vector<EffectDesc> read;
    std::vector<char> wrongForm = good;
    std::memcpy(wrongForm.data() + 8, "WAVE", 4);
    EXPECT_FALSE(plat::ParseEffectFile(wrongForm, read));
    EXPECT_FALSE(plat::ParseEffectFile(std::vector<char>(good.begin(), good.begin() + 11), read));
    // The RIFF size claims more than the file holds.
    std::vector<char> truncated(good.begin(), good.end() - 10);
    EXPECT_FALSE(plat::ParseEffectFile(truncated, read));
    // A chunk inside the effect's list claims more than the list holds.
    std::vector<char> longChunk = good;
    size_t name = std::string(longChunk.begin(), longChunk.end()).find("name");
    longChunk[name + 5] = 0x7F;
    EXPECT_FALSE(plat::ParseEffectFile(longChunk, read));
    EXPECT_TRUE(read.empty());
}

TEST(EffectFile, LeavesOutEffectsOfUnknownTypeAndKeepsTheRest) {
    std::vector<char> bytes = plat::WriteEffectFile({Sample(EffectType::Sine), Sample(EffectType::Constant)});
    size_t id = std::string(bytes.begin(), bytes.end()).find("id  ");
    bytes[id + 8] = 0x7F;  // the first effect's type is no known type
    std::vector<EffectDesc> read;
    ASSERT_TRUE(plat::ParseEffectFile(bytes, read));
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].type, EffectType::Constant);
}

}  // namespace
