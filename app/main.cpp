#include "app/WinMain.h"

int main() { return WinMain(nullptr, nullptr, "", 1); }
