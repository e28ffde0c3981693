#pragma once
// The engine fixture with the world loader, the paths, the blockers, the sky and the level
// variables back in their start state, a model file to build objects from, and world texts
// written as CR LF files.
#include <string>
#include <vector>

#include "render/ESky.h"
#include "world/BezierMgr.h"
#include "world/CVisibilityBlockers.h"
#include "world/EWorldMgr.h"
#include "world/EngineFixture.h"
#include "world/GameAI.h"

namespace test {

// The lines joined with the line end, one after each.
inline std::string Text(const std::vector<std::string>& lines, const char* end = "\r\n") {
    std::string text;
    for (const std::string& line : lines) text += line + end;
    return text;
}

class WorldTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ResetWorld();
        WriteFile("prefabs\\box.x", kTriangleModel);
    }

    void TearDown() override {
        ResetWorld();
        EngineTest::TearDown();
    }

    static void ResetWorld() {
        g_BezierMgr.Release();
        ResetGlobal(g_WorldMgr);
        ResetGlobal(g_Sky);
        ResetGlobal(g_GameAI);
        g_VisibilityBlockers.Reset();
    }

    // Writes the world file and loads it.
    bool LoadWorld(const std::string& text, const char* file = "worlds\\test.w") {
        WriteFile(file, text);
        return g_WorldMgr.LoadWorld(file);
    }
    bool LoadWorld(const std::vector<std::string>& lines) { return LoadWorld(Text(lines)); }

    static EObjectSlot* Find(const char* name) { return g_Engine.FindObject(name, false); }

    // The names of the objects in use, in slot order.
    static std::vector<std::string> ObjectNames() {
        std::vector<std::string> names;
        for (const EObjectSlot& o : g_Engine.m_Objects)
            if (o.m_bUsed) names.push_back(o.m_szName);
        return names;
    }
};

}  // namespace test
