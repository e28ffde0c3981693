#pragma once
// The fixed-function material of a drawn subset: four colours and the specular power.
namespace gfx {

struct ColorValue {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;
};

struct Material {
    ColorValue Diffuse;
    ColorValue Ambient;
    ColorValue Specular;
    ColorValue Emissive;
    float Power = 0.0f;
};

}  // namespace gfx
