#include "platform/gfx/GlSystem.h"

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include "platform/os/Window.h"
#include "platform/os/WindowRecord.h"

namespace gfx {

GlDevice::GlDevice(plat::WindowHandle window, SDL_GLContext context, const PresentParameters& parameters)
    : m_window(window), m_context(context) {
    m_parameters = parameters;
    FitWindow();
}

GlDevice::~GlDevice() {
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

Result GlDevice::TestCooperativeLevel() { return OK; }

Result GlDevice::Reset(const PresentParameters& parameters) {
    m_parameters = parameters;
    FitWindow();
    return OK;
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

Result GlSystem::GetAdapterDisplayMode(DisplayMode& mode) {
    SDL_DisplayMode desktop{};
    if (!plat::StartSdlVideo() || SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
        mode = DisplayMode{1024, 768, 60, FMT_X8R8G8B8};
        return OK;
    }
    mode = DisplayMode{static_cast<uint32_t>(desktop.w), static_cast<uint32_t>(desktop.h),
                       static_cast<uint32_t>(desktop.refresh_rate), FMT_X8R8G8B8};
    return OK;
}

Result GlSystem::GetAdapterIdentifier(AdapterIdentifier& identifier) {
    identifier.driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "unknown";
    identifier.description = "OpenGL 3.3 core";
    return OK;
}

Result GlSystem::CheckDeviceFormat(Format, Format format) {
    switch (format) {
        case FMT_D16: case FMT_D24X8: case FMT_D24S8: case FMT_D32:
        case FMT_A8R8G8B8: case FMT_X8R8G8B8: case FMT_R32F:
            return OK;
        default:
            return ERR_NOTAVAILABLE;
    }
}

Result GlSystem::CheckDepthStencilMatch(Format, Format, Format depthFormat) {
    return CheckDeviceFormat(FMT_X8R8G8B8, depthFormat);
}

Result GlSystem::CreateDevice(plat::WindowHandle window, uint32_t, const PresentParameters& parameters,
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
    device = std::make_unique<GlDevice>(window, context, parameters);
    return OK;
}

}  // namespace gfx
