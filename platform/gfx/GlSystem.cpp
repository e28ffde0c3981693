#include "platform/gfx/GlSystem.h"

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/gfx/GlCalls.h"
#include "platform/gfx/GlFixedFunction.h"
#include "platform/os/Window.h"
#include "platform/os/WindowRecord.h"

namespace gfx {

void GlContextState::BindForUpload(uint32_t target, uint32_t name) {
    if (activeUnit != kUploadUnit) {
        Gl(glActiveTexture, GL_TEXTURE0 + kUploadUnit);
        activeUnit = kUploadUnit;
    }
    Gl(glBindTexture, target, name);
}

void GlContextState::ForgetBuffer(uint64_t serial) {
    for (auto it = vertexArrays.begin(); it != vertexArrays.end();) {
        if (it->first.vertices != serial && it->first.indices != serial) {
            ++it;
            continue;
        }
        if (vertexArray == it->second) {
            Gl(glBindVertexArray, 0u);
            vertexArray = 0;
        }
        Gl(glDeleteVertexArrays, 1, &it->second);
        it = vertexArrays.erase(it);
    }
}

void GlContextState::ForgetTexture(uint32_t name) {
    for (auto& unit : textures)
        for (uint32_t& bound : unit)
            if (bound == name) bound = 0;
    if (attachedColour == name) attachedColour = 0;
}

void GlContextState::ForgetRenderbuffer(uint32_t name) {
    if (attachedDepth == name) attachedDepth = ~0u;
}

namespace {

// A buffer object in the device's context; unlocks send the locked range. It is filled through
// the copy-write binding, which no vertex array holds.
template <class Base>
class GlBuffer final : public Base {
public:
    template <class... Args>
    GlBuffer(std::shared_ptr<GlContextState> gl, std::shared_ptr<ResourceLedger> ledger, Pool pool, uint32_t length,
             uint32_t usage, Args... args)
        : Base(std::move(ledger), pool, length, usage, args...), m_gl(std::move(gl)) {
        Gl(glGenBuffers, 1, &this->m_native);
        Gl(glBindBuffer, GL_COPY_WRITE_BUFFER, this->m_native);
        Gl(glBufferData, GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(length), nullptr, GlUsage(usage));
    }
    ~GlBuffer() override {
        // With the device gone its context went too, and the name with it.
        if (!this->DeviceAlive()) return;
        m_gl->ForgetBuffer(this->Serial());
        Gl(glDeleteBuffers, 1, &this->m_native);
    }

protected:
    void Upload(uint32_t offset, uint32_t size, uint32_t flags) override {
        Gl(glBindBuffer, GL_COPY_WRITE_BUFFER, this->m_native);
        if (flags & LOCK_DISCARD) {
            // New storage: draws still reading the old content need not be waited for.
            Gl(glBufferData, GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(this->Length()), nullptr,
               GlUsage(this->Usage()));
        } else if (flags & LOCK_NOOVERWRITE) {
            void* target = Gl(glMapBufferRange, GL_COPY_WRITE_BUFFER, static_cast<GLintptr>(offset),
                              static_cast<GLsizeiptr>(size),
                              static_cast<GLbitfield>(GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT |
                                                      GL_MAP_INVALIDATE_RANGE_BIT));
            if (target) {
                std::memcpy(target, this->Data() + offset, size);
                Gl(glUnmapBuffer, GL_COPY_WRITE_BUFFER);
                return;
            }
        }
        Gl(glBufferSubData, GL_COPY_WRITE_BUFFER, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(size),
           static_cast<const void*>(this->Data() + offset));
    }

private:
    static GLenum GlUsage(uint32_t usage) { return (usage & USAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW; }
    std::shared_ptr<GlContextState> m_gl;
};

struct GlFormat {
    GLint internal;
    GLenum format;
    GLenum type;
};

GlFormat ToGlFormat(Format format) {
    switch (format) {
        case FMT_R32F: return {GL_R32F, GL_RED, GL_FLOAT};
        case FMT_X8R8G8B8: return {GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
        // DXT1 keeps its one-bit alpha.
        case FMT_DXT1: return {GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0};
        case FMT_DXT3: return {GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0};
        case FMT_DXT5: return {GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0};
        default: return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
    }
}

// Storage for every level (and face) of a texture; lockable textures upload their levels as
// they are unlocked, compressed ones as their blocks are.
template <class Base, GLenum kTarget>
class GlTexture final : public Base {
public:
    template <class... Args>
    explicit GlTexture(std::shared_ptr<GlContextState> gl, Args&&... args)
        : Base(std::forward<Args>(args)...), m_gl(std::move(gl)) {
        Gl(glGenTextures, 1, &this->m_native);
        m_gl->BindForUpload(kTarget, this->m_native);
        GlFormat f = ToGlFormat(this->GetFormat());
        for (uint32_t face = 0; face < this->Faces(); ++face) {
            for (uint32_t level = 0; level < this->GetLevelCount(); ++level) {
                auto w = static_cast<GLsizei>(this->LevelWidth(level)), h = static_cast<GLsizei>(this->LevelHeight(level));
                if (IsCompressed(this->GetFormat()))
                    Gl(glCompressedTexImage2D, FaceTarget(face), static_cast<GLint>(level),
                       static_cast<GLenum>(f.internal), w, h, 0, static_cast<GLsizei>(Bytes(level)),
                       static_cast<const void*>(nullptr));
                else
                    Gl(glTexImage2D, FaceTarget(face), static_cast<GLint>(level), f.internal, w, h, 0, f.format, f.type,
                       static_cast<const void*>(nullptr));
            }
        }
        Gl(glTexParameteri, kTarget, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(this->GetLevelCount() - 1));
    }
    ~GlTexture() override {
        if (!this->DeviceAlive()) return;
        m_gl->ForgetTexture(this->m_native);
        Gl(glDeleteTextures, 1, &this->m_native);
    }

protected:
    void UploadLevel(uint32_t face, uint32_t level, const uint8_t* bits) override {
        GlFormat f = ToGlFormat(this->GetFormat());
        m_gl->BindForUpload(kTarget, this->m_native);
        auto w = static_cast<GLsizei>(this->LevelWidth(level)), h = static_cast<GLsizei>(this->LevelHeight(level));
        if (IsCompressed(this->GetFormat())) {
            Gl(glCompressedTexSubImage2D, FaceTarget(face), static_cast<GLint>(level), 0, 0, w, h,
               static_cast<GLenum>(f.internal), static_cast<GLsizei>(Bytes(level)), static_cast<const void*>(bits));
            return;
        }
        Gl(glPixelStorei, GL_UNPACK_ALIGNMENT, 4);
        Gl(glTexSubImage2D, FaceTarget(face), static_cast<GLint>(level), 0, 0, w, h, f.format, f.type,
           static_cast<const void*>(bits));
    }

    // Builds the levels below the last stored one from it, leaving the stored ones as they are.
    void GenerateLevels(uint32_t firstMissing) override {
        m_gl->BindForUpload(kTarget, this->m_native);
        Gl(glTexParameteri, kTarget, GL_TEXTURE_BASE_LEVEL, static_cast<GLint>(firstMissing - 1));
        Gl(glGenerateMipmap, kTarget);
        Gl(glTexParameteri, kTarget, GL_TEXTURE_BASE_LEVEL, 0);
    }

private:
    static GLenum FaceTarget(uint32_t face) {
        return kTarget == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : kTarget;
    }
    size_t Bytes(uint32_t level) const {
        return LevelBytes(this->GetFormat(), this->LevelWidth(level), this->LevelHeight(level));
    }
    std::shared_ptr<GlContextState> m_gl;
};

class GlDepthSurface final : public Surface {
public:
    GlDepthSurface(std::shared_ptr<GlContextState> gl, std::shared_ptr<ResourceLedger> ledger, uint32_t width,
                   uint32_t height, Format format)
        : Surface(std::move(ledger), POOL_DEFAULT, Kind::DepthStencil, width, height, format), m_gl(std::move(gl)) {
        Gl(glGenRenderbuffers, 1, &m_native);
        Gl(glBindRenderbuffer, GL_RENDERBUFFER, m_native);
        Gl(glRenderbufferStorage, GL_RENDERBUFFER,
           static_cast<GLenum>(format == FMT_D16 ? GL_DEPTH_COMPONENT16 : GL_DEPTH24_STENCIL8),
           static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    }
    ~GlDepthSurface() override {
        if (!DeviceAlive()) return;
        m_gl->ForgetRenderbuffer(m_native);
        Gl(glDeleteRenderbuffers, 1, &m_native);
    }

private:
    std::shared_ptr<GlContextState> m_gl;
};

GLenum ToGlCompare(uint32_t cmp) {
    static const GLenum table[] = {GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return cmp >= CMP_NEVER && cmp <= CMP_ALWAYS ? table[cmp - CMP_NEVER] : GL_ALWAYS;
}

GLenum ToGlBlend(uint32_t blend) {
    static const GLenum table[] = {GL_ZERO, GL_ONE, GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, GL_SRC_ALPHA,
                                   GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA, GL_DST_COLOR,
                                   GL_ONE_MINUS_DST_COLOR};
    return blend >= BLEND_ZERO && blend <= BLEND_INVDESTCOLOR ? table[blend - BLEND_ZERO] : GL_ONE;
}

GLenum ToGlBlendOp(uint32_t op) {
    static const GLenum table[] = {GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT, GL_MIN, GL_MAX};
    return op >= BLENDOP_ADD && op <= BLENDOP_MAX ? table[op - BLENDOP_ADD] : GL_FUNC_ADD;
}

GLint ToGlWrap(uint32_t address) {
    switch (address) {
        case TADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
        case TADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
        case TADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
        default: return GL_REPEAT;
    }
}

GLint ToGlMinFilter(uint32_t min, uint32_t mip) {
    bool linear = min != TEXF_POINT && min != TEXF_NONE;
    if (mip == TEXF_NONE) return linear ? GL_LINEAR : GL_NEAREST;
    if (mip == TEXF_POINT) return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
}

// Vertex inputs by usage; the effects bind the same names to the same locations.
GLuint AttributeLocation(const VertexElement& e) {
    switch (e.usage) {
        case DECLUSAGE_POSITION: return e.usageIndex == 0 ? 0 : 14;
        case DECLUSAGE_BLENDWEIGHT: return 1;
        case DECLUSAGE_BLENDINDICES: return 2;
        case DECLUSAGE_NORMAL: return 3;
        case DECLUSAGE_COLOR: return 4 + std::min<GLuint>(e.usageIndex, 1);
        default: return 6 + std::min<GLuint>(e.usageIndex, 7);
    }
}

GLenum ToGlPrimitive(PrimitiveType type) {
    switch (type) {
        case PT_POINTLIST: return GL_POINTS;
        case PT_LINELIST: return GL_LINES;
        case PT_LINESTRIP: return GL_LINE_STRIP;
        case PT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
        case PT_TRIANGLEFAN: return GL_TRIANGLE_FAN;
        default: return GL_TRIANGLES;
    }
}

GLsizei VertexCount(PrimitiveType type, uint32_t primitives) {
    switch (type) {
        case PT_POINTLIST: return static_cast<GLsizei>(primitives);
        case PT_LINELIST: return static_cast<GLsizei>(primitives * 2);
        case PT_LINESTRIP: return static_cast<GLsizei>(primitives + 1);
        case PT_TRIANGLESTRIP: case PT_TRIANGLEFAN: return static_cast<GLsizei>(primitives + 2);
        default: return static_cast<GLsizei>(primitives * 3);
    }
}

// Direct3D 9 offers at most 8 fixed stages; the effects bind their samplers by unit.
constexpr GLint kMaxSimultaneousTextures = 8;

// A rasteriser on the CPU: anisotropic filtering would cost it several times the shading of a
// frame, so the device offers none, as a card without it would.
bool SoftwareRenderer() {
    const char* renderer = reinterpret_cast<const char*>(Gl(glGetString, GL_RENDERER));
    return renderer && (std::strstr(renderer, "llvmpipe") || std::strstr(renderer, "softpipe"));
}

Caps QueryCaps() {
    Caps caps;
    GLint maxTexture = 0, units = 0;
    Gl(glGetIntegerv, GL_MAX_TEXTURE_SIZE, &maxTexture);
    Gl(glGetIntegerv, GL_MAX_TEXTURE_IMAGE_UNITS, &units);
    caps.pixelShaderVersion = PixelShaderVersion(3, 0);
    caps.maxTextureWidth = caps.maxTextureHeight = static_cast<uint32_t>(maxTexture);
    caps.maxSimultaneousTextures = static_cast<uint32_t>(std::min(units, kMaxSimultaneousTextures));
    caps.compressedTextures = epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc");
    GLfloat anisotropy = 1.0f;
    if (epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") && !SoftwareRenderer())
        Gl(glGetFloatv, static_cast<GLenum>(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT), &anisotropy);
    caps.maxAnisotropy = static_cast<uint32_t>(std::max(anisotropy, 1.0f));
    return caps;
}

bool IsDisplayFormat(const SDL_DisplayMode& mode) { return SDL_BITSPERPIXEL(mode.format) >= 24; }

DisplayMode ToDisplayMode(const SDL_DisplayMode& mode) {
    return DisplayMode{static_cast<uint32_t>(mode.w), static_cast<uint32_t>(mode.h),
                       static_cast<uint32_t>(mode.refresh_rate), FMT_X8R8G8B8};
}

void Enable(GLenum capability, bool on) {
    if (on) Gl(glEnable, capability);
    else Gl(glDisable, capability);
}

float FloatBits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace

GlDevice::GlDevice(plat::WindowHandle window, SDL_GLContext context, uint32_t behaviourFlags,
                   const PresentParameters& parameters)
    : Device(parameters, behaviourFlags, QueryCaps()),
      m_window(window),
      m_context(context),
      m_gl(std::make_shared<GlContextState>()),
      m_callsAtStart(g_glCalls) {
    FitWindow();
    Gl(glGenFramebuffers, 1, &m_framebuffer);
    Gl(glGenFramebuffers, 1, &m_readFramebuffer);
    Gl(glGenFramebuffers, 1, &m_presentedFramebuffer);
    Gl(glGenRenderbuffers, 1, &m_presentedColour);
    GLboolean doubleBuffered = GL_FALSE;
    Gl(glGetBooleanv, GL_DOUBLEBUFFER, &doubleBuffered);
    m_doubleBuffered = doubleBuffered == GL_TRUE;
    Gl(glGenSamplers, static_cast<GLsizei>(kMaxSamplers), m_samplers);
    for (uint32_t unit = 0; unit < kMaxSamplers; ++unit) Gl(glBindSampler, unit, m_samplers[unit]);
    Caps caps;
    GetDeviceCaps(caps);
    m_maxAnisotropy = caps.maxAnisotropy;
    MakeAutoDepth();
    // The states every draw starts from; from here on only changes are sent.
    Gl(glDepthFunc, static_cast<GLenum>(GL_LESS));
    m_sent.depthFunc = GL_LESS;
    m_sent.blendSource = GL_ONE;
    m_sent.blendDestination = GL_ZERO;
    m_sent.blendEquation = GL_FUNC_ADD;
    m_sent.polygonMode = GL_FILL;
    m_sent.frontFace = GL_CCW;
    m_sent.cullFace = GL_BACK;
}

GlDevice::~GlDevice() {
    // Resources that outlive the device must not touch the context deleted here.
    m_ledger->deviceAlive = false;
    if (!m_context) return;
    for (const auto& [key, name] : m_gl->vertexArrays) Gl(glDeleteVertexArrays, 1, &name);
    Gl(glDeleteSamplers, static_cast<GLsizei>(kMaxSamplers), m_samplers);
    Gl(glDeleteFramebuffers, 1, &m_framebuffer);
    Gl(glDeleteFramebuffers, 1, &m_readFramebuffer);
    Gl(glDeleteFramebuffers, 1, &m_presentedFramebuffer);
    Gl(glDeleteRenderbuffers, 1, &m_presentedColour);
    Gl(glDeleteRenderbuffers, 1, &m_autoDepth);
    SDL_GL_DeleteContext(m_context);
}

void GlDevice::FitWindow() {
    plat::SetWindowMode(m_window, static_cast<int>(m_parameters.backBufferWidth),
                        static_cast<int>(m_parameters.backBufferHeight), m_parameters.windowed);
    SDL_GL_MakeCurrent(m_window->sdlWindow, m_context);
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(m_window->sdlWindow, &w, &h);
    Gl(glViewport, 0, 0, w, h);
}

// Drawing into a texture with the automatic depth surface needs a depth buffer GL can attach to
// a framebuffer object: one of the back buffer's size.
void GlDevice::MakeAutoDepth() {
    if (m_autoDepth) Gl(glDeleteRenderbuffers, 1, &m_autoDepth);
    Gl(glGenRenderbuffers, 1, &m_autoDepth);
    Gl(glBindRenderbuffer, GL_RENDERBUFFER, m_autoDepth);
    Gl(glRenderbufferStorage, GL_RENDERBUFFER, static_cast<GLenum>(GL_DEPTH24_STENCIL8),
       static_cast<GLsizei>(std::max(1u, m_parameters.backBufferWidth)),
       static_cast<GLsizei>(std::max(1u, m_parameters.backBufferHeight)));
    m_gl->attachedDepth = ~0u;
}

// A GL context is never lost.
Result GlDevice::TestCooperativeLevel() { return OK; }

Result GlDevice::ResetDevice(const PresentParameters& parameters) {
    m_parameters = parameters;
    FitWindow();
    MakeAutoDepth();
    return OK;
}

DeviceStats GlDevice::Stats() const {
    DeviceStats stats = m_stats;
    stats.backendCalls = g_glCalls - m_callsAtStart;
    return stats;
}

std::unique_ptr<VertexBuffer> GlDevice::MakeVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool) {
    return std::make_unique<GlBuffer<VertexBuffer>>(m_gl, m_ledger, pool, length, usage, fvf);
}

std::unique_ptr<IndexBuffer> GlDevice::MakeIndexBuffer(uint32_t length, uint32_t usage, IndexFormat format,
                                                       Pool pool) {
    return std::make_unique<GlBuffer<IndexBuffer>>(m_gl, m_ledger, pool, length, usage, format);
}

std::unique_ptr<Texture> GlDevice::MakeTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                               Format format, Pool pool) {
    return std::make_unique<GlTexture<Texture, GL_TEXTURE_2D>>(m_gl, m_ledger, pool, width, height, levels, usage,
                                                              format);
}

std::unique_ptr<CubeTexture> GlDevice::MakeCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage, Format format,
                                                       Pool pool) {
    return std::make_unique<GlTexture<CubeTexture, GL_TEXTURE_CUBE_MAP>>(m_gl, m_ledger, pool, edge, levels, usage,
                                                                        format);
}

std::unique_ptr<Surface> GlDevice::MakeDepthStencilSurface(uint32_t width, uint32_t height, Format format) {
    return std::make_unique<GlDepthSurface>(m_gl, m_ledger, width, height, format);
}

void GlDevice::ApplyTargets() {
    const Texture* colour = ColourTarget();
    const Viewport& vp = m_viewport;
    uint32_t framebuffer = colour ? m_framebuffer : 0;
    if (m_boundFramebuffer != framebuffer) {
        Gl(glBindFramebuffer, GL_FRAMEBUFFER, framebuffer);
        m_boundFramebuffer = framebuffer;
    }
    if (!colour) {
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(m_window->sdlWindow, &w, &h);
        Gl(glViewport, static_cast<GLint>(vp.x), h - static_cast<GLint>(vp.y + vp.height),
           static_cast<GLsizei>(vp.width), static_cast<GLsizei>(vp.height));
    } else {
        if (m_gl->attachedColour != colour->Native() || m_gl->attachedLevel != ColourTargetLevel()) {
            Gl(glFramebufferTexture2D, GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour->Native(),
               static_cast<GLint>(ColourTargetLevel()));
            m_gl->attachedColour = colour->Native();
            m_gl->attachedLevel = ColourTargetLevel();
        }
        const Surface* depth = DepthTarget();
        uint32_t renderbuffer = depth ? depth->Native() : m_autoDepth;
        if (m_gl->attachedDepth != renderbuffer) {
            bool stencil = !depth || depth->GetFormat() != FMT_D16;
            Gl(glFramebufferRenderbuffer, GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0u);
            Gl(glFramebufferRenderbuffer, GL_FRAMEBUFFER, stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
               GL_RENDERBUFFER, renderbuffer);
            m_gl->attachedDepth = renderbuffer;
        }
        // Rows are stored top first in a texture target, so the viewport counts from the top.
        Gl(glViewport, static_cast<GLint>(vp.x), static_cast<GLint>(vp.y), static_cast<GLsizei>(vp.width),
           static_cast<GLsizei>(vp.height));
    }
    Gl(glDepthRange, static_cast<double>(vp.minZ), static_cast<double>(vp.maxZ));
}

Result GlDevice::ReadTarget(const Surface& renderTarget, Surface& destination) {
    auto* pixels = destination.Pixels();
    if (renderTarget.GetKind() == Surface::Kind::BackBuffer)
        return ReadBackBuffer(0, 0, destination.Width(), destination.Height(), reinterpret_cast<uint32_t*>(pixels));
    GlFormat f = ToGlFormat(renderTarget.GetFormat());
    Gl(glBindFramebuffer, GL_READ_FRAMEBUFFER, m_readFramebuffer);
    Gl(glFramebufferTexture2D, GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
       renderTarget.Target()->Native(), static_cast<GLint>(renderTarget.Level()));
    Gl(glReadBuffer, GL_COLOR_ATTACHMENT0);
    Gl(glPixelStorei, GL_PACK_ALIGNMENT, 4);
    // Texture targets hold their top row first, as the game counts rows.
    Gl(glReadPixels, 0, 0, static_cast<GLsizei>(destination.Width()), static_cast<GLsizei>(destination.Height()),
       f.format, f.type, static_cast<void*>(pixels));
    Gl(glBindFramebuffer, GL_READ_FRAMEBUFFER, m_boundFramebuffer);
    return Gl(glGetError) == GL_NO_ERROR ? OK : ERR_INVALIDCALL;
}

// GL keeps the last program in use while no pass runs: the next pass of the same effect needs
// no switch.
void GlDevice::UseProgram(const GlProgram* program) {
    m_program = program;
    if (program && program->name != m_boundProgram) Gl(glUseProgram, m_boundProgram = program->name);
}

void GlDevice::ProgramGone(uint32_t name) {
    if (m_boundProgram != name) return;
    Gl(glUseProgram, 0u);
    m_boundProgram = 0;
}

void GlDevice::SetDepthMask(bool on) {
    if (m_sent.depthMask == on) return;
    Gl(glDepthMask, static_cast<GLboolean>(on ? GL_TRUE : GL_FALSE));
    m_sent.depthMask = on;
}

void GlDevice::ApplyDrawStates() {
    auto state = [this](RenderState s) { return RenderStateValue(s); };
    DrawStates& sent = m_sent;
    bool depthTest = state(RS_ZENABLE) != 0;
    if (sent.depthTest != depthTest) Enable(GL_DEPTH_TEST, sent.depthTest = depthTest);
    SetDepthMask(state(RS_ZWRITEENABLE) != 0);
    if (GLenum f = ToGlCompare(state(RS_ZFUNC)); sent.depthFunc != f) Gl(glDepthFunc, sent.depthFunc = f);
    bool blend = state(RS_ALPHABLENDENABLE) != 0;
    if (sent.blend != blend) Enable(GL_BLEND, sent.blend = blend);
    GLenum source = ToGlBlend(state(RS_SRCBLEND)), destination = ToGlBlend(state(RS_DESTBLEND));
    if (blend && (sent.blendSource != source || sent.blendDestination != destination)) {
        Gl(glBlendFunc, source, destination);
        sent.blendSource = source;
        sent.blendDestination = destination;
    }
    if (GLenum e = ToGlBlendOp(state(RS_BLENDOP)); blend && sent.blendEquation != e) Gl(glBlendEquation, sent.blendEquation = e);
    GLenum mode = state(RS_FILLMODE) == FILL_WIREFRAME ? GL_LINE : state(RS_FILLMODE) == FILL_POINT ? GL_POINT : GL_FILL;
    if (sent.polygonMode != mode) Gl(glPolygonMode, GL_FRONT_AND_BACK, sent.polygonMode = mode);
    uint32_t cull = state(RS_CULLMODE);
    bool culling = cull == CULL_CW || cull == CULL_CCW;
    if (sent.cull != culling) Enable(GL_CULL_FACE, sent.cull = culling);
    bool multisample = state(RS_MULTISAMPLEANTIALIAS) != 0;
    if (sent.multisample != multisample) Enable(GL_MULTISAMPLE, sent.multisample = multisample);
    // The game's front faces wind clockwise on screen (a flipped target mirrors the winding);
    // CULL_CCW culls the back faces, CULL_CW the front ones.
    GLenum front = FlippedTarget() ? GL_CCW : GL_CW;
    if (sent.frontFace != front) Gl(glFrontFace, sent.frontFace = front);
    GLenum culled = cull == CULL_CW ? GL_FRONT : GL_BACK;
    if (culling && sent.cullFace != culled) Gl(glCullFace, sent.cullFace = culled);
}

// The uniforms the device drives itself: the target's row order and the alpha test.
void GlDevice::ApplyProgramStates() {
    const GlProgram& p = *m_program;
    float flip = FlippedTarget() ? -1.0f : 1.0f;
    if (p.flipY >= 0 && p.sentFlipY != flip) Gl(glUniform1f, p.flipY, p.sentFlipY = flip);
    int32_t alphaOn = RenderStateValue(RS_ALPHATESTENABLE) ? 1 : 0;
    if (p.alphaTestOn >= 0 && p.sentAlphaTestOn != alphaOn) Gl(glUniform1i, p.alphaTestOn, p.sentAlphaTestOn = alphaOn);
    if (!alphaOn) return;
    float ref = static_cast<float>(RenderStateValue(RS_ALPHAREF) & 0xFF);
    if (p.alphaRef >= 0 && p.sentAlphaRef != ref) Gl(glUniform1f, p.alphaRef, p.sentAlphaRef = ref);
    auto func = static_cast<int32_t>(RenderStateValue(RS_ALPHAFUNC));
    if (p.alphaFunc >= 0 && p.sentAlphaFunc != func) Gl(glUniform1i, p.alphaFunc, p.sentAlphaFunc = func);
}

void GlDevice::ApplySampler(uint32_t unit, const BaseTexture& texture) {
    GlSamplerParameters want;
    uint32_t min = SamplerStateValue(unit, SAMP_MINFILTER);
    uint32_t mip = texture.GetLevelCount() > 1 ? SamplerStateValue(unit, SAMP_MIPFILTER) : TEXF_NONE;
    want.minFilter = ToGlMinFilter(min, mip);
    want.magFilter = SamplerStateValue(unit, SAMP_MAGFILTER) == TEXF_POINT ? GL_NEAREST : GL_LINEAR;
    want.wrapS = ToGlWrap(SamplerStateValue(unit, SAMP_ADDRESSU));
    want.wrapT = ToGlWrap(SamplerStateValue(unit, SAMP_ADDRESSV));
    want.wrapR = ToGlWrap(SamplerStateValue(unit, SAMP_ADDRESSW));
    // GL holds the bias to its own limit, so any very negative bias still means the top level.
    want.lodBias = std::clamp(FloatBits(SamplerStateValue(unit, SAMP_MIPMAPLODBIAS)), -16.0f, 16.0f);
    if (m_maxAnisotropy > 1 && min == TEXF_ANISOTROPIC)
        want.anisotropy = static_cast<float>(std::clamp(SamplerStateValue(unit, SAMP_MAXANISOTROPY), 1u, m_maxAnisotropy));
    GlSamplerParameters& sent = m_samplerParameters[unit];
    GLuint sampler = m_samplers[unit];
    auto set = [sampler](GLenum name, int32_t want, int32_t& sent) {
        if (sent != want) Gl(glSamplerParameteri, sampler, name, sent = want);
    };
    set(GL_TEXTURE_MIN_FILTER, want.minFilter, sent.minFilter);
    set(GL_TEXTURE_MAG_FILTER, want.magFilter, sent.magFilter);
    set(GL_TEXTURE_WRAP_S, want.wrapS, sent.wrapS);
    set(GL_TEXTURE_WRAP_T, want.wrapT, sent.wrapT);
    set(GL_TEXTURE_WRAP_R, want.wrapR, sent.wrapR);
    if (sent.lodBias != want.lodBias) Gl(glSamplerParameterf, sampler, GL_TEXTURE_LOD_BIAS, sent.lodBias = want.lodBias);
    if (m_maxAnisotropy > 1 && sent.anisotropy != want.anisotropy)
        Gl(glSamplerParameterf, sampler, static_cast<GLenum>(GL_TEXTURE_MAX_ANISOTROPY_EXT),
           sent.anisotropy = want.anisotropy);
}

void GlDevice::ApplySamplers() {
    for (uint32_t unit = 0; unit < kMaxSamplers; ++unit) {
        const BaseTexture* texture = BoundTexture(unit);
        if (!texture) continue;
        bool cube = texture->GetType() == RTYPE_CUBETEXTURE;
        uint32_t& bound = m_gl->textures[unit][cube ? 1 : 0];
        if (bound != texture->Native()) {
            if (m_gl->activeUnit != unit) {
                Gl(glActiveTexture, GL_TEXTURE0 + unit);
                m_gl->activeUnit = unit;
            }
            Gl(glBindTexture, static_cast<GLenum>(cube ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D), bound = texture->Native());
        }
        ApplySampler(unit, *texture);
    }
}

// The vertex array of the current layout and stream, made the first time they are drawn.
void GlDevice::BindVertexArray(bool indexed) {
    const Resource* vertices = Bound(ResourceLedger::SLOT_STREAM);
    const Resource* indices = indexed ? Bound(ResourceLedger::SLOT_INDICES) : nullptr;
    GlVertexArrayKey key{LayoutKey(), vertices->Serial(), indices ? indices->Serial() : 0, StreamOffset(),
                         StreamStride()};
    if (m_gl->vertexArray && m_gl->boundKey == key) return;
    auto [it, made] = m_gl->vertexArrays.try_emplace(key, 0u);
    if (made) Gl(glGenVertexArrays, 1, &it->second);
    Gl(glBindVertexArray, it->second);
    m_gl->vertexArray = it->second;
    m_gl->boundKey = key;
    if (!made) return;
    Gl(glBindBuffer, GL_ARRAY_BUFFER, vertices->Native());
    if (indices) Gl(glBindBuffer, GL_ELEMENT_ARRAY_BUFFER, indices->Native());
    auto stride = static_cast<GLsizei>(StreamStride());
    for (const VertexElement& e : VertexElements()) {
        GLuint location = AttributeLocation(e);
        auto offset = reinterpret_cast<const void*>(uintptr_t{StreamOffset()} + e.offset);
        switch (e.type) {
            case DECLTYPE_D3DCOLOR:
                Gl(glVertexAttribPointer, location, GL_BGRA, GL_UNSIGNED_BYTE, GLboolean{GL_TRUE}, stride, offset);
                break;
            case DECLTYPE_UBYTE4:
                Gl(glVertexAttribPointer, location, 4, GL_UNSIGNED_BYTE, GLboolean{GL_FALSE}, stride, offset);
                break;
            default:
                Gl(glVertexAttribPointer, location, static_cast<GLint>(e.type - DECLTYPE_FLOAT1 + 1), GL_FLOAT,
                   GLboolean{GL_FALSE}, stride, offset);
        }
        Gl(glEnableVertexAttribArray, location);
    }
}

bool GlDevice::PrepareDraw(bool indexed) {
    if (!m_program || VertexElements().empty()) return false;
    ApplyDrawStates();
    ApplyProgramStates();
    ApplySamplers();
    BindVertexArray(indexed);
    return true;
}

bool GlDevice::BeginFixedFunction() {
    if (m_program || VertexElements().empty()) return false;
    if (!m_fixedFunction) m_fixedFunction = std::make_unique<GlFixedFunction>(*this);
    FixedFunctionInputs in{&VertexElements(), FixedTransform(), m_viewport, BoundTexture(0), {}};
    const TextureStageState stage[6] = {TSS_COLOROP, TSS_COLORARG1, TSS_COLORARG2,
                                        TSS_ALPHAOP, TSS_ALPHAARG1, TSS_ALPHAARG2};
    for (int i = 0; i < 6; ++i) in.stage[i] = StageStateValue(0, stage[i]);
    return m_fixedFunction->Begin(in);
}

void GlDevice::Draw(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) {
    bool fixed = BeginFixedFunction();
    if (PrepareDraw(false))
        Gl(glDrawArrays, ToGlPrimitive(type), static_cast<GLint>(startVertex), VertexCount(type, primitiveCount));
    if (fixed) m_fixedFunction->End();
}

void GlDevice::DrawIndexed(PrimitiveType type, int32_t baseVertex, uint32_t startIndex, uint32_t primitiveCount,
                           uint32_t instances) {
    bool fixed = BeginFixedFunction();
    if (PrepareDraw(true)) {
        auto* indices = static_cast<const IndexBuffer*>(Bound(ResourceLedger::SLOT_INDICES));
        bool wide = indices->GetFormat() == FMT_INDEX32;
        auto offset = reinterpret_cast<const void*>(uintptr_t{startIndex} * (wide ? 4 : 2));
        GLenum indexType = wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
        if (instances > 1)
            Gl(glDrawElementsInstancedBaseVertex, ToGlPrimitive(type), VertexCount(type, primitiveCount), indexType,
               offset, static_cast<GLsizei>(instances), static_cast<GLint>(baseVertex));
        else
            Gl(glDrawElementsBaseVertex, ToGlPrimitive(type), VertexCount(type, primitiveCount), indexType, offset,
               static_cast<GLint>(baseVertex));
    }
    if (fixed) m_fixedFunction->End();
}

void GlDevice::WriteBackBuffer(int32_t x, int32_t y, uint32_t width, uint32_t height, const uint32_t* argb,
                               uint32_t pitchPixels) {
    // The pixels go through a scratch texture and a blit; the picture's top row lands at y.
    GLuint scratch = 0;
    Gl(glGenTextures, 1, &scratch);
    m_gl->BindForUpload(GL_TEXTURE_2D, scratch);
    Gl(glPixelStorei, GL_UNPACK_ROW_LENGTH, static_cast<GLint>(pitchPixels));
    Gl(glTexImage2D, GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0,
       GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, static_cast<const void*>(argb));
    Gl(glPixelStorei, GL_UNPACK_ROW_LENGTH, 0);
    Gl(glBindFramebuffer, GL_READ_FRAMEBUFFER, m_readFramebuffer);
    Gl(glFramebufferTexture2D, GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, scratch, 0);
    Gl(glBindFramebuffer, GL_DRAW_FRAMEBUFFER, 0u);
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(m_window->sdlWindow, &w, &h);
    auto X = [](int64_t v) { return static_cast<GLint>(v); };
    Gl(glBlitFramebuffer, 0, 0, X(width), X(height), X(x), X(h - y), X(x + int64_t{width}), X(h - y - int64_t{height}),
       GLbitfield{GL_COLOR_BUFFER_BIT}, GLenum{GL_NEAREST});
    Gl(glBindFramebuffer, GL_FRAMEBUFFER, m_boundFramebuffer);
    m_gl->ForgetTexture(scratch);
    Gl(glDeleteTextures, 1, &scratch);
}

void GlDevice::ApplyGammaRamp(const GammaRamp& ramp) {
    // Offscreen and some window systems have no ramp; the game carries on with the display's own.
    SDL_SetWindowGammaRamp(m_window->sdlWindow, ramp.red, ramp.green, ramp.blue);
}

Result GlDevice::Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) {
    GLbitfield mask = 0;
    if (flags & CLEAR_TARGET) {
        Gl(glClearColor, ((colour >> 16) & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f, (colour & 0xFF) / 255.0f,
           ((colour >> 24) & 0xFF) / 255.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & CLEAR_ZBUFFER) {
        Gl(glClearDepth, static_cast<double>(z));
        SetDepthMask(true);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & CLEAR_STENCIL) {
        Gl(glClearStencil, static_cast<GLint>(stencil));
        Gl(glStencilMask, 0xFFu);
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    // A clear covers the viewport only.
    const Viewport& vp = m_viewport;
    GLint viewport[4];
    Gl(glGetIntegerv, GL_VIEWPORT, viewport);
    Gl(glEnable, GL_SCISSOR_TEST);
    Gl(glScissor, viewport[0], viewport[1], static_cast<GLsizei>(vp.width), static_cast<GLsizei>(vp.height));
    Gl(glClear, mask);
    Gl(glDisable, GL_SCISSOR_TEST);
    if (!ColourTarget()) m_presented = false;
    return OK;
}

Result GlDevice::BeginScene() {
    if (m_inScene) return ERR_INVALIDCALL;
    m_inScene = true;
    m_presented = false;
    return OK;
}

Result GlDevice::EndScene() {
    if (!m_inScene) return ERR_INVALIDCALL;
    m_inScene = false;
    return OK;
}

// A swap of a double-buffered window leaves its back buffer undefined, yet the frame just shown
// is read after Present (the screenshots): it is copied aside first. A single-buffered surface
// (the offscreen driver's) keeps its pixels and needs no copy.
void GlDevice::KeepPresentedFrame() {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(m_window->sdlWindow, &w, &h);
    if (w != m_presentedWidth || h != m_presentedHeight) {
        Gl(glBindRenderbuffer, GL_RENDERBUFFER, m_presentedColour);
        Gl(glRenderbufferStorage, GL_RENDERBUFFER, static_cast<GLenum>(GL_RGBA8), w, h);
        Gl(glBindFramebuffer, GL_FRAMEBUFFER, m_presentedFramebuffer);
        Gl(glFramebufferRenderbuffer, GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_presentedColour);
        m_presentedWidth = w;
        m_presentedHeight = h;
    }
    Gl(glBindFramebuffer, GL_READ_FRAMEBUFFER, 0u);
    Gl(glReadBuffer, GL_BACK);
    Gl(glBindFramebuffer, GL_DRAW_FRAMEBUFFER, m_presentedFramebuffer);
    Gl(glBlitFramebuffer, 0, 0, w, h, 0, 0, w, h, GLbitfield{GL_COLOR_BUFFER_BIT}, GLenum{GL_NEAREST});
    Gl(glBindFramebuffer, GL_FRAMEBUFFER, m_boundFramebuffer);
}

Result GlDevice::Present() {
    if (m_inScene) return ERR_INVALIDCALL;
    if (m_doubleBuffered) KeepPresentedFrame();
    SDL_GL_SwapWindow(m_window->sdlWindow);
    m_presented = true;
    return OK;
}

Result GlDevice::ReadBackBuffer(uint32_t x, uint32_t y, uint32_t width, uint32_t height, uint32_t* argb) {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(m_window->sdlWindow, &w, &h);
    if (!argb || x + width > static_cast<uint32_t>(w) || y + height > static_cast<uint32_t>(h))
        return ERR_INVALIDCALL;
    if (width == 0 || height == 0) return OK;
    if (m_presented && m_doubleBuffered) {
        Gl(glBindFramebuffer, GL_READ_FRAMEBUFFER, m_presentedFramebuffer);
    } else {
        Gl(glBindFramebuffer, GL_READ_FRAMEBUFFER, 0u);
        Gl(glReadBuffer, GL_BACK);
    }
    Gl(glPixelStorei, GL_PACK_ALIGNMENT, 4);
    // GL counts rows from the bottom; BGRA read as packed 32-bit words is ARGB on every host.
    Gl(glReadPixels, static_cast<GLint>(x), h - static_cast<GLint>(y + height), static_cast<GLsizei>(width),
       static_cast<GLsizei>(height), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, static_cast<void*>(argb));
    for (uint32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(argb + top * width, argb + (top + 1) * width, argb + bottom * width);
    Gl(glBindFramebuffer, GL_READ_FRAMEBUFFER, m_boundFramebuffer);
    return Gl(glGetError) == GL_NO_ERROR ? OK : ERR_INVALIDCALL;
}

Result GlSystem::GetAdapterDisplayMode(DisplayMode& mode) {
    SDL_DisplayMode desktop{};
    if (!plat::StartSdlVideo() || SDL_GetDesktopDisplayMode(0, &desktop) != 0) return ERR_NOTAVAILABLE;
    mode = ToDisplayMode(desktop);
    return OK;
}

Result GlSystem::GetAdapterIdentifier(AdapterIdentifier& identifier) {
    const char* driver = SDL_GetCurrentVideoDriver();
    identifier.driver = driver ? driver : "unknown";
    identifier.description = "OpenGL 3.3 core";
    return OK;
}

uint32_t GlSystem::GetAdapterModeCount(Format format) {
    if (format != FMT_X8R8G8B8 || !plat::StartSdlVideo()) return 0;
    uint32_t count = 0;
    SDL_DisplayMode mode{};
    for (int i = 0, n = SDL_GetNumDisplayModes(0); i < n; ++i)
        count += SDL_GetDisplayMode(0, i, &mode) == 0 && IsDisplayFormat(mode);
    return count;
}

Result GlSystem::EnumAdapterModes(Format format, uint32_t index, DisplayMode& mode) {
    if (format != FMT_X8R8G8B8 || !plat::StartSdlVideo()) return ERR_INVALIDCALL;
    SDL_DisplayMode sdlMode{};
    for (int i = 0, n = SDL_GetNumDisplayModes(0); i < n; ++i) {
        if (SDL_GetDisplayMode(0, i, &sdlMode) != 0 || !IsDisplayFormat(sdlMode)) continue;
        if (index-- == 0) {
            mode = ToDisplayMode(sdlMode);
            return OK;
        }
    }
    return ERR_INVALIDCALL;
}

Result GlSystem::CheckDeviceFormat(Format, uint32_t, Format format) {
    switch (format) {
        case FMT_D16: case FMT_D24X8: case FMT_D24S8: case FMT_D32:
        case FMT_A8R8G8B8: case FMT_X8R8G8B8: case FMT_R32F:
            return OK;

        default:
            return ERR_NOTAVAILABLE;
    }
}

Result GlSystem::CheckDepthStencilMatch(Format adapterFormat, Format, Format depthFormat) {
    return CheckDeviceFormat(adapterFormat, USAGE_DEPTHSTENCIL, depthFormat);
}

Result GlSystem::CreateDevice(plat::WindowHandle window, uint32_t behaviourFlags, const PresentParameters& parameters,
                              std::unique_ptr<Device>& device) {
    if (!window || !window->sdlWindow) return ERR_INVALIDCALL;
    SDL_GLContext context = SDL_GL_CreateContext(window->sdlWindow);
    if (!context) {
        SDL_Log("furrow: GL context creation failed: %s", SDL_GetError());
        return ERR_NOTAVAILABLE;
    }
    SDL_GL_SetSwapInterval(0);
    if (epoxy_gl_version() < 33) {
        SDL_GL_DeleteContext(context);
        return ERR_NOTAVAILABLE;
    }
    device = std::make_unique<GlDevice>(window, context, behaviourFlags, parameters);
    return OK;
}

}  // namespace gfx
