#include "support/AppHooks.h"

#include "audio/AudioHooks.h"
#include "collision/CollisionHooks.h"
#include "core/CoreHooks.h"
#include "core/EConsole.h"
#include "game/GameHooks.h"
#include "mesh/MeshHooks.h"
#include "render/RenderHooks.h"
#include "world/WorldHooks.h"

namespace test {

void ResetFloorHooks() {
    g_CoreHooks = CoreHooks{};
    g_AudioHooks = AudioHooks{};
    g_RenderHooks = RenderHooks{};
    g_MeshHooks = MeshHooks{};
    g_CollisionHooks = CollisionHooks{};
    g_WorldHooks = WorldHooks{};
    g_GameHooks = GameHooks{};
    g_Console.InstallCommands({});
}

}  // namespace test
