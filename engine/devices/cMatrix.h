#pragma once

#include "engine/core/cVector3.h"
#include "platform/gfx/GfxTypes.h"

namespace Engine
{

// A 4 x 4 matrix of 16 floats row by row. Points are row vectors (p' = p x M), so a product
// A x B applies A first; rows 0 to 2 are the scaled axes, row 3 the translation.
struct cMatrix
{
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    cMatrix() = default;
    explicit cMatrix(const float (&values)[16]);

    float& operator()(int row, int column) { return m[row * 4 + column]; }
    float operator()(int row, int column) const { return m[row * 4 + column]; }
    bool operator==(const cMatrix& o) const;
    bool operator!=(const cMatrix& o) const { return !(*this == o); }

    // Sets the identity.
    void identity();
    static cMatrix makeIdentity() { return cMatrix(); }

    // Element by element.
    cMatrix& operator+=(const cMatrix& o);
    cMatrix& operator*=(float k);
    // this x o.
    cMatrix operator*(const cMatrix& o) const;
    // out = this x other; returns out (which may be this or other).
    cMatrix& multiply(cMatrix& out, const cMatrix& other) const;
    // this = this x other.
    void multiplyBy(const cMatrix& other);
    void transpose();

    // (x, y, z, 1) x M, the first three results.
    cVector3 transformPoint(const cVector3& point) const;

    // The lengths of rows 0, 1 and 2 (their first three elements), measured with `fastInvSqrt`.
    cVector3 getScale() const;
    // Gives rows 0, 1 and 2 the lengths sx, sy and sz (`setLength`); a zero row stays zero.
    void setScale(float sx, float sy, float sz);
    // Replaces the matrix by its inverse, taken as a 3 x 3 part and a translation row with the
    // last column (0, 0, 0, 1). A singular 3 x 3 part has no inverse: the matrix is left as it
    // was and false is returned.
    bool invertAffine();

    // Rows 0 to 2 the axes, row 3 the translation, last column (0, 0, 0, 1).
    static cMatrix fromAxes(const cVector3& x, const cVector3& y, const cVector3& z,
                            const cVector3& translation);
    static cMatrix scaling(float x, float y, float z);
    static cMatrix translation(float x, float y, float z);
    // The left-handed orthographic projection of the box from (left, bottom, zNear) to
    // (right, top, zFar) onto x and y from -1 to 1 and z from 0 to 1.
    static cMatrix orthoOffCenterLH(float left, float right, float bottom, float top, float zNear,
                                    float zFar);

    Platform::Matrix4 toDevice() const;
};

// An approximation of 1/sqrt(x) for x > 0, the one the engine's mesh, light and sound code
// measures lengths with: a first guess from the float's bits, then two refinements. For x of 0
// or less it answers 0, so that x x fastInvSqrt(x), the length it is used for, is 0 instead of
// the NaN the bit trick gives there.
float fastInvSqrt(float x);

// Multiplies x, y and z by an approximation of 1/sqrt(x^2 + y^2 + z^2) (one refinement step);
// the light directions are normalised with it. A zero vector stays zero.
void normalize(cVector3& v);

// Scales a vector to the given length (measured with `fastInvSqrt`); a zero vector stays.
void setLength(cVector3& v, float length);

} // namespace Engine
