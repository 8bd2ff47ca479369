#include "engine/devices/cMatrix.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using Engine::cMatrix;
using Engine::cVector3;

TEST(Matrix, ProductsApplyTheLeftMatrixFirst)
{
    const cMatrix scale = cMatrix::scaling(2, 3, 4);
    const cMatrix move = cMatrix::translation(10, 20, 30);
    const cVector3 p = (scale * move).transformPoint({1, 1, 1});
    EXPECT_EQ(p, cVector3(12, 23, 34));
    const cVector3 q = (move * scale).transformPoint({1, 1, 1});
    EXPECT_EQ(q, cVector3(22, 63, 124));

    cMatrix out;
    scale.multiply(out, move);
    EXPECT_EQ(out, scale * move);
    cMatrix self = scale;
    self.multiplyBy(move);
    EXPECT_EQ(self, out);

    cMatrix sum = scale;
    sum += move;
    sum *= 0.5f;
    EXPECT_FLOAT_EQ(sum(0, 0), 1.5f);
    EXPECT_FLOAT_EQ(sum(3, 3), 1.0f);
    sum.identity();
    EXPECT_EQ(sum, cMatrix());
}

TEST(Matrix, InvertAffineUndoesRotationScaleAndTranslation)
{
    // Rotation about z by 30 degrees, scaled, moved.
    const float c = std::cos(0.5235988f);
    const float s = std::sin(0.5235988f);
    const cMatrix m = cMatrix::fromAxes({2 * c, 2 * s, 0}, {-3 * s, 3 * c, 0}, {0, 0, 0.5f}, {5, -7, 9});
    cMatrix inverse = m;
    ASSERT_TRUE(inverse.invertAffine());
    const cMatrix product = m * inverse;
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(product.m[i], cMatrix().m[i], 1e-5f) << i;

    cMatrix singular = cMatrix::scaling(1, 0, 1);
    EXPECT_FALSE(singular.invertAffine());
    EXPECT_EQ(singular, cMatrix::scaling(1, 0, 1));
}

TEST(Matrix, ScaleIsTheLengthOfTheAxisRows)
{
    cMatrix m = cMatrix::fromAxes({0, 3, 4}, {1, 0, 0}, {0, 0, 0}, {1, 2, 3});
    const cVector3 scale = m.getScale();
    EXPECT_NEAR(scale.x, 5.0f, 1e-3f);
    EXPECT_NEAR(scale.y, 1.0f, 1e-4f);
    EXPECT_EQ(scale.z, 0.0f);
    m.setScale(10, 2, 7);
    EXPECT_NEAR(m(0, 1), 6.0f, 1e-2f);
    EXPECT_NEAR(m(0, 2), 8.0f, 1e-2f);
    EXPECT_NEAR(m(1, 0), 2.0f, 1e-3f);
    EXPECT_EQ(m(2, 0), 0.0f); // a zero axis stays zero
    EXPECT_EQ(m(3, 1), 2.0f);
}

TEST(Matrix, OrthoProjectionOfTheBackBuffer)
{
    const cMatrix p = cMatrix::orthoOffCenterLH(0, 1920, 1080, 0, -8000, 8000);
    EXPECT_FLOAT_EQ(p(0, 0), 2.0f / 1920);
    EXPECT_FLOAT_EQ(p(1, 1), -2.0f / 1080);
    EXPECT_FLOAT_EQ(p(2, 2), 1.0f / 16000);
    EXPECT_FLOAT_EQ(p(3, 0), -1.0f);
    EXPECT_FLOAT_EQ(p(3, 1), 1.0f);
    EXPECT_FLOAT_EQ(p(3, 2), 0.5f);
    cMatrix t = p;
    t.transpose();
    EXPECT_FLOAT_EQ(t(0, 3), -1.0f);
    EXPECT_EQ(Engine::cMatrix(p).toDevice().m[12], -1.0f);
}

TEST(FastMath, InverseSquareRootAndLengths)
{
    EXPECT_NEAR(Engine::fastInvSqrt(4.0f), 0.5f, 1e-3f);
    EXPECT_NEAR(Engine::fastInvSqrt(0.01f), 10.0f, 1e-2f);
    EXPECT_NEAR(Engine::fastInvSqrt(1e6f), 1e-3f, 1e-6f);
    // 0 gives 0, so that x * fastInvSqrt(x) stays a length.
    EXPECT_EQ(Engine::fastInvSqrt(0.0f), 0.0f);
    EXPECT_EQ(Engine::fastInvSqrt(-1.0f), 0.0f);

    cVector3 v(3, 0, 4);
    Engine::setLength(v, 10);
    EXPECT_NEAR(v.x, 6.0f, 1e-2f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_NEAR(v.z, 8.0f, 1e-2f);
    cVector3 zero;
    Engine::setLength(zero, 10);
    EXPECT_EQ(zero, cVector3());

    cVector3 n(0, 3, -4);
    Engine::normalize(n);
    EXPECT_NEAR(n.y, 0.6f, 0.01f);
    EXPECT_NEAR(n.z, -0.8f, 0.01f);
    cVector3 none;
    Engine::normalize(none);
    EXPECT_EQ(none, cVector3());
}

} // namespace
