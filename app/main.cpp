#include "app/WinMain.h"
#include "platform/os/QuitSignals.h"

int main() {
    plat::CatchQuitSignals();
    return WinMain(nullptr, nullptr, "", 1);
}
