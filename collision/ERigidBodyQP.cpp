#include "collision/ERigidBodyQP.h"

#include <algorithm>

#include "collision/ERigidBodyGauss.h"
#include "core/EConsole.h"

ERigidBodyQP g_RigidBodyQP;

namespace {
// How far A may stray from symmetry and still pass the check.
constexpr double kSymmetryTolerance = 0.01;
}  // namespace

bool ERigidBodyQP::MatrixPasses() const {
    for (uint32_t i = 0; i < m_uN; ++i) {
        if (At(i, i) < 0.0) return false;
        for (uint32_t k = 0; k < m_uN; ++k) {
            const double d = At(i, k) - At(k, i);
            if (d < -kSymmetryTolerance || d > kSymmetryTolerance) return false;
        }
    }
    return true;
}

bool ERigidBodyQP::ComputeForces(uint32_t n, const double* A, const double* b, bool check) {
    std::fill(std::begin(f), std::end(f), 0.0);
    if (!A || !b || n >= kMaxContacts) return false;
    m_uN = n;
    m_pA = A;
    m_pB = b;
    for (uint32_t i = 0; i < n; ++i) a[i] = b[i];
    std::fill(std::begin(clamped), std::end(clamped), 0);
    std::fill(std::begin(notClamped), std::end(notClamped), 0);
    failed = 0;
    if (check && !MatrixPasses()) {
        failed = 1;
        g_Console.Print("ERROR in ERigidBodyQP::ComputeForces()    Matrix A is NOT PSD");
        return false;
    }
    bool solved = false;
    uint32_t passes = 0;
    while (passes < kMaxPasses) {
        uint32_t d = n;
        for (uint32_t i = 0; i < n && d == n; ++i)
            if (!clamped[i] && !notClamped[i] && a[i] < 0.0) d = i;
        if (d == n) {
            solved = true;
            break;
        }
        ++passes;
        DriveToZero(d);
        if (failed) break;
    }
    m_uMaxOuterPasses = std::max(m_uMaxOuterPasses, passes);
    return solved && !failed;
}

void ERigidBodyQP::FindDirection(uint32_t d) {
    std::fill(df, df + m_uN, 0.0);
    df[d] = 1.0;
    uint32_t m = 0;
    uint32_t index[kMaxContacts];
    for (uint32_t i = 0; i < m_uN; ++i)
        if (clamped[i]) index[m++] = i;
    if (m == 0) return;
    for (uint32_t r = 0; r < m; ++r) {
        for (uint32_t c = 0; c < m; ++c) g_RigidBodyGauss.A[r * m + c] = At(index[r], index[c]);
        g_RigidBodyGauss.b[r] = -At(index[r], d);
    }
    if (!g_RigidBodyGauss.Elimination(m)) {
        failed = 1;
        return;
    }
    for (uint32_t r = 0; r < m; ++r) df[index[r]] = g_RigidBodyGauss.solution[r];
}

void ERigidBodyQP::FindMaxStep(uint32_t d) {
    bool found = false;
    j = -1;
    auto candidate = [&](double value, uint32_t i) {
        if (!found || value < s) {
            s = value;
            j = static_cast<int32_t>(i);
            found = true;
        }
    };
    if (da[d] > 0.0) candidate(-a[d] / da[d], d);
    for (uint32_t i = 0; i < m_uN; ++i)
        if (clamped[i] && df[i] < 0.0) candidate(-f[i] / df[i], i);
    for (uint32_t i = 0; i < m_uN; ++i)
        if (notClamped[i] && da[i] < 0.0) candidate(-a[i] / da[i], i);
    if (!found || j < 0) failed = 1;
}

void ERigidBodyQP::DriveToZero(uint32_t d) {
    uint32_t passes = 0;
    while (passes < kMaxPasses) {
        ++passes;
        FindDirection(d);
        if (failed) break;
        for (uint32_t r = 0; r < m_uN; ++r) {
            double sum = 0.0;
            for (uint32_t c = 0; c < m_uN; ++c) sum += At(r, c) * df[c];
            da[r] = sum;
        }
        FindMaxStep(d);
        if (failed) break;
        for (uint32_t i = 0; i < m_uN; ++i) {
            f[i] += s * df[i];
            a[i] += s * da[i];
        }
        const uint32_t k = static_cast<uint32_t>(j);
        if (clamped[k]) {
            clamped[k] = 0;
            notClamped[k] = 1;
        } else if (notClamped[k]) {
            notClamped[k] = 0;
            clamped[k] = 1;
        } else {
            clamped[k] = 1;
            break;
        }
    }
    m_uMaxDrivePasses = std::max(m_uMaxDrivePasses, passes);
}
