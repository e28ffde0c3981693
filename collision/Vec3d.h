#pragma once
// A vector of doubles for the rigid-body state and its contacts.
#include <cmath>

#include "core/DV.h"

struct Vec3d {
    double x = 0, y = 0, z = 0;

    Vec3d& operator+=(const Vec3d& o) {
        x += o.x, y += o.y, z += o.z;
        return *this;
    }
    Vec3d& operator-=(const Vec3d& o) {
        x -= o.x, y -= o.y, z -= o.z;
        return *this;
    }
    double* data() { return &x; }
    const double* data() const { return &x; }
};

inline Vec3d operator+(Vec3d a, const Vec3d& b) { return a += b; }
inline Vec3d operator-(Vec3d a, const Vec3d& b) { return a -= b; }
inline Vec3d operator-(const Vec3d& a) { return {-a.x, -a.y, -a.z}; }
inline Vec3d operator*(const Vec3d& a, double k) { return {a.x * k, a.y * k, a.z * k}; }
inline Vec3d operator*(double k, const Vec3d& a) { return a * k; }
inline double Dot(const Vec3d& a, const Vec3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3d Cross(const Vec3d& a, const Vec3d& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(const Vec3d& a) { return std::sqrt(Dot(a, a)); }
inline Vec3d ToVec3d(const DV& v) { return {v.x, v.y, v.z}; }
inline DV ToDV(const Vec3d& v) { return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)}; }
// m * v for a row-major 3 x 3 matrix.
inline Vec3d Transform(const double* m, const Vec3d& v) {
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
            m[6] * v.x + m[7] * v.y + m[8] * v.z};
}
