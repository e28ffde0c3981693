#pragma once
// Non-negative contact forces f for n contacts such that the accelerations a = A·f + b are
// non-negative and each contact has a zero force or a zero acceleration: one contact at a time is
// driven to zero acceleration, keeping the others' conditions. Fixed storage, no heap.
#include <cstdint>

class ERigidBodyQP {
public:
    static constexpr uint32_t kMaxContacts = 100;
    static constexpr int kMaxPasses = 30;

    // Forces into f; false for a null argument, n too large, a matrix that fails the check (when
    // asked for), a singular direction or passes running out.
    bool ComputeForces(uint32_t n, const double* A, const double* b, bool check);

    uint32_t m_uMaxOuterPasses = 0;
    uint32_t m_uMaxDrivePasses = 0;
    uint32_t m_uN = 0;
    const double* m_pA = nullptr;
    const double* m_pB = nullptr;
    double a[kMaxContacts] = {};
    uint8_t clamped[kMaxContacts] = {};
    uint8_t notClamped[kMaxContacts] = {};
    double df[kMaxContacts] = {};
    double da[kMaxContacts] = {};
    double s = 0;
    int32_t j = -1;
    uint8_t failed = 0;
    double f[kMaxContacts] = {};

private:
    bool MatrixPasses() const;
    void DriveToZero(uint32_t d);
    void FindDirection(uint32_t d);
    void FindMaxStep(uint32_t d);
    double At(uint32_t row, uint32_t column) const { return m_pA[row * m_uN + column]; }
};

extern ERigidBodyQP g_RigidBodyQP;
