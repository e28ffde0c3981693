#include "platform/math/Matrix.h"

#include <cmath>

#include "platform/math/Quaternion.h"

namespace pmath {

Matrix Identity() {
    Matrix r;
    for (int i = 0; i < 4; ++i) r.m[i][i] = 1.0f;
    return r;
}

Matrix operator*(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
    return r;
}

Matrix MatrixFromAxisAngle(const Vec3& axis, float angle) {
    const Vec3 v = Normalize(axis);
    const float s = std::sin(angle);
    const float c = std::cos(angle);
    const float k = 1.0f - c;
    Matrix r = Identity();
    r.m[0][0] = k * v.x * v.x + c;
    r.m[0][1] = k * v.x * v.y + s * v.z;
    r.m[0][2] = k * v.x * v.z - s * v.y;
    r.m[1][0] = k * v.y * v.x - s * v.z;
    r.m[1][1] = k * v.y * v.y + c;
    r.m[1][2] = k * v.y * v.z + s * v.x;
    r.m[2][0] = k * v.z * v.x + s * v.y;
    r.m[2][1] = k * v.z * v.y - s * v.x;
    r.m[2][2] = k * v.z * v.z + c;
    return r;
}

Matrix MatrixFromYawPitchRoll(float yaw, float pitch, float roll) {
    return MatrixFromQuaternion(QuaternionFromYawPitchRoll(yaw, pitch, roll));
}

Matrix LookAtLH(const Vec3& eye, const Vec3& at, const Vec3& up) {
    const Vec3 zAxis = Normalize(at - eye);
    const Vec3 xAxis = Normalize(Cross(up, zAxis));
    const Vec3 yAxis = Cross(zAxis, xAxis);
    Matrix r = Identity();
    const Vec3 axes[3] = {xAxis, yAxis, zAxis};
    for (int column = 0; column < 3; ++column) {
        r.m[0][column] = axes[column].x;
        r.m[1][column] = axes[column].y;
        r.m[2][column] = axes[column].z;
        r.m[3][column] = -Dot(axes[column], eye);
    }
    return r;
}

Matrix OrthoLH(float width, float height, float zNear, float zFar) {
    Matrix r = Identity();
    r.m[0][0] = 2.0f / width;
    r.m[1][1] = 2.0f / height;
    r.m[2][2] = 1.0f / (zFar - zNear);
    r.m[3][2] = zNear / (zNear - zFar);
    return r;
}

Matrix PerspectiveFovLH(float fovY, float aspect, float zNear, float zFar) {
    const float yScale = 1.0f / std::tan(fovY * 0.5f);
    Matrix r;
    r.m[0][0] = yScale / aspect;
    r.m[1][1] = yScale;
    r.m[2][2] = zFar / (zFar - zNear);
    r.m[2][3] = 1.0f;
    r.m[3][2] = -zNear * zFar / (zFar - zNear);
    return r;
}

bool Inverse(const Matrix& m, Matrix* out, float* determinant) {
    const auto& a = m.m;
    // 2 x 2 minors of the upper two rows and of the lower two rows.
    const float s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
    const float s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
    const float s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
    const float s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
    const float s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
    const float s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
    const float c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
    const float c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
    const float c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
    const float c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
    const float c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
    const float c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];

    const float det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (determinant) *determinant = det;
    if (det == 0.0f) return false;
    const float inv = 1.0f / det;

    Matrix r;
    r.m[0][0] = (a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3) * inv;
    r.m[0][1] = (-a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3) * inv;
    r.m[0][2] = (a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3) * inv;
    r.m[0][3] = (-a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3) * inv;
    r.m[1][0] = (-a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1) * inv;
    r.m[1][1] = (a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1) * inv;
    r.m[1][2] = (-a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1) * inv;
    r.m[1][3] = (a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1) * inv;
    r.m[2][0] = (a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0) * inv;
    r.m[2][1] = (-a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0) * inv;
    r.m[2][2] = (a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0) * inv;
    r.m[2][3] = (-a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0) * inv;
    r.m[3][0] = (-a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0) * inv;
    r.m[3][1] = (a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0) * inv;
    r.m[3][2] = (-a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0) * inv;
    r.m[3][3] = (a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0) * inv;
    *out = r;
    return true;
}

}  // namespace pmath
