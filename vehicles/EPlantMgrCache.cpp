// The placement cache "<world file>.grs": little-endian, written and read field by field into
// fixed-size records (a kind 1964 bytes, a plant 196, the terrain block 1128, a tuft 32), the
// fields that only mean something while the game runs stored as 0. A cache is used only when it is
// whole and every count in it stays within its limits and its grid; any other is discarded, and
// the placement made and written again.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "platform/os/Files.h"
#include "render/ERenderer.h"
#include "vehicles/EPlantMgr.h"
#include "world/EEngine.h"

namespace {

constexpr size_t kKindBytes = 1964;
constexpr size_t kPlantBytes = 196;
constexpr size_t kTerrainBytes = 1128;
constexpr size_t kTuftBytes = 32;
constexpr float kSectorSize = 100.0f;

constexpr size_t kChunk = 65536;

// Appends little-endian fields to a byte string; with a file, the string goes to it a chunk at a
// time, so that a cache of any size is written through a small buffer.
class Writer {
public:
    explicit Writer(std::vector<uint8_t>& out, FILE* file = nullptr) : m_out(out), m_file(file) {}
    void U8(uint8_t v) { m_out.push_back(v); }
    void U32(uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8) m_out.push_back(static_cast<uint8_t>(v >> shift));
    }
    void F32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        U32(bits);
    }
    void Vec(const DV& v) {
        F32(v.x);
        F32(v.y);
        F32(v.z);
    }
    void Zeros(size_t n) { m_out.insert(m_out.end(), n, 0); }
    // A text field of `size` bytes: the text, then zeros.
    void Text(const char* text, size_t size) {
        const size_t n = strnlen(text, size - 1);
        m_out.insert(m_out.end(), text, text + n);
        Zeros(size - n);
    }
    void Bytes(const uint8_t* bytes, size_t n) { m_out.insert(m_out.end(), bytes, bytes + n); }
    // After a record: a full chunk goes to the file.
    void EndRecord() {
        if (m_file && m_out.size() >= kChunk) Flush();
    }
    void Flush() {
        if (!m_file) return;
        std::fwrite(m_out.data(), 1, m_out.size(), m_file);
        m_out.clear();
    }

private:
    std::vector<uint8_t>& m_out;
    FILE* m_file;
};

// Takes little-endian fields from bytes in memory or from a file (through a chunk of it at a
// time); once a field would run past the end, every field reads as 0 and the reader stays failed.
class Reader {
public:
    Reader(const uint8_t* bytes, size_t size) : m_bytes(bytes), m_size(size) {}
    explicit Reader(FILE* file) : m_file(file), m_buffer(kChunk) {
        if (std::fseek(file, 0, SEEK_END) == 0) {
            const long size = std::ftell(file);
            m_fileLeft = size > 0 ? static_cast<size_t>(size) : 0;
        }
        std::rewind(file);
        m_bytes = m_buffer.data();
    }
    bool Ok() const { return m_ok; }
    size_t Left() const { return m_ok ? m_size - m_at + m_fileLeft : 0; }
    bool Take(size_t n) {
        if (m_ok && n > m_size - m_at) Refill(n);
        if (!m_ok || n > m_size - m_at) return m_ok = false;
        m_at += n;
        return true;
    }
    uint8_t U8() { return Take(1) ? m_bytes[m_at - 1] : 0; }
    uint32_t U32() {
        if (!Take(4)) return 0;
        const uint8_t* p = m_bytes + m_at - 4;
        return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    }
    float F32() {
        const uint32_t bits = U32();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    DV Vec() {
        const float x = F32(), y = F32();
        return DV{x, y, F32()};
    }
    // A text field of `size` bytes into a buffer of as many, always ended.
    void Text(char* out, size_t size) {
        if (!Take(size)) {
            out[0] = 0;
            return;
        }
        std::memcpy(out, m_bytes + m_at - size, size);
        out[size - 1] = 0;
    }
    void Bytes(uint8_t* out, size_t n) {
        if (Take(n)) std::memcpy(out, m_bytes + m_at - n, n);
    }
    // A whole record's bytes, to be read by a reader of their own; null past the end.
    const uint8_t* Record(size_t n) { return Take(n) ? m_bytes + m_at - n : nullptr; }

private:
    // The bytes not yet taken moved to the front of the buffer, and the file read after them.
    void Refill(size_t wanted) {
        if (!m_file || wanted > m_buffer.size()) return;
        const size_t kept = m_size - m_at;
        std::memmove(m_buffer.data(), m_buffer.data() + m_at, kept);
        const size_t got = std::fread(m_buffer.data() + kept, 1, std::min(m_buffer.size() - kept, m_fileLeft), m_file);
        m_fileLeft = got < m_fileLeft ? m_fileLeft - got : 0;
        m_at = 0;
        m_size = kept + got;
        if (got == 0) m_fileLeft = 0;
    }

    const uint8_t* m_bytes = nullptr;
    size_t m_size = 0;
    size_t m_at = 0;
    bool m_ok = true;
    FILE* m_file = nullptr;
    std::vector<uint8_t> m_buffer;
    size_t m_fileLeft = 0;
};

void WriteKind(Writer& w, const GrassKind& k) {
    w.Text(k.m_szName, GrassKind::kNameSize);
    w.U32(0);  // the texture handle
    w.U8(k.m_bCrop);
    w.Zeros(3);
    w.Vec(k.m_vPosition);
    w.Vec(k.m_vScale);
    w.F32(k.m_fDensity);
    w.F32(k.m_fRadius);
    w.F32(k.m_fExtentX);
    w.F32(k.m_fExtentZ);
    w.U32(k.m_Szer);
    w.U32(k.m_Wys);
    w.U32(k.WTabeli);
    for (const char* mesh : k.m_szMeshes) w.Text(mesh, GrassKind::kMeshNameSize);
    w.U32(k.m_dwMeshes);
    w.F32(k.m_fWidth);
    w.F32(k.m_fHeight);
    w.F32(k.m_fRandomSeed);
    w.F32(k.m_fRandom);
    w.U8(k.m_bHasPlants);
    w.Zeros(3);
    w.U32(k.dwGrassesDefined);
    w.Zeros(kKindBytes - 1368);  // the buffer, the plants, the cut marks, the combines' lists and slots
    w.EndRecord();
}

void ReadKind(Reader& r, GrassKind& k) {
    r.Text(k.m_szName, GrassKind::kNameSize);
    r.U32();
    k.m_bCrop = r.U8();
    r.Take(3);
    k.m_vPosition = r.Vec();
    k.m_vScale = r.Vec();
    k.m_fDensity = r.F32();
    k.m_fRadius = r.F32();
    k.m_fExtentX = r.F32();
    k.m_fExtentZ = r.F32();
    k.m_Szer = r.U32();
    k.m_Wys = r.U32();
    k.WTabeli = r.U32();
    for (char* mesh : k.m_szMeshes) r.Text(mesh, GrassKind::kMeshNameSize);
    k.m_dwMeshes = r.U32();
    k.m_fWidth = r.F32();
    k.m_fHeight = r.F32();
    k.m_fRandomSeed = r.F32();
    k.m_fRandom = r.F32();
    k.m_bHasPlants = r.U8();
    r.Take(3);
    k.dwGrassesDefined = r.U32();
    r.Take(kKindBytes - 1368);
}

void WritePlant(Writer& w, const Plant& p) {
    w.Vec(p.m_vPosition);
    w.Vec(p.m_vNormal);
    w.U8(p.m_bValid);
    w.Zeros(3);
    for (const DV& v : p.m_vVertices) w.Vec(v);
    w.Bytes(p.m_uTexCoords, Plant::kVertices);
    w.Bytes(p.m_uAlpha, Plant::kVertices);
    w.EndRecord();
}

void ReadPlant(Reader& file, Plant& p) {
    const uint8_t* record = file.Record(kPlantBytes);
    if (!record) return;
    Reader r(record, kPlantBytes);
    p.m_vPosition = r.Vec();
    p.m_vNormal = r.Vec();
    p.m_bValid = r.U8();
    r.Take(3);
    for (DV& v : p.m_vVertices) v = r.Vec();
    r.Bytes(p.m_uTexCoords, Plant::kVertices);
    r.Bytes(p.m_uAlpha, Plant::kVertices);
}

void WriteTerrain(Writer& w, const TerrainGrass& t) {
    for (const char* texture : t.m_szTextures) w.Text(texture, TerrainGrass::kNameSize);
    w.U32(t.m_dwTextures);
    w.Text(t.m_szTeren, TerrainGrass::kNameSize);
    w.F32(t.m_fMinX);
    w.F32(t.m_fMinZ);
    w.F32(t.m_fMaxX);
    w.F32(t.m_fMaxZ);
    w.F32(t.m_fCell);
    w.U32(t.dwSzer);
    w.U32(t.dwWys);
    w.U32(0);  // the tufts' array
    w.U32(t.dwTPlants);
}

void ReadTerrain(Reader& r, TerrainGrass& t) {
    for (char* texture : t.m_szTextures) r.Text(texture, TerrainGrass::kNameSize);
    t.m_dwTextures = r.U32();
    r.Text(t.m_szTeren, TerrainGrass::kNameSize);
    t.m_fMinX = r.F32();
    t.m_fMinZ = r.F32();
    t.m_fMaxX = r.F32();
    t.m_fMaxZ = r.F32();
    t.m_fCell = r.F32();
    t.dwSzer = r.U32();
    t.dwWys = r.U32();
    r.U32();
    t.dwTPlants = r.U32();
}

void WriteTuft(Writer& w, const TPlant& t) {
    w.Vec(t.m_vPosition);
    w.Vec(t.m_vNormal);
    w.U32(t.m_uColour);
    w.U8(t.m_bValid);
    w.Zeros(3);
    w.EndRecord();
}

void ReadTuft(Reader& file, TPlant& t) {
    const uint8_t* record = file.Record(kTuftBytes);
    if (!record) return;
    Reader r(record, kTuftBytes);
    t.m_vPosition = r.Vec();
    t.m_vNormal = r.Vec();
    t.m_uColour = r.U32();
    t.m_bValid = r.U8();
    r.Take(3);
}

// Counts a stored kind may hold: its names within their table, its plants within its grid, and
// the plants within the bytes left.
bool KindFits(const GrassKind& k, size_t bytesLeft) {
    return k.m_dwMeshes <= GrassKind::kMaxMeshes && uint64_t{k.m_Szer} * k.m_Wys == k.WTabeli &&
           k.dwGrassesDefined <= k.WTabeli && uint64_t{k.dwGrassesDefined} * kPlantBytes <= bytesLeft;
}

// The terrain block likewise, and a marker box the sectors can cover.
bool TerrainFits(const TerrainGrass& t, size_t bytesLeft) {
    if (t.m_dwTextures > TerrainGrass::kMaxTextures || t.dwTPlants > uint64_t{t.dwSzer} * t.dwWys ||
        uint64_t{t.dwTPlants} * kTuftBytes != bytesLeft)
        return false;
    if (t.dwTPlants == 0) return true;
    const double columns = std::floor((double{t.m_fMaxX} - t.m_fMinX) / kSectorSize) + 1;
    const double rows = std::floor((double{t.m_fMaxZ} - t.m_fMinZ) / kSectorSize) + 1;
    return columns >= 1 && rows >= 1 && columns * rows <= EPlantMgr::kMaxSectors;
}

}  // namespace

namespace {

void Write(Writer& w, const EPlantMgr& plants) {
    w.U32(EPlantMgr::kCacheVersion);
    w.U32(plants.m_dwGrass);
    for (uint32_t i = 0; i < plants.m_dwGrass; ++i) {
        const GrassKind& k = plants.m_Grass[i];
        WriteKind(w, k);
        for (uint32_t p = 0; p < k.dwGrassesDefined && k.pPlants; ++p) WritePlant(w, k.pPlants[p]);
    }
    const TerrainGrass& t = plants.m_TGrass;
    WriteTerrain(w, t);
    for (uint32_t i = 0; i < t.dwTPlants && t.pTPlants; ++i) WriteTuft(w, t.pTPlants[i]);
    w.Flush();
}

}  // namespace

std::string EPlantMgr::CacheName() { return std::string(g_Engine.m_szStartingWorld) + ".grs"; }

std::vector<uint8_t> EPlantMgr::CacheBytes() const {
    std::vector<uint8_t> bytes;
    Writer w(bytes);
    Write(w, *this);
    return bytes;
}

void EPlantMgr::WriteGrassCache() {
    FILE* f = plat::OpenFile(CacheName(), "wb");
    if (!f) return;
    std::vector<uint8_t> chunk;
    chunk.reserve(kChunk + kKindBytes);
    Writer w(chunk, f);
    Write(w, *this);
    std::fclose(f);
}

namespace {

bool Read(Reader& r, GrassCacheContents& out) {
    const uint32_t version = r.U32(), count = r.U32();
    if (!r.Ok() || version != EPlantMgr::kCacheVersion || count > EPlantMgr::MAX_GRASS) return false;
    out.kinds.clear();
    out.kinds.resize(count);
    for (GrassKind& k : out.kinds) {
        ReadKind(r, k);
        if (!r.Ok() || !KindFits(k, r.Left())) return false;
        if (k.dwGrassesDefined == 0) continue;
        k.pPlants = std::make_unique<Plant[]>(k.dwGrassesDefined);
        for (uint32_t p = 0; p < k.dwGrassesDefined; ++p) ReadPlant(r, k.pPlants[p]);
    }
    out.terrain = TerrainGrass{};
    ReadTerrain(r, out.terrain);
    if (!r.Ok() || !TerrainFits(out.terrain, r.Left())) return false;
    if (out.terrain.dwTPlants) {
        out.terrain.pTPlants = std::make_unique<TPlant[]>(out.terrain.dwTPlants);
        for (uint32_t t = 0; t < out.terrain.dwTPlants; ++t) ReadTuft(r, out.terrain.pTPlants[t]);
    }
    return r.Ok() && r.Left() == 0;
}

}  // namespace

bool EPlantMgr::ReadGrassCache(const uint8_t* bytes, size_t size, GrassCacheContents& out) {
    Reader r(bytes, size);
    return Read(r, out);
}

bool EPlantMgr::CzytajDaneZPliku() {
    FILE* file = plat::OpenFile(CacheName(), "rb");
    if (!file) return false;
    g_Console.Print("CzytajDaneZPliku");
    GrassCacheContents contents;
    Reader reader(file);
    const bool read = Read(reader, contents);
    std::fclose(file);
    if (!read) {
        g_Console.PrintStr3("The grass cache ", CacheName().c_str(), " is damaged or out of date: placing the grass anew");
        return false;
    }
    // Every kind's texture must be one the installation has, as the script's kinds are.
    for (const GrassKind& k : contents.kinds)
        if (!g_Renderer.FindTextureDescription(k.m_szName)) {
            g_Console.PrintStr3("The grass cache names the texture ", k.m_szName, " that is missing: placing the grass anew");
            return false;
        }
    TakeCache(contents);
    return true;
}

void EPlantMgr::TakeCache(GrassCacheContents& contents) {
    ReleaseGrassBuffers();
    ReleaseTGrass();
    m_dwGrass = static_cast<uint32_t>(contents.kinds.size());
    g_Console.PrintInt("Grass, m_dwGrass == ", static_cast<int>(m_dwGrass));
    for (uint32_t i = 0; i < MAX_GRASS; ++i) {
        m_Grass[i] = GrassKind{};
        if (i >= m_dwGrass) continue;
        g_Console.PrintInt("Czytam dw == ", static_cast<int>(i));
        GrassKind& k = m_Grass[i];
        k = std::move(contents.kinds[i]);
        k.m_uTexture = g_Renderer.LoadRegisteredTexture(k.m_szName)->m_uId;
        if (k.dwGrassesDefined) {
            g_Console.PrintInt("allokacja m_Grass[dw].dwGrassesDefined == ", static_cast<int>(k.dwGrassesDefined));
            g_Debug.AddAlloc(kPlantsTag);
        } else {
            g_Console.Print("Nie allokuje, m_Grass[dw].dwGrassesDefined == 0");
        }
    }
    m_TGrass = std::move(contents.terrain);
    if (m_TGrass.pTPlants) g_Debug.AddAlloc(kTuftsTag);
}
