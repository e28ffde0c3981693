#include "core/EOrientation.h"

#include <bit>
#include <cmath>
#include <initializer_list>

#include "core/GeometryHelpers.h"

namespace {

// Below this sine of the angle between the direction and the up hint the hint gives no side axis.
constexpr float kParallelSine = 1e-6f;

DV Row(const pmath::Matrix& m, int row) { return {m.m[row][0], m.m[row][1], m.m[row][2]}; }

void SetRow(pmath::Matrix& m, int row, const DV& v) {
    m.m[row][0] = v.x;
    m.m[row][1] = v.y;
    m.m[row][2] = v.z;
}

// The 29 floats of the binary form, in their order.
template <class Visit>
void ForEachFloat(EOrientation& o, Visit visit) {
    visit(o.m_Quaternion.x);
    visit(o.m_Quaternion.y);
    visit(o.m_Quaternion.z);
    visit(o.m_Quaternion.w);
    for (auto& row : o.m_Matrix.m)
        for (float& value : row) visit(value);
    for (DV* axis : {&o.m_Front, &o.m_Side, &o.m_Up}) {
        visit(axis->x);
        visit(axis->y);
        visit(axis->z);
    }
}

}  // namespace

EOrientation::EOrientation() { UpdateMatrix(); }

EOrientation EOrientation::EOrientationFromDirection(const DV* direction) {
    EOrientation o;
    o.SetDirection(direction);
    return o;
}

EOrientation EOrientation::EOrientationFromYawPitchRoll(float yaw, float pitch, float roll) {
    EOrientation o;
    o.SetYawPitchRoll(yaw, pitch, roll);
    return o;
}

void EOrientation::SetDirection(const DV* direction) {
    if (direction) Aim(*direction, DV{0.0f, 1.0f, 0.0f});
}

void EOrientation::SetDirectionUp(const DV* direction, const DV* up) {
    if (direction && up) Aim(*direction, *up);
}

void EOrientation::Aim(const DV& direction, const DV& upHint) {
    const DV front = pmath::Normalize(direction);
    // A zero direction points nowhere: keep the orientation rather than build a zero frame.
    if (front == DV{}) return;
    DV side = pmath::Cross(pmath::Normalize(upHint), front);
    if (pmath::Length(side) < kParallelSine) {
        // The hint is parallel to the direction (or zero), so it fixes no side axis. Lean on world
        // up instead, or, for a vertical direction, on world -z: the frame that a forward-looking
        // orientation reaches when it tilts up to the vertical.
        const DV fallback = std::fabs(front.y) < 0.9f ? DV{0.0f, 1.0f, 0.0f} : DV{0.0f, 0.0f, -1.0f};
        side = pmath::Cross(fallback, front);
    }
    side = pmath::Normalize(side);
    const DV up = pmath::Cross(front, side);

    pmath::Matrix frame = pmath::Identity();
    SetRow(frame, 0, side);
    SetRow(frame, 1, up);
    SetRow(frame, 2, front);
    m_Quaternion = pmath::QuaternionFromMatrix(frame);
    // The matrix is rebuilt from the quaternion rather than kept from the frame, so it stays a
    // usable transform (row and column 3 of the identity) and agrees with the quaternion.
    UpdateMatrix();
}

void EOrientation::SetQuaternion(const pmath::Quaternion* quaternion) {
    if (!quaternion) return;
    m_Quaternion = *quaternion;
    UpdateMatrix();
}

void EOrientation::SetYawPitchRoll(float yaw, float pitch, float roll) {
    m_Quaternion = pmath::QuaternionFromYawPitchRoll(yaw, pitch, roll);
    UpdateMatrix();
}

void EOrientation::Multiply(const pmath::Quaternion* other) {
    if (!other) return;
    m_Quaternion = pmath::Multiply(m_Quaternion, *other);
    UpdateMatrix();
}

void EOrientation::RotateAxis(const DV* axis, float angle) {
    if (!axis) return;
    const pmath::Quaternion turn = pmath::QuaternionFromAxisAngle(*axis, angle);
    Multiply(&turn);
}

void EOrientation::Slerp(const EOrientation* other, float t) {
    if (!other) return;
    m_Quaternion = pmath::Slerp(m_Quaternion, other->m_Quaternion, t);
    UpdateMatrix();
}

void EOrientation::GetYawPitchRoll(float* pitch, float* yaw, float* roll) const {
    if (pitch && yaw && roll) MatrixToYawPitchRoll(&m_Matrix, pitch, yaw, roll);
}

void EOrientation::UpdateMatrix() {
    m_Matrix = pmath::MatrixFromQuaternion(m_Quaternion);
    m_Side = pmath::Normalize(Row(m_Matrix, 0));
    m_Up = pmath::Normalize(Row(m_Matrix, 1));
    m_Front = pmath::Normalize(Row(m_Matrix, 2));
}

void OrientationToBytes(const EOrientation& orientation, uint8_t* out) {
    EOrientation copy = orientation;
    ForEachFloat(copy, [&out](float& value) {
        const uint32_t bits = std::bit_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) *out++ = static_cast<uint8_t>(bits >> shift);
    });
}

EOrientation OrientationFromBytes(const uint8_t* in) {
    EOrientation orientation;
    ForEachFloat(orientation, [&in](float& value) {
        uint32_t bits = 0;
        for (int shift = 0; shift < 32; shift += 8) bits |= static_cast<uint32_t>(*in++) << shift;
        value = std::bit_cast<float>(bits);
    });
    return orientation;
}
