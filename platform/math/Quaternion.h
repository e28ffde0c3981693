#pragma once
// Rotation quaternions x, y, z, w whose products read like the matrices': Multiply(a, b) is the
// rotation of a followed by that of b.
#include "platform/math/Matrix.h"
#include "platform/math/Vec3.h"

namespace pmath {

struct Quaternion {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;
};

Quaternion Multiply(const Quaternion& a, const Quaternion& b);
// Rotation by angle (radians) about axis (any length; it is normalised).
Quaternion QuaternionFromAxisAngle(const Vec3& axis, float angle);
// Roll about z first, then pitch about x, then yaw about y.
Quaternion QuaternionFromYawPitchRoll(float yaw, float pitch, float roll);
// Spherical interpolation from a (t = 0) to b (t = 1) along the shorter arc; nearly equal
// quaternions are blended linearly.
Quaternion Slerp(const Quaternion& a, const Quaternion& b, float t);

// The rotation of a unit quaternion as a matrix (row 3 and column 3 of the identity).
Matrix MatrixFromQuaternion(const Quaternion& q);
// Scaling by scale, then the rotation, then the translation: S * R * T.
Matrix MatrixFromTransformation(const Vec3& scale, const Quaternion& rotation, const Vec3& translation);
// The unit quaternion of the rotation in the upper 3 x 3 part of m.
Quaternion QuaternionFromMatrix(const Matrix& m);

}  // namespace pmath
