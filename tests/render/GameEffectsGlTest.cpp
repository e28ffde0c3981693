// The game's own effect files compile and link on a real GL context, every technique of them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/gfx/Effect.h"
#include "platform/os/Files.h"
#include "support/GlDeviceTest.h"
#include "support/TestSupport.h"

namespace {

class GameEffectsTest : public test::GlDeviceTest {
protected:
    void SetUp() override {
        GlDeviceTest::SetUp();
        test::CopyGameTo(m_game.path());
        plat::SetStartDirectory(m_game.path());
    }
    void TearDown() override {
        plat::SetStartDirectory(std::filesystem::current_path());
        GlDeviceTest::TearDown();
    }
    test::TempDir m_game;
};

TEST_F(GameEffectsTest, EveryTechniqueOfEveryEffectIsValid) {
    auto files = plat::ListDirectory("fx", "*.fxc");
    ASSERT_FALSE(files.empty());
    for (const std::string& file : files) {
        std::unique_ptr<gfx::Effect> effect;
        std::string errors;
        ASSERT_EQ(gfx::CreateEffectFromFile(*m_device, ("fx\\" + file).c_str(), 0, effect, &errors), gfx::OK)
            << file << ": " << errors;
        size_t valid = 0;
        gfx::FxHandle technique = nullptr;
        while (!gfx::Failed(effect->FindNextValidTechnique(technique, &technique))) ++valid;
        EXPECT_EQ(valid, effect->Desc().techniques.size()) << file;
    }
}

}  // namespace
