#pragma once
// The console on screen: the open console (its half-screen background and frame, the newest
// lines, the input line and the version), the closed console's newest lines, and the loading
// screen's picture, progress bar and texts. It owns the console's screen quads and buffers.
#include <cstdint>
#include <memory>

#include "core/ConsoleView.h"
#include "platform/gfx/Device.h"
#include "render/ERect.h"

class EConsoleView : public ConsoleView {
public:
    static constexpr uint32_t kLineVertexFormat = 0x44;  // position with reciprocal w, colour
    static constexpr uint32_t kLineVertexSize = 20;
    static constexpr uint32_t kBarVertices = 8;
    static constexpr uint32_t kProgressVertices = 12;

    void CreateBar() override;
    void ReleaseBar() override;
    void DrawConsole(const EConsole& console) override;
    void CreateLoadingQuads(const char* picture) override;
    void ReleaseProgressBar() override;
    void ReleaseTextBox() override;
    void BeginLoadingFrame() override;
    void EndLoadingFrame() override;
    void DrawTextBox() override;
    void DrawProgressBar(float fraction) override;
    void PrintText(const char* text, float x, float y, uint32_t colour, float size) override;

    ERect m_Background;
    std::unique_ptr<gfx::VertexBuffer> m_pVConsoleBar;
    ERect m_TextBox;
    ERect m_ProgressQuad;
    std::unique_ptr<gfx::VertexBuffer> m_pProgressBarVB;

private:
    void DrawOpen(const EConsole& console);
    void DrawClosed(const EConsole& console);
};

extern EConsoleView g_ConsoleView;
