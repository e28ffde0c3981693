#pragma once
// The renderer's passes on the recording device: a start directory with the game's effect files
// and the renderer's own textures, the effects loaded and the world started by Start. Draws are
// recorded, not drawn; effect parameters can be read back.
#include <string>

#include "render/EEffectMgr.h"
#include "support/DeviceTest.h"
#include "support/SceneGeometry.h"

namespace test {

class RenderPassTest : public DeviceTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Registers the textures written so far, loads the effects and starts the world.
    void Start();
    // A texture file with a definition script's lines (after its "texture" line).
    void Texture(const std::string& name, const std::string& definition = "");
    SceneGeometry& Upload(SceneGeometry& geometry);
    // The recorded indexed draws since the last call.
    int TakeDraws();
    // One float of an effect's parameter array.
    static float ParameterAt(HEFFECT effect, const char* name, uint32_t index);

private:
    std::string m_definitions;
    size_t m_drawsSeen = 0;
};

}  // namespace test
