#pragma once
// 4 x 4 float matrices for row vectors in a left-handed frame: a point p becomes p * M, row 3
// holds the translation, A * B applies A first, and projections map depth to 0..1.
#include "platform/math/Vec3.h"

namespace pmath {

struct Matrix {
    float m[4][4] = {};
};

Matrix Identity();
// The product a * b: the transformation of a followed by that of b.
Matrix operator*(const Matrix& a, const Matrix& b);

// Rotation by angle (radians) about axis (any length), clockwise when looking along the axis
// towards the origin, as a left-handed frame turns.
Matrix MatrixFromAxisAngle(const Vec3& axis, float angle);
// Roll about z first, then pitch about x, then yaw about y.
Matrix MatrixFromYawPitchRoll(float yaw, float pitch, float roll);

// View matrix of an eye at eye looking at at, with up giving the upward direction.
Matrix LookAtLH(const Vec3& eye, const Vec3& at, const Vec3& up);
// Orthographic projection of a width x height view volume, depth zNear..zFar to 0..1.
Matrix OrthoLH(float width, float height, float zNear, float zFar);
// Perspective projection with vertical field of view fovY (radians), aspect = width / height.
Matrix PerspectiveFovLH(float fovY, float aspect, float zNear, float zFar);

// Writes the inverse of m to out and its determinant to determinant (optional). A singular m
// (determinant 0) gives false and leaves out as it was.
bool Inverse(const Matrix& m, Matrix* out, float* determinant = nullptr);

}  // namespace pmath
