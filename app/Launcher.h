#pragma once
// The launcher and the video options shown before the device is created. They pass control
// between each other through the entry point's three flags.
#include "platform/os/Message.h"

void RunLauncherDialog(plat::WindowHandle parent);
void RunVideoOptionsDialog(plat::WindowHandle parent);
