#include "collision/ERigidBodyJointsMgr.h"

#include "collision/ERigidBodyPhysics.h"

ERigidBodyJointsMgr g_RigidBodyJointsMgr;

namespace {

// Takes the joint out of a body's list: the places after it move one forward.
void Unlist(ERigidBodyPhysics* body, const RigidBodyJoint* joint) {
    if (!body) return;
    RigidBodyJoint** list = body->m_pJoints;
    for (int i = 0; i < ERigidBodyPhysics::kMaxJoints; ++i) {
        if (list[i] != joint) continue;
        for (int k = i; k + 1 < ERigidBodyPhysics::kMaxJoints; ++k) list[k] = list[k + 1];
        list[ERigidBodyPhysics::kMaxJoints - 1] = nullptr;
        return;
    }
}

}  // namespace

void ERigidBodyJointsMgr::Free(RigidBodyJoint& joint) {
    Unlist(joint.m_pBodyA, &joint);
    Unlist(joint.m_pBodyB, &joint);
    joint = RigidBodyJoint{};
}

void ERigidBodyJointsMgr::RemoveBodyJoints(EObjectSlot* object) {
    if (!object) return;
    for (RigidBodyJoint& joint : m_Joints)
        if (joint.m_bUsed && (joint.m_hObjectA == object || joint.m_hObjectB == object)) Free(joint);
}

uint32_t ERigidBodyJointsMgr::CountUsed() const {
    uint32_t n = 0;
    for (const RigidBodyJoint& joint : m_Joints) n += joint.m_bUsed;
    return n;
}
