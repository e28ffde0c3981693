// The effects manager's frame on the CPU: every live particle stepped (movement, gravity, growth,
// colour and alpha keys) and gathered into its (texture, blend) batch, the batches' vertices
// written, and the draws issued to the recording device, which costs nothing of its own.
//
// The frame is measured at the instance table's capacity: every slot a live sprite, of eight
// textures, half additive, half blended normally. Reported per frame: the particles (the table's
// capacity), the microseconds, the draw calls the device received and the (texture, blend)
// pairs among the live particles, counted here from the definitions; five repetitions, compared
// by median, as the machine is shared.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <utility>
#include <string>

#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "platform/gfx/NullSystem.h"
#include "platform/os/Files.h"
#include "platform/os/Random.h"
#include "render/D3DDevice.h"
#include "render/EFXMgr.h"
#include "render/ERenderer.h"
#include "support/TestSupport.h"
#include "support/TextureFiles.h"

namespace {

constexpr int kTextures = 8;

void DefineSprites() {
    for (int i = 0; i < kTextures; ++i) {
        EFXDefinition& d = g_FXMgr.m_Definitions[i];
        std::snprintf(d.m_szName, sizeof d.m_szName, "puff%d", i);
        d.m_uType = FX_SPRITE;
        std::snprintf(d.m_szFileNames[0], sizeof d.m_szFileNames[0], "puff%d.tga", i);
        d.m_uFileNameCount = 1;
        d.m_bAdditive = i % 2;
        d.m_bMove = 1;
        d.m_vVel = DV{0, 1.2f, 0};
        d.m_vVelRand = DV{0.6f, 0.3f, 0.6f};
        d.m_vPosRand = DV{20, 2, 20};
        d.m_fGravity = -0.4f;
        d.m_fGrow = 0.2f;
        // Long lives: the table stays full.
        d.m_fLifeTime = 1000.0f;
        d.m_uColorCount = 3;
        d.m_uAlphaCount = 3;
        for (int k = 0; k < 3; ++k) {
            d.m_vColors[k] = DV{60.0f + 60 * k, 60.0f + 60 * k, 70.0f + 60 * k};
            d.m_fColorTimes[k] = d.m_fAlphaTimes[k] = 0.5f * k;
            d.m_fAlphas[k] = k == 1 ? 200.0f : 20.0f;
        }
    }
}

void ParticlesFrame(benchmark::State& state) {
    test::TempDir dir;
    plat::SetStartDirectory(dir.path());
    for (int i = 0; i < kTextures; ++i)
        test::WriteWholeFile(dir.path() / ("puff" + std::to_string(i) + ".tga"), test::TgaFile(8, 8, 0x80FFFFFFu));
    g_pd3dDevice = std::make_unique<gfx::NullDevice>(gfx::PresentParameters{}, 0);
    g_Renderer.InitTextures();
    g_DrawCamera.view = pmath::LookAtLH(DV{0, 5, -40}, DV{}, DV{0, 1, 0});
    g_DrawCamera.position = DV{0, 5, -40};
    g_FrameFacts.frameTime = 1.0f / 60.0f;
    plat::SeedRandom(1);
    DefineSprites();
    int particles = 0;
    while (g_FXMgr.AddFXByName(("puff" + std::to_string(particles % kTextures)).c_str(), nullptr, nullptr) !=
           &g_FXMgr.m_Instances[0])
        ++particles;
    g_FXMgr.Update(false);
    // Slot 0 stands for a refused spawn: the rest is the table's capacity.
    if (particles != EFXMgr::kMaxInstances - 1) state.SkipWithError("the instance table is not full");

    // Every sprite's (texture, blend) pair, from its definition.
    std::set<std::pair<std::string, int>> pairs;
    for (int i = 0; i < particles; ++i) {
        const EFXDefinition& d = g_FXMgr.m_Definitions[i % kTextures];
        pairs.insert({d.m_szFileNames[0], d.m_bAdditive});
    }

    const uint64_t drawsBefore = g_pd3dDevice->Stats().draws;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        g_FXMgr.Update(false);
        g_FXMgr.PrepareVertexBuffers();
        g_FXMgr.Render();
    }
    const double frames = static_cast<double>(state.iterations());
    const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / frames;
    state.counters["particles"] = particles;
    state.counters["draws/frame"] = static_cast<double>(g_pd3dDevice->Stats().draws - drawsBefore) / frames;
    state.counters["pairs"] = static_cast<double>(pairs.size());
    state.counters["us/frame"] = us;

    g_FXMgr.Release();
    g_Renderer.Release();
    g_pd3dDevice.reset();
    plat::SetStartDirectory(std::filesystem::current_path());
}

BENCHMARK(ParticlesFrame)->Iterations(2000)->Repetitions(5)->Unit(benchmark::kMicrosecond);

}  // namespace
