#include "platform/input/EffectFile.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace plat {
namespace {

// The effect types' identifiers as effect files carry them: {13541C20-8E33-11D0-9AD0-00A0C9A06E35}
// for a constant force, then one up in the first field for each type in EffectType's order.
constexpr uint32_t kTypeIdFirst = 0x13541C20;
constexpr uint8_t kTypeIdTail[12] = {0x33, 0x8E, 0xD0, 0x11, 0x9A, 0xD0, 0x00, 0xA0, 0xC9, 0xA0, 0x6E, 0x35};
constexpr int kTypeCount = int(EffectType::Friction) + 1;
constexpr uint32_t kDataWords = 14;
constexpr uint32_t kEnvelopeWords = 5;
constexpr uint32_t kConditionWords = 6;

uint32_t GetU32(const char* p) {
    uint8_t b[4];
    std::memcpy(b, p, 4);
    return b[0] | b[1] << 8 | b[2] << 16 | uint32_t(b[3]) << 24;
}

void PutU32(std::vector<char>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(char(v >> (8 * i)));
}

struct Chunk {
    std::string_view id;
    const char* data;
    uint32_t size;
};

// Walks the chunks of a region; false when one runs past the region.
template <class Visit>
bool ForEachChunk(const char* begin, const char* end, Visit visit) {
    const char* p = begin;
    while (end - p >= 8) {
        uint32_t size = GetU32(p + 4);
        if (size > uint64_t(end - p - 8)) return false;
        if (!visit(Chunk{std::string_view(p, 4), p + 8, size})) return false;
        p += 8 + size + (size & 1);
    }
    return true;
}

bool ReadTypeId(const Chunk& c, EffectType& type) {
    if (c.size != 16 || std::memcmp(c.data + 4, kTypeIdTail, sizeof kTypeIdTail)) return false;
    uint32_t first = GetU32(c.data);
    if (first < kTypeIdFirst || first >= kTypeIdFirst + kTypeCount) return false;
    type = EffectType(first - kTypeIdFirst);
    return true;
}

std::vector<int32_t> ReadWords(const Chunk& c) {
    std::vector<int32_t> words(c.size / 4);
    for (size_t i = 0; i < words.size(); ++i) words[i] = int32_t(GetU32(c.data + 4 * i));
    return words;
}

void ApplyParameters(const std::vector<int32_t>& w, EffectDesc& e) {
    if (IsCondition(e.type)) {
        for (size_t i = 0; i + kConditionWords <= w.size() && e.conditions.size() < 2; i += kConditionWords)
            e.conditions.push_back({w[i], w[i + 1], w[i + 2], w[i + 3], w[i + 4], w[i + 5]});
    } else if (IsPeriodic(e.type)) {
        if (w.size() >= 4) {
            e.magnitude = w[0];
            e.offset = w[1];
            e.phase = w[2];
            e.period = w[3];
        }
    } else if (e.type == EffectType::Ramp) {
        if (w.size() >= 2) {
            e.rampStart = w[0];
            e.rampEnd = w[1];
        }
    } else if (!w.empty()) {
        e.magnitude = w[0];
    }
}

// Reads one "efct" list; false when its chunks are malformed. `complete` says whether it names a
// known type and has its data.
bool ReadEffect(const char* begin, const char* end, EffectDesc& e, bool& complete) {
    bool haveType = false, haveData = false;
    uint32_t axisCount = 0;
    std::vector<int32_t> axes, directions, parameters;
    bool ok = ForEachChunk(begin, end, [&](const Chunk& c) {
        if (c.id == "name") {
            e.name.assign(c.data, strnlen(c.data, c.size));
        } else if (c.id == "id  ") {
            haveType = ReadTypeId(c, e.type);
        } else if (c.id == "data" && c.size >= 4 * kDataWords) {
            std::vector<int32_t> w = ReadWords(c);
            e.flags = w[1];
            e.duration = w[2];
            e.samplePeriod = w[3];
            e.gain = w[4];
            e.triggerButton = w[5];
            e.triggerRepeatInterval = w[6];
            axisCount = w[7];
            e.startDelay = w[13];
            haveData = true;
        } else if (c.id == "axes") {
            axes = ReadWords(c);
        } else if (c.id == "dirn") {
            directions = ReadWords(c);
        } else if (c.id == "envl" && c.size >= 4 * kEnvelopeWords) {
            std::vector<int32_t> w = ReadWords(c);
            e.hasEnvelope = true;
            e.envelope = {uint32_t(w[1]), uint32_t(w[2]), uint32_t(w[3]), uint32_t(w[4])};
        } else if (c.id == "prms") {
            parameters = ReadWords(c);
        }
        return true;
    });
    complete = ok && haveType && haveData;
    if (!complete) return ok;
    // Only the axes both listed and counted are used.
    size_t n = std::min<size_t>(axisCount, axes.size());
    e.axes.assign(axes.begin(), axes.begin() + n);
    e.directions.assign(n, 0);
    for (size_t i = 0; i < n && i < directions.size(); ++i) e.directions[i] = directions[i];
    ApplyParameters(parameters, e);
    return true;
}

void PutChunk(std::vector<char>& out, const char* id, const std::vector<char>& body) {
    out.insert(out.end(), id, id + 4);
    PutU32(out, uint32_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() & 1) out.push_back(0);
}

std::vector<char> Words(std::initializer_list<uint32_t> words) {
    std::vector<char> out;
    for (uint32_t w : words) PutU32(out, w);
    return out;
}

std::vector<char> ParameterBlock(const EffectDesc& e) {
    std::vector<char> out;
    if (IsCondition(e.type)) {
        for (const EffectCondition& c : e.conditions)
            for (int32_t v : {c.offset, c.positiveCoefficient, c.negativeCoefficient, c.positiveSaturation,
                              c.negativeSaturation, c.deadBand})
                PutU32(out, uint32_t(v));
    } else if (IsPeriodic(e.type)) {
        out = Words({uint32_t(e.magnitude), uint32_t(e.offset), uint32_t(e.phase), uint32_t(e.period)});
    } else if (e.type == EffectType::Ramp) {
        out = Words({uint32_t(e.rampStart), uint32_t(e.rampEnd)});
    } else {
        out = Words({uint32_t(e.magnitude)});
    }
    return out;
}

std::vector<char> EffectList(const EffectDesc& e) {
    std::vector<char> body = {'e', 'f', 'c', 't'};
    std::vector<char> name(e.name.begin(), e.name.end());
    name.push_back(0);
    PutChunk(body, "name", name);
    std::vector<char> id = Words({kTypeIdFirst + uint32_t(e.type)});
    id.insert(id.end(), kTypeIdTail, kTypeIdTail + sizeof kTypeIdTail);
    PutChunk(body, "id  ", id);
    std::vector<char> parameters = ParameterBlock(e);
    PutChunk(body, "data",
             Words({4 * kDataWords, e.flags, e.duration, e.samplePeriod, e.gain, e.triggerButton,
                    e.triggerRepeatInterval, uint32_t(e.axes.size()), 0, 0, 0, uint32_t(parameters.size()), 0,
                    e.startDelay}));
    std::vector<char> axes, directions;
    for (size_t i = 0; i < e.axes.size(); ++i) {
        PutU32(axes, e.axes[i]);
        PutU32(directions, uint32_t(i < e.directions.size() ? e.directions[i] : 0));
    }
    PutChunk(body, "axes", axes);
    PutChunk(body, "dirn", directions);
    if (e.hasEnvelope) {
        const EffectEnvelope& v = e.envelope;
        PutChunk(body, "envl", Words({4 * kEnvelopeWords, v.attackLevel, v.attackTime, v.fadeLevel, v.fadeTime}));
    }
    PutChunk(body, "prms", parameters);
    return body;
}

}  // namespace

bool IsCondition(EffectType type) { return type >= EffectType::Spring; }

bool IsPeriodic(EffectType type) { return type >= EffectType::Square && type <= EffectType::SawtoothDown; }

const char* EffectTypeName(EffectType type) {
    static const char* const kNames[kTypeCount] = {"constant", "ramp",    "square", "sine",    "triangle", "sawtooth up",
                                                   "sawtooth down", "spring", "damper", "inertia", "friction"};
    return kNames[int(type)];
}

bool ParseEffectFile(const std::vector<char>& bytes, std::vector<EffectDesc>& out) {
    out.clear();
    const char* begin = bytes.data();
    if (bytes.size() < 12 || std::memcmp(begin, "RIFF", 4) || std::memcmp(begin + 8, "FORC", 4)) return false;
    uint32_t size = GetU32(begin + 4);
    if (size < 4 || size > bytes.size() - 8) return false;
    bool ok = ForEachChunk(begin + 12, begin + 8 + size, [&](const Chunk& c) {
        if (c.id != "LIST" || c.size < 4 || std::memcmp(c.data, "efct", 4)) return true;
        EffectDesc effect;
        bool complete = false;
        if (!ReadEffect(c.data + 4, c.data + c.size, effect, complete)) return false;
        if (complete) out.push_back(std::move(effect));
        return true;
    });
    if (!ok) out.clear();
    return ok;
}

std::vector<char> WriteEffectFile(const std::vector<EffectDesc>& effects) {
    std::vector<char> body = {'F', 'O', 'R', 'C'};
    for (const EffectDesc& e : effects) PutChunk(body, "LIST", EffectList(e));
    std::vector<char> out;
    PutChunk(out, "RIFF", body);
    return out;
}

}  // namespace plat
