#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "CollisionTest.h"
#include "collision/ECollisionMgr.h"
#include "collision/ECollisionObject.h"
#include "collision/ERigidBodySimulation.h"
#include "collision/Matrix3d.h"
#include "collision/RigidBodyHooks.h"
#include "collision/RigidBodyParametersMgr.h"
#include "platform/os/Files.h"

namespace test {
namespace {

constexpr const char* kDir = "!opt\\rigid_body_physics_parameters\\";

// A whole parameter file of a two-vertex mesh; pieces of it make the damaged ones.
std::string ParameterFile(const std::string& name) {
    return "mesh_filename " + name +
           "\n \n"
           "ibody_row 0 2.0 0.0 0.0\nibody_row 1 0.0 3.0 0.0\nibody_row 2 0.0 0.0 4.0\n \n"
           "ibodyinv_row 0 0.5 0.0 0.0\nibodyinv_row 1 0.0 0.333 0.0\nibodyinv_row 2 0.0 0.0 0.25\n \n"
           "num_old_vertices 2\nnum_new_vertices 1\n \n"
           "map_new_vertices_to_old 0 1\n \n"
           "map_old_vertices_to_new 0 0\nmap_old_vertices_to_new 1 0\n \n \n";
}

class RigidBodyParametersMgrTest : public CollisionTest {
protected:
    void SetUp() override {
        CollisionTest::SetUp();
        ResetGlobal(g_RigidBodyParametersMgr);
        ResetGlobal(g_RigidBodySimulation);
        s_test = this;
        g_RigidBodyHooks.createMeshObject = [](const char* file, const char*, const DV&, const double*, const DV&,
                                               uint32_t, uint32_t) -> EObjectSlot* {
            if (std::string(file).find("missing") != std::string::npos) return nullptr;
            ++s_test->m_made;
            s_test->m_lastFile = file;
            return s_test->AddMesh(Cube(0.5f), pmath::Identity()).Handle();
        };
        g_RigidBodyHooks.objectFacts = [](EObjectSlot*, RigidBodyObjectFacts* out) {
            out->isMesh = true;
            out->meshFileName = s_test->m_lastFile.c_str();
            return true;
        };
        g_RigidBodyHooks.deleteObject = [](EObjectSlot* o) {
            g_CollisionMgr.RemoveObject(o);
            ++s_test->m_deleted;
        };
    }
    void TearDown() override {
        ResetGlobal(g_RigidBodyParametersMgr);
        ResetGlobal(g_RigidBodySimulation);
        g_RigidBodyHooks = RigidBodyHooks{};
        CollisionTest::TearDown();
    }

    static inline RigidBodyParametersMgrTest* s_test = nullptr;
    int m_made = 0;
    int m_deleted = 0;
    std::string m_lastFile;
};

TEST_F(RigidBodyParametersMgrTest, FileNamesDropOnlyTheFinalExtension) {
    const struct {
        const char* mesh;
        const char* file;
    } cases[] = {
        {"prefabs\\special\\box.x", "prefabs_special_box.txt"},
        {".\\models\\a.x", "._models_a.txt"},
        {"v1.2\\a.x", "v1.2_a.txt"},
        {"v1.2\\a", "v1.2_a.txt"},
        {"a.b.x", "a.b.txt"},
        {"dir/x y.x", "dir/x y.txt"},
    };
    for (const auto& c : cases) {
        char out[512];
        ASSERT_TRUE(RigidBodyParametersMgr::FileNameOf(c.mesh, out, sizeof out));
        EXPECT_EQ(std::string(out), std::string(kDir) + c.file) << c.mesh;
    }
}

TEST_F(RigidBodyParametersMgrTest, LoadsAWholeFileWithRowsClampedAndStrayMapLinesIgnored) {
    std::string text = ParameterFile("prefabs\\my box.x");
    text += "ibody_row 7 7.0 8.0 9.0\nibody_row -1 1.0 1.5 1.25\n";
    text += "map_old_vertices_to_new 5 0\nmap_new_vertices_to_old 0 9\n";
    WriteFile("p.txt", text);
    ASSERT_TRUE(g_RigidBodyParametersMgr.LoadFile("p.txt"));
    const RigidBodyParametersEntry& e = g_RigidBodyParametersMgr.m_Entries[0];
    EXPECT_STREQ(e.mesh_filename, "prefabs\\my box.x");
    EXPECT_DOUBLE_EQ(e.ibody[0], 1.0);
    EXPECT_DOUBLE_EQ(e.ibody[1], 1.5);
    EXPECT_DOUBLE_EQ(e.ibody[6], 7.0);
    EXPECT_DOUBLE_EQ(e.ibody[8], 9.0);
    EXPECT_DOUBLE_EQ(e.ibodyinv[4], 0.333);
    ASSERT_EQ(e.num_old_vertices, 2u);
    ASSERT_EQ(e.num_new_vertices, 1u);
    EXPECT_EQ(e.map_new_to_old[0], 1u);
    EXPECT_EQ(e.map_old_to_new[1], 0u);
    // The name with its blank is found whole.
    RigidBodyParametersEntry* found = nullptr;
    EXPECT_TRUE(g_RigidBodyParametersMgr.GetParameters("PREFABS\\MY BOX.X", &found));
    EXPECT_EQ(found, &e);
    EXPECT_EQ(m_made, 0);
}

TEST_F(RigidBodyParametersMgrTest, RefusesFilesCutShortOrDamaged) {
    const std::string whole = ParameterFile("m.x");
    const std::string cut = whole.substr(0, whole.find("map_old_vertices_to_new 1"));
    auto replace = [&](const std::string& from, const std::string& to) {
        std::string s = whole;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"cut before the last map line", cut},
        {"no name", replace("mesh_filename m.x", "")},
        // No look-up could ever find an entry of no name: it would only fill a slot.
        {"an empty name", replace("mesh_filename m.x", "mesh_filename")},
        {"a name of blanks", replace("mesh_filename m.x", "mesh_filename   ")},
        {"a missing row", replace("ibody_row 1 0.0 3.0 0.0", "")},
        {"a value that does not read", replace("0.333", "zero")},
        {"a count past the vertex limit", replace("num_old_vertices 2", "num_old_vertices 70000")},
        {"a negative count", replace("num_new_vertices 1", "num_new_vertices -1")},
        {"a name longer than 255", replace("m.x", std::string(256, 'n'))},
        {"a line longer than the line buffer", whole + "x" + std::string(6000, 'y') + "\n"},
        {"an empty file", ""},
    };
    for (const auto& c : cases) {
        WriteFile("p.txt", c.text);
        EXPECT_FALSE(g_RigidBodyParametersMgr.LoadFile("p.txt")) << c.what;
        EXPECT_EQ(g_RigidBodyParametersMgr.m_uCount, 0u) << c.what;
    }
}

TEST_F(RigidBodyParametersMgrTest, ASecondCountLineReplacesTheMap) {
    WriteFile("p.txt", ParameterFile("m.x") + "num_old_vertices 3\nmap_old_vertices_to_new 0 0\n"
                                              "map_old_vertices_to_new 1 0\nmap_old_vertices_to_new 2 0\n");
    ASSERT_TRUE(g_RigidBodyParametersMgr.LoadFile("p.txt"));
    EXPECT_EQ(g_RigidBodyParametersMgr.m_Entries[0].num_old_vertices, 3u);
}

TEST_F(RigidBodyParametersMgrTest, AUnitCubeGetsItsTensorAndWeldedVertices) {
    g_RigidBodyParametersMgr.Init();
    RigidBodyParametersEntry* e = nullptr;
    ASSERT_TRUE(g_RigidBodyParametersMgr.GetParameters("prefabs\\cube.x", &e));
    EXPECT_EQ(m_made, 1);
    EXPECT_EQ(m_deleted, 1);
    EXPECT_TRUE(Exists(std::string(kDir) + "prefabs_cube.txt"));
    // A solid unit cube about its centre: 1/6 on the diagonal, nothing off it.
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            EXPECT_NEAR(e->ibody[i * 3 + j], i == j ? 1.0 / 6 : 0.0, 0.012) << i << j;
            EXPECT_DOUBLE_EQ(e->ibody[i * 3 + j], e->ibody[j * 3 + i]);
        }
    double product[9];
    Multiply3(e->ibody, e->ibodyinv, product);
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(product[i], i % 4 == 0 ? 1.0 : 0.0, 1e-9);
    // 36 corners of 12 split triangles weld into the cube's 8.
    EXPECT_EQ(e->num_old_vertices, 36u);
    ASSERT_EQ(e->num_new_vertices, 8u);
    for (uint32_t i = 0; i < 36; ++i) EXPECT_LT(e->map_old_to_new[i], 8u);
    for (uint32_t j = 0; j < 8; ++j) EXPECT_EQ(e->map_old_to_new[e->map_new_to_old[j]], j);
}

TEST_F(RigidBodyParametersMgrTest, AFileOfAnotherMeshIsRecomputedAndRewritten) {
    WriteFile(std::string(kDir) + "v1_a.txt", ParameterFile("v1\\a.y"));
    EXPECT_EQ(g_RigidBodyParametersMgr.Init(), 1u);
    RigidBodyParametersEntry* e = nullptr;
    ASSERT_TRUE(g_RigidBodyParametersMgr.GetParameters("v1\\a.x", &e));
    EXPECT_EQ(m_made, 1);
    EXPECT_STREQ(e->mesh_filename, "v1\\a.x");
    EXPECT_EQ(g_RigidBodyParametersMgr.m_uCount, 2u);
    EXPECT_EQ(ReadLines(std::string(kDir) + "v1_a.txt").at(0), "mesh_filename v1\\a.x");
}

TEST_F(RigidBodyParametersMgrTest, AMeshThatCannotBeMadeFailsWithItsMessage) {
    EXPECT_FALSE(g_RigidBodyParametersMgr.GetParameters("missing.x", nullptr));
    double ibody[9];
    EXPECT_FALSE(g_RigidBodyParametersMgr.GetInertiaTensors("missing.x", ibody, nullptr));
    EXPECT_EQ(g_RigidBodyParametersMgr.m_uCount, 0u);
    EXPECT_TRUE(Logged("ERROR in ComputeAndSaveInertiaTensor(): mesh creation failed: missing.x"));
}

TEST_F(RigidBodyParametersMgrTest, InitMakesTheDirectoryAndStopsAtTheTableSize) {
    EXPECT_EQ(g_RigidBodyParametersMgr.Init(), 0u);
    EXPECT_TRUE(plat::DirectoryExists("!opt\\rigid_body_physics_parameters"));
    for (int i = 0; i < 201; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "%sm%03d.txt", kDir, i);
        WriteFile(name, ParameterFile("m" + std::to_string(i)));
    }
    WriteFile(std::string(kDir) + "a_broken.txt", "mesh_filename broken\n");
    EXPECT_EQ(g_RigidBodyParametersMgr.Init(), 200u);
    EXPECT_EQ(g_RigidBodyParametersMgr.m_uCount, 200u);
    EXPECT_TRUE(Logged("Problem with Inertia Tensor file: !opt\\rigid_body_physics_parameters\\a_broken.txt"));
    EXPECT_TRUE(Logged("ERROR in RigidBodyParametersMgr: Init(): MAX_FILES_WITH_PARAMETERS exceeded!"));
}

TEST_F(RigidBodyParametersMgrTest, WorldStartReloadsTheCacheAndWorldEndEmptiesIt) {
    WriteFile(std::string(kDir) + "m.txt", ParameterFile("m.x"));
    EXPECT_TRUE(g_RigidBodySimulation.Init());
    EXPECT_EQ(g_RigidBodyParametersMgr.m_uCount, 1u);
    WriteFile(std::string(kDir) + "n.txt", ParameterFile("n.x"));
    g_RigidBodySimulation.Init();
    EXPECT_EQ(g_RigidBodyParametersMgr.m_uCount, 2u);
    g_RigidBodySimulation.Shutdown();
    EXPECT_EQ(g_RigidBodyParametersMgr.m_uCount, 0u);
    EXPECT_TRUE(g_RigidBodySimulation.m_bInitialised);
}

TEST_F(RigidBodyParametersMgrTest, LoadGameSkipsASavedBodyAndKeepsInStep) {
    int object = 0;
    EObjectSlot* o = reinterpret_cast<EObjectSlot*>(&object);
    std::string bytes(1, '\0');
    bytes += '\1';
    bytes += std::string(ERigidBodySimulation::kSavedBodyBytes, 'x');
    bytes += 'E';
    WriteFile("state.bin", bytes);
    FILE* f = plat::OpenFile("state.bin", "rb");
    ASSERT_TRUE(f);
    g_RigidBodySimulation.LoadGame(o, "crate", f);
    EXPECT_EQ(std::ftell(f), 1);
    EXPECT_FALSE(Logged("ERROR in ERigidBodySimulation::LoadGame()"));
    g_RigidBodySimulation.LoadGame(o, "crate", f);
    EXPECT_EQ(std::fgetc(f), 'E');
    std::fclose(f);
    EXPECT_TRUE(Logged("obiekt <crate> ma zapisana fizyke i musze ja odczytac, ale"));
    EXPECT_TRUE(Logged("nie mam dokad zapisac tych parametrow!"));
}

}  // namespace
}  // namespace test
