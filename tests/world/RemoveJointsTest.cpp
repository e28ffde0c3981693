// An object's joints in the engine's own rigid-body simulation go when it dies with its
// remove-joints word, and when an action names it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "collision/ERigidBodyJointsMgr.h"
#include "world/EEngineObject.h"
#include "world/WorldFixture.h"

namespace {

using test::WorldTest;

class RemoveJoints : public WorldTest {
protected:
    void TearDown() override {
        test::ResetGlobal(g_RigidBodyJointsMgr);
        WorldTest::TearDown();
    }
    // A joint of the object with a fixed partner, as a body's joint is kept.
    void Join(EObjectSlot* object) {
        RigidBodyJoint& joint = g_RigidBodyJointsMgr.m_Joints[0];
        joint.m_bUsed = 1;
        joint.m_hObjectA = object;
    }
    std::vector<EObjectSlot*> Objects() {
        std::vector<EObjectSlot*> out;
        for (EObjectSlot& o : g_Engine.m_Objects)
            if (o.m_bUsed) out.push_back(&o);
        return out;
    }
};

TEST_F(RemoveJoints, DeathWithTheRemoveJointsWordFreesTheObjectsJoints) {
    ASSERT_TRUE(LoadWorld({"mesh prefabs\\box.x", "death_params_1 1 0 0 0 0 0 0 0 0 1 100", "mesh prefabs\\box.x",
                           "death_params_1 1 0 0 0 0 0 0 0 0 0 100"}));
    const std::vector<EObjectSlot*> objects = Objects();
    ASSERT_EQ(objects.size(), 2u);
    Join(objects[1]);
    g_EngineObject.HandleDeath(objects[1]);
    EXPECT_EQ(g_RigidBodyJointsMgr.CountUsed(), 1u);
    Join(objects[0]);
    g_EngineObject.HandleDeath(objects[0]);
    EXPECT_EQ(g_RigidBodyJointsMgr.CountUsed(), 0u);
}

TEST_F(RemoveJoints, AnActionFreesTheJointsOfTheObjectItNames) {
    ASSERT_TRUE(LoadWorld({"mesh prefabs\\box.x", "mesh prefabs\\box.x", "action_general_opt 1 0"}));
    const std::vector<EObjectSlot*> objects = Objects();
    ASSERT_EQ(objects.size(), 2u);
    std::snprintf(objects[0]->m_szName, sizeof objects[0]->m_szName, "crate");
    std::snprintf(objects[1]->m_pActionParams->m_szRemoveJointsFor,
                  sizeof objects[1]->m_pActionParams->m_szRemoveJointsFor, "crate");
    Join(objects[0]);
    g_EngineObject.UpdateObjectActions(objects[1], false);
    EXPECT_EQ(g_RigidBodyJointsMgr.CountUsed(), 0u);
}

}  // namespace
