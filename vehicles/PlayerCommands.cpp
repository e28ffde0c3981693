#include "vehicles/PlayerCommands.h"

#include "vehicles/CPlayer.h"

namespace command {

CommandResult Koniec(EConsole&, const char*, uint8_t) {
    g_Player.StartFadeOut();
    return kGoOn;
}

}  // namespace command
