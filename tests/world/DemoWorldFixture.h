#pragma once
// The demo world as the built game has it (models, world, paths and scripts copied from the
// assembled game), loaded into the engine with the collision subsystem wired, so that segment
// queries meet its objects where they stand.
#include <filesystem>

#include "world/CollisionFixture.h"
#include "world/EFenceGenerator.h"
#include "world/WorldFixture.h"

namespace test {

class DemoWorldTest : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        InstallCollisionHooks();
        ResetGlobal(g_FenceGenerator);
        for (const char* folder : {"prefabs", "worlds", "scripts", "afx"})
            std::filesystem::copy(std::filesystem::path(FURROW_GAME_DIR) / folder, m_dir.path() / folder,
                                  std::filesystem::copy_options::recursive |
                                      std::filesystem::copy_options::overwrite_existing);
        ASSERT_TRUE(g_WorldMgr.LoadWorld("worlds\\meadow.w"));
    }
    void TearDown() override {
        WorldTest::TearDown();
        RemoveCollisionHooks();
        ResetGlobal(g_FenceGenerator);
    }

    static EObjectSlot* Object(const char* name) { return g_Engine.FindObject(name, false); }
};

}  // namespace test
