// Effect files parsed and built as effects of the null device.
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "platform/gfx/Effect.h"
#include "platform/gfx/NullSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("effect.fx", data, size);
    static gfx::NullDevice device(gfx::PresentParameters{}, 0);
    std::unique_ptr<gfx::Effect> effect;
    std::string errors;
    if (gfx::CreateEffectFromFile(device, "effect.fx", 0, effect, &errors) != gfx::OK) return 0;
    for (const gfx::EffectParameterDesc& parameter : effect->Desc().parameters) gfx::GlslType(parameter);
    return 0;
}
