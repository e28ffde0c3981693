#pragma once
// Three- and four-component float vectors laid out as x, y, z (, w), the layout the game's
// vector type and every vertex format rely on. Points are row vectors: they are multiplied on
// the left of a matrix whose row 3 holds the translation.
namespace pmath {

struct Matrix;

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vec3& operator+=(const Vec3& o) { x += o.x; y += o.y; z += o.z; return *this; }
    Vec3& operator-=(const Vec3& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
    Vec3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
};

struct Vec4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;
};

inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator-(const Vec3& a) { return {-a.x, -a.y, -a.z}; }
inline Vec3 operator*(const Vec3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(float s, const Vec3& a) { return a * s; }
inline bool operator==(const Vec3& a, const Vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

inline float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Length(const Vec3& v);
// v divided by its length; the zero vector stays zero.
Vec3 Normalize(const Vec3& v);

// (v, 1) * m, divided by the resulting w (a projected point; w = 0 leaves the undivided result).
Vec3 TransformPoint(const Vec3& v, const Matrix& m);
// (v, 0) * m: the 3 x 3 part only, no translation.
Vec3 TransformDirection(const Vec3& v, const Matrix& m);
// (v, 1) * m with its w kept.
Vec4 Transform(const Vec3& v, const Matrix& m);

}  // namespace pmath
