#include "platform/xfile/KeyframedAnimationSet.h"

#include <algorithm>
#include <cmath>

#include "platform/math/Matrix.h"
#include "platform/xfile/MeshAssembly.h"
#include "platform/xfile/XFileDocument.h"

namespace xfile {

namespace {

constexpr double kDefaultTicksPerSecond = 4800.0;

enum KeyType : uint32_t { KEY_ROTATION = 0, KEY_SCALE = 1, KEY_POSITION = 2, KEY_MATRIX = 4 };

uint32_t ValuesOf(uint32_t type) {
    switch (type) {
        case KEY_ROTATION: return 4;
        case KEY_SCALE:
        case KEY_POSITION: return 3;
        case KEY_MATRIX: return 16;
        default: return 0;
    }
}

// A matrix key as scale, rotation and translation (rows scaled by the scale, then the
// translation in row 3).
void SplitMatrix(float time, const float* v, AnimationTrack& track) {
    pmath::Matrix m;
    std::copy(v, v + 16, &m.m[0][0]);
    pmath::Vec3 scale;
    float* s[3] = {&scale.x, &scale.y, &scale.z};
    for (int r = 0; r < 3; ++r) {
        *s[r] = std::sqrt(m.m[r][0] * m.m[r][0] + m.m[r][1] * m.m[r][1] + m.m[r][2] * m.m[r][2]);
        const float divisor = *s[r] == 0.0f ? 1.0f : *s[r];
        for (int c = 0; c < 3; ++c) m.m[r][c] /= divisor;
    }
    track.Scale.push_back({time, scale});
    track.Rotation.push_back({time, pmath::QuaternionFromMatrix(m)});
    track.Translation.push_back({time, {m.m[3][0], m.m[3][1], m.m[3][2]}});
}

bool ReadKey(const XObject& key, AnimationTrack& track, std::string& error) {
    ObjectValues values(key, error);
    uint32_t type = 0, count = 0;
    if (!values.Index(type, "key type")) return false;
    const uint32_t expected = ValuesOf(type);
    if (expected == 0) return values.Fail("unknown key type " + std::to_string(type));
    if (!values.Count(count, "key count", expected + 2)) return false;
    for (uint32_t k = 0; k < count; ++k) {
        uint32_t n = 0;
        float time = 0.0f, v[16];
        if (!values.Floats(&time, 1, "key time") || !values.Index(n, "value count")) return false;
        if (n != expected) return values.Fail("a key of " + std::to_string(n) + " values");
        if (!values.Floats(v, n, "key values")) return false;
        switch (type) {
            case KEY_ROTATION: track.Rotation.push_back({time, {v[1], v[2], v[3], v[0]}}); break;
            case KEY_SCALE: track.Scale.push_back({time, {v[0], v[1], v[2]}}); break;
            case KEY_POSITION: track.Translation.push_back({time, {v[0], v[1], v[2]}}); break;
            default: SplitMatrix(time, v, track); break;
        }
    }
    return true;
}

bool ReadAnimation(const XObject& animation, AnimationTrack& track, std::string& error) {
    for (const XChild& child : animation.children) {
        if (!child.object) {
            track.FrameName = child.reference;
            continue;
        }
        if (child.object->type == "Frame" && track.FrameName.empty()) track.FrameName = child.object->name;
        if (child.object->type == "AnimationKey" && !ReadKey(*child.object, track, error)) return false;
    }
    return true;
}

}  // namespace

KeyframedAnimationSet::KeyframedAnimationSet(std::string name, double ticksPerSecond, std::vector<AnimationTrack> tracks)
    : m_name(std::move(name)), m_ticksPerSecond(ticksPerSecond), m_tracks(std::move(tracks)) {}

const char* KeyframedAnimationSet::GetAnimationNameByIndex(uint32_t animation) const {
    return animation < m_tracks.size() ? m_tracks[animation].FrameName.c_str() : nullptr;
}

const AnimationTrack* KeyframedAnimationSet::GetAnimation(uint32_t animation) const {
    return animation < m_tracks.size() ? &m_tracks[animation] : nullptr;
}

double KeyframedAnimationSet::GetPeriod() const {
    float last = 0.0f;
    for (const AnimationTrack& t : m_tracks) {
        if (!t.Scale.empty()) last = std::max(last, t.Scale.back().Time);
        if (!t.Rotation.empty()) last = std::max(last, t.Rotation.back().Time);
        if (!t.Translation.empty()) last = std::max(last, t.Translation.back().Time);
    }
    return m_ticksPerSecond > 0.0 ? last / m_ticksPerSecond : 0.0;
}

const KeyframedAnimationSet* AnimationController::GetAnimationSet(uint32_t index) const {
    return index < m_sets.size() ? &m_sets[index] : nullptr;
}

bool ReadAnimationSets(const XFileDocument& document, std::unique_ptr<AnimationController>& controller,
                       std::string& error) {
    double ticksPerSecond = kDefaultTicksPerSecond;
    for (const auto& object : document.Objects()) {
        if (object->type != "AnimTicksPerSecond") continue;
        uint32_t ticks = 0;
        ObjectValues values(*object, error);
        if (!values.Index(ticks, "ticks per second")) return false;
        ticksPerSecond = ticks;
    }
    std::vector<KeyframedAnimationSet> sets;
    for (const auto& object : document.Objects()) {
        if (object->type != "AnimationSet") continue;
        std::vector<AnimationTrack> tracks;
        for (const XChild& child : object->children) {
            const XObject* animation = document.Resolve(child);
            if (!animation || animation->type != "Animation") continue;
            AnimationTrack track;
            if (!ReadAnimation(*animation, track, error)) return false;
            tracks.push_back(std::move(track));
        }
        sets.emplace_back(object->name, ticksPerSecond, std::move(tracks));
    }
    controller = sets.empty() ? nullptr : std::make_unique<AnimationController>(std::move(sets));
    return true;
}

}  // namespace xfile
