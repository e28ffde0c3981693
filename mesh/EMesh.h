#pragma once
// The static mesh of an engine object.
#include <cstdint>

class EObjectSlot;

class EMesh {
public:
    EObjectSlot* m_hObject = nullptr;
    char m_szFileName[256] = {};
    // The loaded video mesh; null when none was loaded, and then nothing is drawn.
    void* m_pVideoMesh = nullptr;
    // The level of detail selected and the number of faces it displays.
    int32_t m_iLodSet = 0;
    int32_t m_iDisplayedFaces = 0;
};
