#pragma once
// Field models for tests: text .x quads that segments can hit.
#include <cstdio>
#include <string>

namespace test {

// One quad facing up from (x0, y0, z0) to (x1, y1, z1), rising along x when the heights differ,
// textured with the texture named.
inline std::string QuadModel(float x0, float z0, float x1, float z1, float y0, float y1, const char* texture) {
    char text[768];
    std::snprintf(text, sizeof text,
                  "xof 0303txt 0032\nMesh {\n 4;\n %g;%g;%g;, %g;%g;%g;, %g;%g;%g;, %g;%g;%g;;\n 2;\n 3;0,1,2;, 3;0,2,3;;\n"
                  " MeshMaterialList {\n  1;\n  2;\n  0,0;;\n"
                  "  Material { 1.0;1.0;1.0;1.0;; 8.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"%s\"; } }\n"
                  " }\n}\n",
                  x0, y0, z0, x0, y0, z1, x1, y1, z1, x1, y1, z0, texture);
    return text;
}

}  // namespace test
