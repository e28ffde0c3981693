// The grass scripts: which one a world has, and its kinds and terrain textures.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/EConsole.h"
#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "platform/os/Files.h"
#include "render/ERenderer.h"
#include "vehicles/EPlantMgr.h"
#include "world/EEngine.h"

namespace {

constexpr int kLineLimit = 256;
constexpr const char* kScriptFolder = "scripts\\grass";

float Number(const char* line) { return static_cast<float>(std::atof(GetKeywordValue(line))); }

// The name, cut to the field's size.
void CopyName(char* to, size_t size, const char* from) {
    const size_t n = strnlen(from, size - 1);
    std::memmove(to, from, n);
    to[n] = 0;
}

// The handle of a kind's texture; a script may name one the installation lacks, which is said and
// leaves the kind without one.
uint32_t KindTexture(const char* name) {
    if (const strtexture* t = g_Renderer.LoadRegisteredTexture(name)) return t->m_uId;
    g_Console.PrintStr3("ERROR: EPlantMgr: no texture ", name, " for the grass kind");
    return 0;
}

// True when the file's "world" line names the world (ignoring case).
bool NamesWorld(const char* path, const char* world) {
    FILE* f = plat::OpenFile(path, "r");
    if (!f) return false;
    char line[kLineLimit + 1];
    bool found = false;
    while (!found && !std::feof(f)) {
        ReadLine(f, line, kLineLimit);
        found = IsKeyword(line, "world") && StrICmp(GetKeywordValue(line), world) == 0;
    }
    std::fclose(f);
    return found;
}

}  // namespace

const char* EPlantMgr::FindGrassScript() {
    g_szGrassScriptPath[0] = 0;
    for (const std::string& name : plat::ListDirectory(kScriptFolder, "*.txt")) {
        if (name[0] == '.') continue;
        char path[kScriptPathSize];
        std::snprintf(path, sizeof path, "%s\\%s", kScriptFolder, name.c_str());
        if (!NamesWorld(path, g_Engine.m_szStartingWorld)) continue;
        CopyName(g_szGrassScriptPath, sizeof g_szGrassScriptPath, path);
        break;
    }
    return g_szGrassScriptPath;
}

bool EPlantMgr::OpenKind(const char* name) {
    if (m_dwGrass >= MAX_GRASS) {
        g_Console.PrintStr2("ERROR: MAX_GRASS exceeded, no room for the grass kind ", name);
        return false;
    }
    GrassKind& k = m_Grass[m_dwGrass++];
    CopyName(k.m_szName, sizeof k.m_szName, name);
    k.m_uTexture = KindTexture(name);
    k.m_fDensity = 1.0f;
    return true;
}

void EPlantMgr::ReadGrassScript(const char* path) {
    FILE* f = path && *path ? plat::OpenFile(path, "r") : nullptr;
    if (!f) return;
    char line[kLineLimit + 1];
    // The kind the kind lines go to: none before the first "grows", nor after a refused one.
    GrassKind* kind = nullptr;
    while (!std::feof(f)) {
        ReadLine(f, line, kLineLimit);
        if (IsKeyword(line, "texture")) {
            if (m_TGrass.m_dwTextures < TerrainGrass::kMaxTextures)
                CopyName(m_TGrass.m_szTextures[m_TGrass.m_dwTextures++], TerrainGrass::kNameSize, GetKeywordValue(line));
        } else if (IsKeyword(line, "teren")) {
            CopyName(m_TGrass.m_szTeren, sizeof m_TGrass.m_szTeren, GetKeywordValue(line));
        } else if (IsKeyword(line, "grows")) {
            kind = OpenKind(GetKeywordValue(line)) ? &m_Grass[m_dwGrass - 1] : nullptr;
        } else if (!kind) {
            continue;
        } else if (IsKeyword(line, "width")) {
            kind->m_fWidth = Number(line);
        } else if (IsKeyword(line, "height")) {
            kind->m_fHeight = Number(line);
        } else if (IsKeyword(line, "density")) {
            kind->m_fDensity = Number(line);
        } else if (IsKeyword(line, "crop")) {
            kind->m_bCrop = 1;
        } else if (IsKeyword(line, "random_seed")) {
            kind->m_fRandomSeed = Number(line);
        } else if (IsKeyword(line, "random")) {
            kind->m_fRandom = Number(line);
        } else if (IsKeyword(line, "mesh")) {
            if (kind->m_dwMeshes < GrassKind::kMaxMeshes)
                CopyName(kind->m_szMeshes[kind->m_dwMeshes++], GrassKind::kMeshNameSize, GetKeywordValue(line));
        }
    }
    std::fclose(f);
    UnpackMeshes();
}

// A kind of meshes m0, m1, m2 keeps m0 and is followed, at the end of the table, by kinds of m2
// and m1: each copies the kind and takes its last mesh.
void EPlantMgr::UnpackMeshes() {
    for (uint32_t i = 0; i < m_dwGrass; ++i) {
        while (m_Grass[i].m_dwMeshes >= 2) {
            if (m_dwGrass >= MAX_GRASS) {
                g_Console.Print("FATAL: Przy rozpakowywaniu meshy trawy przekroczono MAX_GRASS!");
                return;
            }
            GrassKind& from = m_Grass[i];
            GrassKind& to = m_Grass[m_dwGrass++];
            CopyName(to.m_szName, sizeof to.m_szName, from.m_szName);
            to.m_uTexture = KindTexture(to.m_szName);
            to.m_bCrop = from.m_bCrop;
            to.m_fWidth = from.m_fWidth;
            to.m_fHeight = from.m_fHeight;
            to.m_fDensity = from.m_fDensity;
            to.m_fRandomSeed = from.m_fRandomSeed;
            to.m_fRandom = from.m_fRandom;
            --from.m_dwMeshes;
            CopyName(to.m_szMeshes[0], GrassKind::kMeshNameSize, from.m_szMeshes[from.m_dwMeshes]);
            from.m_szMeshes[from.m_dwMeshes][0] = 0;
            to.m_dwMeshes = 1;
        }
    }
}
