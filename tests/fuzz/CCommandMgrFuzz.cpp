// The key bindings and options file "save\keys.cfg".
#include "FuzzSupport.h"
#include "core/CCommandMgr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("save\\keys.cfg", data, size);
    g_CommandMgr.LoadKeys();
    return 0;
}
