// Loading a large model into an engine mesh: from its text .x file (parsed, cleaned, welded,
// validated, optimised) and from its binary copy under "!opt\" (read and taken as it was
// written). Each case runs eight times, side by side in this process; the medians give each
// path's MB/s of file read and how many times faster the copy is. The goals are at least 5x for
// the copy and at least 50 MB/s for parsing the text on one core.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/ESettings.h"
#include "mesh/EMeshMgr.h"
#include "platform/gfx/Device.h"
#include "platform/os/Backends.h"
#include "platform/os/Files.h"
#include "platform/xfile/XFileDocument.h"
#include "platform/xfile/XFileWriter.h"
#include "render/D3DDevice.h"

namespace {

// Vehicle models are read from their copies whatever their size.
constexpr const char* kModel = "pojazdy\\bench_field.x";
constexpr int kColumns = 174, kRows = 174;  // 2 x 174 x 174 = 60,552 faces

std::filesystem::path g_dir;
std::vector<char> g_text;
size_t g_cacheBytes = 0;

// A rolling field: a grid of quads with normals, coordinates, colours and two materials.
void WriteModel() {
    const std::vector<gfx::VertexElement> layout(kMeshVertexLayout, kMeshVertexLayout + 4);
    std::vector<uint8_t> vertices;
    for (int z = 0; z <= kRows; ++z)
        for (int x = 0; x <= kColumns; ++x) {
            const float h = 20.0f * std::sin(x * 0.1f) * std::cos(z * 0.13f);
            const float p[3] = {x * 10.0f, h, z * 10.0f}, n[3] = {0.0f, 1.0f, 0.0f}, uv[2] = {x / 8.0f, z / 8.0f};
            const uint32_t colour = 0xFF000000u | static_cast<uint32_t>(x) << 16 | static_cast<uint32_t>(z);
            uint8_t v[36];
            std::memcpy(v, p, 12);
            std::memcpy(v + 12, &colour, 4);
            std::memcpy(v + 16, n, 12);
            std::memcpy(v + 28, uv, 8);
            vertices.insert(vertices.end(), v, v + 36);
        }
    std::vector<uint16_t> indices;
    std::vector<uint32_t> attributes;
    for (int z = 0; z < kRows; ++z)
        for (int x = 0; x < kColumns; ++x) {
            const uint16_t a = static_cast<uint16_t>(z * (kColumns + 1) + x), b = static_cast<uint16_t>(a + kColumns + 1);
            indices.insert(indices.end(), {a, b, static_cast<uint16_t>(b + 1), a, static_cast<uint16_t>(b + 1),
                                           static_cast<uint16_t>(a + 1)});
            attributes.insert(attributes.end(), 2, x < kColumns / 2 ? 0u : 1u);
        }
    std::shared_ptr<xfile::Mesh> mesh;
    xfile::Mesh::Create(xfile::MESH_SYSTEMMEM, layout, nullptr, vertices, indices, attributes, mesh);
    xfile::ExtendedMaterial materials[2];
    materials[0].TextureFilename = "grass.tga";
    materials[1].TextureFilename = "field.tga";
    std::filesystem::create_directories(g_dir / "pojazdy");
    xfile::SaveMeshToX(kModel, *mesh, nullptr, materials, 2, xfile::FILEFORMAT_TEXT);
    plat::ReadFileBytes(kModel, g_text);
}

void SetUp() {
    g_dir = std::filesystem::temp_directory_path() / ("furrow_mesh_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(g_dir);
    plat::SetStartDirectory(g_dir);
    plat::BackendChoice choice = plat::Backends();
    choice.video = plat::VideoBackend::Null;
    plat::SetBackends(choice);
    g_pD3D = gfx::CreateSystem();
    gfx::PresentParameters pp;
    pp.backBufferWidth = 64;
    pp.backBufferHeight = 64;
    g_pD3D->CreateDevice(nullptr, gfx::CREATE_HARDWARE_VERTEXPROCESSING, pp, g_pd3dDevice);
    WriteModel();
    // One load through the text path writes the copy the cache path reads.
    g_Settings.m_bUseOPT = 1;
    g_MeshMgr.GetMesh(kModel);
    g_MeshMgr.ReleaseAll();
    g_cacheBytes = std::filesystem::file_size(plat::ResolvePath(EMeshMgr::OptPath(kModel)));
}

void LoadThrough(benchmark::State& state, bool cache, size_t bytes) {
    g_Settings.m_bUseOPT = cache;
    for (auto _ : state) {
        if (g_MeshMgr.GetMesh(kModel) < 0) state.SkipWithError("the model did not load");
        state.PauseTiming();
        const bool fromCache = g_MeshMgr.m_pHead && g_MeshMgr.m_pHead->m_bFromCache;
        g_MeshMgr.ReleaseAll();
        if (fromCache != cache) state.SkipWithError("the load took the other path");
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void BM_TextPath(benchmark::State& state) { LoadThrough(state, false, g_text.size()); }
void BM_CachePath(benchmark::State& state) { LoadThrough(state, true, g_cacheBytes); }

void BM_TextParsing(benchmark::State& state) {
    for (auto _ : state) {
        xfile::XFileDocument document;
        std::string error;
        benchmark::DoNotOptimize(document.Parse(reinterpret_cast<const uint8_t*>(g_text.data()), g_text.size(), error));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_text.size()));
}

// The machine is shared with other work: the load's time varies from run to run, so each case
// is repeated and the medians compared.
BENCHMARK(BM_TextPath)->Unit(benchmark::kMillisecond)->Repetitions(8)->ReportAggregatesOnly(true);
BENCHMARK(BM_CachePath)->Unit(benchmark::kMillisecond)->Repetitions(8)->ReportAggregatesOnly(true);
BENCHMARK(BM_TextParsing)->Unit(benchmark::kMillisecond)->Repetitions(8)->ReportAggregatesOnly(true);

// Keeps each case's median time per iteration and bytes per second for the summary.
class Summary : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.aggregate_name != "median") continue;
            const std::string name = run.run_name.function_name;
            m_seconds[name] = run.GetAdjustedCPUTime() / 1000.0;
            auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end()) m_mbps[name] = it->second.value / 1e6;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> m_seconds, m_mbps;
};

// The repetitions of all cases run shuffled among each other, so that a spell of load on the
// shared machine falls on both sides of a comparison alike. A flag given on the command line
// comes later and wins.
std::vector<char*> InterleavedRepetitions(int argc, char** argv) {
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> args(argv, argv + argc);
    args.insert(args.begin() + 1, interleave);
    return args;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args = InterleavedRepetitions(argc, argv);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    SetUp();
    Summary summary;
    benchmark::RunSpecifiedBenchmarks(&summary);
    const double text = summary.m_seconds["BM_TextPath"], cache = summary.m_seconds["BM_CachePath"];
    std::printf("\nMedians of eight runs. Model: %d faces; text file %.2f MB, optimised copy %.2f MB\n", 2 * kColumns * kRows,
                g_text.size() / 1e6, g_cacheBytes / 1e6);
    std::printf("text path:   %7.1f MB/s (%.1f ms)\n", summary.m_mbps["BM_TextPath"], text * 1000);
    std::printf("cache path:  %7.1f MB/s (%.1f ms)\n", summary.m_mbps["BM_CachePath"], cache * 1000);
    std::printf("text parsing %7.1f MB/s (goal: at least 50)\n", summary.m_mbps["BM_TextParsing"]);
    if (cache > 0) std::printf("the cache path is %.1fx as fast as the text path (goal: at least 5x)\n", text / cache);
    g_MeshMgr.ReleaseAll();
    g_pd3dDevice.reset();
    std::filesystem::remove_all(g_dir);
    return 0;
}
