#pragma once
// One console line formatted from values, for the skinned-mesh code's messages.

void SkinMeshPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
