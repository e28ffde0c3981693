// The recorded frames of a cutscene: their file form, capture, saving, loading and replay.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/EConsole.h"
#include "core/ESettings.h"
#include "platform/os/Files.h"
#include "render/EFXMgr.h"
#include "world/CutsceneMgr.h"
#include "world/CutsceneMgrHooks.h"
#include "world/ECamera.h"
#include "world/EEngine.h"

namespace {

constexpr size_t kActorBytes = 648;
constexpr size_t kFirstActor = 140;
constexpr size_t kCountBytes = 4;
// A wheel that moved this far from where it last left dust leaves dust again.
constexpr float kDustSpacing = 0.5f;
constexpr const char* kDustEffect = "zwir";

// Little-endian fields, as the file holds them on every machine.
void PutU32(uint8_t* out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t GetU32(const uint8_t* in) {
    return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}
void PutF32(uint8_t* out, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    PutU32(out, bits);
}
float GetF32(const uint8_t* in) {
    const uint32_t bits = GetU32(in);
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}
void PutDV(uint8_t* out, const DV& v) {
    PutF32(out, v.x);
    PutF32(out + 4, v.y);
    PutF32(out + 8, v.z);
}
DV GetDV(const uint8_t* in) { return DV{GetF32(in), GetF32(in + 4), GetF32(in + 8)}; }

DV Lerp(const DV& a, const DV& b, float t) { return a + (b - a) * t; }

EOrientation Slerp(const EOrientation& a, const EOrientation& b, float t) {
    EOrientation o = a;
    o.Slerp(&b, t);
    return o;
}

float Distance(const DV& a, const DV& b) {
    const DV d = a - b;
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

}  // namespace

void FrameToBytes(const strFrame& f, uint8_t* out) {
    std::memset(out, 0, strFrame::kBytes);
    PutF32(out, f.time);
    PutDV(out + 4, f.cameraPosition);
    OrientationToBytes(f.cameraOrientation, out + 16);
    PutF32(out + 132, f.fov);
    for (int i = 0; i < CUTSCENE_MAX_OBJECTS; ++i) {
        const CutsceneActorFrame& a = f.actors[i];
        uint8_t* p = out + kFirstActor + kActorBytes * i;
        PutDV(p, a.position);
        OrientationToBytes(a.orientation, p + 12);
        for (int w = 0; w < 4; ++w) {
            PutDV(p + 128 + 12 * w, a.wheelPositions[w]);
            OrientationToBytes(a.wheelOrientations[w], p + 176 + kOrientationBytes * w);
        }
        PutF32(p + 640, a.currentSteering);
        PutF32(p + 644, a.targetSteering);
    }
}

strFrame FrameFromBytes(const uint8_t* in) {
    strFrame f;
    f.time = GetF32(in);
    f.cameraPosition = GetDV(in + 4);
    f.cameraOrientation = OrientationFromBytes(in + 16);
    f.fov = GetF32(in + 132);
    for (int i = 0; i < CUTSCENE_MAX_OBJECTS; ++i) {
        CutsceneActorFrame& a = f.actors[i];
        const uint8_t* p = in + kFirstActor + kActorBytes * i;
        a.position = GetDV(p);
        a.orientation = OrientationFromBytes(p + 12);
        for (int w = 0; w < 4; ++w) {
            a.wheelPositions[w] = GetDV(p + 128 + 12 * w);
            a.wheelOrientations[w] = OrientationFromBytes(p + 176 + kOrientationBytes * w);
        }
        a.currentSteering = GetF32(p + 640);
        a.targetSteering = GetF32(p + 644);
    }
    return f;
}

// A file is used only when its size is exactly that of the frames its count announces; anything
// else (cut short by a crash, grown, or not a frames file) is set aside and the scene records again.
void CutsceneMgr::LoadFrames() {
    strScene& scene = *m_pActiveScene;
    scene.m_Frames.clear();
    char path[256];
    FramesPath(scene.m_szName, path, sizeof path);
    std::vector<char> bytes;
    if (!plat::ReadFileBytes(path, bytes)) return;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const uint64_t count = bytes.size() >= kCountBytes ? GetU32(data) : 0;
    if (count == 0 || bytes.size() != kCountBytes + count * strFrame::kBytes) {
        g_Console.PrintStr3("Cutscene frames ", path, " ignored: the size does not match the frame count");
        return;
    }
    scene.m_Frames.reserve(count);
    for (uint64_t i = 0; i < count; ++i) scene.m_Frames.push_back(FrameFromBytes(data + kCountBytes + i * strFrame::kBytes));
    g_Console.PrintInt("Loaded cutscene frames: ", static_cast<int>(count));
}

bool CutsceneMgr::FramesFolderWritable() const {
    char path[256];
    FramesPath(m_pActiveScene->m_szName, path, sizeof path);
    std::strncat(path, ".tmp", sizeof path - std::strlen(path) - 1);
    FILE* probe = plat::OpenFile(path, "wb");
    if (!probe) return false;
    std::fclose(probe);
    plat::DeleteFile(path);
    return true;
}

// Written under a temporary name and renamed over the old file, so a run that dies while saving
// never leaves a half file for the next run to replay.
void CutsceneMgr::SaveFrames() {
    const strScene& scene = *m_pActiveScene;
    char path[256];
    char temporary[260];
    FramesPath(scene.m_szName, path, sizeof path);
    std::snprintf(temporary, sizeof temporary, "%s.tmp", path);
    FILE* file = plat::OpenFile(temporary, "wb");
    if (!file) {
        g_Console.PrintStr2("ERROR: CutsceneMgr::SaveFrames cannot write ", temporary);
        return;
    }
    std::vector<uint8_t> record(strFrame::kBytes);
    uint8_t count[kCountBytes];
    PutU32(count, static_cast<uint32_t>(scene.m_Frames.size()));
    bool written = std::fwrite(count, 1, sizeof count, file) == sizeof count;
    for (const strFrame& f : scene.m_Frames) {
        FrameToBytes(f, record.data());
        written = written && std::fwrite(record.data(), 1, record.size(), file) == record.size();
    }
    written = std::fclose(file) == 0 && written;
    if (!written || !plat::RenameFile(temporary, path)) {
        plat::DeleteFile(temporary);
        g_Console.PrintStr2("ERROR: CutsceneMgr::SaveFrames failed for ", path);
        return;
    }
    g_Console.PrintInt("Saved cutscene frames: ", static_cast<int>(scene.m_Frames.size()));
}

void CutsceneMgr::RecordFrame() {
    strScene& scene = *m_pActiveScene;
    m_fRecordingTime += g_Engine.m_fFrameTime;
    if (m_fRecordingTime < m_fLastCaptureTime + kCaptureInterval) return;
    // A frame due with no room left is lost; the console says so once.
    if (m_uRecordedFrames >= scene.m_uFramesPredicted) {
        if (!m_bFramesOverflow) g_Console.Print("FATAL! - m_dwRecordingFrame>=m_pActScene->dwFramesPredicted");
        m_bFramesOverflow = 1;
        return;
    }
    // Captures keep to a 30 Hz grid, so that a frame caught a step late does not delay the next; a
    // step longer than the grid's spacing starts it again from now.
    m_fLastCaptureTime += kCaptureInterval;
    if (m_fLastCaptureTime + kCaptureInterval <= m_fRecordingTime) m_fLastCaptureTime = m_fRecordingTime;
    strFrame& f = scene.m_Frames.emplace_back();
    f.time = m_fRecordingTime;
    f.cameraPosition = g_Camera.m_vPosition;
    f.cameraOrientation = g_Camera.m_Orientation;
    f.fov = g_Camera.m_fFovFactor;
    for (uint32_t i = 0; i < scene.m_uActorCount; ++i) {
        EObjectSlot* o = scene.m_pActors[i];
        CutsceneMachine machine;
        if (!o || !o->m_hTruck || !g_CutsceneMgrHooks.machine(o, machine)) continue;
        CutsceneActorFrame& a = f.actors[i];
        a.position = o->m_vPosition;
        a.orientation = o->m_Orientation;
        for (int w = 0; w < CutsceneMachine::kWheels; ++w)
            if (const EObjectSlot* wheel = machine.wheels[w]) {
                a.wheelPositions[w] = wheel->m_vPosition;
                a.wheelOrientations[w] = wheel->m_Orientation;
            }
        a.currentSteering = machine.currentSteering;
        a.targetSteering = machine.targetSteering;
    }
    ++m_uRecordedFrames;
}

void CutsceneMgr::PlayFrames() {
    const std::vector<strFrame>& frames = m_pActiveScene->m_Frames;
    while (m_uPlaybackFrame + 1 < frames.size()) {
        const strFrame& a = frames[m_uPlaybackFrame];
        const strFrame& b = frames[m_uPlaybackFrame + 1];
        if (m_fPlaybackTime >= b.time) {
            ++m_uPlaybackFrame;
            continue;
        }
        const float span = b.time - a.time;
        m_fFraction = span > 0 ? std::clamp((m_fPlaybackTime - a.time) / span, 0.0f, 1.0f) : 0.0f;
        g_Camera.SetPosition(Lerp(a.cameraPosition, b.cameraPosition, m_fFraction));
        g_Camera.SetOrientation(Slerp(a.cameraOrientation, b.cameraOrientation, m_fFraction));
        g_Settings.m_fFOV = a.fov;
        g_Camera.m_fFovFactor = a.fov;
        g_Camera.Update(true);
        for (uint32_t i = 0; i < m_pActiveScene->m_uActorCount; ++i) PlaceActor(static_cast<int>(i), a, b, m_fFraction);
        m_fPlaybackTime += m_fSpeed * g_Engine.m_fFrameTime;
        return;
    }
}

void CutsceneMgr::PlaceActor(int i, const strFrame& fa, const strFrame& fb, float t) {
    EObjectSlot* o = m_pActiveScene->m_pActors[i];
    CutsceneMachine machine;
    if (!o || !o->m_hTruck || !g_CutsceneMgrHooks.machine(o, machine)) return;
    const CutsceneActorFrame& a = fa.actors[i];
    const CutsceneActorFrame& b = fb.actors[i];
    g_Engine.SetObjectTransform(o, Lerp(a.position, b.position, t), Slerp(a.orientation, b.orientation, t), false, true);
    g_CutsceneMgrHooks.setSteering(o, a.currentSteering, a.targetSteering);
    for (int w = 0; w < CutsceneMachine::kWheels; ++w) {
        EObjectSlot* wheel = machine.wheels[w];
        if (!wheel) continue;
        const DV position = Lerp(a.wheelPositions[w], b.wheelPositions[w], t);
        g_Engine.SetObjectTransform(wheel, position, Slerp(a.wheelOrientations[w], b.wheelOrientations[w], t), false, false);
        if (Distance(position, m_vDust[i][w]) > kDustSpacing) {
            DV dust = position;
            dust.y -= machine.wheelOffset - 0.1f;
            g_FXMgr.AddFXByName(kDustEffect, &dust, nullptr);
            m_vDust[i][w] = position;
        }
    }
    g_CutsceneMgrHooks.updateMachineParts(o);
}
