#include "app/D3DMain.h"

#include <cstdio>
#include <cstring>

#include "app/EFocusMgr.h"
#include "core/CCommandMgr.h"
#include "core/EConsole.h"
#include "core/EInput.h"
#include "core/EMouse.h"
#include "core/EProfiler.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "core/ScriptLine.h"
#include "game/CMainGame.h"
#include "game/CMenu.h"
#include "mesh/EMeshMgr.h"
#include "platform/os/Files.h"
#include "platform/os/Message.h"
#include "platform/os/MessageBox.h"
#include "render/CTTFonts.h"
#include "render/EFXMgr.h"
#include "render/EFont.h"
#include "render/EPostProcess.h"
#include "render/ERenderer.h"
#include "render/ERenderStateCache.h"
#include "render/ESky.h"
#include "world/EEngine.h"
#include "world/EWorldMgr.h"

D3DMain g_D3DMain;

namespace {

constexpr const char* kVideoConfig = "save\\video.cfg";
constexpr const char* kCaption = "Qv message";
constexpr uint32_t kClearAll = gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL;
constexpr uint32_t kMaxQualityIndex = 2;

// Profiler sections of the frame.
constexpr int kSectionFrame = 400;
constexpr int kSectionScene = 430;
constexpr int kSectionOverlay = 460;

// The failed world's lines, centred, in 1024 x 768 units.
constexpr float kFailureTop = 340.0f;
constexpr float kFailureLineHeight = 30.0f;
constexpr float kFailureTextSize = 24.0f;
constexpr uint32_t kFailureColour = 0xFFFFFFFF;

// Initial fog of set 0 once the device exists.
constexpr float kDefaultFogFar = 10000.0f;

// A depth-stencil format with its bit counts, in the order the search tries them.
struct DepthFormat {
    gfx::Format format;
    int depthBits;
    int stencilBits;
};
constexpr DepthFormat kDepthFormats[] = {
    {gfx::FMT_D16, 16, 0},   {gfx::FMT_D15S1, 15, 1}, {gfx::FMT_D24X8, 24, 0},
    {gfx::FMT_D24S8, 24, 8}, {gfx::FMT_D24X4S4, 24, 4}, {gfx::FMT_D32, 32, 0},
};

// A world that failed to load leaves nothing to show: the world loader's lines say which file and
// why, in the middle of the screen, until another world starts.
void DrawWorldFailure() {
    if (g_Engine.m_bWorldRunning || !g_WorldMgr.FailedToLoad(g_Engine.m_szStartingWorld)) return;
    g_Font.Begin();
    for (uint32_t i = 0; i < g_WorldMgr.m_uErrorLines; ++i)
        g_Font.Print(g_WorldMgr.m_szErrorLines[i], 512 * g_Settings.m_fScaleX,
                     (kFailureTop + kFailureLineHeight * static_cast<float>(i)) * g_Settings.m_fScaleY, kFailureColour,
                     kFailureTextSize, 0, true, false);
    g_Font.Flush();
}

void PrintNumber(const char* label, uint32_t value) {
    char line[128];
    std::snprintf(line, sizeof line, "%s%d", label, static_cast<int>(value));
    g_Console.Print(line);
}

gfx::PresentParameters MakePresentParameters(gfx::Format depthFormat) {
    gfx::PresentParameters pp;
    pp.backBufferWidth = static_cast<uint32_t>(g_Settings.m_iScreenWidth);
    pp.backBufferHeight = static_cast<uint32_t>(g_Settings.m_iScreenHeight);
    pp.backBufferFormat = gfx::FMT_X8R8G8B8;
    pp.backBufferCount = 1;
    pp.windowed = g_Settings.m_bWindowed != 0;
    pp.enableAutoDepthStencil = true;
    pp.autoDepthStencilFormat = depthFormat;
    pp.presentationInterval = gfx::PRESENT_INTERVAL_IMMEDIATE;
    return pp;
}

// Three tries with hardware vertex processing, then one with software vertex processing and no
// light; the second and third tries keep the first's parameters.
bool CreateDevice(plat::WindowHandle window, const gfx::PresentParameters& pp) {
    static const char* const kRetryLines[] = {"First Create failed, checking for different format",
                                              "Second Create failed, checking for last different format"};
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!gfx::Failed(g_pD3D->CreateDevice(window, gfx::CREATE_HARDWARE_VERTEXPROCESSING, pp, g_pd3dDevice)))
            return true;
        if (attempt < 2) g_Console.Print(kRetryLines[attempt]);
    }
    g_Console.Print("Switching to no light mode");
    g_Console.Print("Your video hardware seems to be not compatible with hardware TnL");
    g_Console.Print("You will not have light in the game, sorry.");
    g_Settings.m_bNoLight = 1;
    if (!gfx::Failed(g_pD3D->CreateDevice(window, gfx::CREATE_SOFTWARE_VERTEXPROCESSING, pp, g_pd3dDevice)))
        return true;
    LogError("First CreateDevice failed");
    const char* text = g_TextMgr.GetText(">NoMode");
    plat::ShowMessageBox(*text ? text : "Zephon5", kCaption);
    return false;
}

// The depth-stencil format for the device: 4 stencil bits wanted, 1 accepted, none as a last resort.
gfx::Format ChooseDepthFormat() {
    gfx::Format format = gfx::FMT_D16;
    g_D3DMain.m_iMinDepthBits = 15;
    g_D3DMain.m_iMinStencilBits = 4;
    if (g_D3DMain.FindStencilFormat(gfx::FMT_X8R8G8B8, format)) return format;
    LogError("4-bit stencil failed");
    g_D3DMain.m_iMinStencilBits = 1;
    if (g_D3DMain.FindStencilFormat(gfx::FMT_X8R8G8B8, format)) return format;
    LogError("Second FindStencilFormat failed");
    g_Console.Print("Running game WITHOUT stencil shadows!");
    return gfx::FMT_D16;
}

bool CreateVertexDeclarations() {
    return !gfx::Failed(g_pd3dDevice->CreateVertexDeclaration(kMeshVertexElements, g_pVertexDeclaration)) &&
           !gfx::Failed(g_pd3dDevice->CreateVertexDeclaration(kSkinVertexElements, g_pSkinVertexDeclaration));
}

// The creation frame: the glyph fonts are built, and the console's loading text drawn while the
// engine starts.
void DrawFirstFrame() {
    g_pd3dDevice->Clear(kClearAll, g_Engine.m_uBackgroundColour, 1.0f, 0);
    g_pd3dDevice->BeginScene();
    g_Font.Create();
    g_Console.Draw();
    g_pd3dDevice->EndScene();
    g_pd3dDevice->Present();
}

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void WriteU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

D3DMain::D3DMain() : version(10), m_iMinDepthBits(0), m_iMinStencilBits(0), m_bCreated(0) {}

D3DMain::~D3DMain() = default;

void D3DMain::Create(plat::WindowHandle window) {
    if (!g_pD3D) {
        plat::ShowMessageBox("DX9.0c or newer could not have been found!", kCaption);
        return;
    }
    gfx::DisplayMode mode;
    if (gfx::Failed(g_pD3D->GetAdapterDisplayMode(mode))) return;
    ReportAdapter();

    gfx::PresentParameters pp = MakePresentParameters(gfx::FMT_D16);
    if (!CreateDevice(window, pp)) return;
    g_Console.Print("CreateDevice OK");

    pp.autoDepthStencilFormat = ChooseDepthFormat();
    if (gfx::Failed(g_pd3dDevice->Reset(pp))) {
        pp.autoDepthStencilFormat = gfx::FMT_D16;
        if (gfx::Failed(g_pd3dDevice->Reset(pp))) return;
    }
    // Without its vertex layouts no mesh could be drawn: that is a failed creation, not a quiet one.
    if (!CreateVertexDeclarations()) {
        g_Console.Print("CreateVertexDeclaration failed");
        return;
    }
    m_bCreated = 1;
    g_pd3dDevice->GetRenderTarget(0, g_pBackBuffer);
    g_fScaleX = g_Settings.m_fScaleX;
    g_fScaleY = g_Settings.m_fScaleY;
    g_d3dpp = pp;

    g_TTFonts.CreateFonts();
    DrawFirstFrame();

    ReportCaps();
    g_Engine.Init(window);
    SetDefaultRenderStates();
    g_Sky.SetFogColour(0, 0);
    g_Sky.SetFogFar(kDefaultFogFar, 0);
    g_Sky.SetFogNear(0.0f, 0);
}

void D3DMain::ReportAdapter() {
    gfx::AdapterIdentifier id;
    if (gfx::Failed(g_pD3D->GetAdapterIdentifier(id))) return;
    g_Console.PrintStr2("> Driver: ", id.driver.c_str());
    g_Console.PrintStr2("> Description: ", id.description.c_str());
}

bool D3DMain::FindStencilFormat(gfx::Format adapterFormat, gfx::Format& format) {
    for (const DepthFormat& candidate : kDepthFormats) {
        if (m_iMinDepthBits > candidate.depthBits || m_iMinStencilBits > candidate.stencilBits) continue;
        if (gfx::Failed(g_pD3D->CheckDeviceFormat(adapterFormat, gfx::USAGE_DEPTHSTENCIL, candidate.format)))
            continue;
        if (gfx::Failed(g_pD3D->CheckDepthStencilMatch(adapterFormat, adapterFormat, candidate.format))) continue;
        format = candidate.format;
        return true;
    }
    return false;
}

void D3DMain::CheckPixelShaders() {
    gfx::Caps caps;
    g_pd3dDevice->GetDeviceCaps(caps);
    uint32_t shaderModel = caps.pixelShaderVersion & 0xFFFF;
    g_Settings.m_bPixelShader20 = shaderModel >= (gfx::PixelShaderVersion(2, 0) & 0xFFFF);
    g_Settings.m_bPixelShader30 = shaderModel >= (gfx::PixelShaderVersion(3, 0) & 0xFFFF);
    if (g_Settings.m_bPixelShader30) {
        g_Console.Print("PixelShader model 3.0 detected.");
    } else if (g_Settings.m_bPixelShader20) {
        g_Console.Print("PixelShader model 3.0 not supported!");
        g_Console.Print("PixelShader model 2.0 detected.");
    } else {
        g_Console.Print("PixelShader model 2.0 not supported!");
    }
}

void D3DMain::ReportCaps() {
    CheckPixelShaders();
    if (!g_Settings.m_bPixelShader30) SaveVideoConfig();
    gfx::Caps caps;
    g_pd3dDevice->GetDeviceCaps(caps);
    PrintNumber("MaxVertexIndex == ", caps.maxVertexIndex);
    PrintNumber("Max texture width: ", caps.maxTextureWidth);
    PrintNumber("Max texture height: ", caps.maxTextureHeight);
    PrintNumber("MaxPixelShader30InstructionSlots: ", caps.maxPixelShader30InstructionSlots);
    PrintNumber("MaxPShaderInstructionsExecuted: ", caps.maxPShaderInstructionsExecuted);
    PrintNumber("MaxSimultaneousTextures: ", caps.maxSimultaneousTextures);
    PrintNumber("MaxPrimitiveCount: ", caps.maxPrimitiveCount);
}

void D3DMain::SetDefaultRenderStates() {
    if (!g_pd3dDevice) return;
    gfx::Device& d = *g_pd3dDevice;
    d.SetRenderState(gfx::RS_ZENABLE, 1);
    g_RenderStateCache.ForceCulling();
    d.SetRenderState(gfx::RS_FILLMODE, g_Settings.m_bWireFrame ? gfx::FILL_WIREFRAME : gfx::FILL_SOLID);
    d.SetRenderState(gfx::RS_LIGHTING, 0);
    d.SetRenderState(gfx::RS_SHADEMODE, gfx::SHADE_GOURAUD);
    d.SetRenderState(gfx::RS_FOGENABLE, 0);
    d.SetRenderState(gfx::RS_DITHERENABLE, 0);
    d.SetRenderState(gfx::RS_CLIPPING, 1);
    d.SetRenderState(gfx::RS_NORMALIZENORMALS, 0);
    d.SetRenderState(gfx::RS_SPECULARENABLE, 0);
    d.SetRenderState(gfx::RS_FOGTABLEMODE, gfx::FOG_NONE);
    d.SetRenderState(gfx::RS_FOGVERTEXMODE, gfx::FOG_LINEAR);
    d.SetRenderState(gfx::RS_RANGEFOGENABLE, 0);
}

gfx::Result D3DMain::RenderFrame() {
    if (!g_pd3dDevice) return gfx::ERR_INVALIDCALL;
    gfx::Result hr = g_pd3dDevice->TestCooperativeLevel();
    if (gfx::Failed(hr) || !g_FocusMgr.m_bOnFocus) return hr;

    g_MainGame.UpdateCutscene();
    g_Engine.PrepareCamera();
    g_Renderer.PreRender();
    g_FXMgr.PrepareVertexBuffers();
    uint32_t clearColour = g_Engine.m_bReady ? g_Engine.m_uBackgroundColour : 0;

    g_Profiler.Begin(kSectionFrame);
    if (g_Settings.m_bPostProcess) g_PostProcess.BeginCapture();
    g_pd3dDevice->Clear(kClearAll, clearColour, 1.0f, 0);
    g_pd3dDevice->BeginScene();
    if (g_Menu.m_bActive || g_Engine.m_bReady) {
        g_Profiler.Begin(kSectionScene);
        if (g_Menu.m_bActive) g_Menu.PrepareSceneRender();
        g_Engine.RenderScene();
        g_Profiler.End(kSectionScene);
        g_Profiler.Begin(kSectionOverlay);
        if (g_Menu.m_bActive) g_Menu.Render();
        else g_MainGame.Render();
        DrawWorldFailure();
        g_Profiler.End(kSectionOverlay);
    }
    g_Console.Draw();
    g_Profiler.End(kSectionFrame);
    g_Profiler.EndFrame();
    g_pd3dDevice->EndScene();
    hr = g_pd3dDevice->Present();
    if (g_Engine.m_bScreenshot) return g_Engine.SaveScreenshot();
    return hr;
}

int64_t D3DMain::MessageHook(plat::WindowHandle, uint32_t message, uint64_t wParam, int64_t) {
    switch (message) {
        case plat::msg::KeyDown: g_Engine.OnKeyDown(static_cast<uint32_t>(wParam)); break;
        case plat::msg::KeyUp: g_Engine.OnKeyUp(static_cast<uint32_t>(wParam)); break;
        case plat::msg::Timer:
            g_Mouse.Poll();
            g_CommandMgr.PollKeyboard();
            g_Input.Poll();
            break;
        default: break;
    }
    return 0;
}

void D3DMain::Release() {
    g_Engine.EndWorld();
    g_MainGame.Stop();
    g_Engine.Release();
    g_pBackBuffer.reset();
    g_pVertexDeclaration.reset();
    g_pSkinVertexDeclaration.reset();
    g_pd3dDevice.reset();
    g_pD3D.reset();
    m_bCreated = 0;
}

void D3DMain::SaveVideoConfig() {
    uint8_t bytes[kVideoConfigSize];
    auto flag = [](uint8_t v) -> uint8_t { return v ? 1 : 0; };
    WriteU32(bytes, version);
    bytes[4] = flag(g_Settings.m_bDrawNotImportant);
    bytes[5] = flag(g_Settings.m_bDrawShadows);
    bytes[6] = flag(g_Settings.m_bVideoOptionsConfirmed);
    WriteU32(bytes + 7, static_cast<uint32_t>(g_Settings.m_iAnimatedModelsTextureQuality));
    WriteU32(bytes + 11, static_cast<uint32_t>(g_Settings.m_iShadowQuality));
    WriteU32(bytes + 15, static_cast<uint32_t>(g_Settings.m_iWorldTextureQuality));
    bytes[19] = flag(g_Settings.m_bDrawGrass);
    bytes[20] = flag(g_Settings.m_bDrawBirds);
    bytes[21] = flag(g_Settings.m_bDrawDust);
    bytes[22] = flag(g_Settings.m_bPostProcess);

    plat::CreateDirectory("save");
    FILE* f = plat::OpenFile(kVideoConfig, "wb");
    if (!f) return;
    std::fwrite(bytes, 1, sizeof bytes, f);
    std::fclose(f);
}

bool D3DMain::LoadVideoConfig() {
    uint8_t bytes[kVideoConfigSize];
    size_t got = 0;
    if (FILE* f = plat::OpenFile(kVideoConfig, "rb")) {
        got = std::fread(bytes, 1, sizeof bytes, f);
        std::fclose(f);
    }
    // A short file, another version or a quality index out of range would leave settings that
    // nothing chose: such a file is replaced by the defaults.
    bool valid = got == sizeof bytes && ReadU32(bytes) == version && ReadU32(bytes + 7) <= kMaxQualityIndex &&
                 ReadU32(bytes + 11) <= kMaxQualityIndex && ReadU32(bytes + 15) <= kMaxQualityIndex;
    if (!valid) {
        SetVideoDefaults();
        return false;
    }
    g_Settings.m_bDrawNotImportant = bytes[4] != 0;
    g_Settings.m_bDrawShadows = bytes[5] != 0;
    g_Settings.m_iAnimatedModelsTextureQuality = static_cast<int32_t>(ReadU32(bytes + 7));
    g_Settings.m_iShadowQuality = static_cast<int32_t>(ReadU32(bytes + 11));
    g_Settings.m_iWorldTextureQuality = static_cast<int32_t>(ReadU32(bytes + 15));
    g_Settings.m_bDrawGrass = bytes[19] != 0;
    g_Settings.m_bDrawBirds = bytes[20] != 0;
    g_Settings.m_bDrawDust = bytes[21] != 0;
    g_Settings.m_bPostProcess = bytes[22] != 0;
    g_Settings.m_bVideoOptionsConfirmed = 1;
    return true;
}

void D3DMain::SetVideoDefaults() {
    g_Settings.m_bDrawShadows = 1;
    g_Settings.m_bDrawNotImportant = 1;
    g_Settings.m_bVideoOptionsConfirmed = 1;
    g_Settings.m_iShadowQuality = 0;
    g_Settings.m_iWorldTextureQuality = 0;
    g_Settings.m_iAnimatedModelsTextureQuality = 0;
    g_Settings.m_bSimpleRender = 0;
    g_Settings.m_bPostProcess = 0;
    SaveVideoConfig();
}
