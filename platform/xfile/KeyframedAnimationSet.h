#pragma once
// The animation sets of a .x file: per animated frame its scale, rotation and translation keys at
// their tick times, and the ticks per second of the file (4800 when it gives none). Matrix keys
// are split into the three kinds. Rotation keys are written w, x, y, z in the file and kept as
// written.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/math/Quaternion.h"
#include "platform/math/Vec3.h"

namespace xfile {

class XFileDocument;

struct KeyVector3 {
    float Time = 0.0f;
    pmath::Vec3 Value;
};

struct KeyQuaternion {
    float Time = 0.0f;
    pmath::Quaternion Value;
};

struct AnimationTrack {
    std::string FrameName;
    std::vector<KeyVector3> Scale;
    std::vector<KeyQuaternion> Rotation;
    std::vector<KeyVector3> Translation;
};

class KeyframedAnimationSet {
public:
    KeyframedAnimationSet(std::string name, double ticksPerSecond, std::vector<AnimationTrack> tracks);

    const char* GetName() const { return m_name.c_str(); }
    uint32_t GetNumAnimations() const { return static_cast<uint32_t>(m_tracks.size()); }
    // Null past the last animation.
    const char* GetAnimationNameByIndex(uint32_t animation) const;
    const AnimationTrack* GetAnimation(uint32_t animation) const;
    double GetSourceTicksPerSecond() const { return m_ticksPerSecond; }
    // Seconds from tick 0 to the last key of any track.
    double GetPeriod() const;

private:
    std::string m_name;
    double m_ticksPerSecond;
    std::vector<AnimationTrack> m_tracks;
};

class AnimationController {
public:
    explicit AnimationController(std::vector<KeyframedAnimationSet> sets) : m_sets(std::move(sets)) {}
    uint32_t GetNumAnimationSets() const { return static_cast<uint32_t>(m_sets.size()); }
    // Null past the last set.
    const KeyframedAnimationSet* GetAnimationSet(uint32_t index) const;

private:
    std::vector<KeyframedAnimationSet> m_sets;
};

// The document's AnimationSet objects; controller stays null when it has none. False with a reason
// for a set that is not well formed.
bool ReadAnimationSets(const XFileDocument& document, std::unique_ptr<AnimationController>& controller,
                       std::string& error);

}  // namespace xfile
