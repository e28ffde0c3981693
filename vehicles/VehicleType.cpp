#include "vehicles/VehicleType.h"

#include <cstring>

void VehicleType::Reset() {
    std::memset(this, 0, sizeof *this);
    for (float& a : m_fWheelA) a = 0.5f;
    m_fDriverScale = 1.0f;
    m_fPhysicsScaleX = m_fPhysicsScaleY = m_fPhysicsScaleZ = 1.0f;
    m_fPhysicsOffsetUp = 1.5f;
    m_fStiffness = 10.0f;
    m_fMass = 800.0f;
}
