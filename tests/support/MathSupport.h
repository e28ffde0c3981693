#pragma once
// Comparisons of vectors and matrices within a tolerance, reported with the values involved.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/math/Matrix.h"
#include "platform/math/Quaternion.h"
#include "platform/math/Vec3.h"

namespace test {

inline ::testing::AssertionResult Near(const pmath::Vec3& actual, const pmath::Vec3& expected, float tolerance = 1e-5f) {
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z
                                         << ") is not (" << expected.x << ", " << expected.y << ", "
                                         << expected.z << ")";
}

inline ::testing::AssertionResult Near(const pmath::Matrix& actual, const pmath::Matrix& expected,
                                       float tolerance = 1e-5f) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (!(std::fabs(actual.m[i][j] - expected.m[i][j]) <= tolerance))
                return ::testing::AssertionFailure() << "element [" << i << "][" << j << "] is "
                                                     << actual.m[i][j] << ", not " << expected.m[i][j];
    return ::testing::AssertionSuccess();
}

// q and -q are the same rotation.
inline ::testing::AssertionResult SameRotation(const pmath::Quaternion& a, const pmath::Quaternion& b,
                                               float tolerance = 1e-5f) {
    const float dot = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    if (std::fabs(std::fabs(dot) - 1.0f) <= tolerance) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ", " << a.w << ") and ("
                                         << b.x << ", " << b.y << ", " << b.z << ", " << b.w
                                         << ") are different rotations";
}

}  // namespace test
