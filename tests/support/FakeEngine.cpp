#include "support/FakeEngine.h"

#include "core/StringHelpers.h"
#include "render/RenderHooks.h"

namespace test {

FakeEngine g_FakeEngine;

namespace {

FakeObject* Fake(const DrawVisibility* object) {
    return static_cast<FakeObject*>(const_cast<DrawVisibility*>(object));
}

// A sound handle of the fake engine: any address that is not null.
SoundRecord* FakeSound() {
    static char sound;
    return reinterpret_cast<SoundRecord*>(&sound);
}

void InstallEffectHooks(RenderHooks& h) {
    h.worldName = [] { return g_FakeEngine.worldName.c_str(); };
    h.findObject = [](const char* name) -> const DrawVisibility* {
        for (FakeObject& o : g_FakeEngine.effectObjects)
            if (!o.deleted && StrICmp(o.name.c_str(), name) == 0) return &o;
        return nullptr;
    };
    h.effectObject = [](const DrawVisibility* object, EffectObject& out) {
        if (!object || Fake(object)->deleted) return false;
        out = Fake(object)->facts;
        return true;
    };
    h.objectSocket = [](const DrawVisibility* object, const char* socket, DV& position, EOrientation* orientation) {
        FakeObject* o = Fake(object);
        if (!o || o->deleted || !o->sockets.count(socket)) return false;
        position = o->facts.position + o->sockets.at(socket);
        if (orientation) *orientation = o->facts.orientation;
        return true;
    };
    h.createEffectMesh = [](const char* file, uint32_t flags, uint32_t, const DV& position,
                            const EOrientation* orientation, const DV& scale) -> const DrawVisibility* {
        FakeObject& o = g_FakeEngine.AddObject("", position);
        o.file = file;
        o.m_uFlags = flags;
        o.scale = scale;
        if (orientation) o.facts.orientation = *orientation;
        return &o;
    };
    h.moveObject = [](const DrawVisibility* object, const DV& position) { Fake(object)->facts.position = position; };
    h.turnObject = [](const DrawVisibility* object, const EOrientation& o) { Fake(object)->facts.orientation = o; };
    h.scaleObject = [](const DrawVisibility* object, const DV& scale) { Fake(object)->scale = scale; };
    h.setObjectFlags = [](const DrawVisibility* object, uint32_t value, uint32_t mask) {
        FakeObject* o = Fake(object);
        o->m_uFlags = (o->m_uFlags & ~mask) | (value & mask);
    };
    h.deleteObject = [](const DrawVisibility* object) {
        ++g_FakeEngine.deletedObjects;
        for (FakeObject& o : g_FakeEngine.effectObjects)
            if (&o == object) o.deleted = true;
    };
    h.applyExplosion = [](const DV& position, float strength) { g_FakeEngine.explosions.emplace_back(position, strength); };
    h.playSound3D = [](const char* file, const DV&, float) { g_FakeEngine.sounds.emplace_back(file); };
    h.startLoopingSound3D = [](const char* file, const DV&, float) {
        g_FakeEngine.sounds.emplace_back(file);
        return FakeSound();
    };
    h.releaseSound = [](SoundRecord*) { ++g_FakeEngine.releasedSounds; };
    h.effectSegment = [](const EffectSegment& query, EffectHit& hit) {
        g_FakeEngine.segments.push_back(query);
        return g_FakeEngine.segment && g_FakeEngine.segment(query, hit);
    };
}

}  // namespace

FakeObject& FakeEngine::AddObject(const std::string& name, const DV& position) {
    FakeObject& o = effectObjects.emplace_back();
    o.name = name;
    o.facts.position = position;
    return o;
}

void InstallFakeEngine() {
    g_FakeEngine = FakeEngine{};
    RenderHooks& h = g_RenderHooks;
    h.quitOnError = [](const char* why) {
        g_FakeEngine.quitRequested = true;
        g_FakeEngine.quitReason = why;
    };
    h.menuActive = [] { return g_FakeEngine.menuActive; };
    h.cutscenePlaying = [] { return g_FakeEngine.cutscenePlaying; };
    h.engineFrame = [] { return g_FakeEngine.frame; };
    h.cameraPosition = [] { return g_FakeEngine.cameraPosition; };
    h.gameFrame = [] { return g_FakeEngine.gameFrame; };
    h.introRunning = [] { return g_FakeEngine.introRunning; };
    h.levelTime = [] { return g_FakeEngine.levelTime; };
    h.engineClock = [] { return g_FakeEngine.engineClock; };
    h.objectTable = [] { return g_FakeEngine.objects; };
    h.setCameraFarZ = [](float distance) { g_FakeEngine.cameraFarZ = distance; };
    h.setClearColour = [](uint32_t colour) { g_FakeEngine.clearColour = colour; };
    h.createSkyDome = [](const char*) { return g_FakeEngine.skyDome; };
    InstallEffectHooks(h);
}

}  // namespace test
