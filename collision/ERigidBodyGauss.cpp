#include "collision/ERigidBodyGauss.h"

#include <cmath>
#include <utility>

#include "core/EConsole.h"

ERigidBodyGauss g_RigidBodyGauss;

bool ERigidBodyGauss::Elimination(uint32_t n) {
    if (n == 0) return false;
    if (n >= MAX_RIGIDBODYGAUSS_N) {
        g_Console.Print("ERROR in ERigidBodyGauss::Elimination(): n>=MAX_RIGIDBODYGAUSS_N");
        return false;
    }
    for (uint32_t k = 0; k < n; ++k) {
        // The pivot of largest magnitude: a zero or tiny pivot above a usable one would fail a
        // solvable system or lose its precision.
        uint32_t pivot = k;
        for (uint32_t i = k + 1; i < n; ++i)
            if (std::fabs(A[i * n + k]) > std::fabs(A[pivot * n + k])) pivot = i;
        if (pivot != k) {
            for (uint32_t j = 0; j < n; ++j) std::swap(A[k * n + j], A[pivot * n + j]);
            std::swap(b[k], b[pivot]);
        }
        const double p = A[k * n + k];
        for (uint32_t i = k + 1; i < n; ++i) {
            if (p == 0.0) return false;
            const double factor = A[i * n + k] / p;
            A[i * n + k] = factor;
            for (uint32_t j = k + 1; j < n; ++j) A[i * n + j] -= factor * A[k * n + j];
            b[i] -= factor * b[k];
        }
    }
    for (uint32_t r = n; r-- > 0;) {
        double sum = b[r];
        for (uint32_t j = r + 1; j < n; ++j) sum -= A[r * n + j] * solution[j];
        if (A[r * n + r] == 0.0) return false;
        solution[r] = sum / A[r * n + r];
    }
    return true;
}
