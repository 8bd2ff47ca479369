#pragma once

namespace Engine::tween
{

// An easing equation. Each operation takes the elapsed time t, the start value b, the change c
// (final − start) and the duration d, and returns the value at t; all arithmetic is in floats.
class Easing
{
public:
    virtual float easeIn(float t, float b, float c, float d) const = 0;
    virtual float easeOut(float t, float b, float c, float d) const = 0;
    virtual float easeInOut(float t, float b, float c, float d) const = 0;

protected:
    // The equations are stateless objects built at compile time and never deleted through a base
    // pointer; a trivial destructor lets them be constant-initialised, so `ease` works even from
    // other static initialisers. The equations are final, so no class can hold one as a base
    // it might be deleted through either.
    ~Easing() = default;
};

class Linear final : public Easing
{
public:
    float easeIn(float t, float b, float c, float d) const override;
    float easeOut(float t, float b, float c, float d) const override;
    float easeInOut(float t, float b, float c, float d) const override;
};

class Sine final : public Easing
{
public:
    float easeIn(float t, float b, float c, float d) const override;
    float easeOut(float t, float b, float c, float d) const override;
    float easeInOut(float t, float b, float c, float d) const override;
};

class Quint final : public Easing
{
public:
    float easeIn(float t, float b, float c, float d) const override;
    float easeOut(float t, float b, float c, float d) const override;
    float easeInOut(float t, float b, float c, float d) const override;
};

class Quart final : public Easing
{
public:
    float easeIn(float t, float b, float c, float d) const override;
    float easeOut(float t, float b, float c, float d) const override;
    float easeInOut(float t, float b, float c, float d) const override;
};

class Quad final : public Easing
{
public:
    float easeIn(float t, float b, float c, float d) const override;
    float easeOut(float t, float b, float c, float d) const override;
    float easeInOut(float t, float b, float c, float d) const override;
};

class Expo final : public Easing
{
public:
    float easeIn(float t, float b, float c, float d) const override;
    float easeOut(float t, float b, float c, float d) const override;
    float easeInOut(float t, float b, float c, float d) const override;
};

class Elastic final : public Easing
{
public:
    float easeIn(float t, float b, float c, float d) const override;
    float easeOut(float t, float b, float c, float d) const override;
    float easeInOut(float t, float b, float c, float d) const override;
};

class Cubic final : public Easing
{
public:
    float easeIn(float t, float b, float c, float d) const override;
    float easeOut(float t, float b, float c, float d) const override;
    float easeInOut(float t, float b, float c, float d) const override;
};

class Circ final : public Easing
{
public:
    float easeIn(float t, float b, float c, float d) const override;
    float easeOut(float t, float b, float c, float d) const override;
    float easeInOut(float t, float b, float c, float d) const override;
};

// easeIn and easeInOut are built from the object's own easeIn and easeOut (virtual calls).
class Bounce final : public Easing
{
public:
    float easeIn(float t, float b, float c, float d) const override;
    float easeOut(float t, float b, float c, float d) const override;
    float easeInOut(float t, float b, float c, float d) const override;
};

// Overshoots by about a tenth of the change (s = 1.70158).
class Back final : public Easing
{
public:
    float easeIn(float t, float b, float c, float d) const override;
    float easeOut(float t, float b, float c, float d) const override;
    float easeInOut(float t, float b, float c, float d) const override;
};

// Transition numbers, as stored in data: the index of the equation.
enum eTransition
{
    kLinear = 0,
    kSine = 1,
    kQuint = 2,
    kQuart = 3,
    kQuad = 4,
    kExpo = 5,
    kElastic = 6,
    kCubic = 7,
    kCirc = 8,
    kBounce = 9,
    kBack = 10,
    kTransitionCount = 11
};

// Ease kinds: which operation of the equation is used.
enum eEaseKind
{
    kEaseIn = 0,
    kEaseOut = 1,
    kEaseInOut = 2
};

// The equation of `transition` (0 to 10) in its `kind` (0 to 2) at t. Both numbers come from
// data files: a transition out of range falls back to Linear and a kind out of range to easeIn.
// A duration that is not above 0 gives the final value b + c at once.
float ease(int transition, int kind, float t, float b, float c, float d);

} // namespace Engine::tween
