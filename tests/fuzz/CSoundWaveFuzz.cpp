// Wave files read into memory.
#include "FuzzSupport.h"
#include "audio/CSoundWave.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("sound.wav", data, size);
    CSoundWave wave;
    wave.LoadWaveFromFile("sound.wav");
    return 0;
}
