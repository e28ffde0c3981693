#include "platform/math/Vec3.h"

#include <gtest/gtest.h>

#include "platform/math/Matrix.h"
#include "support/MathSupport.h"

using pmath::Matrix;
using test::Near;

TEST(Vec3Test, NormalizeKeepsTheZeroVector) {
    EXPECT_TRUE(Near(pmath::Normalize({3, 0, 4}), {0.6f, 0, 0.8f}));
    EXPECT_TRUE(Near(pmath::Normalize({0, 0, 0}), {0, 0, 0}, 0));
}

TEST(Vec3Test, CrossFollowsTheLeftHandedAxes) {
    // x cross y = z: with y up and z forward, x points right.
    EXPECT_TRUE(Near(pmath::Cross({1, 0, 0}, {0, 1, 0}), {0, 0, 1}, 0));
    EXPECT_TRUE(Near(pmath::Cross({0, 1, 0}, {0, 0, 1}), {1, 0, 0}, 0));
}

TEST(Vec3Test, TransformsTreatTranslationAndWAsTheirKindNeeds) {
    Matrix m = pmath::Identity();
    m.m[0][0] = 2;
    m.m[3][0] = 5;  // translation x
    m.m[0][3] = 1;  // w picks up x
    // Point: (2*1 + 5, 0, 0) with w = 1 + 1.
    EXPECT_TRUE(Near(pmath::TransformPoint({1, 0, 0}, m), {3.5f, 0, 0}));
    const pmath::Vec4 h = pmath::Transform({1, 0, 0}, m);
    EXPECT_FLOAT_EQ(h.x, 7.0f);
    EXPECT_FLOAT_EQ(h.w, 2.0f);
    // Direction: the 3 x 3 part only.
    EXPECT_TRUE(Near(pmath::TransformDirection({1, 0, 0}, m), {2, 0, 0}));
}
