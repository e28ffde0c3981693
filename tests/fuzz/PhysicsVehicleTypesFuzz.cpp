// Vehicle-type files, the most modded of the game's files: the input read as one file of types,
// which are then sorted and picked from as a race picks its opponents.
#include "FuzzSupport.h"
#include "vehicles/Physics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("scripts\\vehicles\\fuzz.txt", data, size);
    g_Physics.m_uVehicleCount = 0;
    g_Physics.ReadVehicleFile("scripts\\vehicles\\fuzz.txt", "fuzz.txt");
    g_Physics.SortVehicles();
    for (int klasa : {-1, 0, 1})
        for (bool combine : {false, true}) g_Physics.PickRandomVehicle(combine, !combine, klasa);
    return 0;
}
