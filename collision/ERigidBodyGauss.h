#pragma once
// A dense linear solver for the contact-force solver's direction steps: fixed storage, no heap.
#include <cstdint>

class ERigidBodyGauss {
public:
    static constexpr uint32_t MAX_RIGIDBODYGAUSS_N = 100;

    // Solves the n x n system held in A (packed, element (i, j) at i * n + j) and b into the
    // solution; false for n of 0, n too large or a singular system.
    bool Elimination(uint32_t n);

    double A[MAX_RIGIDBODYGAUSS_N * MAX_RIGIDBODYGAUSS_N] = {};
    double b[MAX_RIGIDBODYGAUSS_N] = {};
    double solution[MAX_RIGIDBODYGAUSS_N] = {};
};

extern ERigidBodyGauss g_RigidBodyGauss;
