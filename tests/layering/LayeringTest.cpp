// Every #include of the source folders points to its own floor or one below (ARCHITECTURE.md,
// Layers); the check itself finds a planted violation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layering/LayeringCheck.h"
#include "support/TestSupport.h"

namespace {

std::string Describe(const std::vector<layering::Violation>& violations) {
    std::string text;
    for (const layering::Violation& v : violations) text += v.file + ":" + std::to_string(v.line) + ": " + v.message + "\n";
    return text;
}

TEST(Layering, NoSourceFileIncludesAHigherFloorOrAClosedNeighbour) {
    std::vector<layering::Violation> violations = layering::CheckTree(FURROW_SOURCE_DIR);
    EXPECT_TRUE(violations.empty()) << Describe(violations);
}

TEST(Layering, IncludesAreJudgedByTheFloorTable) {
    struct Case {
        const char* from;
        const char* to;
        bool allowed;
    } cases[] = {
        {"core", "platform", true},  {"core", "game", false},     {"platform", "core", false},
        {"render", "mesh", false},   {"mesh", "render", true},    {"collision", "mesh", true},
        {"collision", "render", true}, {"audio", "render", false}, {"collision", "audio", false},
        {"world", "collision", true}, {"world", "vehicles", false}, {"app", "game", true},
        {"game", "app", false},      {"vehicles", "vehicles", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(layering::ForbiddenInclude(c.from, c.to).empty(), c.allowed) << c.from << " -> " << c.to;
}

// A small tree with one planted violation per way of writing an include.
TEST(Layering, APlantedUpwardIncludeIsNamedByFileAndLine) {
    test::TempDir tree;
    auto write = [&](const std::string& path, const std::string& text) {
        test::WriteWholeFile(tree.path() / path, text);
    };
    write("core/Fine.cpp", "#include \"core/Fine.h\"\n#include \"platform/os/Files.h\"\n#include <vector>\n");
    write("core/Up.cpp", "#include \"core/Up.h\"\n\n#include \"game/CMenu.h\"\n");
    write("core/sub/Relative.h", "#pragma once\n  #  include \"../../world/EEngine.h\"\n");
    write("platform/os/Angle.cpp", "#include <core/EConsole.h>\n");
    write("render/Across.cpp", "// comment\n#include \"mesh/EMesh.h\"\n");
    write("mesh/Down.cpp", "#include \"render/ERenderer.h\"\n");
    write("tools/NotASourceFolder.cpp", "#include \"app/WinMain.h\"\n");

    std::vector<layering::Violation> found = layering::CheckTree(tree.path());
    std::vector<std::string> where;
    for (const layering::Violation& v : found) where.push_back(v.file + ":" + std::to_string(v.line));
    EXPECT_EQ(where, (std::vector<std::string>{"platform/os/Angle.cpp:1", "core/Up.cpp:3", "core/sub/Relative.h:2",
                                               "render/Across.cpp:2"}))
        << Describe(found);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[1].message, "includes game/CMenu.h: game/ is floor 6, above core/ on floor 2");
}

}  // namespace
