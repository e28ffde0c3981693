#include "render/ERenderer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "platform/gfx/Image.h"
#include "platform/os/Files.h"
#include "render/CShadowMaps.h"
#include "render/D3DDevice.h"
#include "render/RenderHooks.h"

ERenderer g_Renderer;

namespace {

constexpr const char* kPathTag = "strtexturepaths";
constexpr const char* kFramesTag = "AnimationFrames";
constexpr const char* kSubstituteTag = "strtexturesubstitutes";
constexpr const char* kTextureTag = "strtexture";
constexpr const char* kDeviceTextureTag = "Texture";
constexpr const char* kMeshEntryTag = "strlistameshy";
constexpr const char* kSkinEntryTag = "strlistaskinmeshy";
constexpr int kDefinitionLine = 256;
constexpr int kSubstituteLine = 255;
constexpr size_t kMaxScanDirectory = 768;

// Copies as much of the text as fits, always ending it.
void CopyText(char* out, size_t size, const char* text) {
    size_t n = text ? std::min(std::strlen(text), size - 1) : 0;
    std::memcpy(out, text ? text : "", n);
    out[n] = 0;
}

bool EndsWithIgnoringCase(const char* text, const char* end) {
    size_t n = std::strlen(text), m = std::strlen(end);
    return n >= m && StrICmp(text + n - m, end) == 0;
}

bool IsTextureFileName(const char* path) { return EndsWithIgnoringCase(path, ".tga") || EndsWithIgnoringCase(path, ".dds"); }

// The name without its last four characters (its extension), ignoring case.
bool SameBaseName(const char* a, const char* b) {
    size_t n = std::strlen(a), m = std::strlen(b);
    if (n < 4 || m < 4 || n != m) return false;
    return StrICmp(std::string(a, n - 4).c_str(), std::string(b, m - 4).c_str()) == 0;
}

// --- Definition-script keys -------------------------------------------------------------------

using TextField = char (strtexturepaths::*)[256];
using FloatField = float strtexturepaths::*;
using FlagField = uint8_t strtexturepaths::*;

struct TextKey {
    const char* key;
    TextField field;
};
constexpr TextKey kTextKeys[] = {
    {"normal", &strtexturepaths::m_szNormal},       {"lava", &strtexturepaths::m_szLava},
    {"add_water", &strtexturepaths::m_szAddWater},  {"environmental", &strtexturepaths::m_szEnvironmental},
    {"detail", &strtexturepaths::m_szDetail},
};

struct FloatKey {
    const char* key;
    FloatField field;
};
constexpr FloatKey kFloatKeys[] = {
    {"animation_speed", &strtexturepaths::m_fAnimationSpeed}, {"appear_distance", &strtexturepaths::m_fAppearDistance},
    {"detail_density", &strtexturepaths::m_fDetailDensity},   {"normal_density", &strtexturepaths::m_fNormalDensity},
    {"texture_density", &strtexturepaths::m_fTextureDensity}, {"bump_height", &strtexturepaths::m_fBumpHeight},
    {"lava_map_coef", &strtexturepaths::m_fLavaMapCoef},      {"lava_speed_down", &strtexturepaths::m_fLavaSpeedDown},
    {"lava_speed_up", &strtexturepaths::m_fLavaSpeedUp},      {"water_height", &strtexturepaths::m_fWaterHeight},
    {"water_transparent", &strtexturepaths::m_fWaterTransparency},
    {"add_water_height", &strtexturepaths::m_fAddWaterHeight},
    {"add_water_density", &strtexturepaths::m_fAddWaterDensity},
    {"add_water_param", &strtexturepaths::m_fAddWaterHeight},
    {"water_fog_far", &strtexturepaths::m_fWaterFogFar},      {"water_fog_near", &strtexturepaths::m_fWaterFogNear},
};

struct FlagKey {
    const char* key;
    FlagField field;
};
constexpr FlagKey kFlagKeys[] = {
    {"ray_of_light", &strtexturepaths::m_bRayOfLight},
    {"priority", &strtexturepaths::m_bPriority},
    {"no_intersect", &strtexturepaths::m_bNoIntersect},
    {"detail_as_normal", &strtexturepaths::m_bDetailAsNormal},
    {"fully_bright_in_normal_mask", &strtexturepaths::m_bFullyBrightInNormalMask},
    {"water", &strtexturepaths::m_bWater},
    {"transparent", &strtexturepaths::m_bTransparent},
    {"translucent", &strtexturepaths::m_bTranslucent},
    {"additive", &strtexturepaths::m_bAdditive},
    {"stain", &strtexturepaths::m_bStain},
    {"2sided", &strtexturepaths::m_bTwoSided},
    {"2_sided", &strtexturepaths::m_bTwoSided},
    {"Specular_In_Detail_Mask", &strtexturepaths::m_bSpecularInDetailMask},
    {"no_fog", &strtexturepaths::m_bNoFog},
    {"no_light", &strtexturepaths::m_bNoLight},
    {"do_not_render", &strtexturepaths::m_bDoNotRender},
    {"do_not_cast_shadow", &strtexturepaths::m_bDoNotCastShadow},
    {"grass_texture", &strtexturepaths::m_bGrassTexture},
};

struct MaterialKey {
    const char* key;
    TextureMaterial material;
};
constexpr MaterialKey kMaterialKeys[] = {
    {"cement", MATERIAL_CEMENT}, {"wood", MATERIAL_WOOD}, {"sand", MATERIAL_SAND},   {"metal", MATERIAL_METAL},
    {"snow", MATERIAL_SNOW},     {"water", MATERIAL_WATER}, {"coal", MATERIAL_COAL}, {"glass", MATERIAL_GLASS},
    {"plastic", MATERIAL_PLASTIC},
};

constexpr const char* kMultitextureKeys[LAYERS] = {"Multitexture_R", "Multitexture_G", "Multitexture_B"};
constexpr const char* kMultitextureDensityKeys[LAYERS] = {"Multitexture_Density_R", "Multitexture_Density_G",
                                                           "Multitexture_Density_B"};

float NumberWord(const char* line, int n) { return static_cast<float>(std::atof(GetWord(line, n))); }

void AddAnimationFrame(strtexturepaths& d, const char* name) {
    if (!d.m_pAnimationFrames) {
        d.m_pAnimationFrames = new char[kAnimationFrames][kAnimationFrameName]{};
        g_Debug.AddAlloc(kFramesTag);
    }
    if (d.m_uFrameCount >= kAnimationFrames - 1) return;
    CopyText(d.m_pAnimationFrames[d.m_uFrameCount++], kAnimationFrameName, name);
}

// Applies every key the line matches (a word that is two keys, such as water, applies both).
void ApplyDefinitionLine(strtexturepaths& d, const char* line) {
    const char* value = GetKeywordValue(line);
    for (const TextKey& k : kTextKeys)
        if (IsKeyword(line, k.key)) CopyText(d.*k.field, sizeof(d.*k.field), value);
    for (const FloatKey& k : kFloatKeys)
        if (IsKeyword(line, k.key)) d.*k.field = static_cast<float>(std::atof(value));
    for (const FlagKey& k : kFlagKeys)
        if (IsKeyword(line, k.key)) d.*k.field = 1;
    for (const MaterialKey& k : kMaterialKeys)
        if (IsKeyword(line, k.key)) d.m_uMaterial = k.material;
    for (int layer = 0; layer < LAYERS; ++layer) {
        if (IsKeyword(line, kMultitextureKeys[layer])) CopyText(d.m_szMultitexture[layer], 256, value);
        if (IsKeyword(line, kMultitextureDensityKeys[layer]))
            d.m_fMultitextureDensity[layer] = static_cast<float>(std::atof(value));
    }
    if (IsKeyword(line, "animation_frame")) AddAnimationFrame(d, value);
    if (IsKeyword(line, "water_color"))
        for (int i = 0; i < 3; ++i) d.m_fWaterColour[i] = static_cast<float>(std::atoi(GetWord(line, i + 1))) / 255.0f;
    if (IsKeyword(line, "specular")) {
        d.m_bSpecular = 1;
        if (*GetWord(line, 1)) d.m_fSpecular1 = NumberWord(line, 1);
        if (*GetWord(line, 2)) d.m_fSpecular2 = NumberWord(line, 2);
    }
    // Devices without hardware transform and lighting draw no grow maps.
    if (IsKeyword(line, "grow") && !g_Settings.m_bTextureDescription && !g_Settings.m_bNoLight)
        CopyText(d.m_szGrow, sizeof d.m_szGrow, value);
}

template <class Record>
void FreeList(Record*& head, const char* tag) {
    while (Record* r = head) {
        head = r->m_pNext;
        delete r;
        g_Debug.RemoveAlloc(tag);
    }
}

template <class Record>
void LinkAtHead(Record*& head, Record* r) {
    r->m_pNext = head;
    if (head) head->m_pPrev = r;
    head = r;
}

template <class Record>
void Unlink(Record*& head, Record* r) {
    if (r->m_pPrev) r->m_pPrev->m_pNext = r->m_pNext;
    else head = r->m_pNext;
    if (r->m_pNext) r->m_pNext->m_pPrev = r->m_pPrev;
}

// Frees every entry that `matches`, from a texture's mesh or skin list.
template <class Entry, class Match>
void RemoveEntries(Entry*& head, const char* tag, Match matches) {
    for (Entry* e = head; e;) {
        Entry* next = e->m_pNext;
        if (matches(e)) {
            Unlink(head, e);
            delete e;
            g_Debug.RemoveAlloc(tag);
        }
        e = next;
    }
}

bool AnyVisible(const strlistameshy* e) {
    for (; e; e = e->m_pNext) {
        const DrawVisibility* o = e->m_hObject;
        if (o && o->m_bVisibleThisFrame && (g_Settings.m_bDrawPhysics || (o->m_uFlags & FLAG_VISIBLE))) return true;
    }
    return false;
}

bool AnyVisible(const strlistaskinmeshy* e) {
    for (; e; e = e->m_pNext) {
        const DrawVisibility* o = e->m_hObject;
        if (o && o->m_bVisibleThisFrame && (g_Settings.m_bDrawPhysics || (o->m_uFlags & FLAG_VISIBLE))) return true;
    }
    return false;
}

bool AlwaysListed(const strtexture* t) { return t->m_bTransparent || t->m_bTranslucent || t->m_bAdditive || t->m_bStain; }

// Takes entry i out of a null-ended list by moving the following entries one place forward.
void TakeOut(strtexture** list, uint32_t i) {
    for (; list[i]; ++i) list[i] = list[i + 1];
}

}  // namespace

const gfx::BaseTexture* strtexture::DeviceTexture() const {
    if (m_pTexture) return m_pTexture.get();
    return m_pCubeTexture.get();
}

ERenderer::ERenderer() {}

ERenderer::~ERenderer() {
    FreeTexturePaths();
    FreeSubstitutes();
}

// ---- Texture registry ---------------------------------------------------------------------------

void ERenderer::InitTextures() {
    // The substitutes belong to the same start-up: the file layer is not ready while globals are made.
    if (!m_pSubstitutes) LoadTextureSubstitutes();
    ScanTextureDirectory(".", false);
    LoadTextureScripts();
    ResolveTextureAliases();
}

void ERenderer::ScanTextureDirectory(const char* directory, bool checkDuplicates) {
    if (!directory || !*directory || std::strlen(directory) > kMaxScanDirectory) return;
    std::vector<std::string> files = plat::ListDirectory(directory, "*");
    std::vector<std::string> folders = plat::ListDirectory(directory, "*", true);
    // One walk in name order, folders and files together, as a directory search gives them.
    std::vector<std::pair<std::string, bool>> entries;
    for (const std::string& f : files) entries.emplace_back(f, false);
    for (const std::string& f : folders) entries.emplace_back(f, true);
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return StrICmp(a.first.c_str(), b.first.c_str()) < 0; });
    for (const auto& [name, isFolder] : entries) {
        if (name[0] == '.') continue;
        std::string path = std::string(directory) + "\\" + name;
        if (isFolder) {
            ScanTextureDirectory(path.c_str(), false);
            continue;
        }
        bool known = false;
        if (checkDuplicates)
            for (const strtexturepaths* r = m_pTexturePaths; r && !known; r = r->m_pNext)
                known = StrICmp(r->m_szPath, path.c_str()) == 0;
        if (!known) AddTexturePath(path.c_str());
    }
}

void ERenderer::AddTexturePath(const char* path) {
    if (!path || std::strlen(path) < 5 || !IsTextureFileName(path)) return;
    if (!IsValidName(path)) {
        LogError(path);
        g_RenderHooks.quitOnError(InvalidNameReason("texture", path).c_str());
        return;
    }
    const char* slash = std::strrchr(path, '\\');
    if (!slash) return;
    auto* r = new strtexturepaths{};
    g_Debug.AddAlloc(kPathTag);
    CopyText(r->m_szFileName, sizeof r->m_szFileName, slash + 1);
    CopyText(r->m_szPath, sizeof r->m_szPath, path);
    CopyText(r->m_szBaseName, sizeof r->m_szBaseName, r->m_szFileName);
    r->m_szBaseName[std::strlen(r->m_szBaseName) - 4] = 0;
    r->m_bIsTga = EndsWithIgnoringCase(path, ".tga");
    LinkAtHead(m_pTexturePaths, r);
}

// A tga file is tied to the non-tga file of the same name wherever either lies in the list, so
// the result does not depend on the order the directories were listed in.
void ERenderer::ResolveTextureAliases() {
    for (strtexturepaths* r = m_pTexturePaths; r; r = r->m_pNext) {
        if (!r->m_bIsTga) continue;
        strtexturepaths* twin = nullptr;
        for (strtexturepaths* q = m_pTexturePaths; q && !twin; q = q->m_pNext)
            if (!q->m_bIsTga && SameBaseName(q->m_szFileName, r->m_szFileName)) twin = q;
        if (!twin) continue;
        r->m_pAlias = twin;
        twin->m_bTwoSided = r->m_bTwoSided;
        twin->m_bAdditive = r->m_bAdditive;
        twin->m_bStain = r->m_bStain;
        twin->m_bDoNotRender = r->m_bDoNotRender;
        twin->m_bNoFog = r->m_bNoFog;
        twin->m_bNoLight = r->m_bNoLight;
        twin->m_bSpecular = r->m_bSpecular;
        twin->m_bIsTga = r->m_bIsTga;
        twin->m_bTranslucent = r->m_bTranslucent;
        twin->m_bTransparent = r->m_bTransparent;
        CopyText(twin->m_szGrow, sizeof twin->m_szGrow, r->m_szGrow);
    }
}

strtexturepaths* ERenderer::FindTextureDescription(const char* name) const {
    if (!name || std::strlen(name) < 4) return nullptr;
    std::string base(name, std::strlen(name) - 4);
    for (strtexturepaths* r = m_pTexturePaths; r; r = r->m_pNext)
        if (StrICmp(r->m_szBaseName, base.c_str()) == 0) return r->m_bIsTga && r->m_pAlias ? r->m_pAlias : r;
    return nullptr;
}

void ERenderer::WriteUndefinedTexturesReport() {
    FILE* f = plat::OpenFile("UndefinedTextures.txt", "w");
    if (!f) return;
    WriteLine(f, "Textures not defined in scripts:", 256);
    WriteLine(f, " ", 256);
    for (const strtexturepaths* r = m_pTexturePaths; r; r = r->m_pNext)
        if (!r->m_bDescribed) WriteLine(f, r->m_szPath, 256);
    std::fclose(f);
    g_Settings.m_bRaportUndefinedTextures = 0;
}

void ERenderer::WriteDuplicatedTexturesReport() {
    FILE* f = plat::OpenFile("DoubleTextures.txt", "w");
    if (!f) return;
    WriteLine(f, "Duplicated textures:", 256);
    WriteLine(f, " ", 256);
    for (const strtexturepaths* r = m_pTexturePaths; r; r = r->m_pNext) {
        bool first = true;
        for (const strtexturepaths* q = r->m_pNext; q; q = q->m_pNext) {
            if (StrICmp(r->m_szBaseName, q->m_szBaseName) != 0) continue;
            if (first) {
                WriteLine(f, " ", 256);
                WriteLine(f, "0: Found duplicated texture:", 256);
                WriteLine(f, r->m_szPath, 256);
                first = false;
            }
            WriteLine(f, q->m_szPath, 256);
        }
    }
    std::fclose(f);
    g_Settings.m_bRaportDoubleTextures = 0;
}

void ERenderer::FreeTexturePaths() {
    while (strtexturepaths* r = m_pTexturePaths) {
        m_pTexturePaths = r->m_pNext;
        if (r->m_pAnimationFrames) {
            delete[] r->m_pAnimationFrames;
            g_Debug.RemoveAlloc(kFramesTag);
        }
        delete r;
        g_Debug.RemoveAlloc(kPathTag);
    }
}

// ---- Definition scripts -----------------------------------------------------------------------

void ERenderer::LoadTextureScripts() {
    LoadTextureDescriptions("scripts\\textures.txt");
    for (const std::string& file : plat::ListDirectory("scripts\\textures", "*.txt")) {
        if (file[0] == '.') continue;
        LoadTextureDescriptions(("scripts\\textures\\" + file).c_str());
    }
}

void ERenderer::LoadTextureDescriptions(const char* path) {
    FILE* f = plat::OpenFile(path, "r");
    if (!f) return;
    char line[kDefinitionLine + 1];
    strtexturepaths* current = nullptr;
    // Every line is read, the last one too when no line feed ends it.
    while (!std::feof(f)) {
        ReadLine(f, line, kDefinitionLine);
        if (IsKeyword(line, "texture")) {
            std::string value = GetKeywordValue(line);
            current = FindTextureDescription(value.c_str());
            if (!current) {
                // A definition of a missing texture is reported and its lines skipped; the script
                // is data of the installation and stays as it is.
                g_Console.PrintStr2(value.c_str(), " - tekstury nie ma, a jest opis!");
                continue;
            }
            if (current->m_bDescribed)
                g_Console.PrintStr4(current->m_szFileName, " - Kolejny wpis (", path, ")");
            current->m_bDescribed = 1;
            continue;
        }
        if (current) ApplyDefinitionLine(*current, line);
    }
    std::fclose(f);
}

void ERenderer::LoadTextureSubstitutes() {
    FILE* f = plat::OpenFile("scripts\\texture_substitutes.txt", "r");
    if (!f) return;
    char line[kSubstituteLine + 1];
    while (!std::feof(f)) {
        ReadLine(f, line, kSubstituteLine);
        if (IsKeyword(line, "texture")) {
            auto* r = new strtexturesubstitutes{};
            g_Debug.AddAlloc(kSubstituteTag);
            std::string value = GetKeywordValue(line);
            if (value.size() > 4) value.resize(value.size() - 4);
            CopyText(r->m_szName, sizeof r->m_szName, value.c_str());
            LinkAtHead(m_pSubstitutes, r);
        } else if (IsKeyword(line, "substitute") && m_pSubstitutes &&
                   m_pSubstitutes->m_uCount < strtexturesubstitutes::kMaxSubstitutes) {
            CopyText(m_pSubstitutes->m_szSubstitutes[m_pSubstitutes->m_uCount++], 64, GetKeywordValue(line));
        }
    }
    std::fclose(f);
}

strtexturesubstitutes* ERenderer::FindTextureSubstitutes(const char* name) const {
    if (!name || std::strlen(name) < 4) return nullptr;
    std::string base(name, std::strlen(name) - 4);
    for (strtexturesubstitutes* r = m_pSubstitutes; r; r = r->m_pNext)
        if (StrICmp(r->m_szName, base.c_str()) == 0) return r;
    return nullptr;
}

void ERenderer::FreeSubstitutes() { FreeList(m_pSubstitutes, kSubstituteTag); }

// ---- Loaded textures ----------------------------------------------------------------------------

const char* ERenderer::TextureFileName(const char* path) {
    const char* slash = std::strrchr(path, '\\');
    CopyText(m_szFileName, sizeof m_szFileName, slash ? slash + 1 : path);
    size_t n = std::strlen(m_szFileName);
    if (n > 3 && StrICmp(m_szFileName + n - 3, "tga") != 0 && StrICmp(m_szFileName + n - 3, "dds") != 0)
        std::memcpy(m_szFileName + n - 3, "dds", 3);
    return m_szFileName;
}

// stone.dds and stone.tga are one loaded texture, in any letter case.
strtexture* ERenderer::FindLoadedTexture(const char* name) const {
    for (strtexture* r = m_pTextures; r; r = r->m_pNext)
        if (SameBaseName(r->m_szName, name)) return r;
    return nullptr;
}

const char* ERenderer::HighVariantPath(const char* path) {
    size_t n = std::strlen(path);
    if (n <= 4) return path;
    std::snprintf(m_szHighPath, sizeof m_szHighPath, "%.*s_high%s", static_cast<int>(n - 4), path, path + n - 4);
    return plat::FileExists(m_szHighPath) ? m_szHighPath : path;
}

void ERenderer::ReadImageInfo(strtexture* record, const char* path) {
    gfx::ImageInfo info;
    if (gfx::Failed(gfx::GetImageInfoFromFile(path, info))) return;
    record->m_uWidth = info.width;
    record->m_uHeight = info.height;
    record->m_uFormat = info.format;
}

void ERenderer::ApplyTextureDescription(strtexture* t, const strtexturepaths* d) {
    t->m_bFullyBrightInNormalMask = d->m_bFullyBrightInNormalMask;
    t->m_bTransparent = d->m_bTransparent;
    t->m_bTranslucent = d->m_bTranslucent;
    t->m_bAdditive = d->m_bAdditive;
    t->m_bStain = d->m_bStain;
    t->m_bTwoSided = d->m_bTwoSided;
    t->m_bDoNotRender = d->m_bDoNotRender;
    t->m_bDoNotCastShadow = d->m_bDoNotCastShadow;
    t->m_bSpecular = d->m_bSpecular;
    t->m_bSpecularInDetailMask = d->m_bSpecularInDetailMask;
    t->m_uMaterial = d->m_uMaterial;
    t->m_bNoFog = d->m_bNoFog;
    t->m_bNoLight = d->m_bNoLight;
    t->m_fDetailDensity = d->m_fDetailDensity;
    t->m_bWater = d->m_bWater;
    t->m_fWaterHeight = d->m_fWaterHeight;
    std::copy(std::begin(d->m_fWaterColour), std::end(d->m_fWaterColour), t->m_fWaterColour);
    t->m_fWaterFogFar = d->m_fWaterFogFar;
    t->m_fWaterFogNear = d->m_fWaterFogNear;
    t->m_fAddWaterHeight = d->m_fAddWaterHeight;
    t->m_fWaterTransparency = d->m_fWaterTransparency;
    t->m_fSpecular1 = d->m_fSpecular1;
    t->m_fSpecular2 = d->m_fSpecular2;
    t->m_fNormalDensity = d->m_fNormalDensity;
    t->m_fAddWaterDensity = d->m_fAddWaterDensity;
    t->m_bAnimated = d->m_uFrameCount > 0;
    t->m_uFrameCount = d->m_uFrameCount;
    t->m_fAnimationSpeed = d->m_fAnimationSpeed;
    t->m_fTextureDensity = d->m_fTextureDensity;
    t->m_bDetailAsNormal = d->m_bDetailAsNormal;
    t->m_fBumpHeight = d->m_fBumpHeight;
    t->m_fLavaSpeedUp = d->m_fLavaSpeedUp;
    t->m_fLavaSpeedDown = d->m_fLavaSpeedDown;
    t->m_fLavaMapCoef = d->m_fLavaMapCoef;
    t->m_fAppearDistance = d->m_fAppearDistance;
    t->m_bNoIntersect = d->m_bNoIntersect;
    t->m_bPriority = d->m_bPriority;
    t->m_bRayOfLight = d->m_bRayOfLight;
    t->m_bGrassTexture = d->m_bGrassTexture;
}

void ERenderer::CreateDeviceTexture(strtexture* r) {
    if (!g_pd3dDevice) return;
    gfx::Device& device = *g_pd3dDevice;
    bool skip = r->m_bReduce && !r->m_bPriority;
    uint32_t reducedFilter = skip ? gfx::SkipDdsMipLevels(2, gfx::FILTER_LINEAR) : gfx::FILTER_LINEAR;
    const char* file = r->m_szPath;
    gfx::Result result;
    if (r->m_bCube) {
        if (!r->m_bIsTga && !r->m_bReduce) result = gfx::CreateCubeTextureFromFile(device, file, r->m_pCubeTexture);
        else result = gfx::CreateCubeTextureFromFileEx(device, file, gfx::POOL_MANAGED, reducedFilter, r->m_pCubeTexture);
    } else if (r->m_bIsTga || skip) {
        file = r->m_bHigh ? HighVariantPath(r->m_szPath) : r->m_szPath;
        uint32_t filter = r->m_bHigh ? gfx::FILTER_DEFAULT : reducedFilter;
        result = gfx::CreateTextureFromFileEx(device, file, gfx::POOL_MANAGED, filter, r->m_pTexture);
    } else {
        file = r->m_bHigh ? HighVariantPath(r->m_szPath) : r->m_szPath;
        result = gfx::CreateTextureFromFile(device, file, r->m_pTexture);
    }
    // The texture draws as none; the report names the file that a player would otherwise never
    // learn was damaged.
    if (gfx::Failed(result)) {
        LogError(file);
        LogError("Texture could not be created!");
    }
}

void ERenderer::ExtractTexture(const char* path, const char* name) {
    if (StrIContains(path, "misc")) return;
    size_t n = std::strlen(name), p = std::strlen(path);
    if (n < 4 || p < 4) return;
    std::string target = "!textures\\" + std::string(name, n - 4) + (path + p - 4);
    plat::CopyFile(path, target);
}

strtexture* ERenderer::LoadTextureByName(const char* name, bool reduce, bool high, bool cube) {
    if (!name || !*name) return nullptr;
    // Names are resolved against the start directory by the file layer, whatever directory is current.
    std::string n = TextureFileName(name);
    if (strtexture* loaded = FindLoadedTexture(n.c_str())) return loaded;
    uint32_t id = 1;
    while (id < kMaxTextures && m_pTextureTable[id]) ++id;
    if (id == kMaxTextures) {
        g_Console.Print("MAX_TEXTURES hit!");
        return nullptr;
    }
    if (g_Settings.m_bRaportTextures) {
        char line[300];
        std::snprintf(line, sizeof line, "texture %s", n.c_str());
        LogError(line, "!textures.txt");
    }
    auto* r = new strtexture{};
    g_Debug.AddAlloc(kTextureTag);
    LinkAtHead(m_pTextures, r);
    r->m_uId = id;
    m_pTextureTable[id] = r;
    const strtexturepaths* d = FindTextureDescription(n.c_str());
    const char* file = n.c_str();
    if (d) {
        file = d->m_szPath;
        ReadImageInfo(r, file);
        ApplyTextureDescription(r, d);
        r->m_bPlaying = 1;
    }
    CopyText(r->m_szPath, sizeof r->m_szPath, file);
    // The faults as the error log names them, after the path.
    std::string faults;
    auto fault = [&](const char* what) {
        LogError(r->m_szPath);
        LogError(what);
        faults += faults.empty() ? what : std::string(" ") + what;
    };
    if (!plat::FileExists(r->m_szPath)) fault("Texture does not exist!");
    if (!IsTextureFileName(r->m_szPath)) fault("Bad Format!");
    r->m_bCube = cube;
    r->m_bIsTga = StrIContains(name, ".tga") != 0;
    r->m_bReduce = reduce;
    r->m_bHigh = high;
    if (!faults.empty()) {
        g_RenderHooks.quitOnError(("The texture " + std::string(r->m_szPath) + " cannot be loaded: " + faults).c_str());
    } else {
        CreateDeviceTexture(r);
        g_Debug.AddAlloc(kDeviceTextureTag);
        if (g_Settings.m_bExtractUsedTextures) ExtractTexture(r->m_szPath, n.c_str());
    }
    CopyText(r->m_szName, sizeof r->m_szName, n.c_str());
    return r;
}

strtexture* ERenderer::LoadRegisteredTexture(const char* name, bool cube) {
    return FindTextureDescription(name) ? LoadTextureByName(name, false, false, cube) : nullptr;
}

uint32_t ERenderer::GetTextureByName(const char* name, bool reduce, bool high) {
    strtexture* r = LoadTextureByName(name, reduce, high, false);
    return r ? r->m_uId : 0;
}

strtexture* ERenderer::GetTexture(uint32_t id) const { return id < kMaxTextures ? m_pTextureTable[id] : nullptr; }

gfx::Result ERenderer::SetTexture(uint32_t stage, uint32_t id) {
    strtexture* r = GetTexture(id);
    if (!r || !g_pd3dDevice) return gfx::OK;
    return g_pd3dDevice->SetTexture(stage, r->DeviceTexture());
}

strtexture* ERenderer::LoadMap(const char* name, bool reduce, bool high, bool cube) {
    strtexture* map = LoadTextureByName(name, reduce, high, cube);
    if (map) map->m_bDoNotRender = 1;
    return map;
}

// The normal map of a definition, or the registered file named like the texture with "_normal".
strtexture* ERenderer::LoadNormalMap(strtexture* r, const strtexturepaths* d, int32_t quality) {
    bool reduce = quality == 2, high = quality == 0;
    if (d->m_szNormal[0]) return LoadMap(d->m_szNormal, reduce, high, false);
    size_t n = std::strlen(r->m_szName);
    if (n <= 4 || r->m_pNormal) return r->m_pNormal;
    std::string guess = std::string(r->m_szName, n - 4) + "_normal" + (r->m_szName + n - 4);
    if (!FindTextureDescription(guess.c_str())) return nullptr;
    return LoadMap(guess.c_str(), reduce, high, false);
}

void ERenderer::LoadMeshMaps(strtexture* r, const strtexturepaths* d, int32_t quality) {
    bool worldReduce = g_Settings.m_iWorldTextureQuality != 0;
    r->m_pNormal = LoadNormalMap(r, d, quality);
    for (int layer = 0; layer < LAYERS; ++layer) {
        if (!d->m_szMultitexture[layer][0] || r->m_pMultitexture[layer]) continue;
        r->m_pMultitexture[layer] = LoadMap(d->m_szMultitexture[layer], false, false, false);
        if (!r->m_pMultitexture[layer]) continue;
        r->m_bHasMultitexture = 1;
        r->m_fMultitextureDensity[layer] = d->m_fMultitextureDensity[layer];
    }
    if (d->m_szDetail[0] && !r->m_pDetail) r->m_pDetail = LoadMap(d->m_szDetail, false, false, false);
    if (d->m_szLava[0]) r->m_pLava = LoadMap(d->m_szLava, false, false, false);
    if (d->m_szGrow[0] && !r->m_pGrow) r->m_pGrow = LoadMap(d->m_szGrow, worldReduce, false, false);
    if (d->m_szEnvironmental[0] && !r->m_pEnvironmental)
        r->m_pEnvironmental = LoadMap(d->m_szEnvironmental, worldReduce, false, true);
    if (d->m_szAddWater[0] && !r->m_pAddWaterNormal)
        r->m_pAddWaterNormal = LoadMap(d->m_szAddWater, false, false, false);
    if (!r->m_bAnimated) return;
    for (uint32_t k = 0; k < d->m_uFrameCount; ++k) {
        r->m_pFrames[k] = LoadMap(d->m_pAnimationFrames[k], worldReduce, false, false);
        g_Debug.AddAlloc(kDeviceTextureTag);
    }
    r->m_bPlaying = 1;
    r->m_bAnimated = 1;
}

void ERenderer::LoadSkinMeshMaps(strtexture* r, const strtexturepaths* d, int32_t quality) {
    r->m_pNormal = LoadNormalMap(r, d, quality);
    if (d->m_szDetail[0] && !r->m_pDetail) r->m_pDetail = LoadMap(d->m_szDetail, false, false, false);
    if (d->m_szGrow[0] && !r->m_pGrow) r->m_pGrow = LoadMap(d->m_szGrow, false, false, false);
    if (d->m_szEnvironmental[0] && !r->m_pEnvironmental)
        r->m_pEnvironmental = LoadMap(d->m_szEnvironmental, g_Settings.m_iWorldTextureQuality != 0, false, true);
    if (d->m_szAddWater[0] && !r->m_pAddWaterNormal)
        r->m_pAddWaterNormal = LoadMap(d->m_szAddWater, false, false, true);
}

uint32_t ERenderer::AddMeshToTextureLists(const char* textureName, const DrawRecord& mesh) {
    if (!textureName || !mesh.owner) return 0;
    std::string n = g_Settings.m_bLoadOneLevelTextureOnly ? "doopa_do_edytora.tga" : TextureFileName(textureName);
    int32_t quality = g_Settings.m_iWorldTextureQuality;
    strtexture* r = LoadTextureByName(n.c_str(), quality != 0, quality == 0, false);
    if (!r) return 0;
    bool first = !r->m_pMeshes && !r->m_pSkinMeshes;
    auto* e = new strlistameshy{};
    g_Debug.AddAlloc(kMeshEntryTag);
    e->m_pMesh = mesh.owner;
    e->m_pDrawMesh = mesh.mesh;
    e->m_hObject = mesh.visibility;
    if (!e->m_hObject) g_Console.PrintStr2("No mesh m_hObject! ", mesh.fileName);
    e->m_uSubset = e->m_uRegisteredSubset = mesh.subset;
    LinkAtHead(r->m_pMeshes, e);
    if (first)
        if (const strtexturepaths* d = FindTextureDescription(r->m_szName)) LoadMeshMaps(r, d, quality);
    return r->m_uId;
}

uint32_t ERenderer::AddSkinMeshToTextureLists(const char* textureName, const DrawRecord& skinMesh) {
    if (!textureName || !skinMesh.owner) return 0;
    std::string n = TextureFileName(textureName);
    int32_t quality = g_Settings.m_iAnimatedModelsTextureQuality;
    strtexture* r = LoadTextureByName(n.c_str(), quality != 0, quality == 0, false);
    if (!r) {
        g_Console.Print("CreateTexture failed");
        return 0;
    }
    for (const strlistaskinmeshy* e = r->m_pSkinMeshes; e; e = e->m_pNext)
        if (e->m_pSkinMesh == skinMesh.owner && e->m_uContainer == skinMesh.subset) return r->m_uId;
    bool first = !r->m_pMeshes && !r->m_pSkinMeshes;
    auto* e = new strlistaskinmeshy{};
    g_Debug.AddAlloc(kSkinEntryTag);
    e->m_pSkinMesh = skinMesh.owner;
    e->m_pDrawSkin = skinMesh.skin;
    e->m_hObject = skinMesh.visibility;
    if (!e->m_hObject) g_Console.Print("No skinmesh m_hObject!");
    e->m_uContainer = skinMesh.subset;
    LinkAtHead(r->m_pSkinMeshes, e);
    if (first)
        if (const strtexturepaths* d = FindTextureDescription(r->m_szName)) LoadSkinMeshMaps(r, d, quality);
    return r->m_uId;
}

void ERenderer::RemoveMeshFromLists(const void* mesh) {
    if (!mesh) return;
    for (strtexture* r = m_pTextures; r; r = r->m_pNext)
        RemoveEntries(r->m_pMeshes, kMeshEntryTag, [mesh](const strlistameshy* e) { return e->m_pMesh == mesh; });
}

void ERenderer::RemoveSkinMeshFromLists(const void* skinMesh) {
    if (!skinMesh) return;
    for (strtexture* r = m_pTextures; r; r = r->m_pNext)
        RemoveEntries(r->m_pSkinMeshes, kSkinEntryTag,
                      [skinMesh](const strlistaskinmeshy* e) { return e->m_pSkinMesh == skinMesh; });
}

void ERenderer::RemoveTexture(strtexture* r) {
    if (!r) return;
    Unlink(m_pTextures, r);
    RemoveEntries(r->m_pMeshes, kMeshEntryTag, [](const strlistameshy*) { return true; });
    RemoveEntries(r->m_pSkinMeshes, kSkinEntryTag, [](const strlistaskinmeshy*) { return true; });
    // Both kinds of device texture go: an environment map is a cube.
    bool hadTexture = r->m_pTexture || r->m_pCubeTexture;
    r->m_pTexture.reset();
    r->m_pCubeTexture.reset();
    if (hadTexture) g_Debug.RemoveAlloc(kDeviceTextureTag);
    if (r->m_uId < kMaxTextures && m_pTextureTable[r->m_uId] == r) m_pTextureTable[r->m_uId] = nullptr;
    delete r;
    g_Debug.RemoveAlloc(kTextureTag);
}

void ERenderer::ClearTextures() {
    while (m_pTextures) RemoveTexture(m_pTextures);
    std::fill(std::begin(m_pMeshTextures), std::end(m_pMeshTextures), nullptr);
    std::fill(std::begin(m_pSkinTextures), std::end(m_pSkinTextures), nullptr);
    std::fill(std::begin(m_pMergedTextures), std::end(m_pMergedTextures), nullptr);
    std::fill(std::begin(m_pIdleTextures), std::end(m_pIdleTextures), nullptr);
    m_pWhiteTexture = nullptr;
    m_pAmbientTexture = nullptr;
}

void ERenderer::ReloadTextures() {
    for (strtexture* r = m_pTextures; r; r = r->m_pNext) {
        r->m_pCubeTexture.reset();
        r->m_pTexture.reset();
        CreateDeviceTexture(r);
    }
}

void ERenderer::OnEndWorld() {
    g_ShadowMaps.Disable();
    m_pWhiteTexture = nullptr;
    m_pAmbientTexture = nullptr;
}

// ---- Render lists -------------------------------------------------------------------------------

void ERenderer::BuildRenderLists() {
    m_bAnyWater = m_bAnyLava = m_bAnyAdditiveMesh = m_bAnyAdditiveSkin = m_bAnyWaterMesh = m_bAnyLightRay = 0;
    for (uint32_t i = 0; i < kListSize && m_pMeshTextures[i];) {
        strtexture* t = m_pMeshTextures[i];
        if (t->m_bRayOfLight) m_bAnyLightRay = 1;
        if (t->m_bRayOfLight || AlwaysListed(t) || AnyVisible(t->m_pMeshes)) ++i;
        else TakeOut(m_pMeshTextures, i);
    }
    for (uint32_t i = 0; i < kListSize && m_pSkinTextures[i];) {
        strtexture* t = m_pSkinTextures[i];
        if (AlwaysListed(t) || AnyVisible(t->m_pSkinMeshes)) ++i;
        else TakeOut(m_pSkinTextures, i);
    }
    MergeRenderLists();
}

// Both lists end with their null within kListSize entries, so the merged list holds them whole.
void ERenderer::MergeRenderLists() {
    uint32_t n = 0;
    for (uint32_t i = 0; i < kListSize && m_pMeshTextures[i]; ++i) {
        strtexture* t = m_pMeshTextures[i];
        m_pMergedTextures[n++] = t;
        if (t->m_bWater) m_bAnyWater = m_bAnyWaterMesh = 1;
        if (t->m_pLava) m_bAnyLava = 1;
        if (t->m_bAdditive) m_bAnyAdditiveMesh = 1;
    }
    for (uint32_t i = 0; i < kListSize && m_pSkinTextures[i]; ++i) {
        strtexture* t = m_pSkinTextures[i];
        m_pMergedTextures[n++] = t;
        if (t->m_bWater) m_bAnyWater = 1;
        if (t->m_bAdditive) m_bAnyAdditiveSkin = 1;
    }
    m_pMergedTextures[n] = nullptr;
    SortRenderList(m_pMergedTextures);
}

// Translucent textures go behind the others; the order within each group is not kept.
void ERenderer::SortRenderList(strtexture** list) {
    int n = 0;
    while (list[n]) ++n;
    for (int i = 0; i < n - 1; ++i) {
        if (!list[i]->m_bTranslucent) continue;
        int j = n - 1;
        while (j > i && list[j]->m_bTranslucent) --j;
        if (j == i) return;
        std::swap(list[i], list[j]);
    }
}

void ERenderer::AddLightRay(const DV& position) {
    int slot = 0;
    float least = 1.0f;
    for (int i = 0; i < kLightRays; ++i) {
        if (m_fLightRayLife[i] < least) {
            least = m_fLightRayLife[i];
            slot = i;
        }
    }
    m_vLightRayPos[slot] = position;
    m_fLightRayLife[slot] = 0.08f;
}

void ERenderer::UpdateLightRays() {
    float frameTime = g_FrameFacts.frameTime;
    m_bAnyRayAlive = 0;
    for (int i = 0; i < kLightRays; ++i) {
        m_fLightRayLife[i] -= frameTime;
        if (m_fLightRayLife[i] >= 0.0f) {
            m_bAnyRayAlive = 1;
        } else {
            m_fLightRayLife[i] = 0.0f;
            m_vLightRayPos[i].y = -1e9f;
        }
    }
}
