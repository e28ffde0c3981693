#include "world/EEngine.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

#include "audio/CSoundCache.h"
#include "audio/CSoundMgr.h"
#include "collision/ECollisionMgr.h"
#include "collision/EIntersectSegment.h"
#include "collision/ERigidBodySimulation.h"
#include "core/CCommandMgr.h"
#include "core/CoreHooks.h"
#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/EMouse.h"
#include "core/EProfiler.h"
#include "core/ESettings.h"
#include "core/QueryAppTimer.h"
#include "core/ScriptLine.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "core/StringHelpers.h"
#include "mesh/EMesh.h"
#include "mesh/EMeshMgr.h"
#include "mesh/EMeshSocketsMgr.h"
#include "mesh/ESkinMesh.h"
#include "mesh/ESkinMeshMgr.h"
#include "platform/gfx/ImageWriter.h"
#include "platform/os/Clock.h"
#include "platform/os/Files.h"
#include "platform/os/Random.h"
#include "render/AmbientProbe.h"
#include "render/CPowerLines.h"
#include "render/CTTFonts.h"
#include "render/D3DDevice.h"
#include "render/EEffectMgr.h"
#include "render/EFXMgr.h"
#include "render/EFont.h"
#include "render/EPostProcess.h"
#include "render/ERenderStateCache.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "render/ESurface.h"
#include "render/RenderHooks.h"
#include "world/BezierMgr.h"
#include "world/CVisibilityBlockers.h"
#include "world/ECamera.h"
#include "world/EEngineObject.h"
#include "world/EFenceGenerator.h"
#include "world/EWorldMgr.h"
#include "world/WorldHooks.h"
#include "world/WorldLine.h"

EEngine g_Engine;

namespace {

// A skinned mesh that moved (or was turned or scaled) joins and leaves the finders' touch lists
// and refreshes its segment-table entry at once, as a mesh does through its world transform.
void SkinMeshMoved(EObjectSlot* object) {
    g_CollisionMgr.UpdateObject(object);
    g_IntersectSegment.UpdateEngineObject(object);
}

constexpr float kMinimumFrameTime = 0.001f;
constexpr float kMaximumFrameTime = 0.5f;
constexpr float kFastForward = 100.0f;
constexpr float kFPSWindow = 0.05f;
constexpr float kFullTurn = 2 * std::numbers::pi_v<float>;

constexpr const char* kNamePrefixesFile = "save\\NamePrefixes.cfg";
constexpr char kDefaultPrefixes[EEngine::kPrefixes][EEngine::kPrefixSize] = {"m", "sm", "l", "spr"};

constexpr int kSectionMusic = 10;
constexpr int kSectionSky = 20;
constexpr int kSectionEngineObjects = 30;
constexpr int kSectionRenderer = 50;
constexpr int kTimerHotKeys = 416;
constexpr int kTimerEngineObjects = 408;
constexpr int kTimerRenderer = 409;

// Key-binding commands of the hot keys.
constexpr uint32_t kCommandConsole = 10;
constexpr uint32_t kCommandScreenshot = 13;
constexpr uint32_t kCommandGammaUp = 22;
constexpr uint32_t kCommandGammaDown = 23;

constexpr int kScreenshots = 1000;
constexpr const char* kMarkerFile = "prefabs\\special\\marker.x";
constexpr float kMarkerScale = 0.5f;
constexpr uint32_t kMarkerFlags = 128;
constexpr int kMaxFileName = 126;
constexpr int kFXNameSize = 64;

// Heap blocks hung on objects, each counted under its tag while it lives.
template <class T>
T* NewBlock(const char* tag) {
    g_Debug.AddAlloc(tag);
    return new T{};
}

template <class T>
void FreeBlock(T*& block, const char* tag) {
    if (!block) return;
    delete block;
    g_Debug.RemoveAlloc(tag);
    block = nullptr;
}

void FreeName(char*& name, const char* tag) {
    if (!name) return;
    delete[] name;
    g_Debug.RemoveAlloc(tag);
    name = nullptr;
}

// A 64-byte name block holding text (which the caller has checked fits).
void StoreName(char*& name, const char* tag, const char* text) {
    if (!name) {
        g_Debug.AddAlloc(tag);
        name = new char[kFXNameSize]();
    }
    std::snprintf(name, kFXNameSize, "%s", text);
}

// Copies text into a fixed field; false (nothing copied) when it does not fit.
template <size_t N>
bool CopyName(char (&out)[N], const char* text) {
    if (!text || std::strlen(text) >= N) return false;
    std::memcpy(out, text, std::strlen(text) + 1);
    return true;
}

// Copies as much of text as fits into size bytes; false when it had to be cut.
bool CopyBounded(char* out, int size, const char* text) {
    if (!out || size <= 0) return false;
    std::snprintf(out, static_cast<size_t>(size), "%s", text ? text : "");
    return !text || std::strlen(text) < static_cast<size_t>(size);
}

// Copies the fields of one object into another.
template <auto... Fields>
void CopyFields(EObjectSlot* to, const EObjectSlot* from) {
    ((to->*Fields = from->*Fields), ...);
}

bool KnownKind(uint8_t kind) { return kind == OT_MESH || kind == OT_LIGHT || kind == OT_SKINMESH; }

}  // namespace

EEngine::EEngine()
    : m_bReady(0), m_bWorldRunning(0), m_bWorldFailed(0), m_bKeyboardAcquired(0), m_bScreenshotKeyDown(0), m_bCommandKeyDown(0),
      m_hWnd(nullptr), m_fLastTime(0), m_fFPSTime(0), m_fFPS(0), m_iFPSFrames(0), m_fFrameTime(0), m_uFrameCounter(0),
      m_bQuit(0), m_bStartWorld(0), m_szPendingWorld{}, m_szStartingWorld{}, m_szSecondWorldName{}, m_bScreenshot(0),
      m_bWorldRender(0), m_pLookFrom(nullptr), m_pLookAt(nullptr), m_uLookFromFlags(0), m_bForcedLookActive(0),
      m_fLevelTime(0), m_bLevelTimeStarted(0), m_bFastForward(0), m_fRunningClock(0),
      m_uBackgroundColour(0xFF000000), m_Objects{}, m_iMeshMark(kFirstMeshSlot), m_iSkinMeshMark(kFirstSkinMeshSlot),
      m_iLightMark(kFirstLightSlot), m_iFourthMark(kSearchedSlots), TotalObjects(0), m_szPrefixes{}, m_bLightUsed{},
      m_bLightOn{} {
    LoadNamePrefixes();
}

// The blocks still hung on objects go with the program.
EEngine::~EEngine() = default;

// ---- The object table ------------------------------------------------------------------------

bool EEngine::KindSlots(int kind, int* first, int* end) {
    switch (kind) {
        case OT_MESH: *first = kFirstMeshSlot, *end = kFirstSkinMeshSlot; return true;
        case OT_SKINMESH: *first = kFirstSkinMeshSlot, *end = kFirstLightSlot; return true;
        case OT_LIGHT: *first = kFirstLightSlot, *end = kSearchedSlots; return true;
        default: return false;
    }
}

int& EEngine::KindMark(int kind) {
    if (kind == OT_SKINMESH) return m_iSkinMeshMark;
    if (kind == OT_LIGHT) return m_iLightMark;
    return m_iMeshMark;
}

EObjectSlot* EEngine::FindObject(const char* name, bool knownKindsOnly) const {
    if (!name) return nullptr;
    for (int i = 0; i < kSearchedSlots; ++i) {
        const EObjectSlot& o = m_Objects[i];
        if (!o.m_bUsed || !o.m_szName[0] || (knownKindsOnly && !KnownKind(o.Type))) continue;
        if (StrICmp(o.m_szName, name) == 0) return const_cast<EObjectSlot*>(&o);
    }
    return nullptr;
}

EObjectSlot* EEngine::FindObjectByPesel(const uint32_t* id) const {
    if (!id) return nullptr;
    for (int i = 0; i < kSearchedSlots; ++i) {
        const EObjectSlot& o = m_Objects[i];
        if (o.m_bUsed && o.pesel[0] == id[0] && o.pesel[1] == id[1] && o.pesel[2] == id[2])
            return const_cast<EObjectSlot*>(&o);
    }
    return nullptr;
}

const char* EEngine::GetNamePrefix(int kind) const {
    switch (kind) {
        case OT_MESH: return m_szPrefixes[0];
        case OT_SKINMESH: return m_szPrefixes[1];
        case OT_LIGHT: return m_szPrefixes[2];
        default: return "";
    }
}

void EEngine::AssignDefaultName(EObjectSlot* object, int startNumber) {
    object->m_szName[0] = 0;
    char name[EObjectSlot::kNameSize];
    for (int n = startNumber;; ++n) {
        std::snprintf(name, sizeof name, "%s%04d", GetNamePrefix(object->Type), n);
        if (!FindObject(name, false)) break;
    }
    std::memcpy(object->m_szName, name, sizeof name);
}

void EEngine::LoadNamePrefixes() {
    if (FILE* file = plat::OpenFile(kNamePrefixesFile, "rb")) {
        // A short file leaves the rest of the cells empty.
        std::fread(m_szPrefixes, 1, sizeof m_szPrefixes, file);
        std::fclose(file);
        // Every cell is a string: a cell of four letters loses its last one rather than run into
        // the next cell.
        for (char(&cell)[kPrefixSize] : m_szPrefixes) cell[kPrefixSize - 1] = 0;
        return;
    }
    std::memcpy(m_szPrefixes, kDefaultPrefixes, sizeof m_szPrefixes);
    SaveNamePrefixes();
}

void EEngine::SaveNamePrefixes() {
    plat::CreateDirectory("save");
    FILE* file = plat::OpenFile(kNamePrefixesFile, "wb");
    if (!file) return;
    std::fwrite(m_szPrefixes, 1, sizeof m_szPrefixes, file);
    std::fclose(file);
}

// ---- Creation and deletion -------------------------------------------------------------------

EObjectSlot* EEngine::AddObject(const ObjectCreateParams* params) {
    if (!params) return nullptr;
    int first = 0, end = 0;
    if (!KindSlots(params->m_bKind, &first, &end)) {
        g_Console.Print("Adding object of UNKNOWN type!");
        return nullptr;
    }
    // The slot keeps 126 characters of the model's name: a longer name would be another file, so
    // the object is not made at all.
    if (strnlen(params->m_szFileName, sizeof params->m_szFileName) > kMaxFileName) {
        g_Console.Print("AddObject FileName>126");
        LogError("AddObject FileName>126");
        return nullptr;
    }
    int slot = first;
    while (slot < end && m_Objects[slot].m_bUsed) ++slot;
    if (slot == end) {
        g_Console.Print("*** Over Objects Limit!");
        return nullptr;
    }

    EObjectSlot* o = &m_Objects[slot];
    *o = EObjectSlot{};
    o->m_pBezierParams = NewBlock<strBezierMovingParameters>("strBezierMovingParameters");
    o->m_pBezierState = NewBlock<strBezierMovingState>("strBezierMovingState");
    o->m_fFullTurn = kFullTurn;
    o->m_uIndex = static_cast<uint32_t>(slot);
    o->m_cSignedByte = -1;
    std::memcpy(o->m_szFileName, params->m_szFileName, sizeof o->m_szFileName);
    o->m_fRadius = params->m_fLightRange;
    o->pesel[0] = plat::MillisecondTime();
    o->pesel[1] = static_cast<uint32_t>(plat::Random());
    o->pesel[2] = static_cast<uint32_t>(slot);
    o->Type = params->m_bKind;
    if (g_Settings.m_bEditor) AssignDefaultName(o, slot);
    o->m_bUsed = 1;
    o->m_fLightValues[0] = o->m_fLightValues[1] = 2.0f;
    o->m_uIndexCopy = static_cast<uint32_t>(slot);
    o->m_fRadius = kDefaultLightRange;
    o->m_vScale = DV{1, 1, 1};

    auto setFlags = [&] {
        o->m_uFlags = params->m_uFlags;
        o->m_uFlags2 = params->m_uFlags2;
        o->m_uFlags3 = params->m_uFlags3;
        o->m_bVisibleThisFrame = static_cast<uint8_t>(o->m_uFlags & FLAG_VISIBLE);
    };
    auto abandon = [&] {
        FreeBlock(o->m_pBezierParams, "strBezierMovingParameters");
        FreeBlock(o->m_pBezierState, "strBezierMovingState");
        *o = EObjectSlot{};
    };
    if (o->Type == OT_MESH) {
        g_Debug.AddAlloc("EMesh");
        EMesh* mesh = new EMesh;
        mesh->m_hObject = o;
        mesh->Create(o->m_szFileName);
        if (!mesh->m_bCreated) {
            delete mesh;
            g_Debug.RemoveAlloc("EMesh");
            abandon();
            return nullptr;
        }
        o->Object = mesh;
        o->m_pDrawMesh = &mesh->m_Draw;
        o->m_fRadius = mesh->m_fRadius;
        setFlags();
        SetObjectTransform(o, params->m_vPosition, params->m_Orientation, false, true);
        SetObjectScaling(o, params->m_vScaling);
        if (g_Settings.m_bEditor) {
            strLightControlParams enabled;
            enabled.m_bEnabled = 1;
            SetLightControlParams(o, &enabled);
        }
        g_MeshMgr.PrepareObjectLods(o);
    } else if (o->Type == OT_SKINMESH) {
        g_Debug.AddAlloc("ESkinMesh");
        ESkinMesh* skin = new ESkinMesh;
        skin->m_hObject = o;
        if (!skin->Create(o->m_szFileName)) {
            skin->Destroy();
            delete skin;
            g_Debug.RemoveAlloc("ESkinMesh");
            g_Console.Print(params->m_szFileName);
            g_Console.Print("SkinMesh Nie Created!");
            abandon();
            return nullptr;
        }
        o->Object = skin;
        o->m_fRadius = static_cast<float>(skin->m_dRadius);
        setFlags();
        SetObjectTransform(o, params->m_vPosition, params->m_Orientation, false, true);
        SetObjectScaling(o, params->m_vScaling);
    } else {
        o->m_bIsLight = 1;
        o->m_bLightByte = 1;
        o->m_fLightValues[0] = o->m_fLightValues[1] = params->m_fLightValue;
        o->m_fRadius = params->m_fLightRange;
        SetObjectTransform(o, params->m_vPosition, params->m_Orientation, false, true);
        m_bLightUsed[slot - kFirstLightSlot] = 1;
        m_bLightOn[slot - kFirstLightSlot] = 1;
    }
    setFlags();
    o->m_iViewDistance = static_cast<int32_t>(params->m_fViewDistance);
    ++TotalObjects;
    int& mark = KindMark(o->Type);
    if (slot >= mark) mark = slot + 1;
    if (o->Type == OT_LIGHT) return o;

    g_CollisionMgr.AddObject(o);
    g_IntersectSegment.AddEngineObject(o);
    if (EMesh* mesh = o->Mesh()) {
        mesh->ComputeSubsetsBoundProbes();
        // Objects loaded with a world are offered at their first update instead.
        if (!m_bStartWorld) g_WorldHooks.createTruckForObject(o);
    }
    return o;
}

EObjectSlot* EEngine::CreateObject(int kind, const char* fileName, uint32_t flags, uint32_t flags2,
                                   const DV* position, const DV* scaling) {
    static ObjectCreateParams params;
    params.Reset();
    params.m_bKind = static_cast<uint8_t>(kind);
    // A name too long for the field fills it, and AddObject refuses it.
    std::snprintf(params.m_szFileName, sizeof params.m_szFileName, "%s", fileName ? fileName : "");
    params.m_uFlags = flags;
    params.m_uFlags2 = flags2;
    if (position) params.m_vPosition = *position;
    if (scaling) params.m_vScaling = *scaling;
    return AddObject(&params);
}

// The engine object pass and the forced look keep pointers to objects; a deleted object leaves
// them, so a later object in the same slot is not taken for it.
void EEngine::UntieFrom(EObjectSlot* object) {
    if (object == m_pLookFrom || object == m_pLookAt) ForceCameraToLook(nullptr, nullptr);
    if (g_EngineObject.m_pDirectionPointer == object) g_EngineObject.m_pDirectionPointer = nullptr;
    if (g_EngineObject.m_pLastShaker == object) g_EngineObject.m_pLastShaker = nullptr;
    if (EObjectSlot* marker = object->m_pLinkedObject; marker && marker->m_pOwner == object)
        marker->m_pOwner = nullptr;
    if (EObjectSlot* truck = object->m_pOwner; truck && truck->m_pLinkedObject == object) {
        truck->m_pLinkedObject = nullptr;
        truck->m_bHitchedToMarker = 0;
    }
}

void EEngine::DeleteObject(EObjectSlot* object) {
    if (!object || !object->m_bUsed) return;
    if (StrICmp(object->m_szName, "test") == 0) g_Console.Print("DeleteObject: \"test\".");
    UntieFrom(object);
    object->m_pLinkedObject = nullptr;
    g_Camera.StopConstantShakeFrom(object);

    if (strSoundParams* sound = object->m_pSoundParams; sound && sound->m_pSound) {
        g_SoundMgr.StopSound(sound->m_pSound);
        g_SoundMgr.ReleaseSound(sound->m_pSound);
        sound->m_pSound = nullptr;
    }
    FreeBlock(object->m_pSoundParams, "strSoundParams");
    FreeBlock(object->m_pPlotek, "strPlotek");
    FreeBlock(object->m_pTexturePaint, "strTexturePaint");
    FreeBlock(object->m_pLightBlinking, "strLightBlinking");

    g_WorldHooks.physicsDeleteObject(object);
    if (object->m_pEffectInstance) {
        g_FXMgr.RemoveFX(object->m_pEffectInstance->m_iIndex);
        object->m_pEffectInstance = nullptr;
    }
    if (object->Mesh() && object->m_pPhysicsBody) RemoveObjectPhysics(object);
    g_MeshSocketsMgr.ReleaseObjectSockets(object);

    FreeName(object->CacheObjectToTieTo, "CacheObjectToTieTo");
    FreeName(object->CacheSocketToTieTo, "CacheSocketToTieTo");
    FreeName(object->FX, "h->FX");
    FreeBlock(object->m_pLightControlParams, "strLightControlParams");
    FreeBlock(object->m_pActionParams, "strActionParams");
    FreeBlock(object->m_pDeathParams, "strDeathParams");

    if (object->Type == OT_MESH || object->Type == OT_SKINMESH) {
        for (int i = 0; i < kSearchedSlots; ++i) {
            EObjectSlot& other = m_Objects[i];
            if (&other == object || !other.m_bUsed || !other.m_bTied || other.m_pTieTargetObject != object) continue;
            other.m_pTieTargetObject = nullptr;
            other.m_bTied = 0;
            // A zero push wakes the untied object's body, so it falls instead of hanging in the air.
            if (other.Type == OT_MESH) PutForceToObject(&other, DV{});
        }
    }
    g_CollisionMgr.RemoveObject(object);
    g_IntersectSegment.RemoveEngineObject(object);

    if (EMesh* mesh = object->Mesh()) {
        mesh->Destroy();
        delete mesh;
        g_Debug.RemoveAlloc("EMesh");
    } else if (ESkinMesh* skin = object->SkinMesh()) {
        skin->Destroy();
        delete skin;
        g_Debug.RemoveAlloc("ESkinMesh");
    }
    object->Object = nullptr;
    object->m_pDrawMesh = nullptr;

    int slot = static_cast<int>(object - m_Objects);
    object->m_fRadius = 0;
    object->m_bUsed = 0;
    int first = 0, end = 0;
    if (KindSlots(object->Type, &first, &end)) {
        int& mark = KindMark(object->Type);
        if (slot + 1 == mark)
            while (mark > first && !m_Objects[mark - 1].m_bUsed) --mark;
    }
    if (object->Type == OT_LIGHT && slot >= kFirstLightSlot && slot < kSearchedSlots)
        m_bLightUsed[slot - kFirstLightSlot] = m_bLightOn[slot - kFirstLightSlot] = 0;

    FreeBlock(object->m_pBezierParams, "strBezierMovingParameters");
    FreeBlock(object->m_pBezierState, "strBezierMovingState");
    *object = EObjectSlot{};
    --TotalObjects;
}

void EEngine::DeleteAllObjects(bool all) {
    for (int i = kFirstMeshSlot; i < kFirstSkinMeshSlot; ++i)
        if (m_Objects[i].m_bUsed && (all || m_Objects[i].m_bSpawned)) DeleteObject(&m_Objects[i]);
    for (int i = kFirstLightSlot; i < kSearchedSlots; ++i)
        if (m_Objects[i].m_bUsed) DeleteObject(&m_Objects[i]);
    for (EObjectSlot& o : m_Objects)
        if (o.m_bUsed && (all || o.m_bSpawned)) DeleteObject(&o);
}

void EEngine::DeleteFlaggedObjects() {
    for (EObjectSlot& o : m_Objects)
        if (o.m_bUsed && (o.m_uFlags & FLAG_NOT_IMPORTANT)) DeleteObject(&o);
}

void EEngine::DeleteSectorObjects(int sector) {
    if (sector == 0) return;
    for (EObjectSlot& o : m_Objects)
        if (o.m_bUsed && o.m_iSector == sector) DeleteObject(&o);
}

void EEngine::WipeOut(float distance) {
    DV camera = g_Camera.m_vPosition;
    for (EObjectSlot& o : m_Objects) {
        if (!o.m_bUsed) continue;
        // Truncated as a float: objects far outside the world (the sky dome) lie beyond any int.
        float away = std::trunc(pmath::Length(o.m_vPosition - camera)) - o.m_fRadius;
        if (away >= distance) DeleteObject(&o);
    }
    g_Console.PrintFloat("WipeOut complete for ", distance);
}

void EEngine::PreloadResource(const char* name, int kind) {
    if (!name) return;
    switch (kind) {
        case 1: g_Renderer.GetTextureByName(name, false, false); break;
        case 4:
        case 16:
            DeleteObject(CreateObject(kind == 4 ? OT_MESH : OT_SKINMESH, name, kDefaultObjectFlags, 0, nullptr, nullptr));
            break;
        case 8:
            if (FileExists(name)) PreloadSound(name);
            break;
        default: break;
    }
}

// ---- World lifecycle and the frame -----------------------------------------------------------

void EEngine::Init(plat::WindowHandle window) {
    m_iFPSFrames = 0;
    m_bReady = 1;
    g_WorldHooks.mainGameInit();
    g_Profiler.RegisterSections();
    g_Camera.SetFarZ(100.0f);
    m_hWnd = window;
    QueryAppTimer(TIMER_RESET);
    QueryAppTimer(TIMER_START);
    UpdateTimer();
    m_fFrameTime = 0;
    g_Font.CreateVB();
    g_WorldHooks.physicsInit();
    g_Renderer.InitTextures();
    // The console can be drawn before the first world starts.
    g_Console.CreateConsoleBar();
    g_MeshMgr.Init();
    g_SkinMeshMgr.Init();
    g_MeshSocketsMgr.LoadAll();
    g_Console.Reset();
    g_EffectMgr.Init();
    g_SoundMgr.Initialize(window);
    g_Mouse.Init(window);
    g_WorldHooks.menuInit();
    g_WorldHooks.groundInit();
}

void EEngine::Release() {
    g_WorldHooks.groundTrimDefinitions();
    g_WorldHooks.menuRelease();
    ReleaseMouse();
    for (EObjectSlot& o : m_Objects) DeleteObject(&o);
    m_bReady = 0;
    g_EffectMgr.Release();
    g_Console.OnDeleteAllObjects();
    g_SkinMeshMgr.DeleteAll();
    g_MeshMgr.ReleaseAll();
    g_Renderer.Release();
    g_SoundMgr.Release();
    g_WorldHooks.physicsShutdown();
    g_Font.Release();
    g_TTFonts.ReleaseFonts();
    g_TTFonts.RemoveFontResources();
    g_Console.ReleaseConsoleBar();
    ReleaseKeyboard();
    m_hWnd = nullptr;
}

void EEngine::Quit() { m_bQuit = 1; }

bool EEngine::UpdateTimer() {
    float now = static_cast<float>(QueryAppTimer(TIMER_GETABSOLUTETIME));
    float step = now - m_fLastTime;
    if (step < kMinimumFrameTime) return false;
    if (step > kMaximumFrameTime) step = kMaximumFrameTime;
    if (m_bFastForward) step *= kFastForward;
    m_fLastTime = now;
    m_fFPSTime += step;
    m_fFrameTime = step * g_Settings.m_fGlobalTimeSpeed;
    ++m_iFPSFrames;
    if (m_fFPSTime > kFPSWindow) {
        m_fFPS = static_cast<float>(m_iFPSFrames) / m_fFPSTime;
        m_iFPSFrames = 0;
        m_fFPSTime = 0;
    }
    if (m_bLevelTimeStarted) m_fLevelTime += m_fFrameTime;
    m_fRunningClock += m_fFrameTime;
    return true;
}

bool EEngine::Update() {
    if (!g_CoreHooks.hasFocus() || !m_bReady) return false;
    ++m_uFrameCounter;
    if (g_Settings.m_iDebug > 3) g_Console.PrintInt("*** Klatka: ", static_cast<int>(m_uFrameCounter));
    if (!m_bKeyboardAcquired && !g_Console.m_bOpen && !g_WorldHooks.menuActive()) AcquireKeyboard();
    g_Profiler.Update();
    if (g_Settings.m_bRecalculateCamera) std::memset(g_Renderer.m_FrameStats, 0, sizeof g_Renderer.m_FrameStats);
    if (!m_bLevelTimeStarted) {
        m_bLevelTimeStarted = 1;
        m_fLevelTime = 0;
    }

    g_Profiler.Begin(kSectionMusic);
    g_WorldHooks.mainGameUpdateMusic();
    g_Profiler.End(kSectionMusic);
    g_Profiler.Begin(kSectionSky);
    g_Sky.UpdateFrame();
    g_Profiler.End(kSectionSky);
    g_FenceGenerator.Update();

    bool timed = g_Settings.m_bDebugPerformance != 0;
    if (timed) g_Debug.StartTimer(kTimerHotKeys);
    UpdateHotKeys();

    g_Profiler.Begin(kSectionEngineObjects);
    if (timed) g_Debug.StartTimer(kTimerEngineObjects);
    g_EngineObject.Update();
    if (timed) g_Debug.m_dEngineObjectsTime = g_Debug.GetTimerElapsed(kTimerEngineObjects);
    g_Profiler.End(kSectionEngineObjects);

    g_Profiler.Begin(kSectionRenderer);
    if (timed) g_Debug.StartTimer(kTimerRenderer);
    g_Renderer.Update();
    if (timed) g_Debug.m_dRendererTime = g_Debug.GetTimerElapsed(kTimerRenderer);
    g_Profiler.End(kSectionRenderer);

    if (g_Settings.m_bPostProcess) g_PostProcess.Update();
    g_Console.Update();
    g_PowerLines.Update();
    g_WorldHooks.plantUpdateFieldWork();
    g_WorldHooks.groundUpdateVB();
    DeleteRequestedObjects();
    g_WorldHooks.autoMapUpdate();
    g_Console.SetVariable("TotalObjects", static_cast<float>(TotalObjects), 0);
    return true;
}

// Objects may ask for their own deletion while their update runs; they go here, after it.
void EEngine::DeleteRequestedObjects() {
    for (int i = 0; i < m_iLightMark; ++i) {
        EObjectSlot& o = m_Objects[i];
        if (!o.m_bUsed || !o.m_bToDelete) continue;
        o.m_bToDelete = 0;
        DeleteObject(&o);
    }
}

void EEngine::UpdateHotKeys() {
    if (!m_bKeyboardAcquired) return;
    bool screenshot = g_CommandMgr.IsCommandActive(kCommandScreenshot);
    if (screenshot && !m_bScreenshotKeyDown) SaveScreenshot();
    m_bScreenshotKeyDown = screenshot;
    bool command = g_CommandMgr.IsCommandActive(kCommandConsole);
    if (command && !m_bCommandKeyDown) g_Console.OnCommandKey();
    m_bCommandKeyDown = command;
    if (g_WorldHooks.menuActive()) return;
    for (auto [key, sign] : {std::pair{kCommandGammaUp, 1.0f}, std::pair{kCommandGammaDown, -1.0f}}) {
        if (!g_CommandMgr.IsCommandActive(key)) continue;
        float gamma = 1.0f;
        g_Camera.GetGamma(gamma);
        g_Camera.SetGamma(gamma + sign * m_fFrameTime * 0.5f);
        g_CommandMgr.SaveKeys();
    }
}

void EEngine::RequestStartWorld(const char* worldFile) {
    if (!worldFile) return;
    // A cut name would start another world: the request is refused whole.
    if (!CopyName(m_szPendingWorld, worldFile)) {
        g_Console.Print("!!! 1");
        return;
    }
    m_bWorldRender = 0;
    m_bStartWorld = 1;
}

bool EEngine::ProcessStartWorld(const char* worldFile) {
    const char* requested = worldFile ? worldFile : "";
    if (g_Settings.m_iDebug > 0) g_Console.PrintStr2("StartWorld ", requested);
    g_Console.PrintStr2("EEngine::ProcessStartWorld ", requested);
    m_bWorldRender = 0;
    m_bStartWorld = 1;
    g_Console.ExecuteLine("EnableAntialiasing 0");

    // The name may be the pending name itself, which is cleared below.
    char world[kWorldNameSize] = {};
    bool fits = requested[0] == '*' || CopyName(world, requested);
    m_szPendingWorld[0] = 0;

    // Objects left from a failed start would outlive the meshes released below.
    if (m_bWorldRunning || m_bWorldFailed) EndWorld();
    m_bWorldRunning = 0;
    m_bWorldFailed = 0;
    g_MeshMgr.ReleaseAll();
    g_Console.Print("EEngine::ProcessStartWorld 10");
    g_WorldHooks.physicsExitWorld();
    g_Console.Print("EEngine::ProcessStartWorld 20");
    g_Renderer.ClearTextures();
    g_Renderer.m_bMeshesInShadowRange = g_Renderer.m_bSkinMeshesInShadowRange = 0;
    g_Console.Print("EEngine::ProcessStartWorld 30");
    g_WorldHooks.mainGamePlayMusic(nullptr);
    g_Console.Print("EEngine::ProcessStartWorld 40");
    ClearSoundCache();
    if (!fits) g_Console.Print("!!! 1");
    std::memcpy(m_szStartingWorld, world, sizeof world);
    m_szSecondWorldName[0] = 0;
    g_Console.Print("EEngine::ProcessStartWorld 50");
    m_bLevelTimeStarted = 0;
    g_Console.Print("EEngine::ProcessStartWorld 60");
    g_WorldHooks.mainGameWorldStart();
    g_Console.Print("EEngine::ProcessStartWorld 70");
    g_Console.ShowLoadingScreen(world);
    g_WorldHooks.beginLoadingScreen(world);
    g_Console.Print("EEngine::ProcessStartWorld 80");
    // A name too long for the world's name field names no file that can be loaded.
    if (!fits || (world[0] && !g_WorldMgr.LoadWorld(world))) {
        m_bStartWorld = 0;
        m_bWorldFailed = 1;
        return false;
    }
    g_Console.Print("EEngine::ProcessStartWorld 90");
    g_MeshMgr.OnWorldStarted();
    m_bWorldRunning = 1;
    m_bWorldRender = 0;
    g_Console.Print("EEngine::ProcessStartWorld 100");
    BeginWorld();
    g_Console.Print("EEngine::ProcessStartWorld 110");
    g_Console.ReapplyVariables();
    if (!m_szStartingWorld[0]) m_bWorldRunning = 0;
    m_bStartWorld = 0;
    g_Console.Print("EEngine::ProcessStartWorld 120");
    g_WorldHooks.createLoadingBar();
    g_Console.Print("exiting EEngine::ProcessStartWorld");
    return true;
}

void EEngine::EndWorld() {
    g_PostProcess.ReleaseTargets();
    g_PostProcess.ReleaseDecl();
    g_AmbientProbe.OnEndWorld();
    g_FenceGenerator.OnEndWorld();
    g_PowerLines.Release();
    g_Profiler.Release();
    g_ViewLines.ReleaseVB();
    g_Debug.OnEndWorld();
    ReleaseKeyboard();
    g_Sky.OnEndWorld();
    ForceCameraToLook(nullptr, nullptr);
    m_bForcedLookActive = 0;
    g_WorldHooks.mainGameReleaseResources();
    DeleteAllObjects(true);
    g_Console.ReleaseConsoleBar();
    g_WorldHooks.plantRelease();
    g_WorldHooks.groundClearEffects();
    g_BezierMgr.Release();
    g_VisibilityBlockers.Reset();
    g_EffectMgr.OnEndWorld();
    g_EngineObject.OnEndWorld();
    if (g_Console.m_bOpen) g_Console.Close();
    g_Renderer.OnEndWorld();
    g_SoundMgr.ReleaseAllSounds();
    ClearSoundCache();
    g_WorldHooks.autoMapRelease();
    g_RigidBodySimulation.Shutdown();
    g_Camera.OnEndWorld();
}

void EEngine::BeginWorld() {
    m_bLevelTimeStarted = 0;
    g_WorldHooks.physicsResetRunCounters();
    g_AmbientProbe.OnStartWorld();
    g_FenceGenerator.OnStartWorld();
    g_PowerLines.OnStartWorld();
    g_WorldHooks.groundResolveTextures();
    g_WorldHooks.plantLoadGrass();
    g_Camera.OnStartWorld();
    g_Profiler.Disable();
    g_RigidBodySimulation.Init();
    ResolveTieCaches();
    g_ViewLines.CreateVB();
    g_WorldHooks.autoMapLoad();
    g_Renderer.OnStartWorld();
    g_EngineObject.OnStartWorld();
    g_Console.CreateConsoleBar();
    m_uFrameCounter = 0;
    m_fLevelTime = 0;
    g_EffectMgr.OnStartWorld();
    g_Sky.OnStartWorld();
    g_WorldHooks.mainGameLoadResources();
    AcquireKeyboard();
    g_Debug.OnBeginWorld();
    g_PostProcess.Create();
    if (!g_Settings.m_bDrawNotImportant) DeleteFlaggedObjects();
}

void EEngine::PrepareCamera() {
    m_bForcedLookActive = 0;
    g_WorldHooks.hudForcedLook(false);
    for (int i = kFirstSkinMeshSlot; i < kFirstLightSlot; ++i) {
        EObjectSlot& o = m_Objects[i];
        if (ESkinMesh* skin = o.SkinMesh(); o.m_bUsed && o.m_bVisibleThisFrame && skin) skin->UpdateFrameMatrices();
    }
    g_WorldHooks.updatePlayerFrontLoader();
    g_Camera.UpdateMoveToObject();
    g_Camera.UpdateLookFrom();
    if (m_pLookFrom && m_pLookAt) {
        g_Camera.SetPosition(m_pLookFrom->m_vPosition);
        DV direction = m_pLookAt->m_vPosition - m_pLookFrom->m_vPosition;
        g_Camera.SetOrientation(EOrientation::EOrientationFromDirection(&direction));
        m_bForcedLookActive = 1;
        g_WorldHooks.hudForcedLook(true);
        if (g_Settings.m_iDebug >= 3) {
            char line[256];
            std::snprintf(line, sizeof line, "%s->%s: %f", m_pLookFrom->m_szName, m_pLookAt->m_szName,
                          static_cast<double>(m_pLookAt->m_fCameraDistance));
            g_Console.Print(line);
        }
    }
    g_Camera.UpdateViewMatrix();
    if (g_Settings.m_bSound) g_Camera.UpdateSoundListener();
}

void EEngine::RenderTranslucent() {
    g_WorldHooks.groundRender();
    g_Renderer.RenderTranslucent();
    g_FXMgr.Render();
}

void EEngine::RenderScene() {
    if (!m_bReady || g_WorldHooks.loadingScreenActive() || !g_pd3dDevice) return;
    gfx::Device& d = *g_pd3dDevice;
    d.SetRenderState(gfx::RS_ZENABLE, 1);
    g_RenderStateCache.SetCulling(true);
    d.SetRenderState(gfx::RS_FILLMODE, g_Settings.m_bWireFrame ? gfx::FILL_WIREFRAME : gfx::FILL_SOLID);
    d.SetRenderState(gfx::RS_DITHERENABLE, 0);
    d.SetRenderState(gfx::RS_CLIPPING, 1);
    d.SetRenderState(gfx::RS_NORMALIZENORMALS, 1);
    d.SetRenderState(gfx::RS_SPECULARENABLE, 0);
    d.SetRenderState(gfx::RS_DEPTHBIAS, 0);
    d.SetRenderState(gfx::RS_DITHERENABLE, 1);
    g_Renderer.Render();
    RenderTranslucent();
    d.SetRenderState(gfx::RS_DEPTHBIAS, 0);
    d.SetVertexShader(nullptr);
    d.SetPixelShader(nullptr);
    d.SetVertexDeclaration(nullptr);
    if (g_Settings.m_bPostProcess) {
        g_PostProcess.EndCapture();
        g_PostProcess.Render();
    }
}

// The console key opens the console; while it is open it takes every key. Other keys go to the
// front end, which picks the menu or the main game.
void EEngine::OnKeyDown(uint32_t virtualKey) {
    if (g_Console.m_bOpen) g_Console.OnKeyDown(virtualKey);
    else if (virtualKey == EConsole::kConsoleKey) g_Console.Open();
    else g_WorldHooks.frontEndKeyDown(virtualKey);
}

void EEngine::OnKeyUp(uint32_t virtualKey) {
    if (g_Console.m_bOpen) g_Console.OnKeyUp(virtualKey);
    else g_WorldHooks.frontEndKeyUp(virtualKey);
}

void EEngine::InitMouse() { g_Mouse.Init(m_hWnd); }

void EEngine::ReleaseMouse() { g_Mouse.Release(); }

void EEngine::AcquireKeyboard() {
    if (m_bKeyboardAcquired) return;
    g_CommandMgr.CreateKeyboard(m_hWnd);
    m_bKeyboardAcquired = 1;
}

void EEngine::ReleaseKeyboard() {
    if (!m_bKeyboardAcquired) return;
    g_CommandMgr.ReleaseKeyboard();
    m_bKeyboardAcquired = 0;
}

void EEngine::RunAction(const char* objectName) {
    EObjectSlot* object = FindObject(objectName, true);
    if (!object) {
        g_Console.PrintStr2("EEngine chce akcje, ale nie znaleziono obiektu ", objectName ? objectName : "");
        return;
    }
    if (g_Settings.m_iDebug > 0) g_Console.PrintStr2("EEngine: Odpalam akcje na ", objectName);
    g_EngineObject.UpdateObjectActions(object, false);
}

void EEngine::SetSectorHidden(int sector, uint8_t hidden) {
    if (sector == 0) return;
    for (EObjectSlot& object : m_Objects)
        if (object.m_bUsed && object.m_iSector == sector) object.m_bHidden = hidden;
}

// ---- Screenshots and shader constants --------------------------------------------------------

gfx::Result EEngine::SaveScreenshot() {
    m_bScreenshot = 0;
    if (!g_pd3dDevice) return gfx::ERR_INVALIDCALL;
    char name[32];
    int n = 0;
    for (; n < kScreenshots; ++n) {
        std::snprintf(name, sizeof name, "qv_screen%04d.bmp", n);
        if (!FileExists(name)) break;
    }
    // Every number is taken: the last picture is kept rather than overwritten.
    if (n == kScreenshots) {
        g_Console.Print("Screenshot not saved: qv_screen0000.bmp to qv_screen0999.bmp all exist");
        return gfx::ERR_FAIL;
    }
    return gfx::SaveBackBufferToBmp(*g_pd3dDevice, name);
}

void EEngine::SetShaderLights(ShaderLights& constants) {
    constants.m_View = g_Camera.m_View;
    constants.m_Projection = g_Camera.m_Projection;
    if (!pmath::Inverse(g_Camera.m_View, &constants.m_ViewInverse)) constants.m_ViewInverse = pmath::Identity();
    const DV& eye = g_Camera.m_vPosition;
    constants.m_vCameraPosition = pmath::Vec4{eye.x, eye.y, eye.z, 1.0f};
    for (int set = 0; set < ESky::kSets; ++set) {
        uint32_t c = g_Sky.m_uAmbientColour[set];
        constants.m_vLightSets[set] = pmath::Vec4{((c >> 16) & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f,
                                                  (c & 0xFF) / 255.0f, ((c >> 24) & 0xFF) / 255.0f};
    }
    for (int i = 0; i < m_iMeshMark; ++i) {
        EObjectSlot& o = m_Objects[i];
        EMesh* mesh = o.Mesh();
        if (!o.m_bUsed || !mesh || o.m_bExcluded || !(o.m_bVisibleThisFrame || g_Settings.m_bEditor)) continue;
        pmath::Matrix world;
        mesh->GetWorldMatrix(&world);
        o.m_WorldView = world * constants.m_View;
        o.m_WorldViewProjection = o.m_WorldView * constants.m_Projection;
        pmath::Matrix inverseWorld;
        if (!pmath::Inverse(world, &inverseWorld)) continue;
        DV local = pmath::TransformPoint(eye, inverseWorld);
        o.m_fCameraInObject[0] = local.x;
        o.m_fCameraInObject[1] = local.y;
        o.m_fCameraInObject[2] = local.z;
        o.m_fCameraInObject[3] = 1.0f;
    }
}

// ---- Accessors -------------------------------------------------------------------------------

// The attached effect follows the object.
void EEngine::MoveEffectWithObject(EObjectSlot* object) {
    if (EFXInstance* effect = object->m_pEffectInstance) {
        effect->m_vPosition = object->m_vPosition;
        effect->m_vPreviousPosition = object->m_vPosition;
    }
}

// What follows a moving mesh or skinned mesh: its sound, and the last place it was seen far from.
void EEngine::UpdateObjectLinks(EObjectSlot* object) {
    if (object->m_bIsLight) return;
    if (g_Settings.m_bEditor && g_WorldHooks.levelFrame() < 150) return;
    object->m_bShadowByte = 0;
    if (object->m_pSoundParams && object->m_pSoundParams->m_pSound)
        g_SoundMgr.SetSoundPosition(object->m_pSoundParams->m_pSound, object->m_vPosition);
    if ((object->m_uFlags & FLAG_VISIBLE) && !(object->m_uFlags & FLAG_NO_FAR_TRACKING) &&
        pmath::Length(object->m_vPosition - object->m_vLastFarPosition) >= 128.0f)
        object->m_vLastFarPosition = object->m_vPosition;
}

void EEngine::SetObjectPosition(EObjectSlot* object, const DV& position, bool keepStart) {
    if (!object) return;
    object->m_vPosition = position;
    if (!keepStart) object->m_vStartPosition = position;
    MoveEffectWithObject(object);
    if (EMesh* mesh = object->Mesh()) {
        UpdateObjectLinks(object);
        if (object->m_pPhysicsBody) g_WorldHooks.setObjectBodyTransform(object, position, object->m_Orientation);
        mesh->SetWorldTransform();
    } else if (object->Type == OT_LIGHT) {
        object->m_bLightCache = 0;
    } else if (ESkinMesh* skin = object->SkinMesh()) {
        UpdateObjectLinks(object);
        skin->SetPosition(position);
        SkinMeshMoved(object);
    }
}

void EEngine::SetObjectTransform(EObjectSlot* object, const DV& position, const EOrientation& orientation,
                                 bool keepStart, bool updatePhysics) {
    if (!object) return;
    object->m_vPosition = position;
    if (!keepStart) object->m_vStartPosition = position;
    object->m_Orientation = orientation;
    MoveEffectWithObject(object);
    if (EFXInstance* effect = object->m_pEffectInstance) effect->m_Orientation = orientation;
    if (EMesh* mesh = object->Mesh()) {
        UpdateObjectLinks(object);
        if (updatePhysics && object->m_pPhysicsBody) g_WorldHooks.setObjectBodyTransform(object, position, orientation);
        mesh->SetOrientation(orientation);
    } else if (object->Type == OT_LIGHT) {
        object->m_bLightCache = 0;
    } else if (ESkinMesh* skin = object->SkinMesh()) {
        UpdateObjectLinks(object);
        skin->SetPosition(position);
        skin->SetOrientation(orientation);
        SkinMeshMoved(object);
    }
}

void EEngine::SetObjectOrientation(EObjectSlot* object, const EOrientation& orientation) {
    if (!object) return;
    object->m_Orientation = orientation;
    if (EMesh* mesh = object->Mesh()) {
        if (object->m_pPhysicsBody) g_WorldHooks.setObjectBodyTransform(object, object->m_vPosition, orientation);
        mesh->SetOrientation(orientation);
    } else if (ESkinMesh* skin = object->SkinMesh()) {
        skin->SetOrientation(orientation);
        SkinMeshMoved(object);
    } else if (object->Type == OT_LIGHT) {
        object->m_bLightCache = 0;
    }
}

void EEngine::GetObjectPosition(EObjectSlot* object, DV* out) {
    if (!object || !out) return;
    if (ESkinMesh* skin = object->SkinMesh()) object->m_vPosition = skin->m_vPosition;
    *out = object->m_vPosition;
}

void EEngine::GetObjectOrientation(EObjectSlot* object, EOrientation* out) const {
    if (!object || !out) return;
    if (EMesh* mesh = object->Mesh()) mesh->GetOrientation(out);
    else if (ESkinMesh* skin = object->SkinMesh()) *out = skin->m_Orientation;
    else *out = object->m_Orientation;
}

void EEngine::SetObjectScaling(EObjectSlot* object, const DV& scale) {
    if (!object) return;
    if (EMesh* mesh = object->Mesh()) {
        mesh->SetScale(scale);
        object->m_fRadius = mesh->m_fRadius;
        object->m_vScale = scale;
    } else if (ESkinMesh* skin = object->SkinMesh()) {
        skin->SetScale(scale);
        object->m_vScale = scale;
        SkinMeshMoved(object);
    }
}

void EEngine::GetObjectScaling(EObjectSlot* object, DV* out) const {
    if (!object || !out) return;
    if (EMesh* mesh = object->Mesh()) mesh->GetScale(out);
    else if (ESkinMesh* skin = object->SkinMesh()) *out = skin->m_vScale;
}

void EEngine::SetObjectFlags(EObjectSlot* object, uint32_t value, uint32_t mask) {
    if (!object) return;
    bool wasListed = (object->m_uFlags & FLAG_IN_RENDER_LISTS) != 0;
    object->m_uFlags = (object->m_uFlags & ~mask) | (value & mask);
    object->m_bVisibleThisFrame = static_cast<uint8_t>(object->m_uFlags & FLAG_VISIBLE);
    if (EMesh* mesh = object->Mesh(); mesh && !wasListed && (object->m_uFlags & FLAG_IN_RENDER_LISTS))
        mesh->SetWorldTransform();
    g_IntersectSegment.UpdateEngineObject(object);
}

void EEngine::GetObjectFlags(EObjectSlot* object, uint32_t* out) const {
    if (object && out) *out = object->m_uFlags;
}

void EEngine::SetObjectFlags2(EObjectSlot* object, uint32_t value, uint32_t mask) {
    if (!object) return;
    object->m_uFlags2 = (object->m_uFlags2 & ~mask) | (value & mask);
    g_IntersectSegment.UpdateEngineObject(object);
}

void EEngine::GetObjectFlags2(EObjectSlot* object, uint32_t* out) const {
    if (object && out) *out = object->m_uFlags2;
}

void EEngine::SetObjectFlags3(EObjectSlot* object, uint32_t value, uint32_t mask) {
    if (object) object->m_uFlags3 = (object->m_uFlags3 & ~mask) | (value & mask);
}

int32_t EEngine::GetViewDistance(EObjectSlot* object) const { return object ? object->m_iViewDistance : 0; }

void EEngine::SetViewDistance(EObjectSlot* object, int32_t distance) {
    if (object) object->m_iViewDistance = distance;
}

void EEngine::SetLightRange(EObjectSlot* light, float range) {
    if (!light || !light->m_bIsLight) return;
    light->m_fRadius = range;
    light->m_bLightCache = 0;
}

void EEngine::SetObjectTextureSwap(EObjectSlot* object, int slot, const char* name, const char* replacement) {
    if (!object || slot < 0 || slot > 1) return;
    if (!name || !replacement) {
        object->m_uTextureSwap[slot][0] = object->m_uTextureSwap[slot][1] = 0;
        return;
    }
    object->m_uTextureSwap[slot][0] = g_Renderer.GetTextureByName(name, false, false);
    object->m_uTextureSwap[slot][1] = g_Renderer.GetTextureByName(replacement, false, false);
}

void EEngine::SetRigidBodyPhysicsParams(EObjectSlot* object, const RigidBodyPhysicsParams* params) {
    if (object && object->Mesh()) object->Mesh()->SetRigidBodyPhysicsParams(params);
}

void EEngine::GetRigidBodyPhysicsParams(EObjectSlot* object, RigidBodyPhysicsParams* out) const {
    if (object && object->Mesh()) object->Mesh()->GetRigidBodyPhysicsParams(out);
}

void EEngine::SetPathGenerationParams(EObjectSlot* object, const PathGenerationParams* params) {
    if (object && object->Mesh()) object->Mesh()->SetPathGenerationParams(params);
}

void EEngine::GetPathGenerationParams(EObjectSlot* object, PathGenerationParams* out) const {
    if (object && object->Mesh()) object->Mesh()->GetPathGenerationParams(out);
}

void EEngine::SetBushSound(EObjectSlot* object, const char* name, float volume) {
    if (!object || !object->Mesh()) return;
    object->m_fBushSoundTimer = 0;
    if (!name || !*name || !CopyName(object->m_szBushSound, name)) {
        object->m_szBushSound[0] = 0;
        return;
    }
    object->m_fBushSoundVolume = volume > 6.0f ? 6.0f : volume;
}

void EEngine::SetBezierMovingParameters(EObjectSlot* object, const strBezierMovingParameters* params) {
    if (!object || !params || !object->m_pBezierParams) return;
    *object->m_pBezierParams = *params;
    if (EObjectSlot* marker = object->m_pLinkedObject; object->m_hTruck && marker && marker->m_pBezierParams)
        *marker->m_pBezierParams = *params;
}

void EEngine::GetBezierMovingParameters(EObjectSlot* object, strBezierMovingParameters* out) const {
    if (object && out && object->m_pBezierParams) *out = *object->m_pBezierParams;
}

void EEngine::SetTexturePaint(EObjectSlot* object, const strTexturePaint* params) {
    if (!object) return;
    if (!params) {
        FreeBlock(object->m_pTexturePaint, "strTexturePaint");
        return;
    }
    if (!object->m_pTexturePaint) object->m_pTexturePaint = NewBlock<strTexturePaint>("strTexturePaint");
    *object->m_pTexturePaint = *params;
}

bool EEngine::GetTexturePaint(EObjectSlot* object, strTexturePaint* out) const {
    if (!object || !out || !object->m_pTexturePaint) return false;
    *out = *object->m_pTexturePaint;
    return true;
}

void EEngine::SetLightBlinking(EObjectSlot* object, const strLightBlinking* params) {
    if (!object) return;
    FreeBlock(object->m_pLightBlinking, "strLightBlinking");
    if (!params) return;
    object->m_pLightBlinking = NewBlock<strLightBlinking>("strLightBlinking");
    *object->m_pLightBlinking = *params;
}

void EEngine::SetLightControlParams(EObjectSlot* object, const strLightControlParams* params) {
    if (!object || object->m_bIsLight) return;
    if (!params || !params->m_bEnabled) {
        FreeBlock(object->m_pLightControlParams, "strLightControlParams");
        return;
    }
    if (!object->m_pLightControlParams)
        object->m_pLightControlParams = NewBlock<strLightControlParams>("strLightControlParams");
    *object->m_pLightControlParams = *params;
}

void EEngine::GetLightControlParams(EObjectSlot* object, strLightControlParams* out) const {
    if (!out) return;
    *out = object && object->m_pLightControlParams ? *object->m_pLightControlParams : strLightControlParams{};
}

void EEngine::SetFX(EObjectSlot* object, const char* name) {
    if (!object) return;
    if (!name || !*name) {
        FreeName(object->FX, "h->FX");
    } else {
        // The name block holds 63 characters; a longer name is refused, never cut into another.
        if (std::strlen(name) >= static_cast<size_t>(kFXNameSize)) {
            ReportStringTooLong("FX");
            return;
        }
        StoreName(object->FX, "h->FX", name);
    }
    if (object->m_pEffectInstance) {
        g_FXMgr.RemoveFX(object->m_pEffectInstance->m_iIndex);
        object->m_pEffectInstance = nullptr;
    }
    if (object->FX && g_WorldHooks.levelFrame() >= 150)
        object->m_pEffectInstance = g_FXMgr.AddFXByName(object->FX, &object->m_vPosition, &object->m_Orientation);
    // The object loop looks at an object with an effect every frame.
    object->m_bNeedsUpdateComputed = 0;
}

void EEngine::GetFX(EObjectSlot* object, char* out, int size) const {
    CopyBounded(out, size, object && object->FX ? object->FX : "");
}

void EEngine::ReleaseSoundParams(EObjectSlot* object) {
    if (!object || !object->m_pSoundParams) return;
    if (SoundRecord* sound = object->m_pSoundParams->m_pSound) {
        g_SoundMgr.StopSound(sound);
        g_SoundMgr.ReleaseSound(sound);
    }
    FreeBlock(object->m_pSoundParams, "strSoundParams");
}

void EEngine::GetSoundParams(EObjectSlot* object, char* outFile, int fileSize, float* outDistance,
                             char* outVariable, int variableSize) const {
    const strSoundParams* p = object ? object->m_pSoundParams : nullptr;
    CopyBounded(outFile, fileSize, p ? p->m_szFile : "");
    CopyBounded(outVariable, variableSize, p ? p->m_szVariable : "");
    if (outDistance) *outDistance = p ? p->m_fDistance : 0.0f;
}

void EEngine::SetSoundParams(EObjectSlot* object, const char* file, float distance, const char* variable) {
    if (!object) return;
    ReleaseSoundParams(object);
    if (!file || !*file) return;
    strSoundParams sound;
    if (!CopyName(sound.m_szFile, file) || (variable && !CopyName(sound.m_szVariable, variable))) return;
    sound.m_fDistance = distance;
    object->m_pSoundParams = NewBlock<strSoundParams>("strSoundParams");
    *object->m_pSoundParams = sound;
    object->m_bNeedsUpdateComputed = 0;
}

void EEngine::SetActionParams(EObjectSlot* object, const strActionParams* params) {
    if (!object) return;
    if (!params || (!params->m_uEnabled && !g_Settings.m_bEditor)) {
        FreeBlock(object->m_pActionParams, "strActionParams");
        return;
    }
    if (!object->m_pActionParams) object->m_pActionParams = NewBlock<strActionParams>("strActionParams");
    *object->m_pActionParams = *params;
    object->m_bNeedsUpdateComputed = 0;
}

void EEngine::GetActionParams(EObjectSlot* object, strActionParams* out) const {
    if (out) *out = object && object->m_pActionParams ? *object->m_pActionParams : strActionParams{};
}

void EEngine::SetDeathParams(EObjectSlot* object, const strDeathParams* params) {
    if (!object) return;
    if (!params || (!params->m_bEnabled && !g_Settings.m_bEditor)) {
        FreeBlock(object->m_pDeathParams, "strDeathParams");
        return;
    }
    if (!object->m_pDeathParams) object->m_pDeathParams = NewBlock<strDeathParams>("strDeathParams");
    *object->m_pDeathParams = *params;
    object->m_fHitPoints = params->m_fInitialHitPoints;
    object->m_bNeedsUpdateComputed = 0;
}

void EEngine::GetDeathParams(EObjectSlot* object, strDeathParams* out) const {
    if (out) *out = object && object->m_pDeathParams ? *object->m_pDeathParams : strDeathParams{};
}

void EEngine::SetPlotek(EObjectSlot* object, const strPlotek* params) {
    if (!object) return;
    if (!params) {
        FreeBlock(object->m_pPlotek, "strPlotek");
        return;
    }
    if (!object->m_pPlotek) object->m_pPlotek = NewBlock<strPlotek>("strPlotek");
    *object->m_pPlotek = *params;
}

strPlotek* EEngine::GetPlotek(EObjectSlot* object) const { return object ? object->m_pPlotek : nullptr; }

bool EEngine::SetObjectAnimation(EObjectSlot* object, const char* name, bool loop, float blendTime) {
    ESkinMesh* skin = object ? object->SkinMesh() : nullptr;
    if (!skin || !name) return false;
    CopyBounded(object->m_szAnimation, sizeof object->m_szAnimation, name);
    object->m_bAnimationLoop = loop ? 1 : 0;
    skin->m_dExternalTime = 0;
    skin->BlendToAnimation(name, loop, blendTime);
    return false;
}

bool EEngine::IsObjectAnimationFinished(EObjectSlot* object) const {
    ESkinMesh* skin = object ? object->SkinMesh() : nullptr;
    return !skin || skin->IsAnimationFinished();
}

void EEngine::SetObjectAnimationRunning(EObjectSlot* object, bool running, float heldTime) {
    if (ESkinMesh* skin = object ? object->SkinMesh() : nullptr) {
        skin->m_bAdvanceTime = running ? 1 : 0;
        skin->m_dExternalTime = heldTime;
    }
}

bool EEngine::GetObjectSocket(EObjectSlot* object, const char* socketName, DV* outPosition,
                              EOrientation* outOrientation) const {
    if (!object || !socketName) return false;
    if (object->Mesh()) {
        DV position;
        if (!g_MeshSocketsMgr.GetSocketWorldPos(object, socketName, &position)) return false;
        if (outPosition) *outPosition = position;
        if (outOrientation) *outOrientation = object->m_Orientation;
        return true;
    }
    if (ESkinMesh* skin = object->SkinMesh()) return skin->GetSocket(socketName, outPosition, outOrientation);
    return false;
}

// ---- Ties ------------------------------------------------------------------------------------

void EEngine::TieToSocket(EObjectSlot* object, bool tie, const char* targetName, const char* socketName) {
    if (!object) return;
    if (!tie) {
        object->m_bTied = 0;
        return;
    }
    if (!targetName || !socketName) return;
    // The tie keeps 60 characters of each name; a longer name would tie to another object or
    // socket, so the tie is refused.
    if (std::strlen(targetName) > kMaxTieName) {
        g_Console.Print("!!! 1");
        return;
    }
    if (std::strlen(socketName) > kMaxTieName) {
        g_Console.Print("!!! 2");
        return;
    }
    if (!m_bWorldRunning) {
        StoreName(object->CacheObjectToTieTo, "CacheObjectToTieTo", targetName);
        StoreName(object->CacheSocketToTieTo, "CacheSocketToTieTo", socketName);
        return;
    }
    EObjectSlot* target = FindObject(targetName, false);
    if (target && !GetObjectSocket(target, socketName, nullptr, nullptr)) {
        g_Console.PrintStr4("Tie: ", targetName, " nie ma socketa ", socketName);
        return;
    }
    object->m_bTied = 1;
    CopyName(object->m_szTieTarget, targetName);
    CopyName(object->m_szTieSocket, socketName);
    object->m_pTieTargetObject = target;
}

void EEngine::ResolveTieCaches() {
    for (int i = 0; i < kSearchedSlots; ++i) {
        EObjectSlot& o = m_Objects[i];
        if (!o.m_bUsed || !o.CacheObjectToTieTo || !o.CacheSocketToTieTo) continue;
        char target[kFXNameSize], socket[kFXNameSize];
        CopyBounded(target, sizeof target, o.CacheObjectToTieTo);
        CopyBounded(socket, sizeof socket, o.CacheSocketToTieTo);
        FreeName(o.CacheObjectToTieTo, "CacheObjectToTieTo");
        FreeName(o.CacheSocketToTieTo, "CacheSocketToTieTo");
        TieToSocket(&o, true, target, socket);
    }
}

void EEngine::GetTie(EObjectSlot* object, uint8_t* outFlag, char* outTarget, int targetSize, char* outSocket,
                     int socketSize) const {
    if (!object) return;
    if (outFlag) *outFlag = object->m_bTied;
    if (outTarget && !CopyBounded(outTarget, targetSize, object->m_szTieTarget)) g_Console.Print("!!! 3");
    if (outSocket && !CopyBounded(outSocket, socketSize, object->m_szTieSocket)) g_Console.Print("!!! 4");
}

// ---- Physics helpers -------------------------------------------------------------------------

void EEngine::RemoveObjectPhysics(EObjectSlot* object) {
    EMesh* mesh = object ? object->Mesh() : nullptr;
    if (!mesh || !object->m_pPhysicsBody) return;
    g_WorldHooks.removeObjectBody(object);
    object->m_pPhysicsBody = nullptr;
    RigidBodyPhysicsParams defaults;
    mesh->SetRigidBodyPhysicsParams(&defaults);
}

void EEngine::CreateObjectPhysics(EObjectSlot* object, bool force) {
    EMesh* mesh = object ? object->Mesh() : nullptr;
    if (!mesh || object->m_pPhysicsBody) return;
    if (!object->m_bSpawned && !force) {
        RigidBodyPhysicsParams params;
        params.m_uBodyKind = 1;
        params.m_bGeneral = 0;
        mesh->SetRigidBodyPhysicsParams(&params);
    }
    g_WorldHooks.createObjectBody(object, &mesh->m_RigidBodyPhysics);
}

void EEngine::PutForceToObject(EObjectSlot* object, const DV& force) {
    if (!object || !object->m_bUsed || !object->Mesh()) return;
    if (!object->m_pPhysicsBody) CreateObjectPhysics(object, false);
    if (!object->m_pPhysicsBody) {
        if (g_Settings.m_iDebug > 0) g_Console.PrintStr3("PutForceToObject: ", object->m_szName, " nie ma fizyki!");
        return;
    }
    if (g_Settings.m_iDebug > 0) g_Console.PrintStr2("PutForceToObject ", object->m_szName);
    g_WorldHooks.applyImpulseToObject(object, force);
}

void EEngine::ApplyExplosion(const DV& position, float strength) {
    constexpr float kPushDistance = 256.0f, kDamageDistance = 320.0f;
    constexpr int kMaxPushed = 16;
    int pushed = 0;
    for (int i = 0; i < m_iLightMark; ++i) {
        EObjectSlot& o = m_Objects[i];
        if (!o.m_bUsed) continue;
        DV away = o.m_vPosition - position;
        float distance = pmath::Length(away);
        if (distance > kDamageDistance) continue;
        const strDeathParams* d = o.m_pDeathParams;
        const bool hurt = d && d->m_bEnabled && d->m_bExplosionDamage;
        const bool oneHit = hurt && d->m_OneHit.m_iOneHit != 0;
        if (!oneHit && pushed < kMaxPushed && distance < kPushDistance && o.Mesh() && o.m_pPhysicsBody &&
            !o.m_bStaticMeshBody) {
            g_WorldHooks.applyImpulseToObject(&o, pmath::Normalize(away) * (strength * 4000.0f));
            ++pushed;
        }
        if (!hurt || o.m_bDead) continue;
        if (oneHit) {
            o.m_fHitPoints = -1.0f;
        } else {
            // Only what the blast reaches is hurt: the object itself does not stand in its own way.
            SegmentQuery query;
            query.m_pStart = &position;
            query.m_pEnd = &o.m_vPosition;
            query.m_pFilter = [](EObjectSlot* candidate, EObjectSlot* target) { return candidate && candidate != target; };
            query.m_pFilterArgument = &o;
            SegmentHit hit;
            if (g_IntersectSegment.Intersect(&query, &hit)) continue;
            o.m_fHitPoints -= (1.0f - distance / kDamageDistance) * strength * 600.0f;
        }
        if (d->m_szKillIfHPLessThanObject[0] && o.m_fHitPoints <= d->m_fKillIfHPLessThanHP) {
            if (g_Settings.m_iDebug > 0) {
                char line[192];
                std::snprintf(line, sizeof line, "%s zabija %s bo HP ponizej progu %f", o.m_szName,
                              d->m_szKillIfHPLessThanObject, d->m_fKillIfHPLessThanHP);
                g_Console.Print(line);
            }
            g_EngineObject.HandleDeath(FindObject(d->m_szKillIfHPLessThanObject, true));
        }
        if (o.m_fHitPoints > 0 || o.m_bDying) continue;
        o.m_bDying = 1;
        o.m_fDyingDelay = distance / kDamageDistance + 0.1f;
    }
}

EObjectSlot* EEngine::CopyObject(EObjectSlot* object) {
    if (!object || !object->m_bUsed || (object->Type != OT_MESH && object->Type != OT_SKINMESH)) return nullptr;
    EObjectSlot* copy = CreateObject(object->Type, object->m_szFileName, object->m_uFlags, object->m_uFlags2,
                                     &object->m_vPosition, &object->m_vScale);
    if (!copy) return nullptr;
    SetObjectOrientation(copy, object->m_Orientation);
    std::memcpy(copy->m_szName, object->m_szName, sizeof copy->m_szName);
    std::memcpy(copy->m_szAnimation, object->m_szAnimation, sizeof copy->m_szAnimation);
    CopyFields<&EObjectSlot::m_vStartPosition, &EObjectSlot::m_StartOrientation, &EObjectSlot::m_bSpawned,
               &EObjectSlot::m_iSector, &EObjectSlot::m_bHidden, &EObjectSlot::m_bSectorDisabled,
               &EObjectSlot::m_iViewDistance, &EObjectSlot::m_bAmbientLightIdx, &EObjectSlot::m_bFogIdx,
               &EObjectSlot::m_bEnvTextureIdx, &EObjectSlot::m_bAnimationLoop, &EObjectSlot::m_bActionsRan,
               &EObjectSlot::m_bHasRun, &EObjectSlot::m_bSwitched, &EObjectSlot::m_fTimeSinceActions,
               &EObjectSlot::m_fMotionTime, &EObjectSlot::m_fDyingDelay, &EObjectSlot::m_bDying>(copy, object);
    *copy->m_pBezierParams = *object->m_pBezierParams;
    *copy->m_pBezierState = *object->m_pBezierState;
    if (object->CacheObjectToTieTo) StoreName(copy->CacheObjectToTieTo, "CacheObjectToTieTo", object->CacheObjectToTieTo);
    if (object->CacheSocketToTieTo) StoreName(copy->CacheSocketToTieTo, "CacheSocketToTieTo", object->CacheSocketToTieTo);

    SetFX(copy, object->FX);
    SetActionParams(copy, object->m_pActionParams);
    SetDeathParams(copy, object->m_pDeathParams);
    copy->m_fHitPoints = object->m_fHitPoints;
    if (object->m_pLightBlinking) SetLightBlinking(copy, object->m_pLightBlinking);
    if (object->m_pLightControlParams) SetLightControlParams(copy, object->m_pLightControlParams);
    if (const strSoundParams* sound = object->m_pSoundParams)
        SetSoundParams(copy, sound->m_szFile, sound->m_fDistance, sound->m_szVariable);
    return copy;
}

// ---- Forced look and paths -------------------------------------------------------------------

void EEngine::ForceCameraToLook(EObjectSlot* from, EObjectSlot* at) {
    if (g_Settings.m_iDebug > 2) {
        g_Console.Print("EEngine::ForceCameraToLook");
        if (from) g_Console.Print("Jest from");
        if (at) g_Console.Print("Jest at");
    }
    if (m_pLookFrom) SetObjectFlags(m_pLookFrom, m_uLookFromFlags, ~0u);
    m_pLookFrom = from;
    m_pLookAt = at;
    if (!from) return;
    // The camera sits inside the object: it is hidden while the look lasts.
    m_uLookFromFlags = from->m_uFlags;
    SetObjectFlags(from, FLAG_DEAD, ~0u);
    g_Settings.m_fFOV = g_Settings.m_fBaseFOV;
    g_Camera.SetupProjection();
    g_Camera.SetPosition(from->m_vPosition);
}

void EEngine::StartBezierMoving(EObjectSlot* object) {
    if (!object || !object->m_pBezierParams || !object->m_pBezierParams->m_bEnabled) return;
    if (object->m_hTruck) {
        if (EObjectSlot* marker = CreateBezierMarker(object)) StartBezierMoving(marker);
        return;
    }
    strBezierMovingState& state = *object->m_pBezierState;
    state = strBezierMovingState{};
    const strBezierMovingParameters& params = *object->m_pBezierParams;
    BezierNode* node = g_BezierMgr.FindNode(params.m_szStartNode);
    if (!node) {
        char line[256];
        g_Console.Print("ERROR with Bezier Moving: Start node doesn't exist!");
        std::snprintf(line, sizeof line, "object name: %s", object->m_szName);
        g_Console.Print(line);
        std::snprintf(line, sizeof line, "bad node name: %s", params.m_szStartNode);
        g_Console.Print(line);
        return;
    }
    state.m_OwnOrientation = object->m_Orientation.m_Quaternion;
    state.m_bActive = 1;
    state.m_pStartNode = state.m_pCurrentNode = state.m_pPreviousNode = node;
    state.m_bStopAtBlockers = params.m_bPassThroughBlockers ? 0 : 1;
    g_BezierMgr.PlaceObjectAtNode(object, node);
}

EObjectSlot* EEngine::CreateBezierMarker(EObjectSlot* truckObject) {
    if (!truckObject) return nullptr;
    if (truckObject->m_pLinkedObject) DeleteLinkedObject(truckObject);
    g_WorldHooks.releaseTruckControls(truckObject);
    g_WorldHooks.disableTruckDeactivation(truckObject);
    EObjectSlot* marker = CreateObject(OT_MESH, kMarkerFile, kMarkerFlags, 0, &truckObject->m_vPosition, nullptr);
    if (!marker) {
        g_Console.PrintStr2("Failed to add hTruckJedzieZa for ", truckObject->m_szName);
        return nullptr;
    }
    truckObject->m_pLinkedObject = marker;
    marker->m_pOwner = truckObject;
    g_Console.PrintStr2("Created bezier dummy for ", truckObject->m_szName);
    SetObjectScaling(marker, DV{kMarkerScale, kMarkerScale, kMarkerScale});
    *marker->m_pBezierParams = *truckObject->m_pBezierParams;
    return marker;
}

void EEngine::DeleteLinkedObject(EObjectSlot* object) {
    if (!object || !object->m_pLinkedObject) return;
    g_WorldHooks.truckUnhitchFromMarker(object);
    DeleteObject(object->m_pLinkedObject);
    object->m_pLinkedObject = nullptr;
    object->m_bHitchedToMarker = 0;
}

void EEngine::StopBezierMoving(EObjectSlot* object) {
    if (!object) return;
    if (object->m_hTruck) DeleteLinkedObject(object);
    else if (object->m_pBezierState) object->m_pBezierState->m_bActive = 0;
}

namespace {
// A truck moves through its marker: the path state that matters is the marker's.
EObjectSlot* PathObject(EObjectSlot* object) {
    return object && object->m_hTruck && object->m_pLinkedObject ? object->m_pLinkedObject : object;
}
}  // namespace

bool EEngine::IsBezierMoving(EObjectSlot* object) const {
    EObjectSlot* moving = PathObject(object);
    return moving && moving->m_pBezierState && moving->m_pBezierState->m_bActive;
}

void EEngine::SetBezierMode(EObjectSlot* object, int mode, double value) {
    EObjectSlot* moving = PathObject(object);
    if (!moving || !moving->m_pBezierState) return;
    moving->m_pBezierState->m_iFadeMode = mode;
    moving->m_pBezierState->m_dFadeTime = value;
}

void EEngine::SetPassingThroughBlockers(EObjectSlot* object, bool on) {
    if (object && object->m_pBezierState) object->m_pBezierState->m_bStopAtBlockers = on ? 0 : 1;
}
