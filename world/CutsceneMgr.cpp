#include "world/CutsceneMgr.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/CCommandMgr.h"
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "platform/os/Files.h"
#include "render/EFXMgr.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "world/CutsceneMgrHooks.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/EEngineObject.h"
#include "world/TextLines.h"
#include "world/WorldLine.h"

CutsceneMgr g_CutsceneMgr;

namespace {

constexpr const char* kScriptFolder = "scripts\\cutscenes";
constexpr const char* kFadeTexture = "bialy.tga";
// The fade starts this long before a cut ends.
constexpr float kFadeLead = 0.25f;
constexpr float kFadeRate = 4.0f;
constexpr float kMaxFadeStep = 0.05f;
// Frames of a cut in which the camera jumps to its target; later it turns towards it.
constexpr uint32_t kSnapFrames = 6;
constexpr float kTurnRate = 12.566370964050293f;
constexpr float kMinRecordedDuration = 0.1f;

// A word of a script line copied into its field: a longer one is cut to the field, and the console
// says so.
template <size_t N>
void CopyWord(char (&out)[N], const char* line, int word) {
    const char* text = GetWord(line, word);
    if (std::strlen(text) >= N) g_Console.PrintStr2("Cutscene script: word cut to its field in ", line);
    std::snprintf(out, N, "%s", GetWord(line, word));
}

EObjectSlot* Find(const char* name) { return name && *name ? g_Engine.FindObject(name, false) : nullptr; }

}  // namespace

CutsceneMgr::CutsceneMgr()
    : m_pCurrentCut(nullptr), m_pScenes(nullptr), m_bRecording(0), m_uRecordedFrames(0), m_fLastCaptureTime(0),
      m_fRecordingTime(0), m_bPlayWithoutRecording(0), m_uPlaybackFrame(0), m_fFraction(0), m_fPlaybackTime(0),
      m_fSpeed(1.0f), m_pActiveScene(nullptr), m_fFade(0), m_pReadScene(nullptr), m_bSceneFinished(0),
      m_bFramesOverflow(0) {}

CutsceneMgr::~CutsceneMgr() = default;

void CutsceneMgr::Init() {
    // A second start without a release in between reads the scripts once, not twice.
    Release();
    LoadAllScripts();
    m_pActiveScene = nullptr;
    m_pCurrentCut = nullptr;
    // An installation without the white texture shows its cuts without the fade.
    if (g_Renderer.FindTextureDescription(kFadeTexture))
        m_FadeQuad.Create(kFadeTexture, 0, 0, static_cast<float>(g_Settings.m_iScreenWidth),
                          static_cast<float>(g_Settings.m_iScreenHeight), 0);
}

void CutsceneMgr::LoadAllScripts() {
    for (const std::string& name : plat::ListDirectory(kScriptFolder, "*.txt")) {
        if (name[0] == '.') continue;
        char path[512];
        std::snprintf(path, sizeof path, "%s\\%s", kScriptFolder, name.c_str());
        ReadScript(path);
    }
}

void CutsceneMgr::ReadScript(const char* path) {
    std::vector<char> bytes;
    if (!plat::ReadFileBytes(path, bytes)) return;
    ReadScriptText(std::string_view(bytes.data(), bytes.size()));
}

void CutsceneMgr::ReadScriptText(std::string_view text) {
    // Cuts belong to a scene of their own file.
    m_pReadScene = nullptr;
    m_pCurrentCut = nullptr;
    TextLines lines(text, kLineLimit);
    char line[kLineLimit + 1];
    while (lines.NextScriptLine(line, sizeof line)) ReadLine(line);
    m_pReadScene = nullptr;
    m_pCurrentCut = nullptr;
}

void CutsceneMgr::ReadLine(const char* line) {
    if (IsKeyword(line, "cutscene")) {
        m_Scenes.push_back(std::make_unique<strScene>());
        m_pReadScene = m_pScenes = m_Scenes.back().get();
        CopyWord(m_pReadScene->m_szName, line, 1);
        m_pCurrentCut = nullptr;
        return;
    }
    if (IsKeyword(line, "cut")) {
        if (!m_pReadScene) return;
        auto cut = std::make_unique<strCut>();
        cut->m_fDuration = ParseFloat(GetKeywordValue(line));
        cut->m_fFov = g_Settings.m_fBaseFOV;
        strCut* added = cut.get();
        if (!m_pReadScene->m_Cuts.empty()) m_pReadScene->m_Cuts.back()->m_pNext = added;
        else m_pReadScene->m_pFirstCut = added;
        m_pReadScene->m_Cuts.push_back(std::move(cut));
        m_pCurrentCut = added;
        return;
    }
    strCut* cut = m_pCurrentCut;
    if (!cut) return;
    if (IsKeyword(line, "camera")) {
        CopyWord(cut->m_szCamera, line, 1);
        CopyWord(cut->m_szLookAt, line, 2);
    } else if (IsKeyword(line, "camera_socket")) {
        CopyWord(cut->m_szCameraSocket, line, 1);
    } else if (IsKeyword(line, "move")) {
        if (cut->m_uMoveCount >= strCut::kMaxEntries) return;
        CopyWord(cut->m_szMoveObjects[cut->m_uMoveCount], line, 1);
        CopyWord(cut->m_szMoveNodes[cut->m_uMoveCount++], line, 2);
    } else if (IsKeyword(line, "animate")) {
        if (cut->m_uAnimateCount >= strCut::kMaxEntries) return;
        CopyWord(cut->m_szAnimateObjects[cut->m_uAnimateCount], line, 1);
        CopyWord(cut->m_szAnimations[cut->m_uAnimateCount++], line, 2);
    } else if (IsKeyword(line, "action")) {
        if (cut->m_uActionCount >= strCut::kMaxEntries) return;
        CopyWord(cut->m_szActionObjects[cut->m_uActionCount++], line, 1);
    } else if (IsKeyword(line, "fov")) {
        cut->m_fFov = ParseFloat(GetKeywordValue(line));
    } else if (IsKeyword(line, "pora")) {
        cut->m_iPora = static_cast<int32_t>(ParseFloat(GetKeywordValue(line)));
    } else if (IsKeyword(line, "black")) {
        cut->m_bBlack = 1;
    }
}

void CutsceneMgr::Release() {
    m_pActiveScene = nullptr;
    m_pCurrentCut = nullptr;
    m_pReadScene = nullptr;
    m_pScenes = nullptr;
    m_Scenes.clear();
    m_bRecording = 0;
    m_bPlayWithoutRecording = 0;
    m_uRecordedFrames = 0;
    m_fFade = 0;
    m_FadeQuad.Release();
}

strScene* CutsceneMgr::FindScene(const char* name) const {
    if (!name) return nullptr;
    for (auto it = m_Scenes.rbegin(); it != m_Scenes.rend(); ++it)
        if (StrICmp((*it)->m_szName, name) == 0) return it->get();
    return nullptr;
}

void CutsceneMgr::FramesPath(const char* scene, char* out, size_t size) {
    std::snprintf(out, size, "%s\\%s.bin", kScriptFolder, scene);
}

void CutsceneMgr::StartScene(const char* name) {
    m_fSpeed = 1.0f;
    g_Console.PrintStr2("StartScene ", name ? name : "");
    m_fFade = 0;
    strScene* scene = FindScene(name);
    if (!scene) {
        g_Console.Print("Scene NOT found!");
        return;
    }
    m_pActiveScene = scene;
    m_pCurrentCut = nullptr;
    m_bSceneFinished = 0;
    PrepareFramesAndActors();
    m_bRecording = 0;
    m_bPlayWithoutRecording = 0;
    LoadFrames();
    if (!scene->m_Frames.empty()) {
        if (StrICmp(scene->m_szName, "intro") == 0) m_fSpeed = kIntroSpeed;
    } else {
        StartRecording();
    }
    m_uPlaybackFrame = 0;
    m_fPlaybackTime = 0;
    for (auto& wheels : m_vDust)
        for (DV& d : wheels) d = DV{};
    NextCut();
}

void CutsceneMgr::PrepareFramesAndActors() {
    g_Console.Print("PrepareFramesAndActors");
    strScene& scene = *m_pActiveScene;
    scene.m_uActorCount = 0;
    scene.m_fTotalDuration = 0;
    for (strCut* cut = scene.m_pFirstCut; cut; cut = cut->m_pNext) {
        scene.m_fTotalDuration += cut->m_fDuration;
        for (uint32_t i = 0; i < cut->m_uMoveCount; ++i) {
            EObjectSlot* o = Find(cut->m_szMoveObjects[i]);
            if (!o || !o->m_hTruck) continue;
            const auto end = scene.m_pActors + scene.m_uActorCount;
            if (std::find(scene.m_pActors, end, o) != end) continue;
            if (scene.m_uActorCount >= CUTSCENE_MAX_OBJECTS) {
                g_Console.PrintStr2("Aktor przekracza CUTSCENE_MAX_OBJECTS: ", o->m_szName);
                break;
            }
            std::snprintf(scene.m_szActorNames[scene.m_uActorCount], 64, "%s", o->m_szName);
            scene.m_pActors[scene.m_uActorCount++] = o;
        }
    }
}

void CutsceneMgr::StartRecording() {
    strScene& scene = *m_pActiveScene;
    if (scene.m_fTotalDuration < kMinRecordedDuration) return;
    if (scene.m_uActorCount == 0) {
        m_bPlayWithoutRecording = 1;
        g_Console.Print("Set to play without recording");
        return;
    }
    // Where the frames cannot be kept, the scene plays live every time.
    if (!FramesFolderWritable()) {
        m_bPlayWithoutRecording = 1;
        g_Console.PrintStr2("Cannot write the frames of scene ", scene.m_szName);
        g_Console.Print("Set to play without recording");
        return;
    }
    g_Console.PrintStr2("Start recording ", scene.m_szName);
    g_Console.PrintInt("Actors: ", static_cast<int>(scene.m_uActorCount));
    scene.m_uFramesPredicted = 1 + static_cast<uint32_t>(30.0f * scene.m_fTotalDuration);
    g_Console.PrintInt("Frames predicted: ", static_cast<int>(scene.m_uFramesPredicted));
    scene.m_Frames.clear();
    scene.m_Frames.reserve(scene.m_uFramesPredicted);
    m_uRecordedFrames = 0;
    m_fRecordingTime = 0;
    m_fLastCaptureTime = 0;
    m_bFramesOverflow = 0;
    m_bRecording = 1;
}

void CutsceneMgr::NextCut() {
    strScene& scene = *m_pActiveScene;
    strCut* cut = m_pCurrentCut ? m_pCurrentCut->m_pNext : scene.m_pFirstCut;
    if (!cut) {
        m_bSceneFinished = 1;
        StopScene();
        return;
    }
    m_pCurrentCut = cut;
    scene.m_fTimeInCut = 0;
    scene.m_uFramesInCut = 0;
    m_fFade = kFade;
    if (cut->m_iPora >= 0) g_Sky.SetPora(cut->m_iPora);
    StartCutObjects(*cut);
}

void CutsceneMgr::StartCutObjects(const strCut& cut) {
    for (uint32_t i = 0; i < cut.m_uAnimateCount; ++i)
        if (EObjectSlot* o = Find(cut.m_szAnimateObjects[i])) g_Engine.SetObjectAnimation(o, cut.m_szAnimations[i], true, 0);
    for (uint32_t i = 0; i < cut.m_uActionCount; ++i)
        if (EObjectSlot* o = Find(cut.m_szActionObjects[i])) g_EngineObject.UpdateObjectActions(o, false);
    for (uint32_t i = 0; i < cut.m_uMoveCount; ++i) {
        EObjectSlot* o = Find(cut.m_szMoveObjects[i]);
        if (!o) continue;
        g_Engine.StopBezierMoving(o);
        strBezierMovingParameters params;
        g_Engine.GetBezierMovingParameters(o, &params);
        params.m_bEnabled = 1;
        params.m_bStartAtLoad = 1;
        params.m_bPlaceOnPathAtLoad = 1;
        std::snprintf(params.m_szStartNode, sizeof params.m_szStartNode, "%s", cut.m_szMoveNodes[i]);
        g_Engine.SetBezierMovingParameters(o, &params);
        g_Engine.StartBezierMoving(o);
    }
}

void CutsceneMgr::StopScene() {
    if (m_bRecording) {
        m_bRecording = 0;
        // Only a scene played to its end is kept: a part of it would be replayed for ever.
        if (m_bSceneFinished) SaveFrames();
        else g_Console.Print("Cutscene stopped before its end: its frames are not kept");
    }
    g_Console.Print("StopScene");
    if (m_pActiveScene) {
        m_pActiveScene->m_Frames.clear();
        m_pActiveScene->m_Frames.shrink_to_fit();
    }
    m_pActiveScene = nullptr;
    m_pCurrentCut = nullptr;
    m_bPlayWithoutRecording = 0;
    g_Settings.m_fFOV = g_Settings.m_fBaseFOV;
    if (g_Settings.m_bGameMode) g_CutsceneMgrHooks.openMenu();
    else g_CutsceneMgrHooks.showResult();
}

void CutsceneMgr::Update() {
    if (!m_pActiveScene) return;
    if (!m_pCurrentCut) {
        m_pActiveScene = nullptr;
        return;
    }
    if (g_CommandMgr.IsCommandActive(kStopCommand1) || g_CommandMgr.IsCommandActive(kStopCommand2)) {
        StopScene();
        return;
    }
    strScene& scene = *m_pActiveScene;
    ++scene.m_uFramesInCut;
    scene.m_fTimeInCut += m_fSpeed * g_Engine.m_fFrameTime;
    if (scene.m_fTimeInCut + kFadeLead > m_pCurrentCut->m_fDuration) m_fFade = kFade;
    if (scene.m_fTimeInCut > m_pCurrentCut->m_fDuration) {
        NextCut();
        if (!m_pActiveScene) return;
    }
    if (m_pCurrentCut->m_bBlack) m_fFade = kFade;
    if (m_bRecording) g_CutsceneMgrHooks.physicsUpdate();
    else PlayFrames();
}

void CutsceneMgr::UpdateCamera() {
    if (!m_pActiveScene) return;
    if (!m_pCurrentCut) {
        m_pActiveScene = nullptr;
        return;
    }
    ApplyCameraFrame();
    if (m_bRecording) RecordFrame();
    g_FXMgr.Update(false);
}

void CutsceneMgr::ApplyCameraFrame() {
    if (!m_bRecording && !m_bPlayWithoutRecording) return;
    const strCut& cut = *m_pCurrentCut;
    g_Settings.m_fFOV = cut.m_fFov;
    g_Camera.m_fFovFactor = cut.m_fFov;
    g_Camera.Update(true);
    DV position = g_Camera.m_vPosition;
    if (EObjectSlot* camera = Find(cut.m_szCamera)) {
        position = camera->m_vPosition;
        if (cut.m_szCameraSocket[0]) g_Engine.GetObjectSocket(camera, cut.m_szCameraSocket, &position, nullptr);
    }
    EOrientation target = g_Camera.m_Orientation;
    if (const EObjectSlot* lookAt = Find(cut.m_szLookAt)) {
        DV direction = lookAt->m_vPosition - position;
        float length = std::sqrt(direction.x * direction.x + direction.y * direction.y + direction.z * direction.z);
        if (length == 0) length = 1;
        direction = direction * (1.0f / length);
        target = EOrientation::EOrientationFromDirection(&direction);
    }
    EOrientation orientation = target;
    if (m_pActiveScene->m_uFramesInCut > kSnapFrames) {
        orientation = g_Camera.m_Orientation;
        orientation.Slerp(&target, std::min(1.0f, g_Engine.m_fFrameTime * kTurnRate));
    }
    g_Camera.SetPosition(position);
    g_Camera.SetOrientation(orientation);
}

void CutsceneMgr::RenderFade() {
    if (!m_pActiveScene || m_fFade <= 0) return;
    const uint32_t alpha = static_cast<uint32_t>(std::min(255.0f, m_fFade * 255.0f));
    m_FadeQuad.BeginStates(false);
    m_FadeQuad.SetRect(0, 0, static_cast<float>(g_Settings.m_iScreenWidth), static_cast<float>(g_Settings.m_iScreenHeight));
    m_FadeQuad.SetColor(alpha << 24);
    m_FadeQuad.Render(true);
    m_FadeQuad.EndStates();
    m_fFade = std::max(0.0f, m_fFade - kFadeRate * std::min(g_Engine.m_fFrameTime, kMaxFadeStep));
}

void StartScene(const char* name) { g_CutsceneMgr.StartScene(name); }
