#pragma once
// Scripted camera sequences ("scripts\cutscenes\*.txt"). A scene is a list of cuts; each cut
// places the camera on an object (or one of its sockets) looking at another, sets the field of
// view and the time of day, and starts animations, paths and actions. The first play of a scene
// with machines records the camera and the machines at 30 frames a second into
// "scripts\cutscenes\NAME.bin"; later plays replay that file instead of the physics.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "core/DV.h"
#include "core/EOrientation.h"
#include "render/ERect.h"

class EObjectSlot;

constexpr int CUTSCENE_MAX_OBJECTS = 8;

struct strCut {
    static constexpr int kEntries = 32;
    // Lines beyond this many of one kind in a cut are dropped.
    static constexpr int kMaxEntries = 31;

    float m_fDuration = 0;
    char m_szCamera[64] = {};
    char m_szLookAt[64] = {};
    char m_szCameraSocket[64] = {};
    float m_fFov = 1.0f;
    char m_szAnimateObjects[kEntries][64] = {};
    char m_szAnimations[kEntries][64] = {};
    uint32_t m_uAnimateCount = 0;
    char m_szMoveObjects[kEntries][64] = {};
    char m_szMoveNodes[kEntries][64] = {};
    uint32_t m_uMoveCount = 0;
    char m_szActionObjects[kEntries][64] = {};
    uint32_t m_uActionCount = 0;
    // -1 leaves the time of day as it is.
    int32_t m_iPora = -1;
    uint8_t m_bBlack = 0;
    strCut* m_pNext = nullptr;
};

// One recorded frame: the camera and each actor with its wheels and steering.
struct CutsceneActorFrame {
    DV position;
    EOrientation orientation;
    DV wheelPositions[4];
    EOrientation wheelOrientations[4];
    float currentSteering = 0;
    float targetSteering = 0;
};

struct strFrame {
    static constexpr size_t kBytes = 5324;

    float time = 0;
    DV cameraPosition;
    EOrientation cameraOrientation;
    float fov = 0;
    CutsceneActorFrame actors[CUTSCENE_MAX_OBJECTS];
};

// The file's form of a frame: little-endian, kBytes long.
void FrameToBytes(const strFrame& frame, uint8_t* out);
strFrame FrameFromBytes(const uint8_t* in);

struct strScene {
    char m_szName[64] = {};
    char m_szActorNames[CUTSCENE_MAX_OBJECTS][64] = {};
    EObjectSlot* m_pActors[CUTSCENE_MAX_OBJECTS] = {};
    uint32_t m_uActorCount = 0;
    float m_fTotalDuration = 0;
    strCut* m_pFirstCut = nullptr;
    float m_fTimeInCut = 0;
    uint32_t m_uFramesInCut = 0;
    std::vector<std::unique_ptr<strCut>> m_Cuts;
    std::vector<strFrame> m_Frames;
    uint32_t m_uFramesPredicted = 0;
};

class CutsceneMgr {
public:
    static constexpr int kLineLimit = 256;
    static constexpr float kCaptureInterval = 0.033333335f;
    static constexpr float kFade = 1.6f;
    static constexpr float kIntroSpeed = 1.4f;
    // Key commands that stop a scene.
    static constexpr uint32_t kStopCommand1 = 39;
    static constexpr uint32_t kStopCommand2 = 11;

    CutsceneMgr();
    virtual ~CutsceneMgr();

    // Reads every scene script; no scene plays.
    void Init();
    void LoadAllScripts();
    void ReadScript(const char* path);
    void ReadScriptText(std::string_view text);
    // Frees every scene, cut and frame.
    void Release();

    void StartScene(const char* name);
    // Ends the scene: a finished first play saves its frames; during the intro the menu opens,
    // otherwise the result shows.
    void StopScene();
    // The per-frame step from the main game: the stop keys, the cuts, the physics while
    // recording, the recorded frames while replaying.
    void Update();
    // Before the scene is drawn: the camera of a live scene, the capture while recording.
    void UpdateCamera();
    // The black overlay of the cut changes.
    void RenderFade();

    strScene* FindScene(const char* name) const;
    // The frames file of a scene: "scripts\cutscenes\NAME.bin".
    static void FramesPath(const char* scene, char* out, size_t size);

    strCut* m_pCurrentCut;
    strScene* m_pScenes;
    uint8_t m_bRecording;
    uint32_t m_uRecordedFrames;
    float m_fLastCaptureTime;
    float m_fRecordingTime;
    uint8_t m_bPlayWithoutRecording;
    uint32_t m_uPlaybackFrame;
    float m_fFraction;
    float m_fPlaybackTime;
    float m_fSpeed;
    strScene* m_pActiveScene;
    float m_fFade;

private:
    void ReadLine(const char* line);
    void PrepareFramesAndActors();
    void LoadFrames();
    void StartRecording();
    bool FramesFolderWritable() const;
    void SaveFrames();
    void NextCut();
    void StartCutObjects(const strCut& cut);
    void ApplyCameraFrame();
    void RecordFrame();
    void PlayFrames();
    void PlaceActor(int actor, const strFrame& a, const strFrame& b, float t);

    std::vector<std::unique_ptr<strScene>> m_Scenes;
    // The scene the reader appends cuts to.
    strScene* m_pReadScene;
    // Set when the last cut of the playing scene ran out: only then is a recording kept.
    uint8_t m_bSceneFinished;
    // Set once a frame was due while the recording was full.
    uint8_t m_bFramesOverflow;
    // Where each actor's wheels last left dust.
    DV m_vDust[CUTSCENE_MAX_OBJECTS][4];
    ERect m_FadeQuad;
};

extern CutsceneMgr g_CutsceneMgr;

// Starts the named scene (the console command "Cutscene", the intro and the end of a run).
void StartScene(const char* name);
