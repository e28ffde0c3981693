// The player's view on the demo route, headless on the fixed clock: the camera chosen in one run
// is the one the next run starts in, and from the cockpit the player sees the road ahead.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "DemoRun.h"
#include "Screenshot.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using test::Colour;
using test::Picture;
using test::U32;

double Brightness(const Colour& c) { return (c[0] + c[1] + c[2]) / 3; }

// A rectangle of a picture (given as shares of its width and height): its mean colour and how
// much its pixels' brightness varies.
struct Region {
    Colour mean{};
    double deviation = 0;
};
Region Measure(const Picture& picture, double left, double top, double right, double bottom) {
    const int x0 = int(left * picture.Width()), x1 = int(right * picture.Width());
    const int y0 = int(top * picture.Height()), y1 = int(bottom * picture.Height());
    Region r;
    double sum = 0, squares = 0;
    const double count = double(x1 - x0) * (y1 - y0);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const Colour c = picture.At(x, y);
            for (int i = 0; i < 3; ++i) r.mean[i] += c[i] / count;
            sum += Brightness(c);
            squares += Brightness(c) * Brightness(c);
        }
    r.deviation = std::sqrt(std::max(0.0, squares / count - (sum / count) * (sum / count)));
    return r;
}

// The mean colour of a game texture: an uncompressed true-colour TGA, as the tools write them.
Colour TextureMean(const fs::path& file) {
    const std::string bytes = test::ReadWholeFile(file);
    Colour mean{};
    if (bytes.size() < 18 || bytes[2] != 2) return mean;
    const size_t width = uint8_t(bytes[12]) | uint8_t(bytes[13]) << 8;
    const size_t height = uint8_t(bytes[14]) | uint8_t(bytes[15]) << 8;
    const size_t depth = uint8_t(bytes[16]) / 8;
    const size_t first = 18 + uint8_t(bytes[0]);
    const size_t count = width * height;
    if (depth < 3 || first + count * depth > bytes.size()) return mean;
    for (size_t i = 0; i < count; ++i)
        for (int c = 0; c < 3; ++c) mean[c] += uint8_t(bytes[first + i * depth + 2 - c]) / double(count);
    return mean;
}

// How far apart two colours are in hue and saturation, whatever their brightness: the sun, the
// sky's light and the shadows scale a surface's colour but keep the shares of its channels.
double HueDistance(const Colour& a, const Colour& b) {
    const double sa = a[0] + a[1] + a[2], sb = b[0] + b[1] + b[2];
    if (sa <= 0 || sb <= 0) return 1;
    double d = 0;
    for (int i = 0; i < 3; ++i) d += std::pow(a[i] / sa - b[i] / sb, 2);
    return std::sqrt(d);
}

// Where the eye stands: inside the machine, close behind it or far behind it.
enum class View { Cockpit, CloseBehind, FarBehind, Elsewhere };
const char* Name(View v) {
    switch (v) {
        case View::Cockpit: return "cockpit";
        case View::CloseBehind: return "close behind";
        case View::FarBehind: return "far behind";
        default: return "elsewhere";
    }
}
View ViewOf(const test::Trace& t) {
    const double height = t.eye[1] - t.pos[1];
    double behind = 0, distance = 0;
    for (int i = 0; i < 3; ++i) {
        behind -= (t.eye[i] - t.pos[i]) * t.front[i];
        distance += (t.eye[i] - t.pos[i]) * (t.eye[i] - t.pos[i]);
    }
    distance = std::sqrt(distance);
    if (distance < 4.0 && height > 0.8) return View::Cockpit;
    if (behind > 5.0 && height > 3.5 && height < 4.5) return View::CloseBehind;
    if (behind > 12.0 && height > 5.5 && height < 6.5) return View::FarBehind;
    return View::Elsewhere;
}

// The machine at rest after the countdown, the game's frame of a trace line.
constexpr unsigned kReleased = 511;

class CockpitView : public ::testing::Test {
protected:
    void SetUp() override {
        m_game = m_root.path() / "game";
        test::CopyGameTo(m_game);
        test::WriteWholeFile(m_game / "qv.cfg", test::ReadWholeFile(m_game / "qv.cfg") + "PlayerTrace 1\n");
    }
    // One run of the game in its folder; returns the player's trace.
    std::vector<test::Trace> Run(const std::string& script) {
        test::WriteWholeFile(m_game / "input.txt", script);
        test::ProgramRun run = test::RunScripted(m_game, m_root.path());
        EXPECT_FALSE(run.timedOut) << run.output;
        EXPECT_EQ(run.exitCode, 0) << run.output;
        m_log = test::ReadWholeFile(m_game / "!console.txt");
        return test::Traces(m_log);
    }
    View ViewAt(const std::vector<test::Trace>& traces, unsigned frame) const {
        const test::Trace* t = test::At(traces, frame);
        EXPECT_TRUE(t && t->frame + 60 > frame) << frame << "\n" << m_log;
        return t ? ViewOf(*t) : View::Elsewhere;
    }

    test::TempDir m_root;
    fs::path m_game;
    std::string m_log;
};

// Space ends the start prompt; the machine is released on the game's frame 451. The script's
// frames run two ahead of the game's.
constexpr const char* kStartPrompt = "240 keydown Space\n241 keyup Space\n";

TEST_F(CockpitView, TheCameraChosenInOneRunIsTheOneTheNextRunStartsIn) {
    // A first run watches from far behind; C goes into the cockpit, C again close behind.
    const std::vector<test::Trace> first =
        Run(std::string(kStartPrompt) + "530 keydown C\n531 keyup C\n590 keydown C\n591 keyup C\n640 close\n");
    EXPECT_STREQ(Name(ViewAt(first, kReleased)), Name(View::FarBehind));
    EXPECT_STREQ(Name(ViewAt(first, kReleased + 60)), Name(View::Cockpit));
    EXPECT_STREQ(Name(ViewAt(first, kReleased + 120)), Name(View::CloseBehind));
    // The mode is the 32-bit value after the player's two option bytes of the key bindings' file.
    const std::string keys = test::ReadWholeFile(m_game / "save" / "keys.cfg");
    ASSERT_EQ(keys.size(), 3148u);
    EXPECT_EQ(U32(keys, 3126), 2u);

    // The next run in the same folder starts close behind, as the first one left it.
    const std::vector<test::Trace> second = Run(std::string(kStartPrompt) + "560 close\n");
    EXPECT_STREQ(Name(ViewAt(second, kReleased)), Name(View::CloseBehind));
}

TEST_F(CockpitView, FromTheCockpitTheRoadLiesAhead) {
    // C during the countdown chooses the cockpit; the throttle is held from the release, and the
    // picture is taken a second into the drive.
    const std::vector<test::Trace> traces = Run(std::string(kStartPrompt) +
                                                "300 keydown C\n301 keyup C\n453 keydown Up\n"
                                                "520 keydown F8\n521 keyup F8\n530 close\n");
    ASSERT_STREQ(Name(ViewAt(traces, kReleased)), Name(View::Cockpit));
    const Picture picture(test::ReadWholeFile(m_game / "qv_screen0000.bmp"));
    ASSERT_EQ(picture.Width(), 800);
    ASSERT_EQ(picture.Height(), 600);

    // The lower middle of the picture is the road a few metres ahead: not black, a textured
    // surface (the sky and the background under the ground are even: their brightness varies by
    // well under 1 in 100), nearer in hue to the road's texture than to the grass beside it.
    const Region road = Measure(picture, 0.3, 0.8, 0.7, 0.98);
    const std::string seen = "mean " + std::to_string(road.mean[0]) + " " + std::to_string(road.mean[1]) + " " +
                             std::to_string(road.mean[2]) + ", deviation " + std::to_string(road.deviation);
    EXPECT_GT(Brightness(road.mean), 20.0) << seen;
    EXPECT_GT(road.deviation, 0.04 * Brightness(road.mean)) << seen;
    const Colour gravel = TextureMean(m_game / "textures" / "models" / "gravel.tga");
    const Colour grass = TextureMean(m_game / "textures" / "models" / "grass.tga");
    ASSERT_GT(Brightness(gravel), 0.0);
    ASSERT_GT(Brightness(grass), 0.0);
    EXPECT_LT(HueDistance(road.mean, gravel), HueDistance(road.mean, grass)) << seen;
}

}  // namespace
