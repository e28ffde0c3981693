#pragma once
// Field models for tests: text .x quads and boxes that segments can hit.
#include <cstdio>
#include <string>

#include "core/DV.h"

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

// A text .x box from lo to hi (12 triangles).
inline std::string BoxModel(DV lo, DV hi) {
    char text[1024];
    std::snprintf(text, sizeof text,
                  "xof 0303txt 0032\nMesh {\n 8;\n"
                  " %g;%g;%g;, %g;%g;%g;, %g;%g;%g;, %g;%g;%g;,\n"
                  " %g;%g;%g;, %g;%g;%g;, %g;%g;%g;, %g;%g;%g;;\n"
                  " 12;\n 3;0,2,1;, 3;0,3,2;, 3;4,5,6;, 3;4,6,7;, 3;0,1,5;, 3;0,5,4;,\n"
                  " 3;2,3,7;, 3;2,7,6;, 3;1,2,6;, 3;1,6,5;, 3;0,4,7;, 3;0,7,3;;\n}\n",
                  lo.x, lo.y, lo.z, hi.x, lo.y, lo.z, hi.x, hi.y, lo.z, lo.x, hi.y, lo.z,  //
                  lo.x, lo.y, hi.z, hi.x, lo.y, hi.z, hi.x, hi.y, hi.z, lo.x, hi.y, hi.z);
    return text;
}

}  // namespace test
