// Ogg streams decoded to their end, again after a rewind, and again from a seek position.
#include <cstdint>

#include "FuzzSupport.h"
#include "audio/CMusicSource.h"
#include "audio/OGG_Stream.h"

namespace {

void Drain(OGG_Stream& stream) {
    static uint8_t samples[4096];
    while (stream.Read(samples, sizeof samples) > 0) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("music.ogg", data, size);
    CMusicSource source;
    if (source.Open("music.ogg") != 0) return 0;
    OGG_Stream stream(&source);
    if (!stream.IsOpen()) return 0;
    stream.GetRate();
    Drain(stream);
    stream.Rewind();
    Drain(stream);
    stream.Seek(1000);
    Drain(stream);
    return 0;
}
