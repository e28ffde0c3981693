#pragma once
// The three-float vector of positions, directions, sizes and colours (x, y, z; colours as red,
// green, blue in 0..1). A plain value laid out like the D3DX three-component vector.

struct DV {
    float x = 0;
    float y = 0;
    float z = 0;
};
