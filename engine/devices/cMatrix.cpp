#include "engine/devices/cMatrix.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace Engine
{

namespace
{

uint32_t floatBits(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

float bitsFloat(uint32_t bits)
{
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

} // namespace

cMatrix::cMatrix(const float (&values)[16])
{
    std::memcpy(m, values, sizeof(m));
}

bool cMatrix::operator==(const cMatrix& o) const
{
    for (int i = 0; i < 16; ++i)
        if (m[i] != o.m[i])
            return false;
    return true;
}

void cMatrix::identity()
{
    *this = cMatrix();
}

cMatrix& cMatrix::operator+=(const cMatrix& o)
{
    for (int i = 0; i < 16; ++i)
        m[i] += o.m[i];
    return *this;
}

cMatrix& cMatrix::operator*=(float k)
{
    for (float& value : m)
        value *= k;
    return *this;
}

cMatrix cMatrix::operator*(const cMatrix& o) const
{
    cMatrix r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            r.m[row * 4 + col] = m[row * 4] * o.m[col] + m[row * 4 + 1] * o.m[4 + col] +
                                 m[row * 4 + 2] * o.m[8 + col] + m[row * 4 + 3] * o.m[12 + col];
    return r;
}

cMatrix& cMatrix::multiply(cMatrix& out, const cMatrix& other) const
{
    out = *this * other;
    return out;
}

void cMatrix::multiplyBy(const cMatrix& other)
{
    *this = *this * other;
}

void cMatrix::transpose()
{
    for (int row = 0; row < 4; ++row)
        for (int col = row + 1; col < 4; ++col)
        {
            const float t = m[row * 4 + col];
            m[row * 4 + col] = m[col * 4 + row];
            m[col * 4 + row] = t;
        }
}

cVector3 cMatrix::transformPoint(const cVector3& p) const
{
    return {p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12], p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13],
            p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14]};
}

cVector3 cMatrix::getScale() const
{
    float lengths[3];
    for (int row = 0; row < 3; ++row)
    {
        const float* r = m + row * 4;
        const float s = r[0] * r[0] + r[1] * r[1] + r[2] * r[2];
        lengths[row] = fastInvSqrt(s) * s;
    }
    return {lengths[0], lengths[1], lengths[2]};
}

void cMatrix::setScale(float sx, float sy, float sz)
{
    const float lengths[3] = {sx, sy, sz};
    for (int row = 0; row < 3; ++row)
    {
        cVector3 axis(m[row * 4], m[row * 4 + 1], m[row * 4 + 2]);
        setLength(axis, lengths[row]);
        m[row * 4] = axis.x;
        m[row * 4 + 1] = axis.y;
        m[row * 4 + 2] = axis.z;
    }
}

bool cMatrix::invertAffine()
{
    const cMatrix& a = *this;
    // Cofactors of the 3 x 3 part, transposed: the adjugate.
    const float c00 = a(1, 1) * a(2, 2) - a(1, 2) * a(2, 1);
    const float c01 = a(0, 2) * a(2, 1) - a(0, 1) * a(2, 2);
    const float c02 = a(0, 1) * a(1, 2) - a(0, 2) * a(1, 1);
    const float c10 = a(1, 2) * a(2, 0) - a(1, 0) * a(2, 2);
    const float c11 = a(0, 0) * a(2, 2) - a(0, 2) * a(2, 0);
    const float c12 = a(0, 2) * a(1, 0) - a(0, 0) * a(1, 2);
    const float c20 = a(1, 0) * a(2, 1) - a(1, 1) * a(2, 0);
    const float c21 = a(0, 1) * a(2, 0) - a(0, 0) * a(2, 1);
    const float c22 = a(0, 0) * a(1, 1) - a(0, 1) * a(1, 0);
    const float det = a(0, 0) * c00 + a(0, 1) * c10 + a(0, 2) * c20;
    if (det == 0.0f || !std::isfinite(det))
        return false;
    const float k = 1.0f / det;
    cMatrix r;
    r(0, 0) = c00 * k;
    r(0, 1) = c01 * k;
    r(0, 2) = c02 * k;
    r(1, 0) = c10 * k;
    r(1, 1) = c11 * k;
    r(1, 2) = c12 * k;
    r(2, 0) = c20 * k;
    r(2, 1) = c21 * k;
    r(2, 2) = c22 * k;
    const float tx = a(3, 0);
    const float ty = a(3, 1);
    const float tz = a(3, 2);
    for (int col = 0; col < 3; ++col)
        r(3, col) = -(tx * r(0, col) + ty * r(1, col) + tz * r(2, col));
    r(0, 3) = 0.0f;
    r(1, 3) = 0.0f;
    r(2, 3) = 0.0f;
    r(3, 3) = 1.0f;
    *this = r;
    return true;
}

cMatrix cMatrix::fromAxes(const cVector3& x, const cVector3& y, const cVector3& z, const cVector3& t)
{
    cMatrix r;
    const cVector3 rows[4] = {x, y, z, t};
    for (int row = 0; row < 4; ++row)
    {
        r(row, 0) = rows[row].x;
        r(row, 1) = rows[row].y;
        r(row, 2) = rows[row].z;
        r(row, 3) = row == 3 ? 1.0f : 0.0f;
    }
    return r;
}

cMatrix cMatrix::scaling(float x, float y, float z)
{
    cMatrix r;
    r(0, 0) = x;
    r(1, 1) = y;
    r(2, 2) = z;
    return r;
}

cMatrix cMatrix::translation(float x, float y, float z)
{
    cMatrix r;
    r(3, 0) = x;
    r(3, 1) = y;
    r(3, 2) = z;
    return r;
}

cMatrix cMatrix::orthoOffCenterLH(float left, float right, float bottom, float top, float zNear, float zFar)
{
    cMatrix r;
    r(0, 0) = 2.0f / (right - left);
    r(1, 1) = 2.0f / (top - bottom);
    r(2, 2) = 1.0f / (zFar - zNear);
    r(3, 0) = (left + right) / (left - right);
    r(3, 1) = (top + bottom) / (bottom - top);
    r(3, 2) = zNear / (zNear - zFar);
    return r;
}

Platform::Matrix4 cMatrix::toDevice() const
{
    Platform::Matrix4 r;
    std::memcpy(r.m, m, sizeof(m));
    return r;
}

float fastInvSqrt(float x)
{
    if (!(x > 0.0f))
        return 0.0f;
    const int32_t guess = static_cast<int32_t>(0xBE800000u - floatBits(x)) >> 1;
    float y = bitsFloat(static_cast<uint32_t>(guess));
    y = std::fabs((1.47f - 0.47f * x * y * y) * y);
    y = y * (3.0f - y * y * x) * 0.5f;
    return y;
}

void normalize(cVector3& v)
{
    const float lengthSquared = v.x * v.x + v.y * v.y + v.z * v.z;
    const float y0 = bitsFloat((0xBE800000u - floatBits(lengthSquared)) >> 1);
    const float r = (1.47f - 0.47f * lengthSquared * y0 * y0) * y0;
    v.x *= r;
    v.y *= r;
    v.z *= r;
}

void setLength(cVector3& v, float length)
{
    if (v.x == 0.0f && v.y == 0.0f && v.z == 0.0f)
        return;
    const float s = v.x * v.x + v.y * v.y + v.z * v.z;
    const float current = fastInvSqrt(s) * s;
    const float k = length / current;
    v.x *= k;
    v.y *= k;
    v.z *= k;
}

} // namespace Engine
