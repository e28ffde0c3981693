#pragma once
// Values of the graphics layer, numbered as the game's Direct3D-style code expects them:
// results, formats, render states and the present parameters.
#include <cstdint>
#include <string>

namespace plat { struct WindowRecord; }

namespace gfx {

using Result = int32_t;
constexpr Result OK = 0;
constexpr Result ERR_NOTAVAILABLE = static_cast<Result>(0x8876086A);
constexpr Result ERR_DEVICELOST = static_cast<Result>(0x88760868);
constexpr Result ERR_DEVICENOTRESET = static_cast<Result>(0x88760869);
constexpr Result ERR_INVALIDCALL = static_cast<Result>(0x8876086C);
constexpr Result ERR_OUTOFVIDEOMEMORY = static_cast<Result>(0x8876017C);
constexpr Result ERR_DRIVERINTERNALERROR = static_cast<Result>(0x88760827);
constexpr Result ERR_DEVICEREMOVED = static_cast<Result>(0x88760870);
constexpr Result ERR_OUTOFMEMORY = static_cast<Result>(0x8007000E);
constexpr Result ERR_FAIL = static_cast<Result>(0x80004005);
inline bool Failed(Result r) { return r < 0; }

enum Format : uint32_t {
    FMT_UNKNOWN = 0,
    FMT_A8R8G8B8 = 21,
    FMT_X8R8G8B8 = 22,
    FMT_D32 = 71,
    FMT_D15S1 = 73,
    FMT_D24S8 = 75,
    FMT_D24X8 = 77,
    FMT_D24X4S4 = 79,
    FMT_D16 = 80,
    FMT_R32F = 114,
};

// Render-state numbers.
enum RenderState : uint32_t {
    RS_ZENABLE = 7,
    RS_FILLMODE = 8,
    RS_SHADEMODE = 9,
    RS_ZWRITEENABLE = 14,
    RS_ALPHATESTENABLE = 15,
    RS_SRCBLEND = 19,
    RS_DESTBLEND = 20,
    RS_CULLMODE = 22,
    RS_ZFUNC = 23,
    RS_ALPHAREF = 24,
    RS_ALPHAFUNC = 25,
    RS_DITHERENABLE = 26,
    RS_ALPHABLENDENABLE = 27,
    RS_FOGENABLE = 28,
    RS_SPECULARENABLE = 29,
    RS_FOGCOLOR = 34,
    RS_FOGTABLEMODE = 35,
    RS_FOGSTART = 36,
    RS_FOGEND = 37,
    RS_RANGEFOGENABLE = 48,
    RS_STENCILENABLE = 52,
    RS_CLIPPING = 136,
    RS_LIGHTING = 137,
    RS_AMBIENT = 139,
    RS_FOGVERTEXMODE = 140,
    RS_NORMALIZENORMALS = 143,
    RS_DEPTHBIAS = 195,
    RS_COUNT = 256,
};

enum FillMode : uint32_t { FILL_POINT = 1, FILL_WIREFRAME = 2, FILL_SOLID = 3 };
enum CullMode : uint32_t { CULL_NONE = 1, CULL_CW = 2, CULL_CCW = 3 };
enum ShadeMode : uint32_t { SHADE_FLAT = 1, SHADE_GOURAUD = 2 };
enum FogMode : uint32_t { FOG_NONE = 0, FOG_EXP = 1, FOG_EXP2 = 2, FOG_LINEAR = 3 };

// Clear flags.
constexpr uint32_t CLEAR_TARGET = 1;
constexpr uint32_t CLEAR_ZBUFFER = 2;
constexpr uint32_t CLEAR_STENCIL = 4;

// Device creation flags.
constexpr uint32_t CREATE_SOFTWARE_VERTEXPROCESSING = 0x20;
constexpr uint32_t CREATE_HARDWARE_VERTEXPROCESSING = 0x40;

constexpr uint32_t PRESENT_INTERVAL_IMMEDIATE = 0x80000000;

// Where a resource lives. Default-pool resources belong to the device's video memory and must be
// released before the device can be reset; managed and system-memory ones survive a reset.
enum Pool : uint32_t { POOL_DEFAULT = 0, POOL_MANAGED = 1, POOL_SYSTEMMEM = 2 };

// Resource usage flags.
constexpr uint32_t USAGE_RENDERTARGET = 0x1;
constexpr uint32_t USAGE_DEPTHSTENCIL = 0x2;
constexpr uint32_t USAGE_WRITEONLY = 0x8;
constexpr uint32_t USAGE_DYNAMIC = 0x200;

// Gamma ramp flags.
constexpr uint32_t SGR_NO_CALIBRATION = 0;
constexpr uint32_t SGR_CALIBRATE = 1;

struct GammaRamp {
    uint16_t red[256] = {};
    uint16_t green[256] = {};
    uint16_t blue[256] = {};
};

// Shader versions as the caps report them: 0xFFFF0000 | major << 8 | minor.
constexpr uint32_t PixelShaderVersion(uint32_t major, uint32_t minor) { return 0xFFFF0000u | major << 8 | minor; }

// What the device can do, as far as the game asks.
struct Caps {
    uint32_t pixelShaderVersion = PixelShaderVersion(3, 0);
    uint32_t maxVertexIndex = 0xFFFFFF;
    uint32_t maxTextureWidth = 4096;
    uint32_t maxTextureHeight = 4096;
    uint32_t maxPixelShader30InstructionSlots = 32768;
    uint32_t maxPShaderInstructionsExecuted = 65535;
    uint32_t maxSimultaneousTextures = 8;
    uint32_t maxPrimitiveCount = 0xFFFFF;
};

// One element of a vertex declaration; a list ends with DECL_END.
enum DeclType : uint8_t {
    DECLTYPE_FLOAT1 = 0,
    DECLTYPE_FLOAT2 = 1,
    DECLTYPE_FLOAT3 = 2,
    DECLTYPE_FLOAT4 = 3,
    DECLTYPE_D3DCOLOR = 4,
    DECLTYPE_UBYTE4 = 5,
    DECLTYPE_UNUSED = 17,
};
enum DeclUsage : uint8_t {
    DECLUSAGE_POSITION = 0,
    DECLUSAGE_BLENDWEIGHT = 1,
    DECLUSAGE_BLENDINDICES = 2,
    DECLUSAGE_NORMAL = 3,
    DECLUSAGE_TEXCOORD = 5,
    DECLUSAGE_COLOR = 10,
};
struct VertexElement {
    uint16_t stream;
    uint16_t offset;
    DeclType type;
    uint8_t method;
    DeclUsage usage;
    uint8_t usageIndex;
};
constexpr VertexElement DECL_END = {0xFF, 0, DECLTYPE_UNUSED, 0, DECLUSAGE_POSITION, 0};

struct PresentParameters {
    uint32_t backBufferWidth = 0;
    uint32_t backBufferHeight = 0;
    Format backBufferFormat = FMT_X8R8G8B8;
    uint32_t backBufferCount = 1;
    bool windowed = true;
    bool enableAutoDepthStencil = true;
    Format autoDepthStencilFormat = FMT_D16;
    uint32_t presentationInterval = PRESENT_INTERVAL_IMMEDIATE;
};

struct DisplayMode {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t refreshRate = 0;
    Format format = FMT_X8R8G8B8;
};

struct AdapterIdentifier {
    std::string driver;
    std::string description;
};

}  // namespace gfx
