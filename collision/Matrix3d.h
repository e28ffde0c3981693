#pragma once
// 3 x 3 matrices of doubles, row-major (element (i, j) at i * 3 + j), as the rigid bodies keep
// their inertia tensors and rotations.

double Determinant3(const double* m);
// The inverse by the adjugate; false, and a zero matrix, when the determinant is exactly 0.
bool Inverse3(const double* m, double* out);
// out = a * b; out must be a separate matrix. Nothing happens when an argument is null.
void Multiply3(const double* a, const double* b, double* out);
// out = mᵀ.
void Transpose3(const double* m, double* out);
