#pragma once
// One engine object: what it is, where it is, the mesh it owns and the parameter blocks that
// give it behaviour. The engine keeps 5200 of them in one table; an object is passed around as a
// pointer to its slot.
#include <cstdint>

#include "collision/CollisionHooks.h"
#include "core/DV.h"
#include "core/EOrientation.h"
#include "render/DrawRecord.h"
#include "world/ObjectBlocks.h"

class EMesh;
class ESkinMesh;
struct EFXInstance;
struct Truck;
// A machine's truck, kept by the machines' physics; null for every other object.
using HTRUCK = Truck*;

// Object kinds.
constexpr uint8_t OT_MESH = 0;
constexpr uint8_t OT_LIGHT = 2;
constexpr uint8_t OT_SKINMESH = 6;

// Flag bits (FLAG_VISIBLE, the bit the render lists test, comes with DrawVisibility).
constexpr uint32_t FLAG_IN_RENDER_LISTS = 0x4;
// The same bit tells the machines' physics that the object is part of the static level: it gets a
// static triangle-mesh body, and the machines' ground probes test only such objects.
constexpr uint32_t FLAG_STATIC_LEVEL_MESH = 0x4;
constexpr uint32_t FLAG_NOT_IMPORTANT = 0x40;
constexpr uint32_t FLAG_DEAD = 0x80;
constexpr uint32_t FLAG_NO_OBJECT_PASSES = 0x400;
constexpr uint32_t FLAG_NO_FAR_TRACKING = 0x800;
constexpr uint32_t FLAG_TREE_SHADOW = 0x800000;
constexpr uint32_t FLAG_PODIUM = 0x1000000;
constexpr uint32_t FLAG_MENU_VISIBLE = 0x20000000;
// The flags of a new object: visible, in the render lists, and bit 3.
constexpr uint32_t kDefaultObjectFlags = 13;
// flags2 bits.
constexpr uint32_t FLAG2_SEEN_FAR = 0x20;
constexpr uint32_t FLAG2_PROP = 0x10000;
constexpr uint32_t FLAG2_NO_SHADOW_RANGE = 0x10000000;
constexpr uint32_t FLAG2_SHADOW_OBJECT = 0x40000000;
// flags3: the physics kind word, and the world file's visibility switches.
constexpr uint32_t kFlags3NeedsPhysics = 8;
constexpr uint32_t FLAG3_ALWAYS_UPDATE = 0x1000;
constexpr uint32_t FLAG3_INVISIBLE_IN_GAME = 0x20000;
constexpr uint32_t FLAG3_INVISIBLE_IN_EDITOR = 0x80000;

// A light's range and a mesh's radius until its geometry says otherwise.
constexpr float kDefaultLightRange = 320.0f;

// The visible byte and the flags word are the DrawVisibility part, which the render lists of the
// object's meshes read.
class EObjectSlot : public DrawVisibility {
public:
    static constexpr int kNameSize = 64;
    static constexpr int kFileNameSize = 128;
    static constexpr int kTieNameSize = 64;

    EMesh* Mesh() const { return Type == OT_MESH ? static_cast<EMesh*>(Object) : nullptr; }
    ESkinMesh* SkinMesh() const { return Type == OT_SKINMESH ? static_cast<ESkinMesh*>(Object) : nullptr; }
    // What collision reads of the object: its kind, flags and the placement of its mesh.
    CollisionObjectFacts CollisionFacts();

    uint8_t m_bUsed = 0;
    uint32_t m_uIndex = 0;
    uint8_t Type = OT_MESH;
    uint32_t m_uFlags2 = 0;
    // The physics kind word, set by the world loader and the machines' physics.
    uint32_t m_uFlags3 = 0;
    uint8_t m_bMeshByte = 0;
    // The marker a truck follows along a path, and on the marker the truck that follows it.
    EObjectSlot* m_pLinkedObject = nullptr;
    EObjectSlot* m_pOwner = nullptr;
    HTRUCK m_hTruck = nullptr;
    // Placed by a world file, an action or the fence generator rather than by code.
    uint8_t m_bSpawned = 0;
    DV m_vPosition;
    EOrientation m_Orientation;
    // The EMesh of a mesh, the ESkinMesh of a skinned mesh; null for lights.
    void* Object = nullptr;
    // Creation time in milliseconds, a random number and the slot index.
    uint32_t pesel[3] = {};
    // The id of the object that contains this one, as the world file gives it.
    uint32_t m_uContainerPesel[3] = {};
    char m_szName[kNameSize] = {};
    char m_szBushSound[256] = {};
    float m_fBushSoundVolume = 0;
    float m_fBushSoundTimer = 0;
    char m_szAnimation[64] = {};
    uint8_t m_bAnimationLoop = 0;
    char m_szFileName[kFileNameSize] = {};
    uint8_t m_bTied = 0;
    char m_szTieSocket[kTieNameSize] = {};
    char m_szTieTarget[kTieNameSize] = {};
    float m_fFullTurn = 0;
    // Above 1: hidden when the object's distance from the camera less its radius exceeds it.
    int32_t m_iViewDistance = 0;
    float m_fHitPoints = 0;
    float m_fDyingDelay = 0;
    uint8_t m_bDying = 0;
    uint8_t m_bDead = 0;
    float m_fLightValues[2] = {};
    DV m_vScale;
    // Where the object was placed; its motion after actions is an offset from here.
    DV m_vStartPosition;
    EOrientation m_StartOrientation;
    // The world file's rotation angles in degrees, kept as written; set when the file gave them.
    DV m_vRotationAngles;
    uint8_t m_bOrientationGiven = 0;
    // The light set and fog set the object is lit and fogged with (0..3), and its environment
    // texture.
    uint8_t m_bAmbientLightIdx = 0;
    uint8_t m_bFogIdx = 0;
    uint8_t m_bEnvTextureIdx = 0;
    // Lights: the diffuse colour, a fall-off that is linear, and no test of the player's view.
    DV m_vDiffuse{1, 1, 1};
    uint8_t m_bLightLinearScatter = 0;
    uint8_t m_bIgnorePlayerVisibility = 0;
    // Per-object switches of the world file; actions of other objects switch the green and red
    // points.
    uint8_t m_bLandMine = 0;
    uint8_t m_bGreenPoint = 0;
    uint8_t m_bRedPoint = 0;
    uint8_t m_bItemDropped = 0;
    strPlotek* m_pPlotek = nullptr;
    strLightControlParams* m_pLightControlParams = nullptr;
    // Skipped by the visibility pass and the shader matrices.
    uint8_t m_bExcluded = 0;
    // Field work: a bale the player is to collect; a point object (money or a time penalty when
    // touched) and whether it was touched.
    uint8_t m_bCollectableBale = 0;
    uint8_t m_bPointObject = 0;
    uint8_t m_bTouched = 0;
    strTexturePaint* m_pTexturePaint = nullptr;
    EObjectSlot* m_pTieTargetObject = nullptr;
    int32_t m_iSector = 0;
    // Set and cleared by sector number.
    uint8_t m_bHidden = 0;
    uint8_t m_bSectorDisabled = 0;
    strLightBlinking* m_pLightBlinking = nullptr;
    // The rigid body in the machines' physics world (meshes only).
    void* m_pPhysicsBody = nullptr;
    strSoundParams* m_pSoundParams = nullptr;
    uint8_t m_bIsLight = 0;
    uint8_t m_bLightByte = 0;
    uint8_t m_bLightCache = 0;
    uint32_t m_uIndexCopy = 0;
    // The name of the particle effect attached to the object (a 64-character block).
    char* FX = nullptr;
    EFXInstance* m_pEffectInstance = nullptr;
    strActionParams* m_pActionParams = nullptr;
    strDeathParams* m_pDeathParams = nullptr;
    float m_fCameraDistance = 0;
    float m_fRadius = 0;
    // Where the object's collision record, segment-table entries and touch entries are.
    CollisionIndices m_CollisionIndices;
    // Set when a machine or the player's figure is made of the object; some segment filters skip it.
    uint8_t m_bVehicleMark = 0;
    // Set to have the engine delete the object at the end of its update.
    uint8_t m_bToDelete = 0;
    strBezierMovingParameters* m_pBezierParams = nullptr;
    strBezierMovingState* m_pBezierState = nullptr;
    // A tie asked for while no world runs, made when the world starts.
    char* CacheObjectToTieTo = nullptr;
    char* CacheSocketToTieTo = nullptr;
    int8_t m_cSignedByte = 0;

    // Kept by the object passes.
    uint8_t m_bFirstUpdateDone = 0;
    uint8_t m_bNeedsUpdateComputed = 0;
    uint8_t m_bNeedsUpdate = 0;
    uint8_t m_bAlwaysUpdate = 0;
    uint8_t m_bHelicopter = 0;
    uint8_t m_bShadowByte = 0;
    uint8_t m_bInFront = 0;
    uint32_t m_uUpdates = 0;
    float m_fObjectTimer = 0;
    // The state of the last full visibility test.
    uint8_t m_bTestedFlag = 0;
    DV m_vTestedPosition;
    // Physics by distance: the object parks its body while the camera is far.
    uint8_t m_bPhysicsByDistance = 0;
    uint8_t m_bParked = 0;
    DV m_vLastFarPosition;
    // The texture swaps: per slot the renderer's handles of the texture and its replacement.
    uint32_t m_uTextureSwap[2][2] = {};
    // A truck's marker counts its path updates; the truck hitches to it after three.
    uint32_t m_uMarkerUpdates = 0;
    uint8_t m_bHitchedToMarker = 0;
    // The constraint of the machines' physics that pins a machine to the marker it is tied to.
    void* m_pDummyConstraint = nullptr;

    // Kept by the machines' physics: the body is a static level mesh (its first explicit move makes
    // it kinematic, once), and the machine followed its chassis this frame.
    uint8_t m_bStaticMeshBody = 0;
    uint8_t m_bKinematicSwitchDone = 0;
    uint8_t m_bMovedByPhysics = 0;
    // The player's machine and the computer-driven machines, marked by their owners.
    uint8_t m_bPlayerMachine = 0;
    uint8_t m_bAIMachine = 0;
    // Set on every machine.
    uint8_t m_bVehicleMarker = 0;
    // Tint colours (ARGB) of the object and of its mark on the overview map.
    uint32_t m_uTint = 0;
    uint32_t m_uMapTint = 0;

    // Action state and the motion after actions.
    uint8_t m_bActionsRan = 0;
    uint8_t m_bHasRun = 0;
    uint8_t m_bSwitched = 0;
    float m_fTimeSinceActions = 0;
    // Seconds since the actions last ran, for the motion that follows them.
    float m_fMotionTime = 0;
    uint8_t m_bPausedHandOver = 0;
    float m_fPauseTimer = 0;
    uint8_t m_bPositionedCamera = 0;
    float m_fTravelled = 0;
    DV m_vMotionOffset;
    // Extra angles in degrees added to the mesh's rotation.
    DV m_vExtraAngles;
    float m_fSwingAngle = 0;
    float m_fSwingTarget = 0;
    float m_fSwing2Angle = 0;
    uint8_t m_bSwinging = 0;
    uint8_t m_bSwingDone = 0;
    // The turn a door's second swing gives its knob (this object, or the knob object it names).
    float m_fKnobAngle = 0;

    // The extra angles the mesh takes: the turns, the swing about the up axis (a door on its
    // hinge) and the knob's turn about the front axis.
    DV MeshExtraAngles() const {
        return {m_vExtraAngles.x + m_fKnobAngle, m_vExtraAngles.y, m_vExtraAngles.z + m_fSwingAngle};
    }

    // A dead object falling with physics: its velocity and the two timers of the fall.
    uint8_t m_bFalling = 0;
    DV m_vFallVelocity;
    float m_fFallTimers[2] = {};
    // How many times the object's character was respawned.
    int32_t m_iRespawns = 0;
};
