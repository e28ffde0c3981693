#include "collision/ERigidBodyMeshParamsMgr.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/EConsole.h"
#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "platform/os/Files.h"

ERigidBodyMeshParamsMgr g_RigidBodyMeshParamsMgr;

namespace {

constexpr int kLineBuffer = 5000;

void AddSound(RigidBodyMeshParams& r, const char* line) {
    const char* name = GetWord(line, 1);
    for (auto& place : r.sounds) {
        if (place[0]) continue;
        if (std::strlen(name) > RigidBodyMeshParams::kSoundNameMax) {
            g_Console.Print(" ");
            g_Console.Print("ERROR in ERigidBodyMeshParamsMgr::LoadFile(): string is too long");
            g_Console.Print(r.mesh_filename);
            g_Console.Print(line);
            g_Console.Print(" ");
        }
        std::snprintf(place, sizeof place, "%.*s", RigidBodyMeshParams::kSoundNameMax + 1, name);
        return;
    }
    g_Console.Print(" ");
    g_Console.Print("ERROR in ERigidBodyMeshParamsMgr::LoadFile(): too many sounds on collision!");
    g_Console.Print(r.mesh_filename);
    g_Console.Print(" ");
}

}  // namespace

void ERigidBodyMeshParamsMgr::Load() {
    const std::vector<std::string> files = plat::ListDirectory(kDirectory, "*.*");
    if (files.empty()) return;
    m_uCount = 0;
    for (const std::string& file : files) {
        if (m_uCount >= MAX_FILES_WITH_RIGIDBODYPHYSICS_PARAMS) {
            g_Console.Print("ERROR in RigidBodyMeshParamsMgr: MAX_FILES_WITH_RIGIDBODYPHYSICS_PARAMS exceeded!");
            break;
        }
        const std::string path = std::string(kDirectory) + "\\" + file;
        if (!LoadFile(path.c_str())) g_Console.PrintStr2("\nProblem with file: ", path.c_str());
    }
}

bool ERigidBodyMeshParamsMgr::LoadFile(const char* path) {
    if (m_uCount >= MAX_FILES_WITH_RIGIDBODYPHYSICS_PARAMS) {
        g_Console.Print("ERROR in ERigidBodyMeshParamsMgr::LoadFile(): MAX_FILES_WITH_RIGIDBODYPHYSICS_PARAMS exceeded!");
        return false;
    }
    FILE* file = plat::OpenFile(path, "rt");
    if (!file) return false;
    RigidBodyMeshParams& r = m_Records[m_uCount];
    r = RigidBodyMeshParams{};
    char line[kLineBuffer];
    for (;;) {
        std::memset(line, 0, sizeof line);
        ReadLine(file, line, kLineBuffer - 1, sizeof line);
        if (!line[0] && std::feof(file)) break;
        const char* keyword = GetWord(line, 0);
        if (StrICmp(keyword, "mesh_filename") == 0)
            std::snprintf(r.mesh_filename, sizeof r.mesh_filename, "%s", GetWord(line, 1));
        else if (StrICmp(keyword, "sound_on_collision") == 0)
            AddSound(r, line);
        else if (StrICmp(keyword, "sound_range") == 0)
            r.range = std::atof(GetWord(line, 1));
    }
    std::fclose(file);
    ++m_uCount;
    return true;
}

bool ERigidBodyMeshParamsMgr::Find(const char* meshFileName, char* sounds, uint32_t size, double* range) const {
    if (!meshFileName) return false;
    for (uint32_t i = 0; i < m_uCount; ++i) {
        const RigidBodyMeshParams& r = m_Records[i];
        if (StrICmp(r.mesh_filename, meshFileName) != 0) continue;
        if (sounds) std::memcpy(sounds, r.sounds, size < sizeof r.sounds ? size : sizeof r.sounds);
        if (range) *range = r.range;
        return true;
    }
    return false;
}
