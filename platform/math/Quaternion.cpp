#include "platform/math/Quaternion.h"

#include <cmath>

namespace pmath {

Quaternion Multiply(const Quaternion& a, const Quaternion& b) {
    // The Hamilton product b a, so that a's rotation comes first.
    return {b.w * a.x + b.x * a.w + b.y * a.z - b.z * a.y,
            b.w * a.y - b.x * a.z + b.y * a.w + b.z * a.x,
            b.w * a.z + b.x * a.y - b.y * a.x + b.z * a.w,
            b.w * a.w - b.x * a.x - b.y * a.y - b.z * a.z};
}

Quaternion QuaternionFromAxisAngle(const Vec3& axis, float angle) {
    const Vec3 v = Normalize(axis);
    const float s = std::sin(angle * 0.5f);
    return {v.x * s, v.y * s, v.z * s, std::cos(angle * 0.5f)};
}

Quaternion QuaternionFromYawPitchRoll(float yaw, float pitch, float roll) {
    const float sy = std::sin(yaw * 0.5f), cy = std::cos(yaw * 0.5f);
    const float sp = std::sin(pitch * 0.5f), cp = std::cos(pitch * 0.5f);
    const float sr = std::sin(roll * 0.5f), cr = std::cos(roll * 0.5f);
    return {sy * cp * sr + cy * sp * cr,
            sy * cp * cr - cy * sp * sr,
            cy * cp * sr - sy * sp * cr,
            cy * cp * cr + sy * sp * sr};
}

Quaternion Slerp(const Quaternion& a, const Quaternion& b, float t) {
    float cosine = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    // q and -q are the same rotation: go the shorter way round.
    float sign = 1.0f;
    if (cosine < 0.0f) {
        sign = -1.0f;
        cosine = -cosine;
    }
    float wa = 1.0f - t;
    float wb = t;
    // Below this separation sin(theta) is too small to divide by; linear weights are exact enough.
    if (1.0f - cosine > 0.001f) {
        const float theta = std::acos(cosine);
        const float sinTheta = std::sin(theta);
        wa = std::sin(theta * (1.0f - t)) / sinTheta;
        wb = std::sin(theta * t) / sinTheta;
    }
    wb *= sign;
    return {wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z, wa * a.w + wb * b.w};
}

Matrix MatrixFromQuaternion(const Quaternion& q) {
    Matrix r = Identity();
    r.m[0][0] = 1.0f - 2.0f * (q.y * q.y + q.z * q.z);
    r.m[0][1] = 2.0f * (q.x * q.y + q.z * q.w);
    r.m[0][2] = 2.0f * (q.x * q.z - q.y * q.w);
    r.m[1][0] = 2.0f * (q.x * q.y - q.z * q.w);
    r.m[1][1] = 1.0f - 2.0f * (q.x * q.x + q.z * q.z);
    r.m[1][2] = 2.0f * (q.y * q.z + q.x * q.w);
    r.m[2][0] = 2.0f * (q.x * q.z + q.y * q.w);
    r.m[2][1] = 2.0f * (q.y * q.z - q.x * q.w);
    r.m[2][2] = 1.0f - 2.0f * (q.x * q.x + q.y * q.y);
    return r;
}

Matrix MatrixFromTransformation(const Vec3& scale, const Quaternion& rotation, const Vec3& translation) {
    Matrix r = MatrixFromQuaternion(rotation);
    const float s[3] = {scale.x, scale.y, scale.z};
    for (int row = 0; row < 3; ++row)
        for (int c = 0; c < 3; ++c) r.m[row][c] *= s[row];
    r.m[3][0] = translation.x;
    r.m[3][1] = translation.y;
    r.m[3][2] = translation.z;
    return r;
}

Quaternion QuaternionFromMatrix(const Matrix& matrix) {
    const auto& m = matrix.m;
    const float trace = m[0][0] + m[1][1] + m[2][2];
    if (trace > 0.0f) {
        const float s = 2.0f * std::sqrt(trace + 1.0f);  // 4 w
        return {(m[1][2] - m[2][1]) / s, (m[2][0] - m[0][2]) / s, (m[0][1] - m[1][0]) / s, 0.25f * s};
    }
    // Otherwise build from the largest diagonal element, where the square root is well away from 0.
    if (m[0][0] >= m[1][1] && m[0][0] >= m[2][2]) {
        const float s = 2.0f * std::sqrt(1.0f + m[0][0] - m[1][1] - m[2][2]);  // 4 x
        return {0.25f * s, (m[0][1] + m[1][0]) / s, (m[0][2] + m[2][0]) / s, (m[1][2] - m[2][1]) / s};
    }
    if (m[1][1] >= m[2][2]) {
        const float s = 2.0f * std::sqrt(1.0f + m[1][1] - m[0][0] - m[2][2]);  // 4 y
        return {(m[0][1] + m[1][0]) / s, 0.25f * s, (m[1][2] + m[2][1]) / s, (m[2][0] - m[0][2]) / s};
    }
    const float s = 2.0f * std::sqrt(1.0f + m[2][2] - m[0][0] - m[1][1]);  // 4 z
    return {(m[0][2] + m[2][0]) / s, (m[1][2] + m[2][1]) / s, 0.25f * s, (m[0][1] - m[1][0]) / s};
}

}  // namespace pmath
