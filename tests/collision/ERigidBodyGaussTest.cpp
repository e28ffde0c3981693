#include <gtest/gtest.h>

#include <vector>

#include "collision/ERigidBodyGauss.h"
#include "collision/ERigidBodyQP.h"
#include "support/ConsoleLogTest.h"

namespace test {
namespace {

class RigidBodySolverTest : public ConsoleLogTest {
protected:
    void SetUp() override {
        ConsoleLogTest::SetUp();
        ResetGlobal(g_RigidBodyGauss);
        ResetGlobal(g_RigidBodyQP);
    }
    bool Logged(const std::string& line) const {
        for (const std::string& l : ConsoleLines())
            if (l == line) return true;
        return false;
    }
};

TEST_F(RigidBodySolverTest, GaussSolvesSystemsWhosePivotsNeedTheirMagnitude) {
    const struct {
        const char* what;
        std::vector<double> A, b, x;
    } cases[] = {
        {"diagonal", {2, 0, 0, 4}, {2, 8}, {1, 2}},
        {"zero above a negative pivot", {0, 1, -5, 2}, {3, 1}, {1, 3}},
        {"only negative values in the column", {-1, 2, 0, -4, 1, 1, -2, 0, 3}, {3, -1, 1}, {1, 2, 1}},
        {"tiny pivot above a large one", {1e-12, 1, 1, 1}, {1, 2}, {1, 1}},
        {"general 3 x 3", {4, -2, 1, -2, 4, -2, 1, -2, 4}, {11, -16, 17}, {1, -2, 3}},
    };
    for (const auto& c : cases) {
        const uint32_t n = static_cast<uint32_t>(c.b.size());
        std::copy(c.A.begin(), c.A.end(), g_RigidBodyGauss.A);
        std::copy(c.b.begin(), c.b.end(), g_RigidBodyGauss.b);
        ASSERT_TRUE(g_RigidBodyGauss.Elimination(n)) << c.what;
        for (uint32_t i = 0; i < n; ++i) EXPECT_NEAR(g_RigidBodyGauss.solution[i], c.x[i], 1e-9) << c.what << i;
    }
}

TEST_F(RigidBodySolverTest, GaussRefusesEmptySingularAndOversizedSystems) {
    EXPECT_FALSE(g_RigidBodyGauss.Elimination(0));
    const double singular[4] = {1, 2, 2, 4};
    std::copy(singular, singular + 4, g_RigidBodyGauss.A);
    EXPECT_FALSE(g_RigidBodyGauss.Elimination(2));
    EXPECT_FALSE(g_RigidBodyGauss.Elimination(100));
    EXPECT_TRUE(Logged("ERROR in ERigidBodyGauss::Elimination(): n>=MAX_RIGIDBODYGAUSS_N"));
}

TEST_F(RigidBodySolverTest, ContactForcesMakeAccelerationsNonNegativeAndComplementary) {
    const struct {
        const char* what;
        std::vector<double> A, b, f;
    } cases[] = {
        {"one contact", {2}, {-4}, {2}},
        {"all separating", {1, 0, 0, 1}, {1, 0}, {0, 0}},
        {"two coupled, both pushed", {2, 1, 1, 2}, {-3, -3}, {1, 1}},
        {"two coupled, one lifts off", {2, 1, 1, 2}, {-4, 1}, {2, 0}},
    };
    for (const auto& c : cases) {
        const uint32_t n = static_cast<uint32_t>(c.b.size());
        ASSERT_TRUE(g_RigidBodyQP.ComputeForces(n, c.A.data(), c.b.data(), true)) << c.what;
        for (uint32_t i = 0; i < n; ++i) {
            EXPECT_NEAR(g_RigidBodyQP.f[i], c.f[i], 1e-9) << c.what << i;
            double a = c.b[i];
            for (uint32_t k = 0; k < n; ++k) a += c.A[i * n + k] * g_RigidBodyQP.f[k];
            EXPECT_GE(a, -1e-9) << c.what << i;
            EXPECT_NEAR(a * g_RigidBodyQP.f[i], 0.0, 1e-9) << c.what << i;
        }
    }
    EXPECT_TRUE(g_RigidBodyQP.ComputeForces(0, cases[0].A.data(), cases[0].b.data(), true));
}

TEST_F(RigidBodySolverTest, TheMatrixCheckRefusesNegativeDiagonalsAndAsymmetry) {
    const struct {
        const char* what;
        std::vector<double> A;
        bool passes;
    } cases[] = {
        {"negative diagonal", {-1, 0, 0, 1}, false},
        {"zero diagonal", {0, 0, 0, 1}, true},
        {"asymmetric by 0.02", {1, 0.02, 0, 1}, false},
        {"asymmetric by 0.01", {1, 0.01, 0, 1}, true},
    };
    const double b[2] = {1, 1};
    for (const auto& c : cases) EXPECT_EQ(g_RigidBodyQP.ComputeForces(2, c.A.data(), b, true), c.passes) << c.what;
    EXPECT_TRUE(Logged("ERROR in ERigidBodyQP::ComputeForces()    Matrix A is NOT PSD"));
    EXPECT_FALSE(g_RigidBodyQP.ComputeForces(2, nullptr, b, true));
    EXPECT_FALSE(g_RigidBodyQP.ComputeForces(100, cases[0].A.data(), b, false));
}

}  // namespace
}  // namespace test
