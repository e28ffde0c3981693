#include "platform/gfx/GlSystem.h"

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/gfx/GlFixedFunction.h"
#include "platform/os/Window.h"
#include "platform/os/WindowRecord.h"

namespace gfx {
namespace {

// A buffer object in the device's context; unlocks send the locked range.
template <class Base, GLenum kTarget>
class GlBuffer final : public Base {
public:
    template <class... Args>
    GlBuffer(std::shared_ptr<ResourceLedger> ledger, Pool pool, uint32_t length, uint32_t usage, Args... args)
        : Base(std::move(ledger), pool, length, usage, args...) {
        glGenBuffers(1, &this->m_native);
        glBindBuffer(kTarget, this->m_native);
        glBufferData(kTarget, length, nullptr, (usage & USAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
        glBindBuffer(kTarget, 0);
    }
    ~GlBuffer() override {
        // With the device gone its context went too, and the name with it.
        if (this->DeviceAlive()) glDeleteBuffers(1, &this->m_native);
    }

protected:
    void Upload(uint32_t offset, uint32_t size) override {
        glBindBuffer(GL_COPY_WRITE_BUFFER, this->m_native);
        glBufferSubData(GL_COPY_WRITE_BUFFER, offset, size, this->Data() + offset);
        glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
    }
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
        default: return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
    }
}

// Storage for every level (and face) of a texture; lockable textures upload their levels as
// they are unlocked.
template <class Base, GLenum kTarget>
class GlTexture final : public Base {
public:
    template <class... Args>
    explicit GlTexture(Args&&... args) : Base(std::forward<Args>(args)...) {
        glGenTextures(1, &this->m_native);
        glBindTexture(kTarget, this->m_native);
        GlFormat f = ToGlFormat(this->GetFormat());
        for (uint32_t face = 0; face < this->Faces(); ++face)
            for (uint32_t level = 0; level < this->GetLevelCount(); ++level)
                glTexImage2D(FaceTarget(face), static_cast<GLint>(level), f.internal,
                             static_cast<GLsizei>(this->LevelWidth(level)), static_cast<GLsizei>(this->LevelHeight(level)),
                             0, f.format, f.type, nullptr);
        glTexParameteri(kTarget, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(this->GetLevelCount() - 1));
        glBindTexture(kTarget, 0);
    }
    ~GlTexture() override {
        if (this->DeviceAlive()) glDeleteTextures(1, &this->m_native);
    }

protected:
    void UploadLevel(uint32_t face, uint32_t level, const uint8_t* bits) override {
        GlFormat f = ToGlFormat(this->GetFormat());
        glBindTexture(kTarget, this->m_native);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glTexSubImage2D(FaceTarget(face), static_cast<GLint>(level), 0, 0,
                        static_cast<GLsizei>(this->LevelWidth(level)), static_cast<GLsizei>(this->LevelHeight(level)),
                        f.format, f.type, bits);
        glBindTexture(kTarget, 0);
    }

private:
    static GLenum FaceTarget(uint32_t face) {
        return kTarget == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : kTarget;
    }
};

class GlDepthSurface final : public Surface {
public:
    GlDepthSurface(std::shared_ptr<ResourceLedger> ledger, uint32_t width, uint32_t height, Format format)
        : Surface(std::move(ledger), POOL_DEFAULT, Kind::DepthStencil, width, height, format) {
        glGenRenderbuffers(1, &m_native);
        glBindRenderbuffer(GL_RENDERBUFFER, m_native);
        glRenderbufferStorage(GL_RENDERBUFFER, format == FMT_D16 ? GL_DEPTH_COMPONENT16 : GL_DEPTH24_STENCIL8,
                              static_cast<GLsizei>(width), static_cast<GLsizei>(height));
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
    }
    ~GlDepthSurface() override {
        if (DeviceAlive()) glDeleteRenderbuffers(1, &m_native);
    }
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
        case DECLUSAGE_POSITION: return 0;
        case DECLUSAGE_BLENDWEIGHT: return 1;
        case DECLUSAGE_BLENDINDICES: return 2;
        case DECLUSAGE_NORMAL: return 3;
        case DECLUSAGE_COLOR: return 4 + std::min<GLuint>(e.usageIndex, 1);
        default: return 6 + std::min<GLuint>(e.usageIndex, 7);
    }
}
constexpr GLuint kAttributeLocations = 14;

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

Caps QueryCaps() {
    Caps caps;
    GLint maxTexture = 0, units = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS, &units);
    caps.pixelShaderVersion = PixelShaderVersion(3, 0);
    caps.maxTextureWidth = caps.maxTextureHeight = static_cast<uint32_t>(maxTexture);
    caps.maxSimultaneousTextures = static_cast<uint32_t>(std::min(units, kMaxSimultaneousTextures));
    return caps;
}

bool IsDisplayFormat(const SDL_DisplayMode& mode) { return SDL_BITSPERPIXEL(mode.format) >= 24; }

DisplayMode ToDisplayMode(const SDL_DisplayMode& mode) {
    return DisplayMode{static_cast<uint32_t>(mode.w), static_cast<uint32_t>(mode.h),
                       static_cast<uint32_t>(mode.refresh_rate), FMT_X8R8G8B8};
}

}  // namespace

GlDevice::GlDevice(plat::WindowHandle window, SDL_GLContext context, uint32_t behaviourFlags,
                   const PresentParameters& parameters)
    : Device(parameters, behaviourFlags, QueryCaps()), m_window(window), m_context(context) {
    FitWindow();
    glGenVertexArrays(1, &m_vertexArray);
    glBindVertexArray(m_vertexArray);
    glGenFramebuffers(1, &m_framebuffer);
    glGenFramebuffers(1, &m_readFramebuffer);
    glGenFramebuffers(1, &m_presentedFramebuffer);
    glGenRenderbuffers(1, &m_presentedColour);
    GLboolean doubleBuffered = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
    m_doubleBuffered = doubleBuffered == GL_TRUE;
    glGenSamplers(kMaxSamplers, m_samplers);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
}

GlDevice::~GlDevice() {
    // Resources that outlive the device must not touch the context deleted here.
    m_ledger->deviceAlive = false;
    if (!m_context) return;
    glDeleteSamplers(kMaxSamplers, m_samplers);
    glDeleteFramebuffers(1, &m_framebuffer);
    glDeleteFramebuffers(1, &m_readFramebuffer);
    glDeleteFramebuffers(1, &m_presentedFramebuffer);
    glDeleteRenderbuffers(1, &m_presentedColour);
    glDeleteVertexArrays(1, &m_vertexArray);
    SDL_GL_DeleteContext(m_context);
}

void GlDevice::FitWindow() {
    plat::SetWindowMode(m_window, static_cast<int>(m_parameters.backBufferWidth),
                        static_cast<int>(m_parameters.backBufferHeight), m_parameters.windowed);
    SDL_GL_MakeCurrent(m_window->sdlWindow, m_context);
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(m_window->sdlWindow, &w, &h);
    glViewport(0, 0, w, h);
}

// A GL context is never lost.
Result GlDevice::TestCooperativeLevel() { return OK; }

Result GlDevice::ResetDevice(const PresentParameters& parameters) {
    m_parameters = parameters;
    FitWindow();
    return OK;
}

std::unique_ptr<VertexBuffer> GlDevice::MakeVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool) {
    return std::make_unique<GlBuffer<VertexBuffer, GL_ARRAY_BUFFER>>(m_ledger, pool, length, usage, fvf);
}

std::unique_ptr<IndexBuffer> GlDevice::MakeIndexBuffer(uint32_t length, uint32_t usage, IndexFormat format,
                                                       Pool pool) {
    return std::make_unique<GlBuffer<IndexBuffer, GL_ELEMENT_ARRAY_BUFFER>>(m_ledger, pool, length, usage, format);
}

std::unique_ptr<Texture> GlDevice::MakeTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                               Format format, Pool pool) {
    return std::make_unique<GlTexture<Texture, GL_TEXTURE_2D>>(m_ledger, pool, width, height, levels, usage, format);
}

std::unique_ptr<CubeTexture> GlDevice::MakeCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage, Format format,
                                                       Pool pool) {
    return std::make_unique<GlTexture<CubeTexture, GL_TEXTURE_CUBE_MAP>>(m_ledger, pool, edge, levels, usage, format);
}

std::unique_ptr<Surface> GlDevice::MakeDepthStencilSurface(uint32_t width, uint32_t height, Format format) {
    return std::make_unique<GlDepthSurface>(m_ledger, width, height, format);
}

void GlDevice::ApplyTargets() {
    const Texture* colour = ColourTarget();
    const Viewport& vp = m_viewport;
    if (!colour) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(m_window->sdlWindow, &w, &h);
        glViewport(static_cast<GLint>(vp.x), h - static_cast<GLint>(vp.y + vp.height), static_cast<GLsizei>(vp.width),
                   static_cast<GLsizei>(vp.height));
    } else {
        glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour->Native(),
                               static_cast<GLint>(ColourTargetLevel()));
        const Surface* depth = DepthTarget();
        GLuint renderbuffer = depth ? depth->Native() : 0;
        bool stencil = depth && depth->GetFormat() != FMT_D16;
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                                  GL_RENDERBUFFER, renderbuffer);
        // Rows are stored top first in a texture target, so the viewport counts from the top.
        glViewport(static_cast<GLint>(vp.x), static_cast<GLint>(vp.y), static_cast<GLsizei>(vp.width),
                   static_cast<GLsizei>(vp.height));
    }
    glDepthRange(vp.minZ, vp.maxZ);
}

Result GlDevice::ReadTarget(const Surface& renderTarget, Surface& destination) {
    auto* pixels = destination.Pixels();
    if (renderTarget.GetKind() == Surface::Kind::BackBuffer)
        return ReadBackBuffer(0, 0, destination.Width(), destination.Height(), reinterpret_cast<uint32_t*>(pixels));
    GlFormat f = ToGlFormat(renderTarget.GetFormat());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_readFramebuffer);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, renderTarget.Target()->Native(),
                           static_cast<GLint>(renderTarget.Level()));
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // Texture targets hold their top row first, as the game counts rows.
    glReadPixels(0, 0, static_cast<GLsizei>(destination.Width()), static_cast<GLsizei>(destination.Height()), f.format,
                 f.type, pixels);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, ColourTarget() ? m_framebuffer : 0);
    return glGetError() == GL_NO_ERROR ? OK : ERR_INVALIDCALL;
}

void GlDevice::UseProgram(const GlProgram* program) {
    m_program = program;
    glUseProgram(program ? program->name : 0);
}

void GlDevice::ApplyDrawStates() {
    auto state = [this](RenderState s) { return RenderStateValue(s); };
    if (state(RS_ZENABLE)) glEnable(GL_DEPTH_TEST);
    else glDisable(GL_DEPTH_TEST);
    glDepthMask(state(RS_ZWRITEENABLE) ? GL_TRUE : GL_FALSE);
    glDepthFunc(ToGlCompare(state(RS_ZFUNC)));
    if (state(RS_ALPHABLENDENABLE)) glEnable(GL_BLEND);
    else glDisable(GL_BLEND);
    glBlendFunc(ToGlBlend(state(RS_SRCBLEND)), ToGlBlend(state(RS_DESTBLEND)));
    glBlendEquation(ToGlBlendOp(state(RS_BLENDOP)));
    glPolygonMode(GL_FRONT_AND_BACK, state(RS_FILLMODE) == FILL_WIREFRAME ? GL_LINE
                                     : state(RS_FILLMODE) == FILL_POINT   ? GL_POINT
                                                                          : GL_FILL);
    uint32_t cull = state(RS_CULLMODE);
    if (cull == CULL_CW || cull == CULL_CCW) {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        // The game's front faces wind clockwise on screen; a flipped target mirrors the winding.
        bool cullCounterClockwise = (cull == CULL_CCW) != FlippedTarget();
        glFrontFace(cullCounterClockwise ? GL_CW : GL_CCW);
    } else {
        glDisable(GL_CULL_FACE);
    }
    if (m_program->flipY >= 0) glUniform1f(m_program->flipY, FlippedTarget() ? -1.0f : 1.0f);
    if (m_program->alphaTestOn >= 0) glUniform1i(m_program->alphaTestOn, state(RS_ALPHATESTENABLE) ? 1 : 0);
    if (m_program->alphaRef >= 0) glUniform1f(m_program->alphaRef, static_cast<float>(state(RS_ALPHAREF) & 0xFF));
    if (m_program->alphaFunc >= 0) glUniform1i(m_program->alphaFunc, static_cast<GLint>(state(RS_ALPHAFUNC)));
}

void GlDevice::ApplySamplers() {
    for (uint32_t unit = 0; unit < kMaxSamplers; ++unit) {
        const BaseTexture* texture = BoundTexture(unit);
        if (!texture) continue;
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(texture->GetType() == RTYPE_CUBETEXTURE ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D, texture->Native());
        GLuint sampler = m_samplers[unit];
        glBindSampler(unit, sampler);
        uint32_t mip = texture->GetLevelCount() > 1 ? SamplerStateValue(unit, SAMP_MIPFILTER) : TEXF_NONE;
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, ToGlMinFilter(SamplerStateValue(unit, SAMP_MINFILTER), mip));
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER,
                            SamplerStateValue(unit, SAMP_MAGFILTER) == TEXF_POINT ? GL_NEAREST : GL_LINEAR);
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, ToGlWrap(SamplerStateValue(unit, SAMP_ADDRESSU)));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, ToGlWrap(SamplerStateValue(unit, SAMP_ADDRESSV)));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, ToGlWrap(SamplerStateValue(unit, SAMP_ADDRESSW)));
    }
    glActiveTexture(GL_TEXTURE0);
}

void GlDevice::ApplyVertexLayout(uint32_t extraOffset) {
    glBindBuffer(GL_ARRAY_BUFFER, Bound(ResourceLedger::SLOT_STREAM)->Native());
    bool used[kAttributeLocations] = {};
    for (const VertexElement& e : VertexElements()) {
        GLuint location = AttributeLocation(e);
        used[location] = true;
        auto offset = reinterpret_cast<const void*>(uintptr_t{StreamOffset()} + extraOffset + e.offset);
        auto stride = static_cast<GLsizei>(StreamStride());
        switch (e.type) {
            case DECLTYPE_D3DCOLOR: glVertexAttribPointer(location, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, offset); break;
            case DECLTYPE_UBYTE4: glVertexAttribPointer(location, 4, GL_UNSIGNED_BYTE, GL_FALSE, stride, offset); break;
            default: glVertexAttribPointer(location, e.type - DECLTYPE_FLOAT1 + 1, GL_FLOAT, GL_FALSE, stride, offset);
        }
        glEnableVertexAttribArray(location);
    }
    for (GLuint location = 0; location < kAttributeLocations; ++location)
        if (!used[location]) glDisableVertexAttribArray(location);
}

bool GlDevice::PrepareDraw() {
    if (!m_program || VertexElements().empty()) return false;
    ApplyDrawStates();
    ApplySamplers();
    ApplyVertexLayout(0);
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
    if (PrepareDraw())
        glDrawArrays(ToGlPrimitive(type), static_cast<GLint>(startVertex), VertexCount(type, primitiveCount));
    if (fixed) m_fixedFunction->End();
}

void GlDevice::DrawIndexed(PrimitiveType type, int32_t baseVertex, uint32_t startIndex, uint32_t primitiveCount) {
    bool fixed = BeginFixedFunction();
    if (PrepareDraw()) {
        auto* indices = static_cast<const IndexBuffer*>(Bound(ResourceLedger::SLOT_INDICES));
        bool wide = indices->GetFormat() == FMT_INDEX32;
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices->Native());
        auto offset = reinterpret_cast<const void*>(uintptr_t{startIndex} * (wide ? 4 : 2));
        glDrawElementsBaseVertex(ToGlPrimitive(type), VertexCount(type, primitiveCount),
                                 wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, offset, baseVertex);
    }
    if (fixed) m_fixedFunction->End();
}

void GlDevice::WriteBackBuffer(int32_t x, int32_t y, uint32_t width, uint32_t height, const uint32_t* argb,
                               uint32_t pitchPixels) {
    // The pixels go through a scratch texture and a blit; the picture's top row lands at y.
    GLuint scratch = 0;
    glGenTextures(1, &scratch);
    glBindTexture(GL_TEXTURE_2D, scratch);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(pitchPixels));
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, argb);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_readFramebuffer);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, scratch, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(m_window->sdlWindow, &w, &h);
    auto X = [](int64_t v) { return static_cast<GLint>(v); };
    glBlitFramebuffer(0, 0, X(width), X(height), X(x), X(h - y), X(x + int64_t{width}), X(h - y - int64_t{height}),
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, ColourTarget() ? m_framebuffer : 0);
    glDeleteTextures(1, &scratch);
}

void GlDevice::ApplyGammaRamp(const GammaRamp& ramp) {
    // Offscreen and some window systems have no ramp; the game carries on with the display's own.
    SDL_SetWindowGammaRamp(m_window->sdlWindow, ramp.red, ramp.green, ramp.blue);
}

Result GlDevice::Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) {
    GLbitfield mask = 0;
    if (flags & CLEAR_TARGET) {
        glClearColor(((colour >> 16) & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f, (colour & 0xFF) / 255.0f,
                     ((colour >> 24) & 0xFF) / 255.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & CLEAR_ZBUFFER) {
        glClearDepth(z);
        glDepthMask(GL_TRUE);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & CLEAR_STENCIL) {
        glClearStencil(static_cast<GLint>(stencil));
        glStencilMask(0xFF);
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    // A clear covers the viewport only.
    const Viewport& vp = m_viewport;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glEnable(GL_SCISSOR_TEST);
    glScissor(viewport[0], viewport[1], static_cast<GLsizei>(vp.width), static_cast<GLsizei>(vp.height));
    glClear(mask);
    glDisable(GL_SCISSOR_TEST);
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
        glBindRenderbuffer(GL_RENDERBUFFER, m_presentedColour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
        glBindFramebuffer(GL_FRAMEBUFFER, m_presentedFramebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_presentedColour);
        m_presentedWidth = w;
        m_presentedHeight = h;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_presentedFramebuffer);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, ColourTarget() ? m_framebuffer : 0);
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
        glBindFramebuffer(GL_READ_FRAMEBUFFER, m_presentedFramebuffer);
    } else {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // GL counts rows from the bottom; BGRA read as packed 32-bit words is ARGB on every host.
    glReadPixels(static_cast<GLint>(x), h - static_cast<GLint>(y + height), static_cast<GLsizei>(width),
                 static_cast<GLsizei>(height), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb);
    for (uint32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(argb + top * width, argb + (top + 1) * width, argb + bottom * width);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, ColourTarget() ? m_framebuffer : 0);
    return glGetError() == GL_NO_ERROR ? OK : ERR_INVALIDCALL;
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
