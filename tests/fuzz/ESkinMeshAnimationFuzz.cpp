// The ".bin" clip reader on bytes in memory, and the sampler on whatever it read.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzSupport.h"
#include "mesh/ESkinMeshAnimation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::StartDirectory();
    const std::vector<char> bytes(data, data + size);
    strSkinMeshAnimation clip;
    if (!ESkinMeshAnimation::Load_Animation_From_Memory(bytes, "fuzz.bin", &clip)) return 0;
    strAnimPlayingParams channel;
    for (double t : {0.0, 0.5, 1e9, -1.0})
        for (uint8_t loop : {0, 1}) {
            channel.dTime = t;
            channel.bLoop = loop;
            SampleAnimation(clip, channel);
        }
    FreeTracks(&clip);
    return 0;
}
