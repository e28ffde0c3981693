#pragma once
// The per-frame behaviour of every engine object: the camera-change test, the ambient sound, the
// object loop (paths, physics by distance, effects and sounds, animation, actions, touches,
// timed deaths), the ties to sockets and the visibility pass with each object's first update.
#include <cstdint>

#include "core/DV.h"

class EObjectSlot;
class SoundRecord;
struct strActionParams;
struct strDeathParams;
struct ECollisionFinder;

class EEngineObject {
public:
    static constexpr int kNameSize = 64;
    static constexpr int kSoundNameSize = 256;

    EEngineObject();
    virtual ~EEngineObject();

    void Update();
    void OnStartWorld();
    void OnEndWorld();
    void FirstUpdate(EObjectSlot* object);
    void UpdateVisibility(EObjectSlot* object);
    void UpdateLightVisibility(EObjectSlot* light);
    void ComputeNeedsUpdate(EObjectSlot* object);
    void UpdateObjectSound(EObjectSlot* object);
    // The motion of an object after its actions ran, and a paused hand-over.
    void UpdateObjectMotion(EObjectSlot* object);
    // Runs the object's action block; from a touch only when the block fires on touch.
    void UpdateObjectActions(EObjectSlot* object, bool fromTouch);
    // Runs the actions of the named object as if another object handed them over.
    void RunObjectActions(const char* name);
    // Plays the first dialogue line the object's action block names.
    void PlayDialogue(EObjectSlot* object);
    // The object dies: the effects of its death block, in their order.
    void HandleDeath(EObjectSlot* object);
    // Moves or copies the objects the death block names to where the dying object is.
    void TeleportObjectHereOnDeath(EObjectSlot* object);
    void RespawnCharacter(EObjectSlot* object);
    void SetAmbientSound(const char* name, float volume);
    void StopAmbientSound();
    void SetDirectionPointer(const char* name);

    // Counted afresh every frame.
    int32_t m_iTouchedActions;
    int32_t m_iTouchedRespawns;
    // Objects that got a physics body at their first update.
    int32_t m_iPhysicsObjects;
    float m_fFrameTime;
    int32_t m_iUpdates;
    float m_fVisibilityTimer;
    EObjectSlot* m_pLastShaker;
    SoundRecord* m_pAmbientSound;
    char m_szPendingAmbient[kSoundNameSize];
    char m_szAmbient[kSoundNameSize];
    float m_fAmbientTarget;
    float m_fAmbientVolume;
    // The camera finder lives from world start to world end; null outside a world.
    ECollisionFinder* m_pCameraFinder;
    DV m_vSavedCameraPosition;
    DV m_vSavedCameraDirection;
    float m_fSavedFarZ;
    float m_fSavedZoom;
    float m_fCameraChangeTimer;
    int32_t m_iTestedObjects;
    uint8_t m_bCameraChanged;
    char m_szDirectionPointer[kNameSize];
    EObjectSlot* m_pDirectionPointer;
    uint32_t m_uCameraSetting[8];
    uint8_t m_bCameraSettingSet;

private:
    void UpdateCameraChange();
    void UpdateAmbientSound();
    void UpdateObjectLoop();
    void UpdateObject(EObjectSlot* object);
    void FollowMarker(EObjectSlot* truck);
    bool UpdatePhysicsByDistance(EObjectSlot* object);
    void TestTouch(EObjectSlot* object);
    void TurnKnob(EObjectSlot* object, const strActionParams& a);
    void PrepareActions(EObjectSlot* object, const strActionParams& a);
    // Puts the knob at its socket on the door, turned with the door's swing; false without the socket.
    bool PlaceKnob(EObjectSlot* door, EObjectSlot* knob, const char* socket);
    void UpdateTies();
    void UpdateVisibilityPass();
    void UpdateShadowRange(EObjectSlot* object, float range, uint8_t& rendererByte);
    // The steps of the actions, in the order they run.
    void RunVariableActions(EObjectSlot* object, const strActionParams& a);
    void RunEnvironmentActions(EObjectSlot* object, const strActionParams& a);
    void RunPointAndLightActions(EObjectSlot* object, const strActionParams& a);
    void RunObjectMoves(EObjectSlot* object, const strActionParams& a);
    void RunAnimationsAndPaths(EObjectSlot* object, const strActionParams& a);
    void RunMessagesAndKills(EObjectSlot* object, const strActionParams& a);
    void RunEffectsAndSounds(EObjectSlot* object, const strActionParams& a);
    void RunHandOverAndCamera(EObjectSlot* object, const strActionParams& a, bool fromTouch);
    // The death's replacement mesh in the dying object's place.
    void ReplaceOnDeath(EObjectSlot* object, const strDeathParams& d);
    // A dead object set falling starts its fall with physics.
    void StartFall(EObjectSlot* object);
    void FallWithPhysics(EObjectSlot* object, const DV& push);
};

extern EEngineObject g_EngineObject;
