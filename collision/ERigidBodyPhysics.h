#pragma once
// One rigid body of the engine's own simulation: a mesh object with a mass, an inertia tensor, a
// state and a hull of particles and triangles that is tested against the world's faces.
#include <cstdint>
#include <vector>

#include "collision/ECollisionMgr.h"
#include "core/IntersectionTests.h"
#include "mesh/MeshParams.h"

class EObjectSlot;
class ECollisionFinder;
class ECollisionObject;
struct RigidBodyJoint;
struct RigidBodyContactReport;

// The state of a body, 65 doubles.
struct RigidBodyState {
    double t = 0;
    double mass = 0;
    double Ibody[9] = {};
    double Ibodyinv[9] = {};
    double x[3] = {};
    // Orientation quaternion (x, y, z, w).
    double q[4] = {0, 0, 0, 1};
    double P[3] = {};
    double L[3] = {};
    double R[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    double Iinv[9] = {};
    double v[3] = {};
    double omega[3] = {};
    // Kinetic energies before the last collision response: linear and rotational.
    double linearEnergy = 0;
    double rotationalEnergy = 0;
    double force[3] = {};
    double torque[3] = {};
};

// A hull particle: its position in the body's own coordinates and its world position.
struct RigidBodyParticle {
    double local[3] = {};
    double world[3] = {};
    double spare = 0;
};

// A face of the world near the body.
struct RigidBodyFace {
    DV64 corners[3];
    DV min;
    DV max;
    EObjectSlot* object = nullptr;
};

class ERigidBodyPhysics {
public:
    static constexpr int kMaxJoints = 50;
    static constexpr uint32_t kMaxFaces = 1000;
    // Gravity in the world's length unit: 64 units to the metre.
    static constexpr double kGravity = -9.81 * 64.0;
    // Body kinds.
    enum Kind : uint32_t { NONE = 0, BOX = 1, CYLINDER = 2, SPHERE = 3, HULL = 4 };

    ERigidBodyPhysics() = default;
    ~ERigidBodyPhysics() { Release(); }
    ERigidBodyPhysics(const ERigidBodyPhysics&) = delete;
    ERigidBodyPhysics& operator=(const ERigidBodyPhysics&) = delete;

    // Makes the body of a mesh object; false when the object has no body kind or its helper object
    // cannot be made. The body starts valid and asleep.
    bool Create(EObjectSlot* object);
    // Frees the hull, the finder and the helper object.
    void Release();
    // Takes a state: velocity, rotation and world inverse inertia follow from it.
    void SetNewState(const RigidBodyState& state);
    void ApplyImpulse(const double* point, const double* impulse);
    void Activate();
    void Sleep();
    // The nearest hull triangle the segment crosses gets the impulse there.
    bool HitBySegment(const DV& start, const DV& end, const double* impulse);
    // Places the helper object and the engine object where the body is.
    void WriteBack();
    // The body's inertia for a kind, its sizes and mass (diagonal; kinds 1 to 3).
    static void BoxInertia(double m, double a, double b, double c, double* ibody);
    static void CylinderInertia(double m, double radius, double height, double* ibody);
    static void SphereInertia(double m, double a, double b, double c, double* ibody);

    // The derivative of the state's position, orientation and momenta (13 numbers).
    void Derivative(const RigidBodyState& s, double* d) const;
    // Explicit Euler with step doubling from t0 to t1 into out; the body's own state is kept.
    // With the adaptive switch the step shortens where the two results differ; out->t tells how
    // far it went.
    void Integrate(double t0, double t1, RigidBodyState* out, bool adaptive) const;
    // True at the first crossing of the hull at the state with the world's faces.
    bool TestCollisions(const RigidBodyState& state);
    // The first crossing's normal (from the world face), pointing out of it.
    bool GetFirstCollisionNormal(const RigidBodyState& state, double* normal);
    // Records the hull's contacts with the world's faces at the state.
    void GatherContacts(const RigidBodyState& state, RigidBodyContactReport* report, bool edges);
    // Brings the gathered world faces up to the box swept between the current and the tested state.
    void GatherFaces(const RigidBodyState& state);
    double KineticEnergy(const RigidBodyState& s) const;
    // Caps the speeds (not for the first preset).
    void ApplySpeedCaps();
    // Sets L from ω: L = R·Ibody·Rᵀ·ω.
    static void AngularMomentumFromOmega(RigidBodyState* s);

    uint8_t m_bValid = 0;
    RigidBodyPhysicsParams m_Params;
    uint8_t m_bCharacterPart = 0;
    ERigidBodyPhysics* m_pOwner = nullptr;
    uint8_t m_bActive = 0;
    double m_dAwakeTime = 0;
    uint32_t m_uSteps = 0;
    double m_dTimeSinceCollisionSound = 0;
    double m_dTimeSinceSoundMoved = 0;
    uint8_t m_bSoundWaiting = 0;
    double m_dSilenceTime = 0;
    struct CSound* m_pSound = nullptr;
    // The two impact-sound channels and their last attenuations.
    struct CSound* m_pImpactSounds[2] = {};
    float m_fImpactAttenuation[2] = {};
    RigidBodyState m_State;
    RigidBodyJoint* m_pJoints[kMaxJoints] = {};
    uint32_t m_uJointDepth = 0;
    EObjectSlot* m_hObject = nullptr;
    EObjectSlot* m_hConstruction = nullptr;
    char m_szConstructionFile[256] = {};
    // The eight corners of the mesh's local box, in the body's own coordinates.
    double m_Corners[8][3] = {};
    std::vector<RigidBodyParticle> m_Particles;
    std::vector<uint32_t> m_Indices;
    // The world's faces near the body, and the box they were gathered for.
    std::vector<RigidBodyFace> m_Faces;
    std::vector<CollisionTriangle> m_Gathered;
    DV m_vGatherMin{1, 1, 1};
    DV m_vGatherMax{0, 0, 0};

private:
    void MoveParticles(const RigidBodyState& state);
    void SetUpHull(const ECollisionObject& record, const DV& scale);
    void SetUpInertia(const DV& size);
    void SetUpStateFromConstruction(const DV& position, const double* q);
    // Visits each crossing of the hull at the state with the world's faces; stops when visit
    // answers true.
    template <class Visit>
    bool VisitCrossings(const RigidBodyState& state, Visit visit);
};
