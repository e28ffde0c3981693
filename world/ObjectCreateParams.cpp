#include "world/ObjectCreateParams.h"

#include <numbers>

#include "world/EObjectSlot.h"

void ObjectCreateParams::Reset() {
    m_bKind = OT_MESH;
    m_uFlags = kDefaultObjectFlags;
    m_uFlags2 = 0;
    m_uFlags3 = 0;
    m_szFileName[0] = 0;
    m_vPosition = DV{};
    m_vScaling = DV{1, 1, 1};
    m_Orientation = EOrientation::EOrientationFromYawPitchRoll(0, 0, 0);
    m_fLightRange = kDefaultLightRange;
    m_fLightValue = 2.0f;
    m_fLightValues[0] = 0;
    m_fLightValues[1] = -1.0f;
    m_fLightValues[2] = 0;
    m_fLightValues[3] = std::numbers::pi_v<float> / 2;
    m_fViewDistance = 0;
}
