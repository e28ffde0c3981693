#pragma once
// The camera: where the view is and where it looks.
#include "core/DV.h"

class ECamera {
public:
    virtual ~ECamera() = default;

    DV m_vPosition;
    // Unit length.
    DV m_vDirection{0, 0, 1};
};

extern ECamera g_Camera;
