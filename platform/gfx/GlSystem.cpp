#include "platform/gfx/GlSystem.h"

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <utility>

#include "platform/os/Window.h"
#include "platform/os/WindowRecord.h"

namespace gfx {
namespace {

// A buffer object in the device's context.
class GlVertexBuffer final : public VertexBuffer {
public:
    GlVertexBuffer(std::shared_ptr<ResourceLedger> ledger, Pool pool, uint32_t length, uint32_t usage, uint32_t fvf)
        : VertexBuffer(std::move(ledger), pool, length, usage, fvf) {
        glGenBuffers(1, &m_name);
        glBindBuffer(GL_ARRAY_BUFFER, m_name);
        glBufferData(GL_ARRAY_BUFFER, length, nullptr, (usage & USAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    ~GlVertexBuffer() override {
        // With the device gone its context went too, and the name with it.
        if (DeviceAlive()) glDeleteBuffers(1, &m_name);
    }

private:
    GLuint m_name = 0;
};

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
}

GlDevice::~GlDevice() {
    // Buffers that outlive the device must not touch the context deleted here.
    m_ledger->deviceAlive = false;
    if (m_context) SDL_GL_DeleteContext(m_context);
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
    return std::make_unique<GlVertexBuffer>(m_ledger, pool, length, usage, fvf);
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
    glClear(mask);
    return OK;
}

Result GlDevice::BeginScene() {
    if (m_inScene) return ERR_INVALIDCALL;
    m_inScene = true;
    return OK;
}

Result GlDevice::EndScene() {
    if (!m_inScene) return ERR_INVALIDCALL;
    m_inScene = false;
    return OK;
}

Result GlDevice::Present() {
    if (m_inScene) return ERR_INVALIDCALL;
    SDL_GL_SwapWindow(m_window->sdlWindow);
    return OK;
}

Result GlDevice::ReadBackBuffer(uint32_t x, uint32_t y, uint32_t width, uint32_t height, uint32_t* argb) {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(m_window->sdlWindow, &w, &h);
    if (!argb || x + width > static_cast<uint32_t>(w) || y + height > static_cast<uint32_t>(h))
        return ERR_INVALIDCALL;
    if (width == 0 || height == 0) return OK;
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // GL counts rows from the bottom; BGRA read as packed 32-bit words is ARGB on every host.
    glReadPixels(static_cast<GLint>(x), h - static_cast<GLint>(y + height), static_cast<GLsizei>(width),
                 static_cast<GLsizei>(height), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb);
    for (uint32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(argb + top * width, argb + (top + 1) * width, argb + bottom * width);
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
