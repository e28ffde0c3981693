#include "mesh/EMeshSocketsMgr.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/EConsole.h"
#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "mesh/EMesh.h"
#include "mesh/MeshHooks.h"
#include "platform/os/Files.h"

EMeshSocketsMgr g_MeshSocketsMgr;

namespace {

constexpr const char* kFolder = "scripts\\mesh_sockets\\";
constexpr int kLineLimit = 5000;

}  // namespace

void EMeshSocketsMgr::LoadAll() {
    m_uFileCount = 0;
    m_uMovedCount = 0;
    const std::vector<std::string> entries = plat::ListDirectory(kFolder, "*");
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string path = kFolder + entries[i];
        if (LoadFile(path.c_str())) {
            ++m_uFileCount;
        } else {
            char line[600];
            std::snprintf(line, sizeof line, "\nProblem with Mesh Socket file: %s", path.c_str());
            g_Console.Print(line);
        }
        if (i + 1 < entries.size() && m_uFileCount == MAX_FILES_WITH_SOCKETS) {
            g_Console.Print("ERROR in  MeshSocketsMgr: MAX_FILES_WITH_SOCKETS exceeded!");
            return;
        }
    }
}

bool EMeshSocketsMgr::LoadFile(const char* path) {
    if (m_uFileCount >= MAX_FILES_WITH_SOCKETS) return false;
    FILE* f = plat::OpenFile(path, "rt");
    if (!f) return false;
    strmeshsocketfile& record = m_Files[m_uFileCount];
    record = strmeshsocketfile{};
    std::string meshName;
    static char buffer[kLineLimit + 1];
    while (!std::feof(f)) {
        buffer[0] = 0;
        ReadLine(f, buffer, kLineLimit);
        const char* line = buffer;
        while (*line == ' ') ++line;
        if (IsKeyword(line, "mesh_filename")) {
            meshName = GetWord(line, 1);
        } else if (IsKeyword(line, "socket")) {
            strmeshsocket& socket = record.m_Sockets[record.m_uSocketCount++];
            const std::string name = GetWord(line, 1);
            // A longer name would not fit the record: it is cut, and said so.
            if (name.size() >= strmeshsocket::kNameSize)
                g_Console.PrintStr2("Mesh socket name cut to 43 characters: ", name.c_str());
            std::snprintf(socket.m_szName, sizeof socket.m_szName, "%s", name.c_str());
            socket.m_uReserved = 0;
            socket.x = std::strtof(GetWord(line, 2), nullptr);
            socket.y = std::strtof(GetWord(line, 3), nullptr);
            socket.z = std::strtof(GetWord(line, 4), nullptr);
            if (record.m_uSocketCount == MAX_SOCKETS_IN_ONE_FILE) {
                g_Console.Print("ERROR in  MeshSocketsMgr: MAX_SOCKETS_IN_ONE_FILE exceeded!");
                break;
            }
        }
    }
    std::snprintf(record.m_szMeshFileName, sizeof record.m_szMeshFileName, "%s", meshName.c_str());
    std::fclose(f);
    return true;
}

strmeshsocket* EMeshSocketsMgr::Find(const EObjectSlot* object, const char* name, bool* missing) const {
    *missing = false;
    const EMesh* mesh = object && name ? g_MeshHooks.objectMesh(object) : nullptr;
    if (!mesh) return nullptr;
    *missing = true;
    for (uint32_t i = 0; i < m_uFileCount; ++i) {
        const strmeshsocketfile& file = m_Files[i];
        if (StrICmp(file.m_szMeshFileName, mesh->m_szFileName) != 0) continue;
        for (uint32_t s = 0; s < file.m_uSocketCount; ++s)
            if (StrICmp(file.m_Sockets[s].m_szName, name) == 0) {
                *missing = false;
                return const_cast<strmeshsocket*>(&file.m_Sockets[s]);
            }
        return nullptr;
    }
    return nullptr;
}

DV EMeshSocketsMgr::PointFor(const EObjectSlot* object, const strmeshsocket& socket) const {
    for (uint32_t i = 0; i < m_uMovedCount; ++i)
        if (m_Moved[i].m_hObject == object && m_Moved[i].m_pSocket == &socket) return m_Moved[i].m_vPosition;
    return {socket.x, socket.y, socket.z};
}

bool EMeshSocketsMgr::GetSocketWorldPos(const EObjectSlot* object, const char* name, DV* out) const {
    bool missing;
    const strmeshsocket* socket = out ? Find(object, name, &missing) : nullptr;
    if (!socket) return false;
    DV world = pmath::TransformPoint(PointFor(object, *socket), g_MeshHooks.objectMesh(object)->m_WorldMatrix);
    *out = world;
    return true;
}

void EMeshSocketsMgr::GetSocketDV(const EObjectSlot* object, const char* name, DV* out) const {
    bool missing;
    const strmeshsocket* socket = Find(object, name, &missing);
    if (socket && out) {
        *out = PointFor(object, *socket);
    } else if (missing && *name) {
        char line[128];
        std::snprintf(line, sizeof line, "ERROR in EMeshSocketsMgr::GetSocketDV(): socketu <%s> nie znalazlem!", name);
        g_Console.Print(line);
    }
}

void EMeshSocketsMgr::SetRagDollSocketDV(const EObjectSlot* object, const char* name, const DV& position) {
    bool missing;
    const strmeshsocket* socket = Find(object, name, &missing);
    if (!socket) {
        if (!missing) return;
        char line[128];
        std::snprintf(line, sizeof line,
                      "ERROR in EMeshSocketsMgr::SetRagDollSocketDV(): socketu <%s> nie znalazlem!", name);
        g_Console.Print(line);
        return;
    }
    for (uint32_t i = 0; i < m_uMovedCount; ++i)
        if (m_Moved[i].m_hObject == object && m_Moved[i].m_pSocket == socket) {
            m_Moved[i].m_vPosition = position;
            return;
        }
    if (m_uMovedCount == MAX_MOVED_SOCKETS) {
        g_Console.Print("ERROR in EMeshSocketsMgr::SetRagDollSocketDV(): MAX_MOVED_SOCKETS exceeded!");
        return;
    }
    m_Moved[m_uMovedCount++] = {object, socket, position};
}

void EMeshSocketsMgr::ReleaseObjectSockets(const EObjectSlot* object) {
    uint32_t kept = 0;
    for (uint32_t i = 0; i < m_uMovedCount; ++i)
        if (m_Moved[i].m_hObject != object) m_Moved[kept++] = m_Moved[i];
    m_uMovedCount = kept;
}
