// Writes seeds of the fuzz targets into DIR/<Reader>/: binary files, made by the game's own writers
// where it has them, and text with lines longer than any reader's line buffer, so the committed
// corpus stays small text files.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "SavedStateModel.h"
#include "app/D3DMain.h"
#include "core/BinaryStream.h"
#include "core/CCommandMgr.h"
#include "core/DV.h"
#include "game/CProfileMgr.h"
#include "platform/gfx/GfxTypes.h"
#include "platform/input/EffectFile.h"
#include "platform/xfile/MeshLoader.h"
#include "platform/xfile/XFileWriter.h"
#include "support/TextureFiles.h"
#include "tools/CharacterModels.h"
#include "tools/RagDollModel.h"
#include "tools/SoundSynth.h"
#include "vehicles/EPlantMgr.h"
#include "world/EEngine.h"

namespace fs = std::filesystem;

namespace {

fs::path g_out;

void Seed(const std::string& reader, const std::string& name, const std::string& bytes) {
    fs::create_directories(g_out / reader);
    test::WriteWholeFile(g_out / reader / name, bytes);
}

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }
std::string Bytes(const std::vector<char>& v) { return std::string(v.begin(), v.end()); }

// A game file as the game wrote it, whole and cut short.
void SeedWrittenFile(const std::string& reader, const char* gamePath) {
    std::vector<char> bytes;
    plat::ReadFileBytes(gamePath, bytes);
    Seed(reader, "written", Bytes(bytes));
    Seed(reader, "short", Bytes(bytes).substr(0, bytes.size() / 2));
}

void DdsSeeds() {
    std::vector<uint8_t> dxt1(8 * 3, 0x55);  // 4x4, 2x2 and 1x1 levels of one block each
    std::vector<uint8_t> dxt5(16, 0xA5);
    std::vector<uint8_t> argbCube(6 * 2 * 2 * 4, 0x7F);
    const std::string files[] = {Bytes(test::DdsFile(4, 4, gfx::FMT_DXT1, 3, false, dxt1)),
                                 Bytes(test::DdsFile(4, 4, gfx::FMT_DXT5, 1, false, dxt5)),
                                 Bytes(test::DdsFile(2, 2, 0, 1, true, argbCube))};
    for (size_t i = 0; i < std::size(files); ++i) {
        Seed("DdsReader", "dds" + std::to_string(i), files[i]);
        Seed("Image", "dds" + std::to_string(i), '\2' + files[i]);
    }
    Seed("Image", "tga", '\0' + test::TgaFile(2, 2, 0x80FF8000u));
    Seed("Image", "bmp", '\1' + test::BmpFile(3, 2, 0x804020));
}

void SoundSeeds() {
    std::vector<float> ramp(40);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<float>(i) / 40.0f;
    for (const char* reader : {"CSoundWave", "CSoundCache"}) {
        Seed(reader, "mono16", synth::Wave(1, 22050, 16, synth::Pcm16(ramp)));
        Seed(reader, "stereo8", synth::Wave(2, 11025, 8, std::string(20, '\x80')));
    }
    Seed("OGG_Stream", "mono", synth::OggVorbis(1, 8000, synth::Sine(1, 8000, 440.0f, 0.05f)));
}

void EffectFileSeeds() {
    plat::EffectDesc constant;
    constant.name = "bump";
    constant.duration = 200000;
    constant.axes = {0};
    constant.directions = {9000};
    constant.hasEnvelope = true;
    constant.envelope = {5000, 1000, 0, 2000};
    constant.magnitude = 8000;
    plat::EffectDesc spring;
    spring.name = "centre";
    spring.type = plat::EffectType::Spring;
    spring.axes = {0, 4};
    spring.directions = {0, 0};
    spring.conditions = {{0, 5000, 5000, 10000, 10000, 100}, {}};
    for (const char* reader : {"EffectFile", "ControllerEffects"})
        Seed(reader, "two", Bytes(plat::WriteEffectFile({constant, spring})));
}

// The demo game's own effects.
void EffectSeeds() {
    for (const auto& entry : fs::directory_iterator(fs::path(FURROW_SOURCE_DIR) / "data" / "fx")) {
        std::string file = test::ReadWholeFile(entry.path());
        for (const char* reader : {"Effect", "EEffectMgr"}) Seed(reader, entry.path().stem().string(), file);
    }
}

// Longer than the longest line buffer of the text readers (600 characters).
std::string LongText(char c) { return std::string(1100, c); }

// For each text reader, its own kind of line made too long, between lines it reads as usual.
void LongLineSeeds() {
    const std::string a = LongText('a');
    const std::pair<const char*, std::string> seeds[] = {
        {"EConsole", "Windowed 1\nscreenwidth " + a + "\n" + a + "\nDebug 1\n"},
        {"ERenderer", "texture grass.tga\nspecular " + a + "\ntexture " + a + "\nwater\n"},
        {"TextureSubstitutes", "texture grass.tga\nsubstitute " + a + "\ntexture " + a + "\nsubstitute b.tga\n"},
        {"ETextMgr", ">GameName " + a + "\n>" + a + " x\n>Short text\n"},
        {"WorldScan", "mesh " + a + "\n" + a + "\nmesh barn.x\n"},
        {"FileCacheManager", "\x10" + a + "\nshort\n" + a},
        {"Effect", "@param float4 g_" + a + "\n@technique " + a + "\n@pass\n"},
        {"EEffectMgr", "@param float4 g_" + a + "\n@technique " + a + "\n@pass\n"},
        {"ScriptInput", "1 keydown " + a + "\n2 keydown Up\n# " + a + "\n"},
        {"InputScript", "1 keydown " + a + "\n2 keydown Up\n# " + a + "\n"},
        {"ScriptLine", "\x03texture " + a + "\n" + a + " b c d\n"},
    };
    for (const auto& [reader, text] : seeds) Seed(reader, "long-lines", text);
}

void GameFileSeeds() {
    g_CommandMgr.BuildKeyNames();
    g_CommandMgr.SaveKeys();
    SeedWrittenFile("CCommandMgr", "save\\keys.cfg");
    g_ProfileMgr.ResetProfile(0);
    g_ProfileMgr.m_Profiles[0].m_bUsed = 1;
    g_ProfileMgr.SaveProfile(0);
    SeedWrittenFile("CProfileMgr", "save\\0.prf");
    g_D3DMain.SaveVideoConfig();
    SeedWrittenFile("D3DMain", "save\\video.cfg");

    FILE* f = plat::OpenFile("stream.bin", "wb");
    FileWriteString(f, "a short one");
    FileWriteString(f, "");
    FileWriteInt(f, -7);
    FileWriteBool(f, true);
    FileWriteDV(f, DV{1.0f, 2.0f, 3.0f});
    std::fclose(f);
    SeedWrittenFile("BinaryStream", "stream.bin");
}

// The binary form of the committed text seeds, as the mesh cache writes it (float and double
// precision), whole and cut short.
void XFileSeeds() {
    for (const char* name : {"cube.x", "frames.x"}) {
        const std::string text = test::ReadWholeFile(fs::path(FURROW_FIXTURES_DIR) / "fuzz" / "XFile" / name);
        std::vector<xfile::ExtendedMaterial> materials;
        std::shared_ptr<xfile::Mesh> mesh;
        if (gfx::Failed(xfile::LoadMeshFromXInMemory(reinterpret_cast<const uint8_t*>(text.data()), text.size(),
                                                     xfile::MESH_SYSTEMMEM, nullptr, materials, mesh)))
            continue;
        xfile::SaveMeshToX("seed.x", *mesh, nullptr, materials.data(), static_cast<uint32_t>(materials.size()),
                           xfile::FILEFORMAT_BINARY);
        SeedWrittenFile("XFile", "seed.x");
        std::vector<char> bytes;
        plat::ReadFileBytes("seed.x", bytes);
        std::string binary = Bytes(bytes);
        fs::rename(g_out / "XFile" / "written", g_out / "XFile" / (std::string(name) + ".bin"));
        fs::rename(g_out / "XFile" / "short", g_out / "XFile" / (std::string(name) + ".short.bin"));
        // The same tokens with their float lists widened to doubles.
        std::string wide = binary.substr(0, 12) + "0064";
        for (size_t at = 16; at + 2 <= binary.size();) {
            uint16_t token;
            std::memcpy(&token, binary.data() + at, 2);
            size_t length = 2;
            uint32_t count = 0;
            if (token == 1 || token == 2 || token == 6 || token == 7) std::memcpy(&count, binary.data() + at + 2, 4);
            if (token == 1) length = 6 + count;
            if (token == 2) length = 10 + count;
            if (token == 6) length = 6 + 4 * size_t{count};
            if (token == 7) {
                wide += binary.substr(at, 6);
                for (uint32_t i = 0; i < count; ++i) {
                    float f;
                    std::memcpy(&f, binary.data() + at + 6 + 4 * i, 4);
                    const double d = f;
                    wide.append(reinterpret_cast<const char*>(&d), 8);
                }
                at += 6 + 4 * size_t{count};
                continue;
            }
            wide += binary.substr(at, length);
            at += length;
        }
        Seed("XFile", std::string(name) + ".64.bin", wide);
    }
}

// The demo characters as the character tool writes them: the driver's and the hen's models and
// a clip of each, whole and cut short.
void SkinnedSeeds() {
    const characters::Model driver = characters::Driver();
    const std::string text = driver.XText();
    Seed("SkinMeshHierarchy", "driver.x", text);
    Seed("SkinMeshHierarchy", "driver.short.x", text.substr(0, text.size() / 2));
    Seed("SkinMeshHierarchy", "hen.x", characters::Hen().XText());
    const strSkinMeshAnimation idle = characters::DriverIdle(driver);
    Save_Animation_To_Bin_File(&idle, "idle.bin");
    SeedWrittenFile("ESkinMeshAnimation", "idle.bin");
}

// An input of several files: its parts joined by NUL, as fuzz::InputFiles cuts them.
std::string Joined(std::initializer_list<std::string> parts) {
    std::string out;
    for (const std::string& part : parts) out += (out.empty() ? "" : std::string(1, '\0')) + part;
    return out;
}

// The demo's font lists; the demo ragdoll's death folder; a hen's clip descriptions, sockets,
// collision and physics elements; two blood-drop lists.
void SeveralFileSeeds() {
    const fs::path fonts = fs::path(FURROW_SOURCE_DIR) / "data" / "misc" / "fonts";
    Seed("CTTFonts", "demo", Joined({test::ReadWholeFile(fonts / "names.txt"), test::ReadWholeFile(fonts / "faces.txt")}));
    Seed("ECharacterRagDoll", "demo",
         Joined({ragdoll::Particles(), ragdoll::DistanceConstraints(), ragdoll::SelfCollisionConstraints()}));
    Seed("ESkinMeshBase", "hen",
         Joined({"walk 0 180 0 1.0\nidle 10 20 30 0.5\n", "beak_tip Bone_beak 1 2 3 0 90 0\n",
                 "sphere head\nhit_zone_name glowa\nnode_name Bone_head\nradius 0.2\n"
                 "cylinder neck\nhit_zone_name szyja\nstart_node_name Bone_neck\nfinish_node_name Bone_head\n"
                 "thickness 0.1\nmesh body\ntie_node_name Bone_body\nprefab_filename prefabs\\box.x\n"
                 "translation 0 1 2\nrotation 0 90 0\n",
                 "Bone_head 2 0.3 glowa\nBone_body 1 0.5 tulow\n"}));
    Seed("EFXMgrBloodDrops", "lists",
         Joined({"// drops\nblood1.tga\n\n  blood2.tga  \n", "// on the ground\nstain.tga\n"}));
}

// The name prefixes and a skinned instance's state with its ragdoll, as the game writes them.
void SavedStateSeeds() {
    g_Engine.SaveNamePrefixes();
    SeedWrittenFile("EEngineNamePrefixes", "save\\NamePrefixes.cfg");
    FILE* f = plat::OpenFile("state.bin", "wb");
    fuzz::SavedStateModel().SaveState(f);
    std::fclose(f);
    SeedWrittenFile("ESkinMeshState", "state.bin");
}

// A grass cache of a crop kind with three plants and a block of two tufts, whole and cut short.
void GrassCacheSeeds() {
    g_PlantMgr.Release();
    g_PlantMgr.m_dwGrass = 1;
    GrassKind& k = g_PlantMgr.m_Grass[0];
    std::snprintf(k.m_szName, sizeof k.m_szName, "zboze.tga");
    std::snprintf(k.m_szMeshes[0], sizeof k.m_szMeshes[0], "pole01");
    k.m_dwMeshes = 1;
    k.m_bCrop = k.m_bHasPlants = 1;
    k.m_Szer = k.m_Wys = 2;
    k.WTabeli = 4;
    k.dwGrassesDefined = 3;
    k.pPlants = std::make_unique<Plant[]>(3);
    for (uint32_t i = 0; i < 3; ++i) k.pPlants[i] = Plant{DV{float(i), 0, 1}, DV{0, 1, 0}, 1, {}, {0x04, 0x84}, {0, 0, 200}};
    TerrainGrass& t = g_PlantMgr.m_TGrass;
    t.m_dwTextures = 1;
    std::snprintf(t.m_szTextures[0], sizeof t.m_szTextures[0], "grass.tga");
    t.m_fMaxX = t.m_fMaxZ = 150;
    t.m_fCell = 1.4f;
    t.dwSzer = t.dwWys = 108;
    t.dwTPlants = 2;
    t.pTPlants = std::make_unique<TPlant[]>(2);
    const std::string bytes = Bytes(g_PlantMgr.CacheBytes());
    Seed("GrassCache", "written", bytes);
    Seed("GrassCache", "short", bytes.substr(0, bytes.size() / 2));
    g_PlantMgr.Release();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 1;
    }
    g_out = argv[1];
    fuzz::StartDirectory();
    DdsSeeds();
    SoundSeeds();
    EffectFileSeeds();
    EffectSeeds();
    LongLineSeeds();
    GameFileSeeds();
    XFileSeeds();
    SkinnedSeeds();
    GrassCacheSeeds();
    SeveralFileSeeds();
    SavedStateSeeds();
    return 0;
}
