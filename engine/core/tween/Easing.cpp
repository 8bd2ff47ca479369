#include "engine/core/tween/Easing.h"

#include <cmath>

namespace Engine::tween
{

namespace
{

constexpr float kPi = 3.1415927f;

float pow2(float x)
{
    return std::pow(2.0f, x);
}

} // namespace

float Linear::easeIn(float t, float b, float c, float d) const
{
    return c * t / d + b;
}

float Linear::easeOut(float t, float b, float c, float d) const
{
    return c * t / d + b;
}

float Linear::easeInOut(float t, float b, float c, float d) const
{
    return c * t / d + b;
}

float Sine::easeIn(float t, float b, float c, float d) const
{
    return c - c * std::cos(t / d * (kPi / 2)) + b;
}

float Sine::easeOut(float t, float b, float c, float d) const
{
    return c * std::sin(t / d * (kPi / 2)) + b;
}

float Sine::easeInOut(float t, float b, float c, float d) const
{
    return b - c / 2 * (std::cos(kPi * t / d) - 1);
}

float Quint::easeIn(float t, float b, float c, float d) const
{
    const float x = t / d;
    return c * (x * x * x * x * x) + b;
}

float Quint::easeOut(float t, float b, float c, float d) const
{
    const float x = t / d - 1;
    return c * (x * x * x * x * x + 1) + b;
}

float Quint::easeInOut(float t, float b, float c, float d) const
{
    const float u = t / (d / 2);
    if (u < 1)
        return c / 2 * (u * u * u * u * u) + b;
    const float v = u - 2;
    return c / 2 * (v * v * v * v * v + 2) + b;
}

float Quart::easeIn(float t, float b, float c, float d) const
{
    const float x = t / d;
    return c * (x * x * x * x) + b;
}

float Quart::easeOut(float t, float b, float c, float d) const
{
    const float x = t / d - 1;
    return b - c * (x * x * x * x - 1);
}

float Quart::easeInOut(float t, float b, float c, float d) const
{
    const float u = t / (d / 2);
    if (u < 1)
        return c / 2 * (u * u * u * u) + b;
    const float v = u - 2;
    return b - c / 2 * (v * v * v * v - 2);
}

float Quad::easeIn(float t, float b, float c, float d) const
{
    const float x = t / d;
    return c * (x * x) + b;
}

float Quad::easeOut(float t, float b, float c, float d) const
{
    const float x = t / d;
    return b - c * x * (x - 2);
}

float Quad::easeInOut(float t, float b, float c, float d) const
{
    const float u = t / (d / 2);
    if (u < 1)
        return c / 2 * (u * u) + b;
    return b - c / 2 * ((u - 1) * (u - 3) - 1);
}

float Cubic::easeIn(float t, float b, float c, float d) const
{
    const float x = t / d;
    return c * (x * x * x) + b;
}

float Cubic::easeOut(float t, float b, float c, float d) const
{
    const float x = t / d - 1;
    return c * (x * x * x + 1) + b;
}

float Cubic::easeInOut(float t, float b, float c, float d) const
{
    const float u = t / (d / 2);
    if (u < 1)
        return c / 2 * (u * u * u) + b;
    const float v = u - 2;
    return c / 2 * (v * v * v + 2) + b;
}

float Expo::easeIn(float t, float b, float c, float d) const
{
    if (t == 0)
        return b;
    return c * pow2(10 * (t / d - 1)) + b;
}

float Expo::easeOut(float t, float b, float c, float d) const
{
    if (t == d)
        return b + c;
    return c * (1 - pow2(-10 * t / d)) + b;
}

float Expo::easeInOut(float t, float b, float c, float d) const
{
    if (t == 0)
        return b;
    if (t == d)
        return b + c;
    const float u = t / (d / 2);
    if (u < 1)
        return c / 2 * pow2(10 * (u - 1)) + b;
    return c / 2 * (2 - pow2(-10 * (u - 1))) + b;
}

float Circ::easeIn(float t, float b, float c, float d) const
{
    const float x = t / d;
    return b - c * (std::sqrt(1 - x * x) - 1);
}

float Circ::easeOut(float t, float b, float c, float d) const
{
    const float x = t / d - 1;
    return c * std::sqrt(1 - x * x) + b;
}

float Circ::easeInOut(float t, float b, float c, float d) const
{
    const float u = t / (d / 2);
    if (u < 1)
        return b - c / 2 * (std::sqrt(1 - u * u) - 1);
    const float v = u - 2;
    return c / 2 * (std::sqrt(1 - v * v) + 1) + b;
}

namespace
{

constexpr float kBackOvershoot = 1.70158f;
// The in-out overshoot: 1.70158 × 1.525, so that each half overshoots as much as easeIn does.
constexpr float kBackInOutOvershoot = 2.5949095f;

} // namespace

float Back::easeIn(float t, float b, float c, float d) const
{
    const float s = kBackOvershoot;
    const float x = t / d;
    return c * (x * x) * ((s + 1) * x - s) + b;
}

float Back::easeOut(float t, float b, float c, float d) const
{
    const float s = kBackOvershoot;
    const float x = t / d - 1;
    return c * (x * x * ((s + 1) * x + s) + 1) + b;
}

float Back::easeInOut(float t, float b, float c, float d) const
{
    const float s = kBackInOutOvershoot;
    const float u = t / (d / 2);
    if (u < 1)
        return c / 2 * (u * u) * ((s + 1) * u - s) + b;
    const float v = u - 2;
    return c / 2 * (v * v * ((s + 1) * v + s) + 2) + b;
}

float Elastic::easeIn(float t, float b, float c, float d) const
{
    if (t == 0)
        return b;
    const float x = t / d;
    if (x == 1)
        return b + c;
    const float p = 0.3f * d;
    const float s = p / 4;
    const float v = x - 1;
    return b - c * pow2(10 * v) * std::sin((d * v - s) * (2 * kPi) / p);
}

float Elastic::easeOut(float t, float b, float c, float d) const
{
    if (t == 0)
        return b;
    const float x = t / d;
    if (x == 1)
        return b + c;
    const float p = 0.3f * d;
    const float s = p / 4;
    return c * pow2(-10 * x) * std::sin((t - s) * (2 * kPi) / p) + c + b;
}

float Elastic::easeInOut(float t, float b, float c, float d) const
{
    if (t == 0)
        return b;
    const float u = t / (d / 2);
    if (u == 2)
        return b + c;
    const float p = 0.45f * d;
    const float s = p / 4;
    const float v = u - 1;
    if (u < 1)
        return b - 0.5f * c * pow2(10 * v) * std::sin((d * v - s) * (2 * kPi) / p);
    return 0.5f * c * pow2(-10 * v) * std::sin((d * v - s) * (2 * kPi) / p) + c + b;
}

float Bounce::easeIn(float t, float b, float c, float d) const
{
    return c - easeOut(d - t, 0, c, d) + b;
}

float Bounce::easeOut(float t, float b, float c, float d) const
{
    const float x = t / d;
    if (x < 1 / 2.75f)
        return c * 7.5625f * (x * x) + b;
    if (x < 2 / 2.75f)
    {
        const float y = x - 1.5f / 2.75f;
        return c * (7.5625f * (y * y) + 0.75f) + b;
    }
    if (x < 2.5f / 2.75f)
    {
        const float y = x - 2.25f / 2.75f;
        return c * (7.5625f * (y * y) + 0.9375f) + b;
    }
    const float y = x - 2.625f / 2.75f;
    return c * (7.5625f * (y * y) + 0.984375f) + b;
}

float Bounce::easeInOut(float t, float b, float c, float d) const
{
    if (t < d / 2)
        return 0.5f * easeIn(2 * t, 0, c, d) + b;
    return 0.5f * easeOut(2 * t - d, 0, c, d) + 0.5f * c + b;
}

namespace
{

// One instance of each equation, in transition order. Constant-initialised: usable before any
// dynamic initialiser runs.
constexpr Linear s_linear{};
constexpr Sine s_sine{};
constexpr Quint s_quint{};
constexpr Quart s_quart{};
constexpr Quad s_quad{};
constexpr Expo s_expo{};
constexpr Elastic s_elastic{};
constexpr Cubic s_cubic{};
constexpr Circ s_circ{};
constexpr Bounce s_bounce{};
constexpr Back s_back{};

constexpr const Easing* kEquations[kTransitionCount] = {&s_linear, &s_sine,   &s_quint,   &s_quart,
                                                        &s_quad,   &s_expo,   &s_elastic, &s_cubic,
                                                        &s_circ,   &s_bounce, &s_back};

} // namespace

float ease(int transition, int kind, float t, float b, float c, float d)
{
    // A zero duration would divide by zero and move the value to NaN; such a tween is over at once.
    if (!(d > 0))
        return b + c;
    const Easing& equation =
        *kEquations[transition >= 0 && transition < kTransitionCount ? transition : kLinear];
    switch (kind)
    {
    case kEaseOut:
        return equation.easeOut(t, b, c, d);
    case kEaseInOut:
        return equation.easeInOut(t, b, c, d);
    default:
        return equation.easeIn(t, b, c, d);
    }
}

} // namespace Engine::tween
