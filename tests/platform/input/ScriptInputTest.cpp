#include "platform/input/ScriptInput.h"

#include <SDL2/SDL_scancode.h>
#include <gtest/gtest.h>

namespace {

using Kind = plat::ScriptEvent::Kind;

TEST(ScriptInput, ParsesEveryEventKind) {
    plat::ScriptParseResult r = plat::ParseInputScript(
        "# a comment line\n"
        "5 keydown Up   # trailing comment\n"
        "6 keyup return\n"
        "7 mousemove -3 4\n"
        "8 mousedown 1\n"
        "9 mouseup 2 120 45\n"
        "10 axis 1 -0.5\n"
        "11 button 3 down\n"
        "\n"
        "12 close\n");
    ASSERT_TRUE(r.errors.empty()) << r.errors.front();
    ASSERT_EQ(r.events.size(), 8u);
    EXPECT_EQ(r.events[0].kind, Kind::KeyDown);
    EXPECT_EQ(r.events[0].code, SDL_SCANCODE_UP);
    EXPECT_EQ(r.events[0].frame, 5u);
    EXPECT_EQ(r.events[1].code, SDL_SCANCODE_RETURN);
    EXPECT_EQ(r.events[2].dx, -3);
    EXPECT_EQ(r.events[2].dy, 4);
    EXPECT_EQ(r.events[3].kind, Kind::MouseDown);
    EXPECT_EQ(r.events[3].code, 1);
    EXPECT_EQ(r.events[4].kind, Kind::MouseUp);
    EXPECT_EQ(r.events[4].x, 120);
    EXPECT_EQ(r.events[4].y, 45);
    EXPECT_EQ(r.events[5].kind, Kind::Axis);
    EXPECT_FLOAT_EQ(r.events[5].value, -0.5f);
    EXPECT_TRUE(r.events[6].down);
    EXPECT_EQ(r.events[7].kind, Kind::Close);
}

TEST(ScriptInput, SkipsBadLinesAndSaysWhich) {
    const char* bad[] = {"keydown A", "-1 keydown A", "x keydown A", "3 mousedown 0 5", "3 mouseup 0 -1 5", "3 keydown NoSuchKey", "3 jump",
                         "3 mousedown 3", "3 axis 1 2.0", "3 button 1 sideways", "3 close now", "3 mousemove 1"};
    for (const char* line : bad) {
        plat::ScriptParseResult r = plat::ParseInputScript(std::string("1 close\n") + line + "\n");
        EXPECT_EQ(r.events.size(), 1u) << line;
        ASSERT_EQ(r.errors.size(), 1u) << line;
        EXPECT_EQ(r.errors[0].rfind("line 2:", 0), 0u) << r.errors[0];
    }
}

TEST(ScriptInput, OrdersByFrameAndKeepsFileOrderWithinAFrame) {
    // Frame 0 holds the events for the dialogs shown before the first frame.
    plat::ScriptParseResult r = plat::ParseInputScript("9 close\n2 keydown A\n2 keyup A\n0 keydown B\n");
    ASSERT_EQ(r.events.size(), 4u);
    EXPECT_EQ(r.events[0].frame, 0u);
    EXPECT_EQ(r.events[1].kind, Kind::KeyDown);
    EXPECT_EQ(r.events[2].kind, Kind::KeyUp);
    EXPECT_EQ(r.events[3].kind, Kind::Close);
}

}  // namespace
