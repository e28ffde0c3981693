#pragma once
// The demo game's models as the build made them: copied into a test's start directory and
// loaded twice through the mesh manager, the second time from their optimised copies.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/ESettings.h"
#include "mesh/EMeshMgr.h"

namespace test {

// Copies the models, textures and scripts of build/game below dir; the models' game paths.
inline std::vector<std::string> CopyDemoModels(const std::filesystem::path& dir) {
    namespace fs = std::filesystem;
    const fs::path game = FURROW_GAME_DIR;
    for (const char* folder : {"prefabs", "textures", "scripts"})
        fs::copy(game / folder, dir / folder, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    std::vector<std::string> models;
    for (const auto& entry : fs::recursive_directory_iterator(dir / "prefabs")) {
        const std::string relative = fs::relative(entry.path(), dir).string();
        if (entry.path().extension() != ".x" || entry.path().filename() == "x_file_header.x") continue;
        std::string gamePath = relative;
        for (char& c : gamePath)
            if (c == '/') c = '\\';
        models.push_back(gamePath);
    }
    return models;
}

// Loads every model twice with UseOPT set; the second round must come from "!opt\".
inline void LoadDemoModelsTwice(const std::vector<std::string>& models) {
    g_Settings.m_bUseOPT = 1;
    for (int round = 0; round < 2; ++round) {
        g_MeshMgr.ReleaseAll();
        for (const std::string& model : models) {
            const strmesh* record = g_MeshMgr.GetRecord(g_MeshMgr.GetMesh(model.c_str()));
            ASSERT_NE(record, nullptr) << model;
            EXPECT_EQ(record->m_bFromCache, round) << model;
            EXPECT_GT(record->m_pMesh->GetNumFaces(), 0u) << model;
        }
    }
}

}  // namespace test
