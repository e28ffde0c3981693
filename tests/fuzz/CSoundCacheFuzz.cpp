// Wave files preloaded into the sound cache, looked up, and the cache emptied.
#include "FuzzSupport.h"
#include "audio/CSoundCache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("sounds\\fuzz.wav", data, size);
    PreloadSound("sounds\\fuzz.wav");
    g_SoundCache.IsCached("SOUNDS\\FUZZ.WAV");
    ClearSoundCache();
    return 0;
}
