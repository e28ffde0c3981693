// A new player's way from the menu into the first race, headless on the GL backend at 800 x 600
// with the mouse and keys of a script: the profiles page, the name typed, the difficulty, the first
// tractor bought, the garage, the main menu, the route grid, the route page and its start button.
// Every page is photographed; the profile file holds what the player did, and the race runs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "DemoRun.h"
#include "Screenshot.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using test::Colour;
using test::Picture;

// The input of the journey. Positions are in the menu's 1024 x 768 frame; the menu's cursor is
// the mouse's angles (x / pi of the width, y / pi of the height), and in the menu a mouse count
// turns by sensitivity 0.4 x 0.01 rad across and twice that up and down.
class Journey {
public:
    void Key(int frame, const char* key) {
        Add(frame, std::string("keydown ") + key);
        Add(frame + 1, std::string("keyup ") + key);
    }
    void Shot(int frame) { Key(frame, "F8"); }
    void Click(int frame, double x, double y) {
        const double pi = 3.14159265358979;
        Add(frame, "mousemove -20000 -20000");
        Add(frame + 2, "mousemove " + std::to_string(std::lround(x / 1024 * pi / 0.004)) + " " +
                           std::to_string(std::lround(y / 768 * pi / 0.008)));
        Add(frame + 4, "mousedown 0");
        Add(frame + 6, "mouseup 0");
    }
    void Add(int frame, const std::string& event) {
        m_text += std::to_string(m_start + frame) + " " + event + "\n";
    }
    // Later frames count from this one.
    void StartAt(int frame) { m_start = frame; }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
    int m_start = 0;
};

// The pixels of a rectangle (in 1024 x 768 units) near a colour.
int CountNear(const Picture& p, double left, double top, double right, double bottom, uint32_t rgb) {
    const Colour c{double(rgb >> 16 & 0xFF), double(rgb >> 8 & 0xFF), double(rgb & 0xFF)};
    const double s = 800.0 / 1024;
    int n = 0;
    for (int y = int(top * s); y < int(bottom * s); ++y)
        for (int x = int(left * s); x < int(right * s); ++x) {
            const Colour a = p.At(x, y);
            n += std::abs(a[0] - c[0]) + std::abs(a[1] - c[1]) + std::abs(a[2] - c[2]) < 60 ? 1 : 0;
        }
    return n;
}

int32_t IntAt(const std::string& bytes, size_t offset) {
    int32_t value = 0;
    if (offset + 4 <= bytes.size()) std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

constexpr uint32_t kPlain = 0xCFBC98, kIdle = 0xA36719;
// A frame while the intro's scene plays (it starts at the intro world's frame 222).
constexpr int kIntroStop = 240;

TEST(MenuJourney, ANewFarmerNamesAProfileBuysATractorAndStartsTheFirstRace) {
    test::TempDir root;
    const fs::path game = root.path() / "game";
    test::CopyShippedGameTo(game);
    Journey j;
    // The intro plays first; Escape stops it and the menu opens on the profiles page.
    j.Key(kIntroStop, "Escape");
    j.StartAt(kIntroStop);
    j.Shot(30);                                             // 0: the profiles page
    j.Click(40, 180, 574);                                  // the new-profile line
    for (int i = 0; i < 6; ++i) j.Key(60 + 3 * i, std::string(1, "FARMER"[i]).c_str());
    j.Shot(85);                                             // 1: the name being typed
    j.Key(90, "Return");
    j.Click(110, 180, 222);                                 // the profile
    j.Shot(125);                                            // 2: its play and delete buttons
    j.Click(130, 720, 222);                                 // play
    j.Shot(150);                                            // 3: the difficulty page
    j.Click(170, 512, 390);                                 // normal
    j.Shot(190);                                            // 4: the shop
    j.Click(210, 512, 650);                                 // buy
    j.Shot(230);                                            // 5: the garage
    j.Key(240, "Escape");
    j.Shot(260);                                            // 6: the main menu
    j.Click(280, 150, 190);                                 // events
    j.Shot(300);                                            // 7: the route grid
    j.Click(320, 250, 139);                                 // route 0's tile
    j.Shot(340);                                            // 8: the route page
    j.Click(360, 512, 630);                                 // start
    j.Key(700, "Space");
    j.Shot(760);                                            // 9: the race
    j.Add(780, "close");
    test::WriteWholeFile(game / "input.txt", j.Text());

    const test::ProgramRun run = test::RunScripted(game, root.path());
    ASSERT_FALSE(run.timedOut) << run.output;
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_FALSE(fs::exists(game / "!error.txt")) << test::ReadWholeFile(game / "!error.txt");
    const std::string log = test::ReadWholeFile(game / "!console.txt");
    EXPECT_NE(log.find("Launching intro"), std::string::npos);
    EXPECT_NE(log.find("Cutscene stopped before its end"), std::string::npos);
    EXPECT_NE(log.find("Start wyscigu\n"), std::string::npos);
    EXPECT_NE(log.find("Start turnieju: worlds\\meadow.w"), std::string::npos);
    EXPECT_NE(log.find("exiting TworzPostacGracza()"), std::string::npos);

    // The profile: version 37, "FARMER", 21,000 less the tractor (20,000) and the fee (100),
    // normal difficulty, one machine owned and selected.
    const std::string profile = test::ReadWholeFile(game / "save" / "0.prf");
    ASSERT_EQ(profile.size(), 57764u);
    EXPECT_EQ(IntAt(profile, 0), 37);
    EXPECT_EQ(profile.substr(5, 7), std::string("FARMER\0", 7));
    EXPECT_EQ(IntAt(profile, 1068), 900);
    EXPECT_EQ(IntAt(profile, 1072), 1);
    EXPECT_EQ(IntAt(profile, 1076), 1);
    const int32_t selected = IntAt(profile, 4 + 56436);
    ASSERT_GE(selected, 0);
    ASSERT_LT(selected, 64);
    EXPECT_EQ(profile[4 + 56372 + selected], 1);
    EXPECT_EQ(IntAt(profile, 4 + 57736), 1);  // machines bought

    // Each page shows its texts where the page puts them.
    struct Expect {
        int shot;
        const char* what;
        double left, top, right, bottom;
        uint32_t colour;
    } expects[] = {
        {0, "profiles title", 100, 135, 260, 170, kPlain},
        {0, "new-profile line", 100, 560, 260, 595, kIdle},
        {1, "typed name", 376, 560, 520, 595, kPlain},
        {2, "profile's name", 100, 207, 260, 242, kIdle},
        {2, "play button", 660, 207, 780, 242, kIdle},
        {3, "difficulty question", 300, 175, 724, 215, kPlain},
        {3, "normal button", 450, 375, 574, 405, kIdle},
        {4, "shop title", 330, 112, 694, 150, kPlain},
        {4, "machine line", 250, 175, 774, 205, kPlain},
        {5, "garage title", 440, 12, 584, 50, kPlain},
        {6, "main menu title", 420, 12, 604, 50, kPlain},
        {6, "events button", 130, 176, 260, 210, kIdle},
        {7, "route 0's task", 158, 120, 560, 140, kIdle},
        {8, "route info", 250, 78, 774, 104, kPlain},
        {8, "start button", 470, 616, 554, 650, kIdle},
    };
    for (const Expect& e : expects) {
        char name[32];
        std::snprintf(name, sizeof name, "qv_screen%04d.bmp", e.shot);
        const Picture p(test::ReadWholeFile(game / name));
        ASSERT_EQ(p.Width(), 800) << name;
        EXPECT_GT(CountNear(p, e.left, e.top, e.right, e.bottom, e.colour), 20) << e.what << " in " << name;
    }
    const Picture race(test::ReadWholeFile(game / "qv_screen0009.bmp"));
    EXPECT_EQ(race.Width(), 800);
}

}  // namespace
