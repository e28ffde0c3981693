// The whole program on the GL backend, headless: worlds change at the ends of frames (an empty
// world, then two world files typed at the console), F8 takes numbered screenshots of the window,
// and the name-prefix file is made.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

// The input script: the frame of each event counts up from the first.
class Script {
public:
    explicit Script(int frame) : m_frame(frame) {}
    // Presses and releases a key, holding it three frames so the keyboard poll sees it.
    Script& Key(const std::string& name) {
        m_text += std::to_string(m_frame) + " keydown " + name + "\n";
        m_text += std::to_string(m_frame + 3) + " keyup " + name + "\n";
        m_frame += 4;
        return *this;
    }
    // Opens the console, types the line and runs it; closes the console unless the end of a
    // running world closes it.
    Script& Console(const std::string& line, bool close) {
        Key("`");
        for (char c : line) {
            if (c == ' ') Key("Space");
            else Key(std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(c)))));
        }
        Key("Return");
        return close ? Key("`") : *this;
    }
    Script& Wait(int frames) {
        m_frame += frames;
        return *this;
    }
    std::string Close() { return m_text + std::to_string(m_frame) + " close\n"; }

private:
    int m_frame;
    std::string m_text;
};

uint32_t U32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

TEST(WorldChange, TwoWorldChangesAndTwoScreenshotsOnTheGlBackend) {
    test::TempDir root;
    fs::path game = root.path() / "game";
    test::CopyGameTo(game);
    fs::remove_all(game / "save");
    test::WriteWholeFile(game / "qv.cfg",
                         "Windowed 1\nscreenwidth 800\nscreenheight 600\nStartMenu 0\nrunworld *menu\nDebug 1\n");
    fs::create_directories(game / "worlds");
    for (const char* world : {"farm.w", "barn.w"})
        test::WriteWholeFile(game / "worlds" / world, "world_general_properties\r\n");
    std::string script = Script(10)
                             .Console("runworld worlds\\farm.w", true)  // from the empty world
                             .Wait(5)
                             .Key("F8")
                             .Console("runworld worlds\\barn.w", false)  // farm.w ends: the console closes
                             .Wait(5)
                             .Key("F8")
                             .Wait(5)
                             .Close();
    test::WriteWholeFile(game / "input.txt", script);
    test::ProgramRun run = test::RunProgram(game, {{"FURROW_VIDEO", "gl"},
                                                   {"FURROW_AUDIO", "null"},
                                                   {"FURROW_INPUT", "script:input.txt"},
                                                   {"FURROW_CLOCK", "fixed:60"},
                                                   {"XDG_RUNTIME_DIR", root.path().string()}});
    ASSERT_FALSE(run.timedOut) << run.output;
    ASSERT_EQ(run.exitCode, 0) << run.output;

    // Each world start logs its steps in order, the empty world and both world files in full.
    Lines starts;
    for (const std::string& line : test::LinesOf(test::ReadWholeFile(game / "!console.txt")))
        if (line.rfind("EEngine::ProcessStartWorld", 0) == 0 || line == "exiting EEngine::ProcessStartWorld")
            starts.push_back(line);
    Lines expected;
    for (const char* world : {"*menu", "worlds\\farm.w", "worlds\\barn.w"}) {
        expected.push_back(std::string("EEngine::ProcessStartWorld ") + world);
        for (int step = 10; step <= 120; step += 10)
            expected.push_back("EEngine::ProcessStartWorld " + std::to_string(step));
        expected.push_back("exiting EEngine::ProcessStartWorld");
    }
    EXPECT_EQ(starts, expected);

    // Two pictures of the window, 24-bit BMPs, and no third.
    for (const char* name : {"qv_screen0000.bmp", "qv_screen0001.bmp"}) {
        ASSERT_TRUE(fs::exists(game / name)) << name;
        std::string bmp = test::ReadWholeFile(game / name);
        ASSERT_GE(bmp.size(), 54u) << name;
        EXPECT_EQ(bmp.substr(0, 2), "BM") << name;
        EXPECT_EQ(U32(bmp, 18), 800u) << name;
        EXPECT_EQ(U32(bmp, 22), 600u) << name;
        EXPECT_EQ(bmp[28], 24) << name;
        EXPECT_EQ(bmp.size(), 54u + 800u * 600u * 3u) << name;
    }
    EXPECT_FALSE(fs::exists(game / "qv_screen0002.bmp"));

    EXPECT_EQ(test::ReadWholeFile(game / "save" / "NamePrefixes.cfg"), std::string("m\0\0\0sm\0\0l\0\0\0spr\0", 16));
}

}  // namespace
