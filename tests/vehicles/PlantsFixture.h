#pragma once
// Plants on fixture fields: the engine with collision wired on the recording device, textures for
// the fields and the plants, flat and steep field models, a grass script for the world
// "worlds\test.w", and the random generator seeded.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/os/Random.h"
#include "render/ERenderer.h"
#include "support/TextureFiles.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/FieldModels.h"
#include "world/CollisionFixture.h"
#include "world/EngineFixture.h"

namespace test {

class PlantsTest : public EngineTest {
protected:
    static constexpr const char* kWorld = "worlds\\test.w";
    static constexpr const char* kCache = "worlds\\test.w.grs";

    void SetUp() override {
        EngineTest::SetUp();
        InstallCollisionHooks();
        ResetGlobal(g_PlantMgr);
        for (const char* texture : {"field.tga", "grass.tga", "zboze.tga", "trawa.tga", "spr_trawa00.tga"})
            WriteFile(std::string("textures\\") + texture, TgaFile(2, 2, 0xFF80A040u));
        WriteFile("m\\field.x", QuadModel(-20, -20, 20, 20, 0, 0, "field.tga"));
        g_Renderer.InitTextures();
        // The world's folder, where its placement cache goes.
        WriteFile(kWorld, "");
        std::snprintf(g_Engine.m_szStartingWorld, sizeof g_Engine.m_szStartingWorld, "%s", kWorld);
        plat::SeedRandom(11);
    }
    void TearDown() override {
        g_PlantMgr.Release();
        ResetGlobal(g_PlantMgr);
        EngineTest::TearDown();
        RemoveCollisionHooks();
    }

    // A field of the model's shape, where its name says.
    static EObjectSlot* Field(const char* name, DV at = {}, const char* model = "m\\field.x") {
        return AddMesh(name, at, model);
    }

    // The world's grass script: a "world" line, then the lines given.
    void Script(const std::string& lines, const char* file = "scripts\\grass\\test.txt") const {
        WriteFile(file, std::string("world ") + kWorld + "\n" + lines);
    }

    // A wheat kind on the field named, at the density and jitter given.
    static std::string Wheat(const char* field, float density = 1.0f, float jitter = 0.0f) {
        char text[256];
        std::snprintf(text, sizeof text, "grows zboze.tga\ncrop\nwidth 1.0\nheight 1.2\ndensity %g\nrandom_seed %g\nmesh %s\n",
                      density, jitter, field);
        return text;
    }

    // The script read and the plants placed from a fresh start of the generator; the placement
    // cache of an earlier placement is removed first unless it is to be read.
    void Grow(uint32_t seed = 11, bool keepCache = false) const {
        if (!keepCache) std::filesystem::remove(Path(kCache));
        g_PlantMgr.Release();
        g_PlantMgr.LoadGrass();
        plat::SeedRandom(seed);
        g_PlantMgr.CreateGrass();
    }
};

}  // namespace test
