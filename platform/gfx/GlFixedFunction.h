#pragma once
// The GL backend's stand-in for the fixed-function pipeline: a built-in effect pass that draws
// while no effect pass of the game runs.
#include <memory>
#include <vector>

#include "platform/gfx/GfxTypes.h"
#include "platform/math/Matrix.h"

namespace gfx {

class BaseTexture;
class Effect;
class GlDevice;
struct VertexElement;

// What a draw without an effect takes from the device.
struct FixedFunctionInputs {
    const std::vector<VertexElement>* elements;
    pmath::Matrix transform;  // world x view x projection
    Viewport viewport;
    const BaseTexture* texture;  // on stage 0, or null
    // Stage 0: colour operation and arguments, then alpha operation and arguments.
    uint32_t stage[6];
};

class GlFixedFunction {
public:
    explicit GlFixedFunction(GlDevice& device);
    ~GlFixedFunction();
    // Starts the pass for one draw; false when it cannot run (the draw is then left out).
    bool Begin(const FixedFunctionInputs& inputs);
    void End();

private:
    std::unique_ptr<Effect> m_effect;
    const void* m_transform = nullptr;
    const void* m_viewport = nullptr;
    const void* m_pretransformed = nullptr;
    const void* m_hasColour = nullptr;
    const void* m_hasTexture = nullptr;
    const void* m_texture = nullptr;
    const void* m_stage[6] = {};
};

}  // namespace gfx
