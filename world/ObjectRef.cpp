#include "world/ObjectRef.h"

#include <cstdint>

#include "core/BinaryStream.h"
#include "world/EEngine.h"

void FileWriteObjectRef(FILE* stream, const EObjectSlot* object) {
    for (int i = 0; i < 3; ++i) FileWriteInt(stream, object ? static_cast<int32_t>(object->pesel[i]) : 0);
}

void FileReadObjectRef(FILE* stream, EObjectSlot** object) {
    if (!object) return;
    uint32_t id[3] = {};
    for (uint32_t& word : id) {
        int32_t value = 0;
        FileReadInt(stream, &value);
        word = static_cast<uint32_t>(value);
    }
    bool none = id[0] == 0 && id[1] == 0 && id[2] == 0;
    *object = none ? nullptr : g_Engine.FindObjectByPesel(id);
}
