#include "app/FloorHooks.h"

#include <algorithm>

#include "app/ConsoleCommands.h"
#include "app/EDebugOverlays.h"
#include "app/EFocusMgr.h"
#include "app/WinMain.h"
#include "audio/AudioHooks.h"
#include "audio/CSoundMgr.h"
#include "collision/CollisionHooks.h"
#include "collision/ECollisionMgr.h"
#include "collision/EIntersectSegment.h"
#include "collision/MeshCollision.h"
#include "core/CoreHooks.h"
#include "core/EConsole.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "game/CHudPanel.h"
#include "game/CLoadingScreen.h"
#include "game/CMainGame.h"
#include "game/CMenu.h"
#include "game/CProfileMgr.h"
#include "game/GameHooks.h"
#include "game/PAutoMap.h"
#include "mesh/ECharacterRagDoll.h"
#include "mesh/MeshHooks.h"
#include "render/EConsoleView.h"
#include "render/RenderHooks.h"
#include "vehicles/CPlayer.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/PGroundMgr.h"
#include "vehicles/Physics.h"
#include "vehicles/VehiclesHooks.h"
#include "world/CRoutesMgr.h"
#include "vehicles/Truck.h"
#include "world/CutsceneMgr.h"
#include "world/CutsceneMgrHooks.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/ERigidBodyCharacter.h"
#include "world/IntersectFilters.h"
#include "world/WorldHooks.h"

namespace {

void InstallCoreHooks() {
    CoreHooks& h = g_CoreHooks;
    h.hasFocus = [] { return g_FocusMgr.m_bOnFocus != 0; };
    h.mainWindow = [] { return g_hWnd; };
    h.gameFrame = [] { return g_MainGame.m_uFrameCounter; };
    h.gameKeyInputEnabled = [] { return g_MainGame.m_bKeyInputEnabled != 0; };
    h.enableGameKeyInput = [] { g_MainGame.EnableKeyInput(); };
    h.menuActive = [] { return g_Menu.m_bActive != 0; };
    h.loadingScreenActive = [] { return g_LoadingScreen.m_bActive != 0; };
    h.cameraOverride = [] { return g_Camera.m_bOverride != 0; };
    h.hudDiscardsMouse = [] { return g_HudPanel.m_bDiscardMouse != 0; };
    h.surfaceForceFeedback = [] { return g_Player.m_bSurfaceForceFeedback != 0; };
    h.getGamma = [] {
        float gamma = 1.0f;
        g_Camera.GetGamma(gamma);
        return gamma;
    };
    h.setGamma = [](float gamma) { g_Camera.SetGamma(gamma); };
    h.applyMusic = [](float volume, bool playing) {
        g_SoundMgr.Music_SetVolume(volume);
        if (playing) g_SoundMgr.Music_Resume();
        else g_SoundMgr.Music_Pause();
    };
    h.keysFileOptions = [] {
        return KeysFileOptions{&g_Player.m_bHudOption,         &g_Player.m_bOption2,
                               &g_Player.m_uCameraMode,        &g_MainGame.m_bGameOption1,
                               &g_MainGame.m_fGameOptionValue1, &g_MainGame.m_fGameOptionValue2,
                               &g_MainGame.m_bGameOption2,     &g_MainGame.m_fGameOptionLevel};
    };
    h.acquireKeyboard = [] { g_Engine.AcquireKeyboard(); };
    h.releaseKeyboard = [] { g_Engine.ReleaseKeyboard(); };
    h.requestScreenshot = [] { g_Engine.m_bScreenshot = 1; };
    h.quit = [] { g_Engine.Quit(); };
    h.quitOnError = QuitOnError;
    h.currentRouteTasks = [] { return g_RoutesMgr.CurrentRouteTasks(); };
    h.loadingScreenUpdate = [] { g_LoadingScreen.Update(); };
    h.loadingScreenDrawTips = [] { g_LoadingScreen.DrawTips(); };
}

void InstallAudioHooks() {
    g_AudioHooks.gameFrame = [] { return g_MainGame.m_uFrameCounter; };
    g_AudioHooks.levelTime = [] { return g_Engine.m_fLevelTime; };
}

// The mesh reads its object's position and tells it its radius; the rest of the object's side
// (scale, orientation, extra angles, collision) comes with the engine's full object slot.
void InstallMeshHooks() {
    MeshHooks& h = g_MeshHooks;
    h.ownerVisibility = [](const EObjectSlot* o) -> const DrawVisibility* { return o; };
    h.ownerPlacement = [](const EObjectSlot* o) {
        MeshOwnerPlacement placement;
        if (!o) return placement;
        placement.position = o->m_vPosition;
        const DV angles = o->MeshExtraAngles();
        placement.extraAngles[0] = angles.x;
        placement.extraAngles[1] = angles.y;
        placement.extraAngles[2] = angles.z;
        return placement;
    };
    h.ownerTransformed = [](EObjectSlot* o, const DV& scale, const pmath::Quaternion& rotation) {
        if (!o) return;
        o->m_vScale = scale;
        o->m_Orientation.SetQuaternion(&rotation);
        g_IntersectSegment.UpdateEngineObject(o);
        g_CollisionMgr.UpdateObject(o);
    };
    h.setOwnerRadius = [](EObjectSlot* o, float radius) {
        if (o) o->m_fRadius = radius;
    };
    h.objectMesh = [](const EObjectSlot* o) -> EMesh* { return o && o->m_bUsed ? o->Mesh() : nullptr; };
    h.ownerClass = [](const EObjectSlot* o) { return o ? o->m_uFlags3 : 0u; };
    h.ownerFlags = [](const EObjectSlot* o) { return o ? o->m_uFlags : 0u; };
    h.ownerFlags2 = [](const EObjectSlot* o) { return o ? o->m_uFlags2 : 0u; };
    h.ownerName = [](const EObjectSlot* o) -> const char* { return o ? o->m_szName : ""; };
    h.objectSkinMesh = [](const EObjectSlot* o) -> ESkinMesh* { return o && o->m_bUsed ? o->SkinMesh() : nullptr; };
    h.excludedObject = [] { return g_IntersectSegment.m_pExcluded; };
    h.setOwnerFlags = [](EObjectSlot* o, uint32_t flags) {
        if (o) o->m_uFlags = flags;
    };
    h.gatherTriangles = [](void** finder, const DV& min, const DV& max, CharacterCollisionTriangle* out,
                           uint32_t capacity) -> uint32_t {
        auto* f = static_cast<ECollisionFinder*>(*finder);
        if (f) g_CollisionMgr.UpdateBoxFinder(f, &min, &max);
        else *finder = f = g_CollisionMgr.AddBoxFinder(&min, &max);
        if (!f) return 0;
        // One buffer for every ragdoll: the gathering runs on the main thread only.
        static CollisionTriangle delivered[ECharacterRagDoll::kMaxTriangles];
        uint32_t count = 0;
        g_CollisionMgr.GetBoxFinderObjects(f, delivered, &count, std::min<uint32_t>(capacity, ECharacterRagDoll::kMaxTriangles));
        for (uint32_t i = 0; i < count; ++i) {
            const CollisionTriangle& t = delivered[i];
            out[i] = CharacterCollisionTriangle{{t.m_vCorners[0], t.m_vCorners[1], t.m_vCorners[2]}, t.m_vNormal, t.m_vMin,
                                               t.m_vMax, -1, 0.0f};
        }
        return count;
    };
    h.removeTriangleFinder = [](void* f) { g_CollisionMgr.RemoveFinder(static_cast<ECollisionFinder*>(f)); };
    h.releaseCharacterBody = [](const ESkinMesh* mesh) { ERigidBodyCharacter::ReleaseOwnedBy(mesh); };
}

// Collision reads the objects' kinds, flags and meshes, and walks the engine's table.
void InstallCollisionHooks() {
    CollisionHooks& h = g_CollisionHooks;
    h.objectFacts = [](EObjectSlot* o) { return o ? o->CollisionFacts() : CollisionObjectFacts{}; };
    h.objectGeometry = [](EObjectSlot* o, CollisionGeometry* out) {
        const EMesh* mesh = o && o->m_bUsed ? o->Mesh() : nullptr;
        return mesh && MeshCollisionGeometry(*mesh, out);
    };
    h.forEachObject = [](void (*visit)(EObjectSlot*, void*), void* context) {
        for (EObjectSlot& o : g_Engine.m_Objects)
            if (o.m_bUsed) visit(&o, context);
    };
}

void InstallRenderHooks() {
    RenderHooks& h = g_RenderHooks;
    h.quitOnError = QuitOnError;
    h.menuActive = [] { return g_Menu.m_bActive != 0; };
    h.cutscenePlaying = [] { return g_CutsceneMgr.m_pActiveScene != nullptr; };
    h.engineFrame = [] { return g_Engine.m_uFrameCounter; };
    h.cameraPosition = [] { return g_Camera.m_vPosition; };
    h.gameFrame = [] { return g_MainGame.m_uFrameCounter; };
    h.levelTime = [] { return g_Engine.m_fLevelTime; };
    h.engineClock = [] { return g_Engine.m_fRunningClock; };
    // Every slot of the object table, its visibility part one slot apart.
    h.objectTable = [] {
        return DrawObjectTable{&g_Engine.m_Objects[0], EEngine::kObjectSlots, sizeof(EObjectSlot)};
    };
    h.setCameraFarZ = [](float distance) { g_Camera.SetFarZ(distance); };
    h.setClearColour = [](uint32_t colour) { g_Engine.m_uBackgroundColour = colour; };
    h.rebuildCameraProjection = [] { g_Camera.SetupProjection(); };
    h.drawLightCounts = [] { g_DebugOverlays.DrawLightCounts(); };
    h.renderGrass = [] { g_PlantMgr.RenderGrass(); };
    // The dome: a mesh object far outside every view, drawn only by the sky.
    h.createSkyDome = [](const char* meshFile) -> const DrawVisibility* {
        const DV position{1e11f, 1e11f, 1e11f}, scaling{100.0f, 100.0f, 100.0f};
        return g_Engine.CreateObject(OT_MESH, meshFile, 128, 0, &position, &scaling);
    };
    h.deleteObject = [](const DrawVisibility* object) {
        g_Engine.DeleteObject(const_cast<EObjectSlot*>(static_cast<const EObjectSlot*>(object)));
    };
    h.setShaderLights = [](ShaderLights& constants) { g_Engine.SetShaderLights(constants); };
    h.drawTextBox = [](ERect& quad) { g_Menu.DrawTextBox(quad); };
    h.renderOverviewMap = [] { g_AutoMap.RenderToTarget(); };
}

EObjectSlot* Slot(const DrawVisibility* object) {
    return static_cast<EObjectSlot*>(const_cast<DrawVisibility*>(object));
}

// The filter of each kind of the effects' segment queries; the kinds whose filter the world does
// not have test every object.
IntersectFilterFn EffectFilter(EffectRay ray) {
    switch (ray) {
        case EffectRay::BloodDrop: return IntersectFilterNotSkinMeshNotClass8;
        case EffectRay::NotIgnoredActive: return IntersectFilterNotIgnoredActive;
        case EffectRay::NotClass128: return IntersectFilterNotClass128;
        case EffectRay::StaticMeshes: return IntersectFilterStaticMeshes;
        case EffectRay::MeshesAndLiveSkinMeshes: return IntersectFilterMeshOrSkinMeshAlive;
        case EffectRay::Configurable: return IntersectFilterConfigurable;
        case EffectRay::Everything: break;
    }
    return IntersectFilterAll;
}

// The effects and the power lines reach the engine's objects, sockets, sounds and segment queries.
void InstallEffectHooks() {
    RenderHooks& h = g_RenderHooks;
    h.worldName = [] { return static_cast<const char*>(g_Engine.m_szStartingWorld); };
    h.findObject = [](const char* name) -> const DrawVisibility* { return g_Engine.FindObject(name, false); };
    h.effectObject = [](const DrawVisibility* object, EffectObject& out) {
        const EObjectSlot* o = Slot(object);
        if (!o || !o->m_bUsed) return false;
        out.position = o->m_vPosition;
        out.orientation = o->m_Orientation;
        out.cameraDistance = o->m_fCameraDistance;
        out.alwaysRelevant = o->m_bAlwaysUpdate != 0;
        return true;
    };
    h.objectSocket = [](const DrawVisibility* object, const char* socket, DV& position, EOrientation* orientation) {
        return g_Engine.GetObjectSocket(Slot(object), socket, &position, orientation);
    };
    h.createEffectMesh = [](const char* file, uint32_t flags, uint32_t flags2, const DV& position,
                            const EOrientation* orientation, const DV& scale) -> const DrawVisibility* {
        EObjectSlot* o = g_Engine.CreateObject(OT_MESH, file, flags, flags2, &position, &scale);
        if (o && orientation) g_Engine.SetObjectOrientation(o, *orientation);
        return o;
    };
    h.moveObject = [](const DrawVisibility* object, const DV& position) {
        g_Engine.SetObjectPosition(Slot(object), position, false);
    };
    h.turnObject = [](const DrawVisibility* object, const EOrientation& orientation) {
        g_Engine.SetObjectOrientation(Slot(object), orientation);
    };
    h.scaleObject = [](const DrawVisibility* object, const DV& scale) { g_Engine.SetObjectScaling(Slot(object), scale); };
    h.setObjectFlags = [](const DrawVisibility* object, uint32_t value, uint32_t mask) {
        g_Engine.SetObjectFlags(Slot(object), value, mask);
    };
    h.applyExplosion = [](const DV& position, float strength) { g_Engine.ApplyExplosion(position, strength); };
    h.playSound3D = [](const char* file, const DV& position, float range) {
        g_SoundMgr.PlaySound3DAt(file, &position, range);
    };
    h.startLoopingSound3D = [](const char* file, const DV& position, float range) {
        return g_SoundMgr.CreatePlayingSound3D(file, &position, range, true, true, false);
    };
    h.releaseSound = [](SoundRecord* sound) {
        g_SoundMgr.StopSound(sound);
        g_SoundMgr.ReleaseSound(sound);
    };
    h.effectSegment = [](const EffectSegment& segment, EffectHit& hit) {
        SegmentQuery query;
        query.m_pStart = &segment.from;
        query.m_pEnd = &segment.to;
        query.m_pFilter = EffectFilter(segment.ray);
        query.m_pFilterArgument = Slot(segment.ignore);
        if (segment.ray == EffectRay::Configurable) {
            g_RayFilter.m_pExcluded1 = Slot(segment.ignore);
            g_RayFilter.m_pExcluded2 = Slot(segment.ignore2);
            g_RayFilter.m_bSkipClass4 = segment.skipClass4;
            g_RayFilter.m_bSkipClasses2And32 = segment.skipClass2And32;
            g_RayFilter.m_bSkipClass16 = segment.skipClass16;
        }
        query.m_fCoarseDistance = segment.range;
        query.m_bReserved = segment.flag ? 1 : 0;
        SegmentHit found;
        if (!g_IntersectSegment.Intersect(&query, &found)) return false;
        hit.point = found.m_vPoint;
        hit.normal = found.m_vNormal;
        hit.object = found.m_pObject;
        return true;
    };
}

void InstallWorldHooks() {
    WorldHooks& h = g_WorldHooks;
    // The key routing below the console: the menu while it is active, else the main game.
    h.frontEndKeyDown = [](uint32_t key) {
        if (g_Menu.m_bActive) g_Menu.OnKeyDown(key);
        else g_MainGame.OnKeyDown(key);
    };
    h.frontEndKeyUp = [](uint32_t key) {
        if (g_Menu.m_bActive) g_Menu.OnKeyUp(key);
        else g_MainGame.OnKeyUp(key);
    };
    h.mainGameInit = [] { g_MainGame.Init(); };
    h.mainGameWorldStart = [] { g_MainGame.OnStartWorld(); };
    h.mainGameLoadResources = [] { g_MainGame.LoadResources(); };
    h.mainGameReleaseResources = [] { g_MainGame.ReleaseResources(); };
    h.mainGameUpdateMusic = [] { g_MainGame.UpdateMusic(); };
    h.mainGamePlayMusic = [](const char* file) { g_MainGame.PlayMusic(file); };
    h.mainGameEndGame = [] { g_MainGame.EndGame(); };
    h.playerMachinePosition = [](DV& position) {
        if (!g_Player.m_pVehicle) return false;
        position = g_Player.m_pVehicle->m_vPosition;
        return true;
    };
    h.levelFrame = [] { return g_MainGame.m_uFrameCounter; };
    h.menuInit = [] { g_Menu.Init(); };
    h.menuRelease = [] { g_Menu.Release(); };
    h.menuActive = [] { return g_Menu.m_bActive != 0; };
    h.menuLoadResources = [](uint32_t page, bool sceneMode) { Menu::LoadResources(page, sceneMode); };
    h.menuSetResult = [](const char* const lines[3], uint32_t place, const char* picture) {
        g_Menu.SetResult(lines, place, picture);
    };
    h.beginLoadingScreen = [](const char* world) { g_LoadingScreen.Begin(world); };
    h.createLoadingBar = [] { g_LoadingScreen.CreateBar(); };
    h.loadingScreenActive = [] { return g_LoadingScreen.m_bActive != 0; };
    h.autoMapLoad = [] { g_AutoMap.Load(); };
    h.autoMapRelease = [] { g_AutoMap.Release(); };
    h.autoMapUpdate = [] { g_AutoMap.Update(); };
    h.hudForcedLook = [](bool on) { g_HudPanel.m_bForcedLook = on ? 1 : 0; };

    h.physicsInit = [] { g_Physics.Init(); };
    h.physicsShutdown = [] { g_Physics.Shutdown(); };
    h.physicsExitWorld = [] { g_Physics.OnExitWorld(); };
    h.physicsResetRunCounters = [] { g_Physics.ResetRunCounters(); };
    h.createTruckForObject = [](EObjectSlot* o) { g_Physics.CreateTruckForObject(o); };
    h.createObjectBody = [](EObjectSlot* o, const RigidBodyPhysicsParams* p) { g_Physics.CreateObjectBody(o, p); };
    h.removeObjectBody = [](EObjectSlot* o) { g_Physics.RemoveObjectBody(o); };
    h.setObjectBodyTransform = [](EObjectSlot* o, const DV& position, const EOrientation& orientation) {
        g_Physics.SetObjectBodyTransform(o, position, orientation);
    };
    h.applyImpulseToObject = [](EObjectSlot* o, const DV& impulse) { g_Physics.ApplyImpulseToObject(o, &impulse); };
    h.physicsDeleteObject = [](EObjectSlot* o) { g_Physics.OnDeleteObject(o); };
    h.releaseTruckControls = [](EObjectSlot* o) { g_Physics.ReleaseTruckControls(o); };
    h.disableTruckDeactivation = [](EObjectSlot* o) { g_Physics.DisableTruckDeactivation(o); };
    h.truckHitchToMarker = [](EObjectSlot* o) { g_Physics.TruckPrzyczepDoDummy(o); };
    h.truckUnhitchFromMarker = [](EObjectSlot* o) { g_Physics.TruckOdczepOdDummy(o); };
    h.driveTruck = [](EObjectSlot* o, float force, float steering) {
        g_Physics.SetTruckDrive(o, force, steering);
        g_Physics.SetTruckBrake(o, 0);
        g_Physics.SetTruckControls(o);
    };
    h.updatePlayerFrontLoader = [] { g_Physics.UpdatePlayerFrontLoader(); };
    h.plantLoadGrass = [] { g_PlantMgr.LoadGrass(); };
    h.plantRelease = [] { g_PlantMgr.Release(); };
    h.plantUpdateFieldWork = [] { g_PlantMgr.UpdateFieldWork(); };
    h.groundInit = [] { g_GroundMgr.Init(); };
    h.groundResolveTextures = [] { g_GroundMgr.ResolveTextures(); };
    h.groundClearEffects = [] { g_GroundMgr.ClearEffects(); };
    h.groundTrimDefinitions = [] { g_GroundMgr.TnijGroundDefs(); };
    h.groundUpdateVB = [] { g_GroundMgr.UpdateVB(); };
    h.groundRender = [] { g_GroundMgr.Render(); };
}

// The cutscenes replay the first four wheels of a machine; its dust sits on the ground below them.
void InstallCutsceneHooks() {
    CutsceneMgrHooks& h = g_CutsceneMgrHooks;
    h.machine = [](EObjectSlot* o, CutsceneMachine& out) {
        const Truck* truck = o ? o->m_hTruck : nullptr;
        if (!truck) return false;
        for (int w = 0; w < CutsceneMachine::kWheels; ++w) out.wheels[w] = truck->m_pWheelObjects[w];
        out.currentSteering = truck->m_fCurrentSteering;
        out.targetSteering = truck->m_fTargetSteering;
        out.wheelOffset = truck->m_fWheelRadius[0];
        return true;
    };
    h.setSteering = [](EObjectSlot* o, float current, float target) {
        if (!o || !o->m_hTruck) return;
        o->m_hTruck->m_fCurrentSteering = current;
        o->m_hTruck->m_fTargetSteering = target;
    };
    h.updateMachineParts = [](EObjectSlot* o) {
        g_Physics.UpdateSteeringWheel(o);
        g_Physics.UpdateDriver(g_Engine.m_fFrameTime, o);
        g_Physics.UpdateTruckAttachments(g_Engine.m_fFrameTime, o);
    };
    h.physicsUpdate = [] { g_Physics.Update(); };
    // The menu opens on its main page.
    h.openMenu = [] { Menu::LoadResources(10, true); };
}

void InstallVehiclesHooks() {
    g_VehiclesHooks.currentMachine = [] { return g_ProfileMgr.CurrentMachine(); };
    g_VehiclesHooks.buildMapStrip = [] { g_HudPanel.BuildMapVB(); };
    g_VehiclesHooks.clearInstructions = [] { g_HudPanel.ClearInstructions(); };
    g_VehiclesHooks.addInstruction = [](const char* key, const char* line) { g_HudPanel.AddInstruction(key, line); };
    g_VehiclesHooks.addWorldIcon = [](const char* texture, const DV& at) { g_HudPanel.AddWorldIcon(texture, at); };
    g_VehiclesHooks.addMoney = [](int amount) { g_ProfileMgr.AddMoney(amount); };
    g_VehiclesHooks.blowWhistle = [](float seconds) { g_HudPanel.m_fWhistleTimer = seconds; };
    g_VehiclesHooks.profileDifficulty = [] {
        return g_ProfileMgr.m_bProfileSelected ? g_ProfileMgr.m_pCurrentProfile->m_iDifficulty : -1;
    };
    g_VehiclesHooks.bookRaceResult = [](int route, int place, float runTime, int prize) {
        g_ProfileMgr.BookResult(route, static_cast<uint32_t>(std::max(place, 0)), runTime, prize);
    };
    g_VehiclesHooks.bookDefeat = [] {
        if (g_ProfileMgr.m_bProfileSelected) g_ProfileMgr.SaveProfile(static_cast<uint32_t>(g_ProfileMgr.m_iCurrentSlot));
    };
    g_VehiclesHooks.showResultPage = [](const char* picture) {
        const char* const lines[3] = {g_Player.m_szResultLines[0], g_Player.m_szResultLines[1],
                                      g_Player.m_szResultLines[2]};
        g_Menu.SetResult(lines, static_cast<uint32_t>(std::max(g_Player.m_iResultPlace, 0)), picture);
        Menu::LoadResources(14, false);  // the result page, over the level
    };
}

void InstallGameHooks() {
    g_GameHooks.reportRenderStats = [] { g_DebugOverlays.ReportRenderStats(); };
    g_GameHooks.drawSystemDebug = [] { g_DebugOverlays.DrawSystemDebug(); };
    g_GameHooks.drawLightCounts = [] { g_DebugOverlays.DrawLightCounts(); };
    g_GameHooks.reportVideoMemory = [] { g_DebugOverlays.ReportVideoMemory(); };
}

}  // namespace

void InstallFloorHooks() {
    InstallCoreHooks();
    InstallAudioHooks();
    InstallRenderHooks();
    InstallEffectHooks();
    InstallMeshHooks();
    InstallCollisionHooks();
    InstallWorldHooks();
    InstallCutsceneHooks();
    InstallVehiclesHooks();
    InstallGameHooks();
    g_Console.InstallCommands(ConsoleCommands());
    g_Console.InstallView(&g_ConsoleView);
}
