#pragma once
// Fills every lower floor's hooks with the components above it and installs the console's
// command table. The entry point runs it first; tests of whole-program behaviour run it too.
void InstallFloorHooks();
