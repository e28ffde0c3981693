#include "platform/math/Vec3.h"

#include <cmath>

#include "platform/math/Matrix.h"

namespace pmath {

float Length(const Vec3& v) { return std::sqrt(Dot(v, v)); }

Vec3 Normalize(const Vec3& v) {
    const float length = Length(v);
    if (length == 0.0f) return {};
    return v * (1.0f / length);
}

Vec4 Transform(const Vec3& v, const Matrix& m) {
    const auto& r = m.m;
    return {v.x * r[0][0] + v.y * r[1][0] + v.z * r[2][0] + r[3][0],
            v.x * r[0][1] + v.y * r[1][1] + v.z * r[2][1] + r[3][1],
            v.x * r[0][2] + v.y * r[1][2] + v.z * r[2][2] + r[3][2],
            v.x * r[0][3] + v.y * r[1][3] + v.z * r[2][3] + r[3][3]};
}

Vec3 TransformPoint(const Vec3& v, const Matrix& m) {
    const Vec4 h = Transform(v, m);
    if (h.w == 0.0f) return {h.x, h.y, h.z};
    const float inv = 1.0f / h.w;
    return {h.x * inv, h.y * inv, h.z * inv};
}

Vec3 TransformDirection(const Vec3& v, const Matrix& m) {
    const auto& r = m.m;
    return {v.x * r[0][0] + v.y * r[1][0] + v.z * r[2][0],
            v.x * r[0][1] + v.y * r[1][1] + v.z * r[2][1],
            v.x * r[0][2] + v.y * r[1][2] + v.z * r[2][2]};
}

}  // namespace pmath
