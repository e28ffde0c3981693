#pragma once
// The orientation of an object, kept at once as a unit quaternion, as its rotation matrix and as
// the object's three axes, so that renderers, movement and blending each read the form they need.
// A plain value: cheap to make, copied by assignment.
#include <cstddef>
#include <cstdint>

#include "core/DV.h"
#include "platform/math/Matrix.h"
#include "platform/math/Quaternion.h"

class EOrientation {
public:
    EOrientation();
    ~EOrientation() = default;

    static EOrientation EOrientationFromDirection(const DV* direction);
    static EOrientation EOrientationFromYawPitchRoll(float yaw, float pitch, float roll);

    void SetDirection(const DV* direction);
    void SetDirectionUp(const DV* direction, const DV* up);
    void SetQuaternion(const pmath::Quaternion* quaternion);
    void SetYawPitchRoll(float yaw, float pitch, float roll);
    // This rotation followed by other.
    void Multiply(const pmath::Quaternion* other);
    // Turns about a world-space axis after the current rotation.
    void RotateAxis(const DV* axis, float angle);
    void Slerp(const EOrientation* other, float t);
    // Each angle in 0..2 pi; writes nothing unless all three pointers are given.
    void GetYawPitchRoll(float* pitch, float* yaw, float* roll) const;
    // Matrix and axes from the quaternion.
    void UpdateMatrix();

    pmath::Quaternion m_Quaternion;
    pmath::Matrix m_Matrix;
    DV m_Front;  // local z: row 2
    DV m_Side;   // local x: row 0
    DV m_Up;     // local y: row 1

private:
    void Aim(const DV& direction, const DV& upHint);
};

// The binary form in save files: quaternion (x, y, z, w), the matrix row by row, then front, side
// and up, 29 little-endian floats.
constexpr std::size_t kOrientationBytes = 116;
void OrientationToBytes(const EOrientation& orientation, uint8_t* out);
EOrientation OrientationFromBytes(const uint8_t* in);
