#pragma once
// The joints that tie pairs of rigid bodies (or a body and a fixed object) together at points
// given by mesh sockets, and the joint pass the simulation runs before and after stepping.
#include <cstdint>

#include "collision/ERigidBodyGauss.h"

class EObjectSlot;
class ERigidBodyPhysics;

struct RigidBodyJoint {
    uint8_t m_bUsed = 0;
    uint8_t m_bAwake = 0;
    // Only kind 0, a point joint, is acted on.
    uint32_t m_uKind = 0;
    double m_dParam[2] = {};
    // The sockets' positions in the objects' own coordinates.
    double m_AnchorA[3] = {};
    double m_AnchorB[3] = {};
    // The anchors and axes in the world, recomputed by each pass.
    double m_WorldAnchorA[3] = {};
    double m_WorldAnchorB[3] = {};
    double m_AxisA[3] = {0, 0, 1};
    double m_AxisB[3] = {0, 0, -1};
    double m_WorldAxisA[3] = {};
    double m_WorldAxisB[3] = {};
    ERigidBodyPhysics* m_pBodyA = nullptr;
    ERigidBodyPhysics* m_pBodyB = nullptr;
    EObjectSlot* m_hObjectA = nullptr;
    EObjectSlot* m_hObjectB = nullptr;
    // The joint's point (midway between the world anchors) and normal (from A's anchor to B's).
    double m_Point[3] = {};
    double m_Normal[3] = {};
    double m_dLastImpulse = 0;
};

class ERigidBodyJointsMgr {
public:
    static constexpr uint32_t MAX_RIGIDBODY_JOINTS = 1000;

    // Joins two objects at their sockets; refused when neither has a body, when the objects are
    // the same or both null, when the table is full, or when a body's joint list is full.
    void AddJoint(EObjectSlot* a, const char* socketA, EObjectSlot* b, const char* socketB, uint32_t kind,
                  double param, const char* axisSocketA, const char* axisSocketB);
    // Frees every joint of the object and takes it out of its bodies' lists.
    void RemoveBodyJoints(EObjectSlot* object);
    // The joint pass.
    void Update();
    // Impulses for all point joints of each group of joined bodies at once, from one linear system
    // per group: three rows a joint, the relative velocity of its two anchors along the world axes,
    // set to close the joint's gap over dt but no faster than a limit along each axis. An asleep
    // body or a fixed object stands still; a group of more than kMaxGroupJoints joints is left
    // as it is. The joint pass does not call it; the number of groups solved.
    uint32_t SolveJointGroups(double dt);
    // Three rows a joint within what the linear solver takes.
    static constexpr uint32_t kMaxGroupJoints = (ERigidBodyGauss::MAX_RIGIDBODYGAUSS_N - 1) / 3;
    uint32_t CountUsed() const;

    RigidBodyJoint m_Joints[MAX_RIGIDBODY_JOINTS];
    // Set by the simulation around the passes it runs; the positional step runs only then.
    uint8_t m_bInFrame = 0;

private:
    void Free(RigidBodyJoint& joint);
    void UpdateWorldAnchors(RigidBodyJoint& joint);
    void ApplyJointImpulse(RigidBodyJoint& joint);
    void PullAnchorsTogether(RigidBodyJoint& joint);
    void MoveBodiesToJoints();
    void DampBody(ERigidBodyPhysics* body);
    bool SolveGroup(const uint16_t* members, uint32_t count, double dt);
};

extern ERigidBodyJointsMgr g_RigidBodyJointsMgr;
