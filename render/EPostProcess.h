#pragma once
// Post-processing: the full-screen bloom. While it is on, the frame draws the 3-D scene into a
// texture; at the end of the scene that picture is filtered (down-filter, bright pass, blur one
// way and the other, combine) and drawn to the back buffer through the effect "dof".
#include <cstdint>
#include <memory>

#include "platform/gfx/Device.h"
#include "platform/gfx/Effect.h"

class EPostProcess {
public:
    // The screen quad's vertex: position in pixels, a camera-relative far-plane corner, texture
    // coordinates.
    struct Vertex {
        float position[4];
        float farCorner[4];
        float uv[2];
    };

    EPostProcess();
    virtual ~EPostProcess();

    // World or menu start: the vertex layout and the targets.
    void Create();
    // The targets and the effect's parameters, made after the old ones are released.
    void CreateResources();
    // Redirects the frame's drawing into the capture target (from the level start's end on).
    void BeginCapture();
    void EndCapture();
    // The bloom chain, then the result to the back buffer.
    void Render();
    void Update() {}
    void ReleaseTargets();
    // World end and menu exit: the layout goes and post-processing stops.
    void ReleaseDecl();
    // Around a device reset: the targets are released, then the resources created again.
    void OnLostDevice() { ReleaseTargets(); }
    void OnResetDevice();

    gfx::Effect* m_pEffect = nullptr;
    gfx::FxHandle m_hBloomCone = nullptr, m_hBloomPower = nullptr, m_hSceneColor = nullptr, m_hBloomBlur = nullptr;
    gfx::FxHandle m_hFilterTaps = nullptr, m_hViewportScale = nullptr, m_hViewportBias = nullptr;
    gfx::FxHandle m_hDownFilter = nullptr, m_hBrightPass = nullptr, m_hBloomHorizontal = nullptr;
    gfx::FxHandle m_hBloomVertical = nullptr, m_hCombine = nullptr, m_hToScreen = nullptr;
    std::unique_ptr<gfx::Texture> MainTex, TargetTex, BloomTex[2], BloomTex2, BloomTex3;
    std::unique_ptr<gfx::Surface> MainSurf, TargetSurf, BloomSurf[2], BloomSurf2, BloomSurf3;
    std::unique_ptr<gfx::Surface> m_pSavedTarget;
    uint32_t m_uScreenWidth = 0;
    uint32_t m_uScreenHeight = 0;
    // Set by the sky's time of day, the console and the world.
    float m_fBloomCone;
    float m_fBloomPower;
    Vertex m_Quad[4] = {};
    std::unique_ptr<gfx::VertexBuffer> m_pQuadBuffer;
    std::unique_ptr<gfx::VertexDeclaration> m_pVertDecl;
    bool m_bCreated = false;
    // Resources are made once per world: a target that cannot be made is not asked for again
    // every frame.
    bool m_bResourcesTried = false;

private:
    // Capture and bloom wait until the level start has passed; nothing is done in wireframe.
    bool Capturing() const;
    void RenderBloom();
    void RenderToScreen();
    // One filter step: a technique from one texture into a target.
    void FilterInto(gfx::Surface* target, gfx::FxHandle technique, const gfx::BaseTexture* source);
    void DrawQuad();
    void UpdateFarCorners();
};

extern EPostProcess g_PostProcess;
