// Mesh socket files: the input read as one model's socket file; the record never holds more
// sockets than it has room for.
#include <cstdlib>

#include "FuzzSupport.h"
#include "mesh/EMeshSocketsMgr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("scripts\\mesh_sockets\\fuzz.txt", data, size);
    EMeshSocketsMgr& mgr = g_MeshSocketsMgr;
    mgr.m_uFileCount = 0;
    if (mgr.LoadFile("scripts\\mesh_sockets\\fuzz.txt") &&
        mgr.m_Files[0].m_uSocketCount > EMeshSocketsMgr::MAX_SOCKETS_IN_ONE_FILE)
        std::abort();
    return 0;
}
