#pragma once
// The engine: the table of engine objects, object creation and deletion, the frame timer, the
// running world with its start and end at the very end of a frame, the engine frame, key routing
// and the accessors through which the rest of the game changes objects.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"
#include "platform/gfx/GfxTypes.h"
#include "platform/os/Message.h"
#include "world/EObjectSlot.h"
#include "world/ObjectCreateParams.h"

struct RigidBodyPhysicsParams;
struct PathGenerationParams;
struct ShaderLights;

class EEngine {
public:
    static constexpr int kObjectSlots = 5200;
    static constexpr int kLightSlots = 100;
    // The kind ranges of the table; slots from kSearchedSlots on are never handed out.
    static constexpr int kFirstMeshSlot = 0;
    static constexpr int kFirstSkinMeshSlot = 4400;
    static constexpr int kFirstLightSlot = 5000;
    static constexpr int kSearchedSlots = 5100;
    static constexpr int kWorldNameSize = 128;
    static constexpr int kPrefixes = 4;
    static constexpr int kPrefixSize = 4;
    // The longest tie name a tie keeps.
    static constexpr int kMaxTieName = 60;

    EEngine();
    virtual ~EEngine();

    // ---- The object table ------------------------------------------------------------------
    // The object in use, with a non-empty name equal to name without regard to case, in the
    // lowest slot below kSearchedSlots; with knownKindsOnly only meshes, skinned meshes and lights.
    EObjectSlot* FindObject(const char* name, bool knownKindsOnly) const;
    EObjectSlot* FindObjectByPesel(const uint32_t* id) const;
    // The name prefix of a kind; "" for kinds without one.
    const char* GetNamePrefix(int kind) const;
    // The prefix and the first free four-digit number from startNumber on (m0017).
    void AssignDefaultName(EObjectSlot* object, int startNumber);
    // "save\NamePrefixes.cfg": read at construction, written with the defaults when missing.
    void LoadNamePrefixes();
    void SaveNamePrefixes();

    // ---- Creation and deletion -------------------------------------------------------------
    EObjectSlot* AddObject(const ObjectCreateParams* params);
    EObjectSlot* CreateObject(int kind, const char* fileName, uint32_t flags, uint32_t flags2, const DV* position,
                              const DV* scaling);
    void DeleteObject(EObjectSlot* object);
    // Meshes (all, or spawned ones), then every light, then every other object (all, or spawned).
    void DeleteAllObjects(bool all);
    void DeleteFlaggedObjects();
    void DeleteSectorObjects(int sector);
    // Deletes every object whose distance from the camera, truncated, less its radius is at least
    // the distance.
    void WipeOut(float distance);
    // 1 a texture, 4 a mesh, 8 a sound, 16 a skinned mesh: loaded ahead of use.
    void PreloadResource(const char* name, int kind);

    // ---- World lifecycle and the frame -----------------------------------------------------
    void Init(plat::WindowHandle window);
    void Release();
    void Quit();
    // Advances the frame timer; false when less than 0.001 s passed (the frame is skipped).
    bool UpdateTimer();
    // The engine frame; false when the engine is not ready or the window has no focus.
    bool Update();
    void RequestStartWorld(const char* worldFile);
    // Ends the running world and starts the named one (a name beginning with "*" is an empty
    // world); false when the world file failed to load. Only at the very end of a frame.
    bool ProcessStartWorld(const char* worldFile);
    void EndWorld();
    void BeginWorld();
    void PrepareCamera();
    void RenderTranslucent();
    void RenderScene();

    void OnKeyDown(uint32_t virtualKey);
    void OnKeyUp(uint32_t virtualKey);
    // The mouse device with the engine's window.
    void InitMouse();
    void ReleaseMouse();
    // The game keyboard, made unless already acquired; released when acquired.
    void AcquireKeyboard();
    void ReleaseKeyboard();
    // Runs the actions of the named object.
    void RunAction(const char* objectName);

    // ---- Accessors -------------------------------------------------------------------------
    void SetObjectPosition(EObjectSlot* object, const DV& position, bool keepStart);
    void SetObjectTransform(EObjectSlot* object, const DV& position, const EOrientation& orientation, bool keepStart,
                            bool updatePhysics);
    void SetObjectOrientation(EObjectSlot* object, const EOrientation& orientation);
    void GetObjectPosition(EObjectSlot* object, DV* out);
    void GetObjectOrientation(EObjectSlot* object, EOrientation* out) const;
    void SetObjectScaling(EObjectSlot* object, const DV& scale);
    void GetObjectScaling(EObjectSlot* object, DV* out) const;
    // flags = (flags & ~mask) | (value & mask).
    void SetObjectFlags(EObjectSlot* object, uint32_t value, uint32_t mask);
    void GetObjectFlags(EObjectSlot* object, uint32_t* out) const;
    void SetObjectFlags2(EObjectSlot* object, uint32_t value, uint32_t mask);
    void GetObjectFlags2(EObjectSlot* object, uint32_t* out) const;
    void SetObjectFlags3(EObjectSlot* object, uint32_t value, uint32_t mask);
    int32_t GetViewDistance(EObjectSlot* object) const;
    void SetViewDistance(EObjectSlot* object, int32_t distance);
    void SetLightRange(EObjectSlot* light, float range);
    void SetObjectTextureSwap(EObjectSlot* object, int slot, const char* name, const char* replacement);
    void SetRigidBodyPhysicsParams(EObjectSlot* object, const RigidBodyPhysicsParams* params);
    void GetRigidBodyPhysicsParams(EObjectSlot* object, RigidBodyPhysicsParams* out) const;
    void SetPathGenerationParams(EObjectSlot* object, const PathGenerationParams* params);
    void GetPathGenerationParams(EObjectSlot* object, PathGenerationParams* out) const;
    void SetBushSound(EObjectSlot* object, const char* name, float volume);
    void SetBezierMovingParameters(EObjectSlot* object, const strBezierMovingParameters* params);
    void GetBezierMovingParameters(EObjectSlot* object, strBezierMovingParameters* out) const;

    // Blocks: allocated on first use, freed when cleared.
    void SetTexturePaint(EObjectSlot* object, const strTexturePaint* params);
    bool GetTexturePaint(EObjectSlot* object, strTexturePaint* out) const;
    void SetLightBlinking(EObjectSlot* object, const strLightBlinking* params);
    void SetLightControlParams(EObjectSlot* object, const strLightControlParams* params);
    void GetLightControlParams(EObjectSlot* object, strLightControlParams* out) const;
    void SetFX(EObjectSlot* object, const char* name);
    void GetFX(EObjectSlot* object, char* out, int size) const;
    void ReleaseSoundParams(EObjectSlot* object);
    // The object's looping sound: its file, audible distance and the level variable that must be
    // set for it to play (empty: always). The playing sound stops; an empty file leaves the object
    // without a sound, otherwise the object passes start it when the camera comes near.
    void SetSoundParams(EObjectSlot* object, const char* file, float distance, const char* variable);
    void GetSoundParams(EObjectSlot* object, char* outFile, int fileSize, float* outDistance, char* outVariable,
                        int variableSize) const;
    // The action and death blocks exist while their on switch is set (always with the editor
    // switch): set copies the block in, or frees it; get copies it out, or the defaults. Setting a
    // death block gives the object its initial hit points.
    void SetActionParams(EObjectSlot* object, const strActionParams* params);
    void GetActionParams(EObjectSlot* object, strActionParams* out) const;
    void SetDeathParams(EObjectSlot* object, const strDeathParams* params);
    void GetDeathParams(EObjectSlot* object, strDeathParams* out) const;
    void SetPlotek(EObjectSlot* object, const strPlotek* params);
    strPlotek* GetPlotek(EObjectSlot* object) const;

    // Animations and sockets.
    bool SetObjectAnimation(EObjectSlot* object, const char* name, bool loop, float blendTime);
    bool IsObjectAnimationFinished(EObjectSlot* object) const;
    void SetObjectAnimationRunning(EObjectSlot* object, bool running, float heldTime);
    bool GetObjectSocket(EObjectSlot* object, const char* socketName, DV* outPosition,
                         EOrientation* outOrientation) const;

    // Ties of an object to a socket of another.
    void TieToSocket(EObjectSlot* object, bool tie, const char* targetName, const char* socketName);
    void ResolveTieCaches();
    // Copies the flag and the names into outputs of the given sizes.
    void GetTie(EObjectSlot* object, uint8_t* outFlag, char* outTarget, int targetSize, char* outSocket,
                int socketSize) const;

    // Physics helpers of meshes.
    void RemoveObjectPhysics(EObjectSlot* object);
    void CreateObjectPhysics(EObjectSlot* object, bool force);
    void PutForceToObject(EObjectSlot* object, const DV& force);
    // Pushes up to 16 moving meshes within 256 of the point away from it (strength x 4000), and
    // takes hit points from the objects with a death block within 320 that it can reach.
    void ApplyExplosion(const DV& position, float strength);
    // A mesh or skinned mesh made from the same file, with the object's flags, place, behaviour
    // state and copies of its blocks; null for other kinds or when the creation fails.
    EObjectSlot* CopyObject(EObjectSlot* object);

    // Sets or clears the hidden byte of every object in use in the sector (sector 0 is none).
    void SetSectorHidden(int sector, uint8_t hidden);

    // ---- Forced look, paths, screenshots, shader constants ---------------------------------
    void ForceCameraToLook(EObjectSlot* from, EObjectSlot* at);
    void StartBezierMoving(EObjectSlot* object);
    EObjectSlot* CreateBezierMarker(EObjectSlot* truckObject);
    void DeleteLinkedObject(EObjectSlot* object);
    void StopBezierMoving(EObjectSlot* object);
    bool IsBezierMoving(EObjectSlot* object) const;
    void SetBezierMode(EObjectSlot* object, int mode, double value);
    void SetPassingThroughBlockers(EObjectSlot* object, bool on);
    // Saves the back buffer as the next free "qv_screenNNNN.bmp" and clears the request.
    gfx::Result SaveScreenshot();
    void SetShaderLights(ShaderLights& constants);

    // The slot range of a kind: [first, end); false for a kind without one.
    static bool KindSlots(int kind, int* first, int* end);

    uint8_t m_bReady;
    uint8_t m_bWorldRunning;
    // Set when a world start failed: the game goes on without a world and may make objects (the
    // player's machine), which the next start ends as it ends a world.
    uint8_t m_bWorldFailed;
    uint8_t m_bKeyboardAcquired;
    // Edges of the screenshot and command keys.
    uint8_t m_bScreenshotKeyDown;
    uint8_t m_bCommandKeyDown;
    plat::WindowHandle m_hWnd;
    float m_fLastTime;
    float m_fFPSTime;
    float m_fFPS;
    int32_t m_iFPSFrames;
    // The scaled step of the current frame: every subsystem that moves things reads it.
    float m_fFrameTime;
    // Frames since the current world started.
    uint32_t m_uFrameCounter;
    uint8_t m_bQuit;
    uint8_t m_bStartWorld;
    char m_szPendingWorld[kWorldNameSize];
    // The current world's name.
    char m_szStartingWorld[kWorldNameSize];
    char m_szSecondWorldName[kWorldNameSize];
    uint8_t m_bScreenshot;
    // Set by the main game while its level may be drawn.
    uint8_t m_bWorldRender;
    // The forced camera look: from one object (whose flags are saved) at another.
    EObjectSlot* m_pLookFrom;
    EObjectSlot* m_pLookAt;
    uint32_t m_uLookFromFlags;
    uint8_t m_bForcedLookActive;
    // Seconds of frame steps since the first engine update of the world.
    float m_fLevelTime;
    uint8_t m_bLevelTimeStarted;
    uint8_t m_bFastForward;
    float m_fRunningClock;
    uint32_t m_uBackgroundColour;

    // The table and its marks: one past the highest used slot of each kind.
    EObjectSlot m_Objects[kObjectSlots];
    int m_iMeshMark;
    int m_iSkinMeshMark;
    int m_iLightMark;
    int m_iFourthMark;
    int32_t TotalObjects;
    char m_szPrefixes[kPrefixes][kPrefixSize];
    // The light slots of the object table.
    uint8_t m_bLightUsed[kLightSlots];
    uint8_t m_bLightOn[kLightSlots];

private:
    int& KindMark(int kind);
    void UpdateHotKeys();
    void UpdateObjectLinks(EObjectSlot* object);
    void MoveEffectWithObject(EObjectSlot* object);
    void DeleteRequestedObjects();
    void UntieFrom(EObjectSlot* object);
};

extern EEngine g_Engine;
