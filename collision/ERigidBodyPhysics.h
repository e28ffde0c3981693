#pragma once
// One rigid body of the engine's own simulation: a mesh object with a mass, an inertia tensor, a
// state and a hull of particles and triangles that is tested against the world's faces.
#include <cstdint>
#include <vector>

#include "collision/ECollisionMgr.h"
#include "collision/Vec3d.h"
#include "mesh/MeshParams.h"

class EObjectSlot;
class ECollisionObject;
struct RigidBodyJoint;

// The state of a body, 65 doubles.
struct RigidBodyState {
    double t = 0;
    double mass = 0;
    double Ibody[9] = {};
    double Ibodyinv[9] = {};
    Vec3d x;
    // Orientation quaternion (x, y, z, w).
    double q[4] = {0, 0, 0, 1};
    Vec3d P;
    Vec3d L;
    double R[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    double Iinv[9] = {};
    Vec3d v;
    Vec3d omega;
    // Kinetic energies before the last collision response: linear and rotational.
    double linearEnergy = 0;
    double rotationalEnergy = 0;
    Vec3d force;
    Vec3d torque;
};

// The faces an owner of several bodies gathered for them.
struct RigidBodyOwnerFaces {
    const CollisionTriangle* triangles = nullptr;
    uint32_t count = 0;
};

class ERigidBodyPhysics;

// A point where a body touches the world or another body.
struct RigidBodyContact {
    // 2 edge/edge, otherwise vertex/face.
    uint32_t kind = 1;
    // A is the body that found the contact; B the body it touches, or null for a fixed object.
    ERigidBodyPhysics* a = nullptr;
    ERigidBodyPhysics* b = nullptr;
    Vec3d p;
    // Pointing from B towards A.
    Vec3d n;
    Vec3d ea;
    Vec3d eb;
    double dVrel = 0;
};

struct RigidBodyContactReport {
    static constexpr uint32_t kMaxContacts = 100;
    uint32_t count = 0;
    RigidBodyContact contacts[kMaxContacts];
};

// A face of the world near the body, with the body that carries it (null for a fixed object).
struct RigidBodyFace {
    Vec3d corners[3];
    Vec3d normal;
    DV min;
    DV max;
    EObjectSlot* object = nullptr;
    ERigidBodyPhysics* body = nullptr;
};

class ERigidBodyPhysics {
public:
    static constexpr int kMaxJoints = 50;
    static constexpr uint32_t kMaxFaces = 1000;
    // Gravity in the world's length unit: 64 units to the metre.
    static constexpr double kGravity = -9.81 * 64.0;
    enum Kind : uint32_t { NONE = 0, BOX = 1, CYLINDER = 2, SPHERE = 3, HULL = 4 };

    ERigidBodyPhysics() = default;
    ~ERigidBodyPhysics() { Release(); }
    ERigidBodyPhysics(const ERigidBodyPhysics&) = delete;
    ERigidBodyPhysics& operator=(const ERigidBodyPhysics&) = delete;

    // Makes the body of a mesh object; false when the object has no body kind or its helper object
    // cannot be made. The body starts valid and asleep.
    bool Create(EObjectSlot* object);
    // Frees the hull and deletes the helper object.
    void Release();
    // Takes a state: velocity, rotation and world inverse inertia follow from it.
    void SetNewState(const RigidBodyState& state);
    void ApplyImpulse(const Vec3d& point, const Vec3d& impulse);
    void Activate();
    void Sleep();
    // The nearest hull triangle the segment crosses gets the impulse there; false when none.
    bool HitBySegment(const Vec3d& start, const Vec3d& end, const Vec3d& impulse);
    // Places the helper object and the engine object where the body is, and keeps its own sound
    // going (again after its silence) and following it.
    void WriteBack();
    // Diagonal inertia tensors of the kinds with sizes.
    static void BoxInertia(double m, double a, double b, double c, double* ibody);
    static void CylinderInertia(double m, double radius, double height, double* ibody);
    static void SphereInertia(double m, double a, double b, double c, double* ibody);

    // Explicit Euler with step doubling from t0 to t1 into out; the body's own state is kept.
    // With the adaptive switch the step shortens where the two results differ; out->t tells how
    // far it went.
    void Integrate(double t0, double t1, RigidBodyState* out, bool adaptive) const;
    // True at the first crossing of the hull at the state with the world's faces; with the trace
    // switch the crossing is named on the console.
    bool TestCollisions(const RigidBodyState& state, bool trace = false);
    // The normal of the first face the hull at the state crosses, turned towards the body.
    bool GetFirstCollisionNormal(const RigidBodyState& state, Vec3d* normal);
    // The hull's vertices near the world's faces at the state as contacts; with edges, the hull's
    // edges near the faces' edges instead.
    void GatherContacts(const RigidBodyState& state, RigidBodyContactReport* report, bool edges);
    // Brings the gathered world faces up to the box swept between the current and the state.
    void GatherFaces(const RigidBodyState& state);
    // The velocity of the body's point p.
    Vec3d PointVelocity(const Vec3d& p) const;
    double LinearEnergy() const;
    double RotationalEnergy() const;
    // Caps the speeds (not for the first preset).
    void ApplySpeedCaps();
    // Scales ω down to the length when it is longer, L following.
    void CapSpin(double maxSpin);
    // Sets ω to a new value and L to match it: L = R·Ibody·Rᵀ·ω.
    void SetOmega(const Vec3d& omega);
    void SetVelocity(const Vec3d& v);

    uint8_t m_bValid = 0;
    RigidBodyPhysicsParams m_Params;
    uint8_t m_bCharacterPart = 0;
    // The world's faces a character gathered around itself once for all its parts; a part takes
    // its faces from there instead of asking the collision manager.
    const RigidBodyOwnerFaces* m_pOwnerFaces = nullptr;
    uint8_t m_bActive = 0;
    double m_dAwakeTime = 0;
    uint32_t m_uSteps = 0;
    double m_dTimeSinceCollisionSound = 0;
    double m_dTimeSinceSoundMoved = 0;
    // The body's own sound (from the block's sound file), or null.
    void* m_pSound = nullptr;
    uint8_t m_bSoundWaiting = 0;
    double m_dSilenceTime = 0;
    // The last attenuation (dB) played on each impact-sound channel.
    float m_fImpactAttenuation[2] = {};
    RigidBodyState m_State;
    RigidBodyJoint* m_pJoints[kMaxJoints] = {};
    EObjectSlot* m_hObject = nullptr;
    EObjectSlot* m_hConstruction = nullptr;
    char m_szConstructionFile[256] = {};
    // The construction object's scaling: the hull's particles are its vertices scaled by it.
    DV m_vScale{1, 1, 1};
    // The engine object's own scaling, which its sockets follow.
    DV m_vObjectScale{1, 1, 1};
    // The eight corners of the mesh's box, in the body's own coordinates.
    Vec3d m_Corners[8];
    std::vector<Vec3d> m_Particles;
    std::vector<Vec3d> m_WorldParticles;
    std::vector<uint32_t> m_Indices;
    std::vector<RigidBodyFace> m_Faces;
    std::vector<CollisionTriangle> m_Gathered;
    DV m_vGatherMin{1, 1, 1};
    DV m_vGatherMax{0, 0, 0};

private:
    void MoveParticles(const RigidBodyState& state);
    void UpdateOwnSound();
    bool SetUpHull(EObjectSlot* construction);
    void SetUpInertia(const DV& size);
    // Visits each crossing of the hull at the state with the gathered faces until visit answers
    // true; true when it did. Visit takes the face, the crossing point and whether an edge of the face
    // crossed the hull (rather than the hull or its centre's path crossing the face); caller names
    // the routine in the error lines.
    template <class Visit>
    bool VisitCrossings(const RigidBodyState& state, const char* caller, Visit visit);
    void Derivative(const RigidBodyState& s, double* d) const;
    void EulerStep(RigidBodyState* s, double h) const;
};
