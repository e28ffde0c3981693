#pragma once
// Values of the graphics layer, numbered as the game's Direct3D-style code expects them:
// results, formats, render states and the present parameters.
#include <cstddef>
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
constexpr Result ERR_INVALIDDATA = static_cast<Result>(0x88760B59);  // a file that is not what it should be
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
    FMT_DXT1 = 0x31545844,  // four-character codes, as image files name them
    FMT_DXT3 = 0x33545844,
    FMT_DXT5 = 0x35545844,
};
// Block-compressed formats hold 4 x 4 texels in 8 bytes (DXT1) or 16 bytes (DXT3, DXT5).
inline bool IsCompressed(Format format) { return format == FMT_DXT1 || format == FMT_DXT3 || format == FMT_DXT5; }
// Bytes per texel of the uncompressed formats a texture can hold in memory.
inline uint32_t BytesPerTexel(Format format) { return format == FMT_UNKNOWN || IsCompressed(format) ? 0 : 4; }
// Bytes from one row of a level to the next: of texels, or of 4 x 4 blocks when compressed.
inline uint32_t LevelPitch(Format format, uint32_t width) {
    if (!IsCompressed(format)) return width * BytesPerTexel(format);
    return (width + 3) / 4 * (format == FMT_DXT1 ? 8u : 16u);
}
inline size_t LevelBytes(Format format, uint32_t width, uint32_t height) {
    uint32_t rows = IsCompressed(format) ? (height + 3) / 4 : height;
    return size_t{LevelPitch(format, width)} * rows;
}

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
    RS_MULTISAMPLEANTIALIAS = 161,
    RS_BLENDOP = 171,
    RS_DEPTHBIAS = 195,
    RS_COUNT = 256,
};

enum FillMode : uint32_t { FILL_POINT = 1, FILL_WIREFRAME = 2, FILL_SOLID = 3 };
enum CullMode : uint32_t { CULL_NONE = 1, CULL_CW = 2, CULL_CCW = 3 };
enum ShadeMode : uint32_t { SHADE_FLAT = 1, SHADE_GOURAUD = 2 };
enum FogMode : uint32_t { FOG_NONE = 0, FOG_EXP = 1, FOG_EXP2 = 2, FOG_LINEAR = 3 };
enum Blend : uint32_t {
    BLEND_ZERO = 1, BLEND_ONE = 2, BLEND_SRCCOLOR = 3, BLEND_INVSRCCOLOR = 4, BLEND_SRCALPHA = 5,
    BLEND_INVSRCALPHA = 6, BLEND_DESTALPHA = 7, BLEND_INVDESTALPHA = 8, BLEND_DESTCOLOR = 9, BLEND_INVDESTCOLOR = 10,
};
enum BlendOp : uint32_t { BLENDOP_ADD = 1, BLENDOP_SUBTRACT = 2, BLENDOP_REVSUBTRACT = 3, BLENDOP_MIN = 4, BLENDOP_MAX = 5 };
enum Cmp : uint32_t {
    CMP_NEVER = 1, CMP_LESS = 2, CMP_EQUAL = 3, CMP_LESSEQUAL = 4, CMP_GREATER = 5, CMP_NOTEQUAL = 6,
    CMP_GREATEREQUAL = 7, CMP_ALWAYS = 8,
};

// Sampler states, per stage, and their values.
enum SamplerState : uint32_t {
    SAMP_ADDRESSU = 1, SAMP_ADDRESSV = 2, SAMP_ADDRESSW = 3, SAMP_BORDERCOLOR = 4, SAMP_MAGFILTER = 5,
    SAMP_MINFILTER = 6, SAMP_MIPFILTER = 7, SAMP_MIPMAPLODBIAS = 8, SAMP_MAXMIPLEVEL = 9, SAMP_MAXANISOTROPY = 10,
    SAMP_COUNT = 14,
};
enum TextureFilter : uint32_t { TEXF_NONE = 0, TEXF_POINT = 1, TEXF_LINEAR = 2, TEXF_ANISOTROPIC = 3 };
enum TextureAddress : uint32_t { TADDRESS_WRAP = 1, TADDRESS_MIRROR = 2, TADDRESS_CLAMP = 3, TADDRESS_BORDER = 4 };
constexpr uint32_t kMaxSamplers = 16;
// Texture-stage states are kept and read back. The effects do the stage operations themselves;
// draws without an effect (2-D quads, text, lines) get the operations of stage 0.
constexpr uint32_t kTextureStageStates = 33;
constexpr uint32_t kMaxTextureStages = 8;
enum TextureStageState : uint32_t {
    TSS_COLOROP = 1, TSS_COLORARG1 = 2, TSS_COLORARG2 = 3, TSS_ALPHAOP = 4, TSS_ALPHAARG1 = 5, TSS_ALPHAARG2 = 6,
};
enum TextureOp : uint32_t { TOP_DISABLE = 1, TOP_SELECTARG1 = 2, TOP_SELECTARG2 = 3, TOP_MODULATE = 4 };
enum TextureArg : uint32_t { TA_DIFFUSE = 0, TA_CURRENT = 1, TA_TEXTURE = 2 };

// The transforms of draws without an effect; vertices with a reciprocal w skip them.
enum TransformState : uint32_t { TS_VIEW = 2, TS_PROJECTION = 3, TS_WORLD = 256 };

enum PrimitiveType : uint32_t {
    PT_POINTLIST = 1, PT_LINELIST = 2, PT_LINESTRIP = 3, PT_TRIANGLELIST = 4, PT_TRIANGLESTRIP = 5, PT_TRIANGLEFAN = 6,
};
enum IndexFormat : uint32_t { FMT_INDEX16 = 101, FMT_INDEX32 = 102 };

// The stream frequency of instanced drawing: STREAMSOURCE_INDEXEDDATA | n repeats the indexed
// geometry n times.
constexpr uint32_t STREAMSOURCE_INDEXEDDATA = 1u << 30;

// Lock flags. A discarding lock gives up the whole buffer's old content; a no-overwrite lock
// promises not to touch what draws of this frame still read.
constexpr uint32_t LOCK_READONLY = 0x10;
constexpr uint32_t LOCK_NOOVERWRITE = 0x1000;
constexpr uint32_t LOCK_DISCARD = 0x2000;

struct Viewport {
    uint32_t x = 0, y = 0, width = 0, height = 0;
    float minZ = 0.0f, maxZ = 1.0f;
};

// A rectangle of pixels: left and top inside, right and bottom just outside.
struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};
struct Point {
    int32_t x = 0, y = 0;
};

struct LockedRect {
    int32_t pitch = 0;
    void* bits = nullptr;
};

// The faces of a cube texture.
enum CubeFace : uint32_t {
    CUBE_POSITIVE_X, CUBE_NEGATIVE_X, CUBE_POSITIVE_Y, CUBE_NEGATIVE_Y, CUBE_POSITIVE_Z, CUBE_NEGATIVE_Z, CUBE_FACES,
};

enum ResourceType : uint32_t { RTYPE_TEXTURE = 3, RTYPE_CUBETEXTURE = 5 };
enum ImageFileFormat : uint32_t { IFF_BMP = 0, IFF_TGA = 2, IFF_DDS = 4 };

// What an image file holds, read without decoding the pixels.
struct ImageInfo {
    uint32_t width = 0, height = 0, depth = 1, mipLevels = 1;
    Format format = FMT_UNKNOWN;
    ResourceType resourceType = RTYPE_TEXTURE;
    ImageFileFormat fileFormat = IFF_TGA;
};

// Texture-from-file options: the whole mip chain and the default filter, with linear mip
// filtering; a number of the file's own mip levels can be skipped (kept in the filter's high bits).
constexpr uint32_t FILTER_DEFAULT = 0xFFFFFFFF;
constexpr uint32_t FILTER_LINEAR = 3;
constexpr uint32_t SkipDdsMipLevels(uint32_t levels, uint32_t filter) { return (levels & 0x1F) << 26 | filter; }
inline uint32_t SkippedDdsMipLevels(uint32_t filter) { return filter == FILTER_DEFAULT ? 0 : (filter >> 26) & 0x1F; }

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
constexpr uint32_t USAGE_AUTOGENMIPMAP = 0x400;

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
    // Textures can hold DXT1, DXT3 and DXT5 blocks as they are.
    bool compressedTextures = false;
    // The most anisotropy a sampler gets (1: anisotropic filtering samples as linear does).
    uint32_t maxAnisotropy = 16;
};

// What a device has done since it was made: draw calls, and the calls the backend made to its
// graphics library on their behalf (state, bindings, uploads and the draws themselves).
struct DeviceStats {
    uint64_t draws = 0;
    uint64_t backendCalls = 0;
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
