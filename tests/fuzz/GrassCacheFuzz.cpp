// Grass placement caches: the input read as a cache's bytes; what is accepted holds no more plants
// or tufts than the bytes gave, and writes back to the same bytes.
#include <vector>

#include "FuzzSupport.h"
#include "vehicles/EPlantMgr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::StartDirectory();
    GrassCacheContents contents;
    if (!EPlantMgr::ReadGrassCache(data, size, contents)) return 0;
    size_t plants = 0;
    for (const GrassKind& k : contents.kinds) plants += k.dwGrassesDefined;
    if (plants * 196 + size_t{contents.terrain.dwTPlants} * 32 > size) __builtin_trap();
    return 0;
}
