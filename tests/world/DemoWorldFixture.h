#pragma once
// The demo world as the built game has it (models, world, paths and scripts copied from the
// assembled game), loaded into the engine with the collision subsystem wired, so that segment
// queries meet its objects where they stand.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "world/CollisionFixture.h"
#include "world/EFenceGenerator.h"
#include "world/IntersectFilters.h"
#include "world/WorldFixture.h"

namespace test {

class DemoWorldTest : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        InstallCollisionHooks();
        ResetGlobal(g_FenceGenerator);
        for (const char* folder : {"prefabs", "worlds", "scripts", "afx"})
            std::filesystem::copy(std::filesystem::path(FURROW_GAME_DIR) / folder, m_dir.path() / folder,
                                  std::filesystem::copy_options::recursive |
                                      std::filesystem::copy_options::overwrite_existing);
        ASSERT_TRUE(g_WorldMgr.LoadWorld(World()));
    }
    // The demo world loaded; the meadow unless a fixture says otherwise.
    virtual const char* World() const { return "worlds\\meadow.w"; }
    void TearDown() override {
        WorldTest::TearDown();
        RemoveCollisionHooks();
        ResetGlobal(g_FenceGenerator);
    }

    static EObjectSlot* Object(const char* name) { return g_Engine.FindObject(name, false); }

    // The box round every hedge bank of the world: what a machine inside can reach at most.
    static void BankBox(DV* low, DV* high) {
        *low = DV{1e9f, 1e9f, 1e9f};
        *high = DV{-1e9f, -1e9f, -1e9f};
        for (const EObjectSlot& o : g_Engine.m_Objects) {
            const EMesh* mesh = o.m_bUsed ? o.Mesh() : nullptr;
            if (!mesh || !std::strstr(mesh->m_szFileName, "hedge_bank")) continue;
            *low = DV{std::min(low->x, mesh->m_vWorldMin.x), 0, std::min(low->z, mesh->m_vWorldMin.z)};
            *high = DV{std::max(high->x, mesh->m_vWorldMax.x), 0, std::max(high->z, mesh->m_vWorldMax.z)};
        }
    }
    // True when level rays from the point, at a wheel's and at a cab's height, meet the static
    // level inside the banks' box in every direction: a machine there cannot drive out.
    static bool Enclosed(const DV& at, std::string* way) {
        DV low, high;
        BankBox(&low, &high);
        for (float height : {0.5f, 2.0f})
            for (int degrees = 0; degrees < 360; degrees += 5) {
                const float a = static_cast<float>(degrees) * 3.14159265f / 180.0f;
                const DV from{at.x, height, at.z};
                const DV to = from + DV{std::sin(a), 0, std::cos(a)} * 600.0f;
                SegmentQuery query;
                query.m_pStart = &from;
                query.m_pEnd = &to;
                query.m_pFilter = IntersectFilterFlagged;
                SegmentHit hit;
                const bool met = g_IntersectSegment.Intersect(&query, &hit);
                if (!met || hit.m_vPoint.x < low.x || hit.m_vPoint.x > high.x || hit.m_vPoint.z < low.z ||
                    hit.m_vPoint.z > high.z) {
                    *way = "open towards " + std::to_string(degrees) + " degrees at height " + std::to_string(height);
                    return false;
                }
            }
        return true;
    }
    // The lines of a text file below the start directory whose first word is the keyword, without it.
    std::vector<std::string> Values(const std::string& file, const std::string& keyword) const {
        std::vector<std::string> values;
        for (const std::string& line : ReadLines(file))
            if (line.rfind(keyword + " ", 0) == 0) values.push_back(line.substr(keyword.size() + 1));
        return values;
    }
};

}  // namespace test
